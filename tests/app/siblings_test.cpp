// Stepping to the previous and next file of a folder: the opener's readers record what opens.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/sibling_list.h"
#include "app/siblings.h"
#include "open_fixture.h"
#include "platform/folders.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

class Siblings : public OpenTest {
 protected:
  void SetUp() override {
    OpenTest::SetUp();
    during_read = [this](const std::string&) { opened.push_back(openfilename); };
  }
  void TearDown() override {
    do_navigate = 0;
    OpenTest::TearDown();
  }
  void files(const std::vector<std::string>& names) {
    for (const std::string& n : names) write(n, "x");
  }
  void start_at(const std::string& name) {
    ASSERT_LT(name.size(), sizeof openfilename);
    strcpy(openfilename, name.c_str());
  }
  // Steps once and returns what opened ("" when nothing did).
  std::string step(bool next) {
    opened.clear();
    next ? cb_next() : cb_prev();
    EXPECT_LE(opened.size(), 1u);
    EXPECT_FALSE(wait_cursor_shown());
    return opened.empty() ? "" : opened[0];
  }
  std::vector<std::string> opened;
};

TEST_F(Siblings, StepsInNaturalOrderAndStopsAtBothEnds) {
  files({"img10.jpg", "img2.jpg", "img1.jpg", "zz.bmp"});
  ASSERT_EQ(mkdir("img3.jpg", 0755), 0);  // a folder is never offered
  const std::string d = dir_ + "/";
  start_at(d + "img2.jpg");
  EXPECT_EQ(step(true), d + "img10.jpg");
  EXPECT_EQ(step(true), d + "zz.bmp");
  EXPECT_EQ(step(true), d + "zz.bmp") << "the last file opens again";
  EXPECT_EQ(step(false), d + "img10.jpg");
  EXPECT_EQ(step(false), d + "img2.jpg");
  EXPECT_EQ(step(false), d + "img1.jpg");
  EXPECT_EQ(step(false), d + "img1.jpg") << "the first file opens again";
  EXPECT_EQ(shiftx, 0);
  EXPECT_EQ(dir_n, 0) << "the list is freed after the step";
  EXPECT_EQ(dir_alloc, -1);
}

TEST_F(Siblings, WalksA65FileFolder) {
  std::vector<std::string> names;
  for (int k = 1; k <= 65; k++) names.push_back("p" + std::to_string(k) + ".gif");
  files(names);
  gif_frames = 1;
  start_at(dir_ + "/p1.gif");
  for (int k = 2; k <= 65; k++) ASSERT_EQ(step(true), dir_ + "/p" + std::to_string(k) + ".gif");
  EXPECT_EQ(step(true), dir_ + "/p65.gif");
}

TEST_F(Siblings, RelativeNamesBecomeAbsoluteAndTheFolderCurrent) {
  ASSERT_EQ(mkdir("sub", 0755), 0);
  files({"photo.jpg", "photo2.jpg", "sub/x.jpg", "sub/y.jpg"});
  start_at("photo.jpg");
  EXPECT_EQ(step(true), dir_ + "/photo2.jpg");

  ASSERT_EQ(chdir(dir_.c_str()), 0);
  start_at("sub/x.jpg");
  EXPECT_EQ(step(true), dir_ + "/sub/y.jpg");
  std::string cwd;
  ASSERT_TRUE(plat_getcwd(&cwd));
  EXPECT_EQ(cwd, dir_ + "/sub");
  // From inside the folder, the absolute name still steps.
  EXPECT_EQ(step(false), dir_ + "/sub/x.jpg");
  start_at("x.jpg");
  EXPECT_EQ(step(true), dir_ + "/sub/y.jpg");
}

TEST_F(Siblings, AVanishedFileLeadsToItsFolder) {
  files({"a.jpg", "b.jpg"});
  start_at(dir_ + "/gone.jpg");
  EXPECT_EQ(step(true), "");
  EXPECT_STREQ(openfilename, (dir_ + "/").c_str());
  EXPECT_EQ(std::string(last_message), "error opening file: >" + dir_ + "/<\n");
}

TEST_F(Siblings, APathThatDoesNotFitIsRefused) {
  // A folder some 830 characters deep whose next file would take the path past 1023.
  std::string deep = dir_;
  for (int k = 0; k < 4; k++) {
    deep += "/" + std::string(200, (char)('a' + k));
    ASSERT_EQ(mkdir(deep.c_str(), 0755), 0);
  }
  std::string next_name = "b" + std::string(240, 'n') + ".jpg";
  files({deep + "/a.jpg", deep + "/" + next_name});
  ASSERT_LT(deep.size() + 6, sizeof openfilename);
  ASSERT_GE(deep.size() + 1 + next_name.size(), sizeof openfilename);
  start_at(deep + "/a.jpg");
  testing::internal::CaptureStdout();
  EXPECT_EQ(step(true), "");
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_STREQ(openfilename, (deep + "/a.jpg").c_str());
  const std::string text = "file name too long (" +
                           std::to_string(deep.size() + 1 + next_name.size()) +
                           " characters): not opened";
  EXPECT_EQ(status_text(), text);
  EXPECT_EQ(out, text + "\n");
  // Stepping back from it is fine.
  EXPECT_EQ(step(false), deep + "/a.jpg");
}

TEST_F(Siblings, AStepDuringAStepIsIgnored) {
  files({"a.jpg", "b.jpg", "c.jpg"});
  int nested = 0;
  during_read = [&](const std::string&) {
    opened.push_back(openfilename);
    if (nested++ == 0) cb_next();
  };
  start_at(dir_ + "/a.jpg");
  EXPECT_EQ(step(true), dir_ + "/b.jpg");
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(do_navigate, 0);
}

TEST_F(Siblings, ShortOfMemoryStopsTheStep) {
  std::vector<std::string> names;
  for (int k = 0; k < 70; k++) names.push_back("f" + std::to_string(k) + ".jpg");
  files(names);
  start_at(dir_ + "/f3.jpg");
  fail_dir_growth = 1;
  testing::internal::CaptureStdout();
  EXPECT_EQ(step(true), "");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "mem err\n");
  fail_dir_growth = 0;
  EXPECT_EQ(status_text(), "mem err");
  EXPECT_STREQ(openfilename, (dir_ + "/f3.jpg").c_str());
  EXPECT_EQ(dir_n, 0);
}

TEST(SiblingFolder, AbsoluteFolderOfAPath) {
  std::string cwd;
  ASSERT_TRUE(plat_getcwd(&cwd));
  struct Case {
    const char* path;
    std::string folder;
  } cases[] = {
      {"/a/b/c.jpg", "/a/b/"}, {"/c.jpg", "/"},           {"photo.jpg", cwd + "/"},
      {"sub/x.jpg", cwd + "/sub/"}, {"", cwd + "/"}, {"./y", cwd + "/./"},
  };
  for (const Case& c : cases) {
    char dir[1024];
    ASSERT_EQ(get_dir_name(c.path, dir, sizeof dir), 0) << c.path;
    EXPECT_EQ(std::string(dir), c.folder) << c.path;
  }
  char small[8];
  EXPECT_EQ(get_dir_name("/abcdefgh/x", small, sizeof small), -1);
  EXPECT_STREQ(small, "");
  EXPECT_EQ(get_dir_name("/abcdef/x", small, sizeof small), -1);
  EXPECT_EQ(get_dir_name("/abcde/x", small, sizeof small), 0);
  EXPECT_STREQ(small, "/abcde/");
}

}  // namespace
