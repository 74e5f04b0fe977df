// Sun raster reader against netpbm's and ImageMagick's files and their decodings.
#include <gtest/gtest.h>

#include <cstring>

#include "app/window.h"
#include "formats/reader.h"
#include "formats/sun_raster.h"
#include "script_fixtures.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

std::string dir() {
  static const std::string d = script_fixtures("sun", "sun_fixtures.sh");
  return d;
}

// Header of a Sun raster file followed by its data.
Bytes sun_file(int w, int h, int depth, int type, int map_type, const Bytes& map, const Bytes& data) {
  Bytes b;
  auto be32 = [&](uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back((unsigned char)(v >> s));
  };
  be32(0x59a66a95);
  be32(w);
  be32(h);
  be32(depth);
  be32((uint32_t)data.size());
  be32(type);
  be32(map_type);
  be32((uint32_t)map.size());
  b.insert(b.end(), map.begin(), map.end());
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

int load(const Bytes& file) {
  put_file_buffer(file);
  start_stdout_capture();
  int r = load_sun();
  stop_stdout_capture();
  return r;
}

}  // namespace

TEST(Sun, MatchesIndependentDecodersOnEveryDepthAndCoding) {
  headless_viewer();
  struct Case {
    const char* file;
    const char* reference;  // "rast": rasttopnm's decoding; "im": ImageMagick's
  } cases[] = {
      // 24 bits, blue first, widths 1 to 4 (a padding byte after rows of odd length).
      {"rgb24_w1.ras", "rast"},
      {"rgb24_w2.ras", "rast"},
      {"rgb24_w3.ras", "rast"},
      {"rgb24_w4.ras", "rast"},
      // The same run-length coded (type 2).
      {"rle24_w1.ras", "rast"},
      {"rle24_w2.ras", "rast"},
      {"rle24_w3.ras", "rast"},
      {"rle24_w4.ras", "rast"},
      {"flatrle24.ras", "rast"},
      // ImageMagick's red-first files (type 3), 24 bits and 32 with the padding byte first.
      {"im24_w1.ras", "rast"},
      {"im24_w3.ras", "rast"},
      {"im32.ras", "rast"},
      {"im8grey.ras", "rast"},
      {"imrle32.ras", "rast"},
      // 8 bits through a colour map: pnmtorast's default is run-length coded; odd widths pad.
      {"map8_w1.ras", "rast"},
      {"map8_w2.ras", "rast"},
      {"map8_w3.ras", "rast"},
      {"map8std_w1.ras", "rast"},
      {"map8std_w2.ras", "rast"},
      {"map8std_w3.ras", "rast"},
      {"grey8.ras", "rast"},
      {"im8map.ras", "rast"},
  };
  for (const Case& k : cases) {
    std::string path = dir() + "/" + k.file;
    Rgba ref = strcmp(k.reference, "rast") == 0 ? netpbm_rgba("rasttopnm", path) : imagemagick_rgba(path);
    ASSERT_GT(ref.w, 0) << k.file;
    set_status("Ready");
    load(read_file(path));
    // ImageMagick takes the padding byte of 32-bit pixels as alpha; the format has none.
    EXPECT_EQ(compare_loaded(ref, 0, strcmp(k.reference, "rast") == 0), "") << k.file;
    EXPECT_EQ(status_text(), "") << k.file;
  }
}

TEST(Sun, PythonsRasterMatchesNetpbm) {
  headless_viewer();
  // A 32-bit red-first file. (Pillow takes its padding byte for the last one and shifts the
  // channels; netpbm and ImageMagick agree on the picture.)
  std::string f = copy_of("/usr/lib/python3.11/test/imghdrdata/python.ras");
  ASSERT_NE(f, "") << "package libpython3.11-testsuite";
  load(read_file(f));
  EXPECT_EQ(compare_loaded(netpbm_rgba("rasttopnm", f), 0), "");
  EXPECT_EQ(compare_loaded(imagemagick_rgba(f), 0, false), "");
}

TEST(Sun, GreyWithoutAMapPadsOddRows) {
  headless_viewer();
  // 3 x 2 grey, each row of 3 bytes followed by one padding byte.
  load(sun_file(3, 2, 8, 1, 0, {}, {10, 20, 30, 99, 40, 50, 60, 99}));
  Rgba got = loaded_rgba();
  ASSERT_EQ(got.w, 3);
  int want[6] = {10, 20, 30, 40, 50, 60};
  for (int i = 0; i < 6; i++) EXPECT_EQ(got.px[4 * i], want[i]) << i;
}

TEST(Sun, AnIndexOutsideTheMapStopsAndShowsTheRowsDecoded) {
  headless_viewer();
  Bytes map = {255, 0, 0, 0, 255, 0, 0, 0, 255};  // red, green and blue planes
  Bytes data = {0, 1, 2, 0, 3, 1, 2, 0};          // rows of 3 plus padding; index 3 is outside
  put_file_buffer(sun_file(3, 2, 8, 1, 1, map, data));
  start_stdout_capture();
  load_sun();
  std::string out = stop_stdout_capture();
  EXPECT_NE(out.find("m=3\n"), std::string::npos) << out;
  ASSERT_EQ(image_xres, 3);
  EXPECT_EQ(loaded_px(0, 0), (Px{255, 0, 0, 255}));
  EXPECT_EQ(loaded_px(1, 0), (Px{0, 255, 0, 255}));
  EXPECT_EQ(loaded_px(2, 0), (Px{0, 0, 255, 255}));
  EXPECT_EQ(loaded_px(0, 1), (Px{128, 128, 128, 255}));  // not decoded: grey
  EXPECT_EQ(status_text(), DAMAGED_TEXT);

  // A map type 1 with no entries has no colour for the first pixel.
  put_file_buffer(sun_file(3, 2, 8, 1, 1, {}, data));
  start_stdout_capture();
  load_sun();
  out = stop_stdout_capture();
  EXPECT_NE(out.find("m=0\n"), std::string::npos) << out;
  EXPECT_EQ(loaded_px(0, 0), (Px{128, 128, 128, 255}));
}

TEST(Sun, RunsAreBoundedByThePicture) {
  headless_viewer();
  // 2 x 1 grey: a run of 256 bytes where 2 are needed, then an escaped 0x80 that is never read.
  load(sun_file(2, 1, 8, 2, 0, {}, {0x80, 255, 7, 0x80, 0}));
  Rgba got = loaded_rgba();
  ASSERT_EQ(got.w, 2);
  EXPECT_EQ(got.px[0], 7);
  EXPECT_EQ(got.px[4], 7);
  EXPECT_EQ(status_text(), "");
  // An escaped 0x80, a run of 3, a literal.
  load(sun_file(5, 1, 8, 2, 0, {}, {0x80, 0, 0x80, 2, 9, 5, 0}));
  got = loaded_rgba();
  int want[5] = {128, 9, 9, 9, 5};
  for (int i = 0; i < 5; i++) EXPECT_EQ(got.px[4 * i], want[i]) << i;
}

TEST(Sun, RefusesOnTheErrorCanvas) {
  headless_viewer();
  struct Case {
    const char* what;
    Bytes file;
    const char* message;
  } cases[] = {
      {"wrong magic", Bytes{1, 2, 3, 4, 0, 0, 0, 1}, "wrong magic number"},
      {"empty", Bytes{}, "wrong magic number"},
      {"too wide", sun_file(50001, 1, 8, 1, 0, {}, {}), "res out of range: 50001 x 1\n"},
      {"a negative height", sun_file(4, -3, 8, 1, 0, {}, {}), "res out of range: 4 x -3\n"},
      {"zero width", sun_file(0, 4, 8, 1, 0, {}, {}), "res out of range: 0 x 4\n"},
      // Within 50000 a side, but past the pixel cap: refused before anything is allocated.
      {"above the pixel cap", sun_file(50000, 50000, 24, 1, 0, {}, {}), "res out of range: 50000 x 50000\n"},
      {"depth 16", sun_file(2, 2, 16, 1, 0, {}, Bytes(8, 0)), "improper color depth"},
      {"depth 1", sun_file(16, 2, 1, 1, 0, {}, Bytes(4, 0)), "improper color depth"},
      {"a TIFF-coded type", sun_file(2, 2, 8, 4, 0, {}, Bytes(4, 0)), "Sun raster type not supported: 4"},
  };
  for (const Case& k : cases) {
    load(k.file);
    EXPECT_TRUE(shows_error_canvas()) << k.what;
    EXPECT_STREQ(reader_refusal, k.message) << k.what;
  }
}

TEST(Sun, EveryTruncationKeepsWhatWasDecoded) {
  headless_viewer();
  // A cut 32-byte header is refused; past it, every cut shows what it holds, and the file is
  // called damaged unless only the last row's padding was cut.
  CutRules rules;
  rules.refused_below = 32;
  rules.refuses_longer = false;
  for (const char* f : {"rle24_w3.ras", "map8_w3.ras", "rgb24_w2.ras", "im32.ras"})
    EXPECT_EQ(first_bad_cut(read_file(dir() + "/" + f), load, rules), "") << f;
}

TEST(Sun, OpensThroughTheFileOpener) {
  headless_viewer();
  std::string path = dir() + "/rle24_w3.ras";
  open_as_user(path);
  EXPECT_TRUE(is_content_image());
  EXPECT_EQ(contentview, 1);
  EXPECT_EQ(compare_loaded(netpbm_rgba("rasttopnm", path), 0), "");
}
