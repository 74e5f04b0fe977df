// Folder listing and the current folder on a real temporary folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/folders.h"
#include "support/temp_dir.h"

namespace {

void touch(const std::string& path) {
  int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0) << path;
  close(fd);
}

std::vector<std::string> listing(const std::string& dir, int* result = nullptr) {
  std::vector<std::string> names;
  int r = plat_list_files(dir.c_str(), [&](const char* n) {
    names.push_back(n);
    return 0;
  });
  if (result) *result = r;
  std::sort(names.begin(), names.end());
  return names;
}

TEST(Folders, ListsFilesAndLinksToFilesButNoFolders) {
  TempDir t("folders_");
  ASSERT_FALSE(t.path.empty());
  const std::string d = t.path;
  touch(d + "/b.jpg");
  touch(d + "/a.txt");
  touch(d + "/.hidden");
  ASSERT_EQ(mkdir((d + "/sub").c_str(), 0755), 0);
  touch(d + "/sub/inner.jpg");
  ASSERT_EQ(symlink("sub", (d + "/to_sub").c_str()), 0);
  ASSERT_EQ(symlink("b.jpg", (d + "/to_b").c_str()), 0);
  ASSERT_EQ(symlink("nowhere", (d + "/dangling").c_str()), 0);
  ASSERT_EQ(mkfifo((d + "/pipe").c_str(), 0644), 0);
  int r = 1;
  EXPECT_EQ(listing(d, &r), (std::vector<std::string>{".hidden", "a.txt", "b.jpg", "dangling",
                                                      "pipe", "to_b"}));
  EXPECT_EQ(r, 0);
}

TEST(Folders, StopsWhenAskedAndReportsUnreadableFolders) {
  TempDir t("folders_");
  for (int k = 0; k < 5; k++) touch(t.path + "/f" + std::to_string(k));
  int seen = 0;
  EXPECT_EQ(plat_list_files(t.path.c_str(), [&](const char*) { return ++seen == 3 ? 7 : 0; }), 7);
  EXPECT_EQ(seen, 3);
  int r = 0;
  EXPECT_TRUE(listing(t.path + "/missing", &r).empty());
  EXPECT_EQ(r, -1);
  touch(t.path + "/plain");
  EXPECT_TRUE(listing(t.path + "/plain", &r).empty());
  EXPECT_EQ(r, -1);
}

TEST(Folders, ChangesTheCurrentFolder) {
  std::string before;
  ASSERT_TRUE(plat_getcwd(&before));
  TempDir t("folders_");
  // A folder path far longer than any fixed buffer.
  std::string deep = t.path;
  for (int k = 0; k < 30; k++) {
    deep += "/" + std::string(60, (char)('a' + k % 26));
    ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
  }
  ASSERT_EQ(plat_chdir(deep.c_str()), 0);
  std::string now;
  ASSERT_TRUE(plat_getcwd(&now));
  EXPECT_EQ(now, deep);
  EXPECT_EQ(plat_chdir((t.path + "/missing").c_str()), -1);
  ASSERT_TRUE(plat_getcwd(&now));
  EXPECT_EQ(now, deep);
  ASSERT_EQ(plat_chdir(before.c_str()), 0);
}

}  // namespace
