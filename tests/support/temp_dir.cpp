#include "support/temp_dir.h"

#include <cstdlib>
#include <cstring>
#include <vector>

TempDir::TempDir(const std::string& prefix) {
  std::string t = "/tmp/" + prefix + "XXXXXX";
  std::vector<char> name(t.begin(), t.end());
  name.push_back(0);
  if (mkdtemp(name.data())) path = name.data();
}

TempDir::~TempDir() { remove(); }

bool TempDir::remove() {
  if (path.empty()) return true;
  std::string cmd = "chmod -R u+rwx '" + path + "' && rm -rf '" + path + "'";
  bool gone = std::system(cmd.c_str()) == 0;
  path.clear();
  return gone;
}
