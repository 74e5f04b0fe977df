// PBM and PPM readers against netpbm's and ImageMagick's files and their plain renderings.
#include <gtest/gtest.h>

#include <FL/Fl_Text_Buffer.H>

#include <cstdlib>
#include <cstring>
#include <sstream>

#include "app/window.h"
#include "formats/netpbm.h"
#include "formats/reader.h"
#include "script_fixtures.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "view/canvas.h"

namespace {

std::string dir() {
  static const std::string d = script_fixtures("netpbm", "netpbm_fixtures.sh");
  return d;
}

// A plain Netpbm file as netpbm wrote it: the reference samples.
struct Plain {
  int w = 0, h = 0, maxval = 1;
  std::vector<int> v;
};

Plain read_plain(const std::string& path) {
  Bytes b = read_file(path);
  std::string text(b.begin(), b.end());
  std::istringstream in(text);
  std::string magic, tok;
  Plain p;
  in >> magic >> p.w >> p.h;
  if (magic == "P3") in >> p.maxval;
  while (in >> tok)
    if (magic == "P1")
      for (char ch : tok) p.v.push_back(ch - '0');
    else
      p.v.push_back(atoi(tok.c_str()));
  return p;
}

bool is_error_canvas() {
  return contentview == 1 && image_xres >= 800 && img_content && img_content[0] == 0.3f &&
         img_content[2] == 0.4f;
}

int load(const std::string& name) {
  put_file_buffer(read_file(dir() + "/" + name));
  return load_ppm();
}

// Every channel of the loaded image equals sample / divisor.
::testing::AssertionResult pixels_are(const Plain& ref, float divisor) {
  if (image_xres != ref.w || image_yres != ref.h)
    return ::testing::AssertionFailure() << "size " << image_xres << " x " << image_yres;
  if ((int)ref.v.size() != ref.w * ref.h * 3)
    return ::testing::AssertionFailure() << "bad reference";
  for (int i = 0; i < ref.w * ref.h; i++) {
    for (int k = 0; k < 3; k++) {
      float want = (float)ref.v[3 * i + k] / divisor;
      if (std::abs(img_content[4 * i + k] - want) > 1e-6f)
        return ::testing::AssertionFailure() << "pixel " << i << " channel " << k << ": "
                                             << img_content[4 * i + k] << ", want " << want;
    }
    if (img_content[4 * i + 3] != 1.0f)
      return ::testing::AssertionFailure() << "alpha of pixel " << i;
  }
  return ::testing::AssertionSuccess();
}

}  // namespace

TEST(Ppm, MatchesNetpbmOnEveryFormAndDepth) {
  headless_viewer();
  struct Case {
    const char* file;
    const char* reference;
    float divisor;  // 0: the reference's maxval
  } cases[] = {
      {"raw255.ppm", "raw255.plain", 256},  // binary samples of maxval 255 are byte / 256
      {"plain255.ppm", "raw255.plain", 0},     {"raw15.ppm", "raw15.plain", 0},
      {"plain15.ppm", "raw15.plain", 0},       {"raw65535.ppm", "raw65535.plain", 0},
      {"raw1000.ppm", "raw1000.plain", 0},     {"comment.ppm", "raw255.plain", 256},
      {"commentplain.ppm", "raw255.plain", 0}, {"oneline.ppm", "raw255.plain", 256},
      {"crlf.ppm", "raw255.plain", 256},       {"big.ppm", "big.ppm.plain", 256},
      {"bigplain.ppm", "big.ppm.plain", 0},
  };
  sh("pnmtoplainpnm '" + dir() + "/big.ppm' > '" + dir() + "/big.ppm.plain'");
  for (const Case& k : cases) {
    set_status("Ready");
    Plain ref = read_plain(dir() + "/" + k.reference);
    ASSERT_GT(ref.w, 0) << k.reference;
    EXPECT_EQ(load(k.file), 0) << k.file;
    EXPECT_TRUE(pixels_are(ref, k.divisor ? k.divisor : (float)ref.maxval)) << k.file;
    EXPECT_EQ(status_text(), "") << k.file;
  }
}

TEST(Ppm, RealFilesMatchPillow) {
  headless_viewer();
  const char* files[] = {"/usr/lib/python3.11/test/imghdrdata/python.ppm",
                         "/usr/libexec/installed-tests/SDL2_image/sample.pnm"};
  for (const char* f : files) {
    Bytes b = read_file(f);
    if (b.empty()) {
      ADD_FAILURE() << f << " is missing (packages libpython3.11-testsuite, libsdl2-image-tests)";
      continue;
    }
    put_file_buffer(b);
    EXPECT_EQ(load_ppm(), 0) << f;
    // byte / 256 against Pillow's bytes: at most one level apart.
    EXPECT_EQ(compare_loaded(pillow_rgba(f), 1), "") << f;
  }
}

TEST(Ppm, RefusesWhatItCannotShow) {
  headless_viewer();
  struct Case {
    const char* what;
    std::string file;
    const char* printed;
  } cases[] = {
      {"no P", "Q6\n1 1\n255\n\1\2\3", "expected P\n"},
      {"a greymap", "P5\n1 1\n255\n\1", "not supported\n"},
      {"maxval 0 (would divide by zero)", "P3\n1 1\n0\n0 0 0\n", "PPM maxval not supported: 0\n"},
      {"maxval above 16 bits", "P3\n1 1\n70000\n1 2 3\n", "PPM maxval not supported: 70000\n"},
      {"width past 25000", "P6\n25001 1\n255\n", "PPM size not supported: 25001 x 1\n"},
      {"zero height", "P6\n4 0\n255\n", "PPM size not supported: 4 x 0\n"},
      {"above the pixel cap", "P6\n20000 20000\n255\n", "PPM size not supported: 20000 x 20000\n"},
      {"a height that overflows", "P6\n4 99999999999999999999999\n255\n", "damaged PPM header\n"},
      {"header cut short", "P6\n4 4", "damaged PPM header\n"},
      {"no white space after maxval", "P6\n1 1\n255", "damaged PPM header\n"},
      {"letters for the width", "P6\nab 4\n255\n", "damaged PPM header\n"},
      {"empty", "", "expected P\n"},
  };
  for (const Case& k : cases) {
    put_file_buffer(k.file);
    start_stdout_capture();
    int r = load_ppm();
    std::string out = stop_stdout_capture();
    EXPECT_EQ(r, 1) << k.what;
    EXPECT_EQ(out, k.printed) << k.what;
    EXPECT_TRUE(is_error_canvas()) << k.what;
  }
  put_file_buffer(std::string("P6\n25000 1\n255\n") + std::string(75000, '\x80'));
  EXPECT_EQ(load_ppm(), 0);
  EXPECT_EQ(image_xres, 25000);
}

TEST(Ppm, ARawFileCutShortRepeatsTheColourBeingRead) {
  headless_viewer();
  // Three pixels given in full, then the red of a fourth: its green and blue come from the third
  // pixel, and every later pixel repeats that colour.
  put_file_buffer(std::string("P6\n3 2\n255\n") +
                  std::string("\x10\x20\x30\x40\x50\x60\x70\x80\x90\xA0", 10));
  ASSERT_EQ(load_ppm(), 0);
  float want[6][3] = {{16, 32, 48},    {64, 80, 96},    {112, 128, 144},
                      {160, 128, 144}, {160, 128, 144}, {160, 128, 144}};
  for (int i = 0; i < 6; i++)
    for (int k = 0; k < 3; k++)
      EXPECT_FLOAT_EQ(img_content[4 * i + k], want[i][k] / 256) << i << " " << k;
  EXPECT_EQ(status_text(), DAMAGED_TEXT);
}

TEST(Ppm, APlainFileCutShortKeepsTheGreyFill) {
  headless_viewer();
  put_file_buffer(std::string("P3\n2 2\n15\n15 0 0  0 15"));
  ASSERT_EQ(load_ppm(), 0);
  EXPECT_FLOAT_EQ(img_content[0], 1.0f);
  for (int i = 1; i < 4; i++) EXPECT_FLOAT_EQ(img_content[4 * i], 0.5f) << i;
  EXPECT_EQ(status_text(), DAMAGED_TEXT);
}

TEST(Pbm, MatchesNetpbmRawPlainAndCommented) {
  headless_viewer();
  Plain ref = read_plain(dir() + "/raw.pbm.plain");
  ASSERT_EQ(ref.w, 13);
  for (const char* f : {"raw.pbm", "plain.pbm", "commentplain.pbm"}) {
    put_file_buffer(read_file(dir() + "/" + f));
    set_status("Ready");
    EXPECT_EQ(load_pbm(), 0);
    ASSERT_EQ(image_xres, ref.w) << f;
    ASSERT_EQ(image_yres, ref.h) << f;
    for (int i = 0; i < ref.w * ref.h; i++) {
      float want = ref.v[i] ? 0.0f : 1.0f;  // 1 is black
      ASSERT_EQ(img_content[4 * i], want) << f << " pixel " << i;
      ASSERT_EQ(img_content[4 * i + 2], want) << f << " pixel " << i;
    }
    EXPECT_EQ(status_text(), "") << f;
  }
  put_file_buffer(read_file(dir() + "/white.pbm"));
  load_pbm();
  EXPECT_EQ(loaded_rgba().px, Bytes(9 * 3 * 4, 255));
}

TEST(Pbm, PythonsBitmapMatchesPillow) {
  headless_viewer();
  const char* f = "/usr/lib/python3.11/test/imghdrdata/python.pbm";
  put_file_buffer(read_file(f));
  load_pbm();
  EXPECT_EQ(compare_loaded(pillow_rgba(f), 0), "");
}

TEST(Pbm, TheFiveLineExample) {
  headless_viewer();
  put_file_buffer(std::string("P1\n# a bitmap\n3 2\n1 0 1\n0 1 0\n"));
  start_stdout_capture();
  load_pbm();
  EXPECT_EQ(stop_stdout_capture(), "3\n");  // the width's first digit
  Rgba got = loaded_rgba();
  ASSERT_EQ(got.w, 3);
  ASSERT_EQ(got.h, 2);
  int black[6] = {1, 0, 1, 0, 1, 0};
  for (int i = 0; i < 6; i++) EXPECT_EQ(got.px[4 * i], black[i] ? 0 : 255) << i;
}

TEST(Pbm, RefusesInSilenceOverTheErrorCanvas) {
  headless_viewer();
  struct Case {
    const char* what;
    std::string file;
    const char* status;
  } cases[] = {
      {"a pixmap", "P3\n1 1\n1\n1 1 1\n", "not a PBM file"},
      {"cut in the header", "P1\n3", "damaged PBM header"},
      {"a height that overflows", "P1\n3 77777777777777777777\n", "damaged PBM header"},
      {"raw without its separator", "P4\n8 1", "damaged PBM header"},
      {"too wide", "P4\n70000 1\n", "PBM size not supported: 70000 x 1"},
      {"empty", "", "not a PBM file"},
  };
  for (const Case& k : cases) {
    put_file_buffer(k.file);
    start_stdout_capture();
    load_pbm();
    stop_stdout_capture();
    EXPECT_TRUE(is_error_canvas()) << k.what;
    EXPECT_EQ(status_text(), k.status) << k.what;
  }
}

TEST(Pbm, TruncatedDataKeepsTheGreyFill) {
  headless_viewer();
  put_file_buffer(std::string("P4\n16 2\n\xFF\x00\x0F", 11));
  load_pbm();
  Rgba got = loaded_rgba();
  ASSERT_EQ(got.w, 16);
  EXPECT_EQ(got.at(0, 0)[0], 0);
  EXPECT_EQ(got.at(8, 0)[0], 255);
  EXPECT_EQ(got.at(4, 1)[0], 0);
  EXPECT_EQ(got.at(15, 1)[0], 128);  // no byte for it: grey
  EXPECT_EQ(status_text(), DAMAGED_TEXT);
}

TEST(Netpbm, EveryTruncationOfASmallFileIsHandled) {
  headless_viewer();
  for (const char* f :
       {"raw255.ppm", "plain15.ppm", "raw65535.ppm", "raw.pbm", "commentplain.pbm"}) {
    Bytes whole = read_file(dir() + "/" + f);
    bool pbm = strstr(f, ".pbm") != nullptr;
    start_stdout_capture();
    for (size_t n = 0; n < whole.size(); n++) {
      put_file_buffer(Bytes(whole.begin(), whole.begin() + n));
      int r = pbm ? load_pbm() : load_ppm();
      ASSERT_TRUE(r == 0 || r == 1) << f << " cut at " << n;
      ASSERT_TRUE(loaded_image_valid()) << f << " cut at " << n;
    }
    stop_stdout_capture();
  }
}
