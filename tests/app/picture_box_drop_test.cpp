#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "app/open_file.h"
#include "picture_box_events.h"
#include "support/headless.h"
#include "support/temp_dir.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

int opens = 0;
int opened_fit = -1;
void record_open(int fit) {
  opens++;
  opened_fit = fit;
}

// Drops `text` (len bytes) on the picture; returns the name the opener saw, or "(none)".
std::string drop(const std::string& text) {
  opens = 0;
  snprintf(openfilename, sizeof openfilename, "(none)");
  Fl::e_text = const_cast<char*>(text.data());
  Fl::e_length = (int)text.size();
  EXPECT_EQ(p_image_box->handle(FL_PASTE), 1);
  Fl::e_text = nullptr;
  Fl::e_length = 0;
  if (opens == 0) return "(none)";
  EXPECT_EQ(opens, 1);
  EXPECT_EQ(opened_fit, 1);
  return openfilename;
}

class Drop : public ::testing::Test {
 protected:
  void SetUp() override {
    headless_viewer();
    drop_open = record_open;
  }
  void TearDown() override {
    drop_open = do_open;
    // The real opener titles the window; later tests expect the start-up title.
    set_title("sun calculator");
  }
};

}  // namespace

TEST_F(Drop, NamesFromDroppedText) {
  struct {
    std::string text, name;
  } cases[] = {
      {"file:///tmp/a%20b.bin\r\n", "/tmp/a b.bin"},
      {"file:///tmp/a b.bin\n", "/tmp/a b.bin"},
      {"/x\n", "/x"},
      {"/x", "/x"},
      {"file:///home/u/%C3%A9t%C3%A9.jpg\r\n", "/home/u/\xC3\xA9t\xC3\xA9.jpg"},
      {"file:///home/u/\xC3\xA9t\xC3\xA9.jpg", "/home/u/\xC3\xA9t\xC3\xA9.jpg"},
      // Several files: the first opens.
      {"file:///a.gif\r\nfile:///b.gif\r\n", "/a.gif"},
      {"/tmp/100%25 sure.txt", "/tmp/100% sure.txt"},
      // Escapes that are not two hex digits stay as they are.
      {"file:///a%2", "/a%2"},
      {"file:///a%zz%4", "/a%zz%4"},
      {"file:///a%2f%2Fb", "/a//b"},
      {"relative name.bmp\n", "relative name.bmp"},
      // Nothing to open.
      {"", "(none)"},
      {"\n", "(none)"},
      {"\r\nfile:///b.gif", "(none)"},
      {"file://", "(none)"},
      // An encoded NUL would open a file of another name.
      {"file:///etc/passwd%00.jpg", "(none)"},
  };
  for (auto& c : cases) EXPECT_EQ(drop(c.text), c.name) << "dropped \"" << c.text << "\"";
}

TEST_F(Drop, LengthLimit) {
  std::string name399 = "/" + std::string(398, 'n');
  EXPECT_EQ(drop(name399), name399);
  EXPECT_EQ(drop(name399 + "x"), "(none)");
  // The limit counts the text as dropped, prefix and line end included.
  std::string uri = "file://" + std::string(391, 'n') + "\n";
  ASSERT_EQ(uri.size(), 399u);
  EXPECT_EQ(drop(uri), std::string(391, 'n'));
  EXPECT_EQ(drop("file://" + std::string(392, 'n') + "\n"), "(none)");
  // Only the event's length counts, not a terminator somewhere after it.
  std::string longer = "/short.bin" + std::string(500, 'x');
  opens = 0;
  Fl::e_text = const_cast<char*>(longer.data());
  Fl::e_length = 10;
  p_image_box->handle(FL_PASTE);
  EXPECT_EQ(opens, 1);
  EXPECT_STREQ(openfilename, "/short.bin");
}

// A real file whose name has a space reaches the file opener with its name decoded.
TEST_F(Drop, FileWithSpaceReachesTheOpener) {
  TempDir dir("drop");
  ASSERT_FALSE(dir.path.empty());
  std::string path = dir.path + "/holiday photo.bin";
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fputs("hello", f);
  fclose(f);
  std::string uri = "file://" + dir.path + "/holiday%20photo.bin\r\n";
  EXPECT_EQ(drop(uri), path);
  FILE* g = fopen(openfilename, "rb");
  EXPECT_NE(g, nullptr) << "the decoded name names the dropped file";
  if (g) fclose(g);

  // Through the real opener: the file is read and shown as a hex dump under its own name.
  drop_open = do_open;
  Fl::e_text = const_cast<char*>(uri.data());
  Fl::e_length = (int)uri.size();
  EXPECT_EQ(p_image_box->handle(FL_PASTE), 1);
  Fl::e_text = nullptr;
  Fl::e_length = 0;
  EXPECT_STREQ(openfilename, path.c_str());
  ASSERT_EQ(bin_allocated, 5);
  EXPECT_EQ(memcmp(bin_content, "hello", 5), 0);
  EXPECT_TRUE(is_content_hex());
  EXPECT_STREQ(window->label(), path.c_str());
}
