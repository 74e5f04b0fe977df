// X bitmap reader against netpbm's, ImageMagick's and Pillow's files, decoded by xbmtopbm and
// ImageMagick (both show a set bit as black).
#include <gtest/gtest.h>

#include "app/window.h"
#include "formats/reader.h"
#include "formats/xbm.h"
#include "script_fixtures.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

std::string dir() {
  static const std::string d = script_fixtures("xbm", "xbm_fixtures.sh");
  return d;
}

int load(const std::string& text) {
  put_file_buffer(text);
  start_stdout_capture();
  int r = load_xbm();
  stop_stdout_capture();
  return r;
}

std::string text_of(const std::string& path) {
  Bytes b = read_file(path);
  return std::string(b.begin(), b.end());
}

// The loaded image's pixels as '#' (black), '.' (white) or 'g' (grey), rows separated by '/'.
std::string pixels() {
  std::string s;
  for (int y = 0; y < image_yres; y++) {
    if (y) s += '/';
    for (int x = 0; x < image_xres; x++) {
      float v = img_content[4 * (y * image_xres + x)];
      s += v == 0.0f ? '#' : v == 1.0f ? '.' : 'g';
    }
  }
  return s;
}

}  // namespace

TEST(Xbm, MatchesNetpbmAndImageMagick) {
  headless_viewer();
  std::vector<std::string> files = {"box.xbm", "hot.xbm"};
  for (int w : {1, 8, 13, 16, 17}) {
    files.push_back("nb_x11_" + std::to_string(w) + ".xbm");
    files.push_back("nb_x10_" + std::to_string(w) + ".xbm");
  }
  for (const std::string& f : files) {
    std::string path = dir() + "/" + f;
    set_status("Ready");
    EXPECT_EQ(load(text_of(path)), 0) << f;
    EXPECT_EQ(status_text(), "") << f;
    EXPECT_EQ(compare_loaded(netpbm_rgba("xbmtopbm", path), 0), "") << f << " against xbmtopbm";
    EXPECT_EQ(compare_loaded(imagemagick_rgba(path), 0), "") << f << " against ImageMagick";
  }
}

TEST(Xbm, PythonsBitmap) {
  headless_viewer();
  std::string f = copy_of("/usr/lib/python3.11/test/imghdrdata/python.xbm");
  ASSERT_NE(f, "") << "package libpython3.11-testsuite";
  EXPECT_EQ(load(text_of(f)), 0);
  EXPECT_EQ(compare_loaded(netpbm_rgba("xbmtopbm", f), 0), "");
}

TEST(Xbm, BitsAndValues) {
  headless_viewer();
  struct Case {
    const char* what;
    std::string file;
    std::string pixels;
  } cases[] = {
      {"least significant bit first", "#define a_width 8\n#define a_height 1\nstatic char a_bits[] = {0x01};",
       "#......."},
      {"upper-case digits", "#define a_width 8\n#define a_height 1\nstatic char a_bits[] = {0XFF};", "########"},
      {"every row starts a new byte", "#define a_width 3\n#define a_height 2\nstatic char a_bits[] = {0x05, 0x02};",
       "#.#/.#."},
      {"a name holding x and a hot spot",
       "#define fox_width 4\n#define fox_height 1\n#define fox_x_hot 1\n"
       "#define fox_y_hot 0\nstatic unsigned char fox_bits[] = {\n  0x09 };",
       "#..#"},
      {"X10 words", "#define a_width 17\n#define a_height 1\nstatic short a_bits[] = {0x8001, 0x0001};",
       "#..............##"},
      {"comments and decimal values", "#define a_width 2 /* w */\n#define a_height 1\n/* bits */ char a_bits[] = {3};",
       "##"},
      {"values that end early", "#define a_width 4\n#define a_height 2\nstatic char a_bits[] = {0x0f, };", "####/gggg"},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(load(k.file), 0) << k.what;
    EXPECT_EQ(pixels(), k.pixels) << k.what;
  }
  load("#define a_width 4\n#define a_height 2\nstatic char a_bits[] = {0x0f, };");
  EXPECT_EQ(status_text(), DAMAGED_TEXT);
}

TEST(Xbm, RefusesWithResultOne) {
  headless_viewer();
  struct Case {
    const char* what;
    std::string file;
    const char* why;
  } cases[] = {
      {"not a bitmap", "P1\n1 1\n1\n", "not an XBM file"},
      {"empty", "", "not an XBM file"},
      {"no height", "#define a_width 4\nstatic char a_bits[] = {0x0f};", "damaged XBM header"},
      {"no array", "#define a_width 4\n#define a_height 1\n", "damaged XBM header"},
      {"a size past the caps", "#define a_width 70000\n#define a_height 1\nchar a_bits[] = {0};",
       "XBM size not supported: 70000 x 1"},
      {"a width that would overflow", "#define a_width 99999999999999999999\n#define a_height 1\n",
       "damaged XBM header"},
      {"zero height", "#define a_width 4\n#define a_height 0\nchar a_bits[] = {0};", "XBM size not supported: 4 x 0"},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(load(k.file), 1) << k.what;
    EXPECT_STREQ(reader_refusal, k.why) << k.what;
  }
}

TEST(Xbm, EveryTruncationIsHandled) {
  headless_viewer();
  std::string whole = text_of(dir() + "/small.xbm");
  ASSERT_FALSE(whole.empty());
  for (size_t n = 0; n < whole.size(); n++) {
    int r = load(whole.substr(0, n));
    ASSERT_TRUE(r == 0 || r == 1) << n;
    if (r == 0) ASSERT_TRUE(loaded_image_valid()) << n;
  }
}

TEST(Xbm, OpensThroughTheFileOpener) {
  headless_viewer();
  std::string path = dir() + "/box.xbm";
  open_as_user(path);
  EXPECT_TRUE(is_content_image());
  EXPECT_EQ(contentview, 1);
  EXPECT_EQ(compare_loaded(netpbm_rgba("xbmtopbm", path), 0), "");
}
