#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/files.h"
#include "support/image_fixtures.h"
#include "support/temp_dir.h"

namespace {

int mode_of(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? (int)(st.st_mode & 07777) : -1;
}

// Writes `text` under a temporary name beside `name` and puts it in place; the result of that.
int write_whole(const std::string& name, const std::string& text, std::string* temp_seen) {
  char temp[512];
  FILE* f = plat_create_beside(name.c_str(), temp, sizeof temp);
  if (!f) return -2;
  *temp_seen = temp;
  fputs(text.c_str(), f);
  return plat_replace_with(f, temp, name.c_str());
}

}  // namespace

TEST(FilesWrittenWhole, TakeTheirNameOnlyWhenComplete) {
  TempDir dir("files");
  const std::string name = dir.path + "/out.jpg";
  mode_t mask = umask(022);
  std::string temp;
  ASSERT_EQ(write_whole(name, "first", &temp), 0);
  EXPECT_EQ(temp.substr(0, dir.path.size() + 1), dir.path + "/");  // beside the target
  EXPECT_EQ(access(temp.c_str(), F_OK), -1);
  EXPECT_EQ(read_file(name), (Bytes{'f', 'i', 'r', 's', 't'}));
  EXPECT_EQ(mode_of(name), 0644);  // as fopen would make it

  chmod(name.c_str(), 0600);
  ASSERT_EQ(write_whole(name, "second", &temp), 0);
  EXPECT_EQ(read_file(name).size(), 6u);
  EXPECT_EQ(mode_of(name), 0600);  // the replaced file's permissions stay
  umask(mask);

  char t[512];
  FILE* f = plat_create_beside(name.c_str(), t, sizeof t);
  ASSERT_TRUE(f);
  fputs("dropped", f);
  plat_discard(f, t);
  EXPECT_EQ(access(t, F_OK), -1);
  EXPECT_EQ(read_file(name).size(), 6u);

  EXPECT_EQ(plat_create_beside((dir.path + "/missing/out.jpg").c_str(), t, sizeof t), nullptr);
  EXPECT_EQ(plat_create_beside(name.c_str(), t, 8), nullptr);  // no room for the name
}

// A stream that failed on the way does not replace the target.
TEST(FilesWrittenWhole, AFailedStreamLeavesTheTarget) {
  TempDir dir("files");
  const std::string name = dir.path + "/kept.txt";
  write_file(name, Bytes{'o', 'l', 'd'});
  char t[512];
  FILE* f = plat_create_beside(name.c_str(), t, sizeof t);
  ASSERT_TRUE(f);
  fputs("partial", f);
  fgetc(f);  // a read on a write-only stream sets its error flag
  EXPECT_EQ(plat_replace_with(f, t, name.c_str()), -1);
  EXPECT_EQ(access(t, F_OK), -1);
  EXPECT_EQ(read_file(name), (Bytes{'o', 'l', 'd'}));
}
