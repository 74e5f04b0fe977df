// Icon reader against ImageMagick's icons, hand-made 24-bit icons and the icons of Debian's SDL
// image tests, each compared with Pillow's and ImageMagick's decodings.
#include "formats/ico.h"

#include <gtest/gtest.h>

#include "app/window.h"
#include "formats/reader.h"
#include "script_fixtures.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "view/canvas.h"

namespace {

std::string dir() {
  static const std::string d = script_fixtures("ico", "ico_fixtures.sh");
  return d;
}

int load(const Bytes& file, std::string* printed = nullptr) {
  put_file_buffer(file);
  start_stdout_capture();
  int r = load_ico();
  std::string out = stop_stdout_capture();
  if (printed) *printed = out;
  return r;
}

}  // namespace

TEST(Ico, MatchesPillowAndImageMagickOnEveryDepth) {
  headless_viewer();
  const char* files[] = {"im32.ico",     "im32alpha.ico", "im8.ico",   "im4.ico",
                         "im4holes.ico", "im1.ico",       "rgb24.ico", "zero24.ico"};
  for (const char* f : files) {
    std::string path = dir() + "/" + f;
    ASSERT_EQ(load(read_file(path)), 0) << f;
    EXPECT_EQ(compare_loaded(pillow_rgba(path), 0), "") << f << " against Pillow";
    EXPECT_EQ(compare_loaded(imagemagick_rgba(path), 0), "") << f << " against ImageMagick";
  }
}

TEST(Ico, DebiansSampleIconAndCursor) {
  headless_viewer();
  // 24 bits, 23 x 42: rows of 69 bytes padded to 72, mask rows of 3 bytes padded to 4.
  for (const char* name : {"sample.ico", "sample.cur"}) {
    std::string f = copy_of(std::string("/usr/libexec/installed-tests/SDL2_image/") + name);
    ASSERT_NE(f, "") << "package libsdl2-image-tests";
    ASSERT_EQ(load(read_file(f)), 0) << name;
    EXPECT_EQ(compare_loaded(imagemagick_rgba(f), 0), "") << name;
  }
}

TEST(Ico, ADirectoryOfSizeZeroTakesTheHeadersSize) {
  headless_viewer();
  ASSERT_EQ(load(read_file(dir() + "/zero24.ico")), 0);
  EXPECT_EQ(image_xres, 256);
  EXPECT_EQ(image_yres, 256);  // the smaller of the header's 256 and 512 (colour and mask rows)
}

TEST(Ico, RefusesWithAMessageAndResultOne) {
  headless_viewer();
  Bytes good = read_file(dir() + "/im4.ico");
  ASSERT_GT(good.size(), 62u);
  auto with = [&](size_t at, std::initializer_list<unsigned char> bytes) {
    Bytes b = good;
    size_t i = at;
    for (unsigned char v : bytes) b[i++] = v;
    return b;
  };
  struct Case {
    const char* what;
    Bytes file;
    const char* printed;
  } cases[] = {
      {"a bitmap", with(0, {'B', 'M'}), "file is bmp not ico\n"},
      {"reserved field set", with(0, {1, 0}), "file type must be 0\n"},
      {"resource type 3", with(2, {3, 0}), "expected resource type: 1 (icons) or 2 (cursors)\n"},
      {"no images", with(4, {0, 0}), ""},
      {"a PNG image", with(22, {0x89, 'P', 'N', 'G'}), "size of info header not 40\n"},
      {"compressed", with(22 + 16, {1}), "compression not supported\n"},
      {"16 bits", with(22 + 14, {16, 0}), "color depth not supported: 16\n"},
      {"empty", Bytes{}, "expected resource type: 1 (icons) or 2 (cursors)\n"},
  };
  for (const Case& k : cases) {
    std::string out;
    EXPECT_EQ(load(k.file, &out), 1) << k.what;
    EXPECT_EQ(out, k.printed) << k.what;
  }
}

TEST(Ico, TheFixedTableClampsItsIndex) {
  float r, g, b;
  struct Case {
    int index;
    float r, g, b;
  } cases[] = {{0, 0, 0, 0},  {7, 0.5f, 0.5f, 0.5f}, {8, 0.7f, 0.7f, 0.7f}, {12, 0, 0, 1},
               {15, 1, 1, 1}, {16, 1, 1, 1},         {999, 1, 1, 1},        {-4, 0, 0, 0}};
  for (const Case& k : cases) {
    get_map_col(k.index, &r, &g, &b);
    EXPECT_EQ(r, k.r) << k.index;
    EXPECT_EQ(g, k.g) << k.index;
    EXPECT_EQ(b, k.b) << k.index;
  }
}

TEST(Ico, EveryTruncationIsHandled) {
  headless_viewer();
  for (const char* f : {"im4holes.ico", "rgb24.ico"}) {
    Bytes whole = read_file(dir() + "/" + f);
    for (size_t n = 0; n < whole.size(); n++) {
      int r = load(Bytes(whole.begin(), whole.begin() + n));
      ASSERT_TRUE(r == 0 || r == 1) << f << " cut at " << n;
      if (r == 0) {
        ASSERT_TRUE(loaded_image_valid()) << f << " cut at " << n;
        ASSERT_EQ(status_text(), DAMAGED_TEXT) << f << " cut at " << n;
      }
    }
  }
}
