// X pixmap reader against netpbm's ppmtoxpm and ImageMagick's files, Debian's pixmaps and the SDL
// image tests' sample, decoded by xpmtoppm and ImageMagick.
#include <gtest/gtest.h>

#include "app/window.h"
#include "formats/reader.h"
#include "formats/xpm.h"
#include "script_fixtures.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

std::string dir() {
  static const std::string d = script_fixtures("xpm", "xpm_fixtures.sh");
  return d;
}

int load(const std::string& text) {
  put_file_buffer(text);
  start_stdout_capture();
  int r = load_xpm();
  stop_stdout_capture();
  return r;
}

std::string text_of(const std::string& path) {
  Bytes b = read_file(path);
  return std::string(b.begin(), b.end());
}

// xpmtoppm's picture with its transparency mask as alpha.
Rgba xpmtoppm_rgba(const std::string& path) {
  Rgba pic = netpbm_rgba("xpmtoppm", path);
  std::string mask = path + ".alpha.pgm";
  if (pic.w == 0 || sh("xpmtoppm --alphaout='" + mask + "' '" + path + "' >/dev/null 2>&1") != 0) return Rgba();
  Rgba a = pnm_rgba(read_file(mask));
  if (a.w != pic.w || a.h != pic.h) return Rgba();
  for (size_t i = 0; i < pic.px.size(); i += 4) pic.px[i + 3] = a.px[i];
  return pic;
}

}  // namespace

TEST(Xpm, MatchesNetpbmAndImageMagick) {
  headless_viewer();
  enum { BOTH, NETPBM, IMAGEMAGICK };
  struct Case {
    const char* file;
    int refs;
  } cases[] = {
      {"hex.xpm", BOTH},
      {"hex12.xpm", BOTH},
      {"cpp2.xpm", BOTH},
      {"cpp3.xpm", BOTH},
      {"alpha.xpm", BOTH},
      // xpmtoppm wants "static char", ImageMagick writes "static const char".
      {"im_named.xpm", IMAGEMAGICK},
      {"im_alpha.xpm", IMAGEMAGICK},
  };
  for (const Case& k : cases) {
    std::string path = dir() + "/" + k.file;
    EXPECT_EQ(load(text_of(path)), 0) << k.file;
    // Channels are byte / 256: at most one level below the references.
    if (k.refs != IMAGEMAGICK) EXPECT_EQ(compare_loaded(xpmtoppm_rgba(path), 1), "") << k.file << " against xpmtoppm";
    if (k.refs != NETPBM) EXPECT_EQ(compare_loaded(imagemagick_rgba(path), 1), "") << k.file << " against ImageMagick";
  }
}

TEST(Xpm, ColourNamesOfNetpbmsWriter) {
  headless_viewer();
  // ppmtoxpm names the colours it finds in its dictionary ("Blue", "AlizarinCrimson", "Magenta")
  // in an array called "o2". The picture is the one it was made from. (xpmtoppm itself reads
  // "Magenta" as an earlier entry of its dictionary, 255 0 211; X11 and ImageMagick give
  // 255 0 255.)
  std::string path = dir() + "/o2_named.xpm";
  ASSERT_EQ(load(text_of(path)), 0);
  EXPECT_EQ(compare_loaded(pnm_rgba(read_file(dir() + "/o2.ppm")), 1), "");
}

TEST(Xpm, PackagedPixmaps) {
  headless_viewer();
  for (const char* p : {"/usr/libexec/installed-tests/SDL2_image/sample.xpm", "/usr/share/pixmaps/python3.11.xpm",
                        "/usr/share/pixmaps/pstree16.xpm", "/usr/share/pixmaps/display-im6.q16.xpm"}) {
    std::string f = copy_of(p);
    if (f.empty()) {
      ADD_FAILURE() << p << " is missing";
      continue;
    }
    EXPECT_EQ(load(text_of(f)), 0) << p;
    EXPECT_EQ(compare_loaded(imagemagick_rgba(f), 1), "") << p;
  }
}

TEST(Xpm, ColoursAndKeys) {
  headless_viewer();
  const std::string head = "/* XPM */\nstatic char *a1[] = {\n";
  struct Case {
    const char* what;
    std::string body;
    Px first, second;
  } cases[] = {
      {"hex and None", "\"2 1 2 1\",\"a c #FF0000\",\"b c None\",\"ab\"};", {254, 0, 0, 255}, {0, 0, 0, 0}},
      {"names in any case", "\"2 1 2 1\",\"a c Blue\",\"b c none\",\"ab\"};", {0, 0, 254, 255}, {0, 0, 0, 0}},
      {"a name with spaces",
       "\"2 1 2 1\",\"a c light blue\",\"b c LightBlue\",\"ab\"};",
       {172, 215, 229, 255},
       {172, 215, 229, 255}},
      {"a name of netpbm's", "\"1 1 1 1\",\"a c AlizarinCrimson\",\"a\"};", {226, 38, 54, 255}, {226, 38, 54, 255}},
      {"the colour context before mono",
       "\"2 1 2 1\",\"a m black c #00FF00\",\"b s sym m white\",\"ab\"};",
       {0, 254, 0, 255},
       {254, 254, 254, 255}},
      {"two characters a pixel",
       "\"2 1 2 2\",\"aa c #0000FF\",\"ab c #00FF00\",\"abaa\"};",
       {0, 254, 0, 255},
       {0, 0, 254, 255}},
      {"a key missing from the table", "\"2 1 1 1\",\"a c #FFFFFF\",\"az\"};", {254, 254, 254, 255}, {0, 0, 0, 255}},
      {"the first of two equal keys",
       "\"1 1 2 1\",\"a c #FF0000\",\"a c #00FF00\",\"a\"};",
       {254, 0, 0, 255},
       {254, 0, 0, 255}},
      {"three and twelve hex digits",
       "\"2 1 2 1\",\"a c #F00\",\"b c #12345678ABCD\",\"ab\"};",
       {254, 0, 0, 255},
       {18, 86, 170, 255}},
      {"an unknown name", "\"1 1 1 1\",\"a c no such colour\",\"a\"};", {0, 0, 0, 255}, {0, 0, 0, 255}},
  };
  for (const Case& k : cases) {
    ASSERT_EQ(load(head + k.body), 0) << k.what;
    EXPECT_EQ(loaded_px(0, 0), k.first) << k.what;
    EXPECT_EQ(loaded_px(image_xres - 1, 0), k.second) << k.what;
  }
  // Rows that end early keep the fill.
  set_status("Ready");
  ASSERT_EQ(load(head + "\"2 2 1 1\",\"a c #000000\",\"a\"};"), 0);
  EXPECT_EQ(loaded_px(1, 0), (Px{128, 128, 128, 128}));
  EXPECT_EQ(loaded_px(0, 1), (Px{128, 128, 128, 128}));
  EXPECT_EQ(status_text(), DAMAGED_TEXT);
}

TEST(Xpm, RefusesWithResultOne) {
  headless_viewer();
  const std::string head = "static char *x[] = {\n";
  struct Case {
    const char* what;
    std::string file;
    const char* why;
  } cases[] = {
      {"no strings", "just text 12 12", "not an XPM file"},
      {"empty", "", "not an XPM file"},
      {"three values", head + "\"4 4 2\"", "not an XPM file"},
      {"width 1001", head + "\"1001 1 1 1\",\"a c #000000\"", "XPM size not supported: 1001 x 1"},
      {"height 0", head + "\"4 0 1 1\"", "XPM size not supported: 4 x 0"},
      {"10001 colours", head + "\"4 4 10001 2\"", "XPM colours not supported: 10001 colours, 2 characters a pixel"},
      {"9 characters a pixel", head + "\"4 4 1 9\"", "XPM colours not supported: 1 colours, 9 characters a pixel"},
      {"a colour table cut short", head + "\"4 4 3 1\",\"a c #000000\"", "damaged XPM colour table"},
      {"a # value that is not hex", head + "\"1 1 1 1\",\"a c #GG0000\",\"a\"", "damaged XPM colour table"},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(load(k.file), 1) << k.what;
    EXPECT_STREQ(reader_refusal, k.why) << k.what;
  }
  ASSERT_EQ(load(head + "\"1000 1 1 1\",\"a c #000000\",\"a\""), 0);
  EXPECT_EQ(image_xres, 1000);
}

TEST(Xpm, EveryTruncationIsHandled) {
  headless_viewer();
  std::string whole = text_of(dir() + "/small.xpm");
  ASSERT_FALSE(whole.empty());
  for (size_t n = 0; n < whole.size(); n++) {
    int r = load(whole.substr(0, n));
    ASSERT_TRUE(r == 0 || r == 1) << n;
    if (r == 0) ASSERT_TRUE(loaded_image_valid()) << n;
  }
}

TEST(Xpm, OpensThroughTheFileOpener) {
  headless_viewer();
  std::string path = dir() + "/cpp2.xpm";
  open_as_user(path);
  EXPECT_TRUE(is_content_image());
  EXPECT_EQ(contentview, 1);
  EXPECT_EQ(compare_loaded(imagemagick_rgba(path), 1), "");
}
