// A private folder under /tmp for one test's files, removed with all it holds when the test is done.
#pragma once
#include <string>

struct TempDir {
  // Makes /tmp/<prefix>XXXXXX; path is "" when the folder could not be made.
  explicit TempDir(const std::string& prefix);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Removes the folder now (whatever the tests left read-only in it too); true when it is gone or
  // there was none. The destructor does the same for a folder still there.
  bool remove();

  std::string path;
};
