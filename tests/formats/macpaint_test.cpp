// MacPaint reader against netpbm's pbmtomacp files and macptopbm's decodings, and the run grammar.
#include "formats/macpaint.h"

#include <gtest/gtest.h>

#include <cstring>

#include "app/window.h"
#include "formats/reader.h"
#include "script_fixtures.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

std::string dir() {
  static const std::string d = script_fixtures("macpaint", "macpaint_fixtures.sh");
  return d;
}

// A MacPaint file: the 512-byte header, then the given coded rows.
Bytes mac_file(const Bytes& rows) {
  Bytes b = rows;
  b.insert(b.begin(), 512, 0);
  return b;
}

// The first n pixels of the loaded image's top row as 'B' (black), 'W' (white) or 'g' (grey).
std::string top_row(int n) {
  std::string s;
  for (int x = 0; x < n; x++) {
    float v = img_content[4 * x];
    s += v == 0.0f ? 'B' : v == 1.0f ? 'W' : v == 0.5f ? 'g' : '?';
  }
  return s;
}

std::string times(int n, char c) { return std::string(n, c); }

}  // namespace

TEST(MacPaint, MatchesNetpbm) {
  headless_viewer();
  for (const char* f : {"random.mac", "small.mac", "white.mac"}) {
    std::string path = dir() + "/" + f;
    Rgba ref = netpbm_rgba("macptopbm", path);
    ASSERT_EQ(ref.w, 576) << f;
    set_status("Ready");
    put_file_buffer(read_file(path));
    load_mac();
    EXPECT_EQ(compare_loaded(ref, 0), "") << f;
    EXPECT_EQ(status_text(), "") << f;
  }
}

TEST(MacPaint, RunGrammar) {
  headless_viewer();
  struct Case {
    const char* what;
    Bytes rows;
    std::string top;
  } cases[] = {
      {"repeat 254: three bytes", {254, 255, 0, 0}, times(24, 'B') + times(8, 'W')},
      {"literal of three", {2, 255, 0, 255}, times(8, 'B') + times(8, 'W') + times(8, 'B')},
      {"a literal byte's bits, most significant first", {0, 0xA0}, "BWBWWWWW"},
      {"header 128 gives its byte once", {128, 0, 0, 255}, times(8, 'W') + times(8, 'B')},
      {"the data ends in a literal run", {5, 255, 0}, times(8, 'B') + times(8, 'W') + times(8, 'g')},
      {"a header without its byte", {0, 255, 1}, times(8, 'B') + times(8, 'g')},
  };
  for (const Case& k : cases) {
    put_file_buffer(mac_file(k.rows));
    load_mac();
    ASSERT_EQ(image_xres, 576) << k.what;
    ASSERT_EQ(image_yres, 720) << k.what;
    EXPECT_EQ(top_row((int)k.top.size()), k.top) << k.what;
  }
}

TEST(MacPaint, RowsFollowEachOtherAndTheLastRowEndsTheDecoding) {
  headless_viewer();
  // One run of 128 bytes (more than a row of 72) fills row 0 and the first 56 bytes of row 1.
  Bytes rows = {129, 255};
  put_file_buffer(mac_file(rows));
  load_mac();
  EXPECT_EQ(img_content[4 * (576 + 447)], 0.0f);  // row 1, pixel 447: black
  EXPECT_EQ(img_content[4 * (576 + 448)], 0.5f);  // pixel 448 onwards: not given
  // 720 rows of 72 black bytes, then more data that is never read.
  Bytes full;
  for (int r = 0; r < 720; r++) full.insert(full.end(), {256 - 71, 255});
  full.insert(full.end(), {0, 0, 0, 0});
  put_file_buffer(mac_file(full));
  set_status("Ready");
  load_mac();
  EXPECT_EQ(img_content[4 * (576 * 720 - 1)], 0.0f);
  EXPECT_EQ(status_text(), "");
}

TEST(MacPaint, AFileOfOnlyItsHeaderIsGrey) {
  headless_viewer();
  put_file_buffer(Bytes(512, 0));
  load_mac();
  ASSERT_EQ(image_xres, 576);
  Rgba got = loaded_rgba();
  for (size_t i = 0; i < got.px.size(); i += 4) ASSERT_EQ(got.px[i], 128) << i / 4;
  EXPECT_EQ(status_text(), DAMAGED_TEXT);
}

TEST(MacPaint, EveryTruncationIsHandled) {
  headless_viewer();
  Bytes whole = read_file(dir() + "/small.mac");
  ASSERT_GT(whole.size(), 512u);
  put_file_buffer(whole);
  load_mac();
  Rgba full = loaded_rgba();
  for (size_t n = 0; n < whole.size(); n += 13) {
    put_file_buffer(Bytes(whole.begin(), whole.begin() + n));
    load_mac();
    ASSERT_TRUE(loaded_image_valid()) << n;
    Rgba got = loaded_rgba();
    for (size_t i = 0; i < got.px.size(); i += 4)
      ASSERT_TRUE(got.px[i] == full.px[i] || got.px[i] == 128) << "cut at " << n << " pixel " << i / 4;
  }
}

TEST(MacPaint, OpensThroughTheFileOpener) {
  headless_viewer();
  std::string path = dir() + "/small.mac";
  open_as_user(path);
  EXPECT_TRUE(is_content_image());
  EXPECT_EQ(contentview, 1);
  EXPECT_EQ(compare_loaded(netpbm_rgba("macptopbm", path), 0), "");
}
