#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
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

// Every outcome of a whole read: what it returns, the length and bytes it reports, whether it
// asked for room at all, and that a pipe is refused without waiting for a writer.
TEST(FilesReadWhole, OneCallPerOutcome) {
  TempDir dir("files");
  const std::string file = dir.path + "/five.bin", empty = dir.path + "/empty.bin",
                    pipe = dir.path + "/pipe";
  write_file(file, Bytes{1, 2, 3, 4, 5});
  write_file(empty, Bytes{});
  ASSERT_EQ(mkfifo(pipe.c_str(), 0644), 0);
  struct {
    const char* what;
    std::string path;
    int64_t max_bytes;
    bool room;  // whether room gives a block
    PlatReadResult result;
    int64_t length;
    bool asked;  // whether room was asked
    Bytes bytes;
  } cases[] = {
      {"a file", file, 5, true, PLAT_READ_OK, 5, true, {1, 2, 3, 4, 5}},
      {"an empty file", empty, 5, true, PLAT_READ_OK, 0, true, {}},
      {"one byte over the bound", file, 4, true, PLAT_READ_TOO_LARGE, 5, false, {}},
      {"no room", file, 5, false, PLAT_READ_NO_ROOM, 5, true, {}},
      {"no such file", dir.path + "/missing", 5, true, PLAT_READ_CANNOT_OPEN, 0, false, {}},
      {"a folder", dir.path, 1 << 20, true, PLAT_READ_CANNOT_OPEN, 0, false, {}},
      {"a pipe", pipe, 5, true, PLAT_READ_CANNOT_OPEN, 0, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    unsigned char block[8];
    int64_t asked_for = -1, length = -1, got = -1;
    PlatReadResult r = plat_read_whole(
        c.path.c_str(), c.max_bytes,
        [&](int64_t n) -> unsigned char* {
          asked_for = n;
          return c.room ? block : nullptr;
        },
        &length, &got);
    EXPECT_EQ(r, c.result);
    EXPECT_EQ(length, c.length);
    EXPECT_EQ(asked_for, c.asked ? c.length : -1);
    EXPECT_EQ(got, (int64_t)c.bytes.size());
    if (r == PLAT_READ_OK) EXPECT_EQ(Bytes(block, block + got), c.bytes);
  }
}

// A file whose real length is below the one it reports: the read says how much came, and the
// rest of the block is zeros.
TEST(FilesReadWhole, AShortFileReportsWhatCameAndZerosTheRest) {
  const char* name = "/sys/kernel/mm/transparent_hugepage/enabled";
  struct stat st;
  if (stat(name, &st) != 0 || st.st_size <= 100) GTEST_SKIP() << "no such file here";
  Bytes block;
  int64_t length, got;
  PlatReadResult r = plat_read_whole(
      name, 1 << 20,
      [&](int64_t n) {
        block.assign((size_t)n, 0xee);
        return block.data();
      },
      &length, &got);
  ASSERT_EQ(r, PLAT_READ_OK);
  EXPECT_EQ(length, (int64_t)st.st_size);
  ASSERT_GT(got, 0);
  ASSERT_LT(got, length);
  for (int64_t k = got; k < length; k++) ASSERT_EQ(block[(size_t)k], 0) << k;
}
