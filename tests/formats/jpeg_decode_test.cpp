// The JPEG reader's pictures against decoders nobody here wrote: Go's test files with their
// reference PNGs, files made by cjpeg and pnmtojpeg against djpeg, and the library's own samples
// converted without smoothing.
#include <gtest/gtest.h>

#include <cmath>

#include "formats/jpeg_post.h"
#include "jpeg_fixtures.h"
#include "support/headless.h"
#include "view/canvas.h"

namespace {

struct GoCase {
  const char* jpeg;
  const char* png;
};

// Go's own tolerance for these pairs is 8 levels a channel; the smoothing may move a squared
// value by m0 more. On average the pictures must agree within a few levels. (Go's RGB-stored
// and 2x2/1x2/1x2-sampled files are left to the djpeg comparison below: Go upsamples those
// differently from libjpeg, by up to 94 levels.) The "truncated" progressive file ends its
// scans early but properly: it shows what they hold.
TEST(JpegDecode, GoFilesMatchTheirReferencePngs) {
  headless_viewer();
  const GoCase cases[] = {
      {"video-001.jpeg", "video-001.png"},
      {"video-001.progressive.jpeg", "video-001.png"},
      {"video-001.cmyk.jpeg", "video-001.cmyk.png"},
      {"video-005.gray.jpeg", "video-005.gray.png"},
      {"video-001.progressive.truncated.jpeg", "video-001.progressive.truncated.png"},
  };
  for (const GoCase& k : cases) {
    SCOPED_TRACE(k.jpeg);
    std::string jpg = go_testdata(k.jpeg), png = go_testdata(k.png);
    if (jpg.empty() || png.empty()) GTEST_SKIP() << "Go's image test data are not installed";
    Picture ref;
    ASSERT_TRUE(decode_png(png, ref));
    ASSERT_EQ(open_jpeg(read_file(jpg)), 0);
    Agreement a = agree(ref, 8);
    EXPECT_EQ(a.outside, 0) << a.first;
    EXPECT_LT(a.mean, 4.5);
    EXPECT_EQ(status_text(), "");
  }
}

// Go's subsampling variants (4:1:0 to 4:4:4, baseline and progressive, grey 2x2) and files that
// cjpeg and pnmtojpeg write with restart intervals, RGB storage, grey, arithmetic coding...,
// against djpeg's float decode of the same file: the two differ by the colour conversion's
// rounding and what the smoothing may move.
TEST(JpegDecode, EncoderVariantsMatchDjpeg) {
  headless_viewer();
  if (!have_tool("cjpeg") || !have_tool("djpeg") || photo_ppm().empty())
    GTEST_SKIP() << "cjpeg, djpeg or Go's test picture missing";
  std::vector<std::pair<std::string, std::string>> files;  // name, path
  for (const char* s : {"410", "411", "420", "422", "440", "444"})
    for (const char* p : {"", ".progressive"}) {
      std::string name = std::string("video-001.q50.") + s + p + ".jpeg";
      files.push_back({name, go_testdata(name.c_str())});
    }
  files.push_back({"gray 2x2", go_testdata("video-005.gray.q50.2x2.jpeg")});
  files.push_back({"Go RGB", go_testdata("video-001.rgb.jpeg")});
  files.push_back({"Go 221212", go_testdata("video-001.221212.jpeg")});
  files.push_back({"separate dc", go_testdata("video-001.separate.dc.progression.progressive.jpeg")});
  const char* encoders[][2] = {
      {"4:2:0 q90", "cjpeg -quality 90"},
      {"4:4:4", "cjpeg -quality 85 -sample 1x1"},
      {"4:2:2", "cjpeg -quality 85 -sample 2x1"},
      {"restart every row", "cjpeg -quality 75 -restart 1"},
      {"restart every 3 blocks", "cjpeg -quality 75 -restart 3B"},
      {"stored as RGB", "cjpeg -quality 90 -rgb"},
      {"grey", "cjpeg -quality 80 -grayscale"},
      {"progressive", "cjpeg -quality 80 -progressive"},
      {"arithmetic", "cjpeg -quality 80 -arithmetic"},
      {"low quality", "cjpeg -quality 10"},
      {"pnmtojpeg restart", "pnmtojpeg --quality=70 --restart=2"},
  };
  for (auto& e : encoders) {
    std::string out = fixture_dir() + "/variant" + std::to_string(files.size()) + ".jpg";
    if (sh(std::string(e[1]) + " " + photo_ppm() + " > " + out + " 2>/dev/null") == 0) files.push_back({e[0], out});
    else ADD_FAILURE() << "could not run " << e[1];
  }
  for (auto& f : files) {
    SCOPED_TRACE(f.first);
    if (f.second.empty()) continue;
    Picture ref;
    ASSERT_TRUE(decode_djpeg(f.second, ref));
    ASSERT_EQ(open_jpeg(read_file(f.second)), 0);
    Agreement a = agree(ref, 1.5);
    EXPECT_EQ(a.outside, 0) << a.first;
    EXPECT_LT(a.mean, 4.5);
  }
}

// The library's samples through the reader's conversion with no smoothing (PIL decodes them):
// the reader may differ only by what the smoothing moves and two levels of IDCT rounding (PIL
// decodes with the integer IDCT, the reader with the float one), and not at all inside flat
// areas.
TEST(JpegDecode, SmoothingMovesOnlyWhatItMayAndLeavesFlatAreas) {
  headless_viewer();
  if (!have_tool("cjpeg")) GTEST_SKIP() << "cjpeg missing";
  // Four flat quadrants of 32 x 32, coded in whole 8 x 8 blocks, then Go's photo.
  std::string ppm = fixture_dir() + "/quadrants.ppm";
  {
    std::string head = "P6\n64 64\n255\n";
    Bytes b(head.begin(), head.end());
    const unsigned char colour[4][3] = {{200, 60, 40}, {30, 160, 90}, {250, 250, 250}, {90, 90, 200}};
    for (int y = 0; y < 64; y++)
      for (int x = 0; x < 64; x++) {
        const unsigned char* c = colour[(y / 32) * 2 + x / 32];
        b.insert(b.end(), c, c + 3);
      }
    write_file(ppm, b);
  }
  std::string flat = fixture_dir() + "/quadrants.jpg", photo = fixture_dir() + "/photo_q60.jpg";
  ASSERT_EQ(sh("cjpeg -quality 95 -sample 1x1 " + ppm + " > " + flat), 0);
  ASSERT_EQ(sh("cjpeg -quality 60 " + photo_ppm() + " > " + photo), 0);

  for (const std::string& f : {flat, photo}) {
    SCOPED_TRACE(f);
    Picture u;
    ASSERT_TRUE(decode_unsmoothed(f, u));
    ASSERT_EQ(open_jpeg(read_file(f)), 0);
    Agreement a = agree(u, 2.0);
    EXPECT_EQ(a.outside, 0) << a.first;
  }
  // Inside each quadrant, away from its edges by more than the window, nothing moves.
  Picture u;
  ASSERT_TRUE(decode_unsmoothed(flat, u));
  ASSERT_EQ(open_jpeg(read_file(flat)), 0);
  for (int q = 0; q < 4; q++)
    for (int y = 8; y < 24; y++)
      for (int x = 8; x < 24; x++)
        for (int c = 0; c < 3; c++) {
          int px = x + 32 * (q % 2), py = y + 32 * (q / 2);
          ASSERT_NEAR(img_content[4 * (py * 64 + px) + c] * 256, u.at(px, py, c), 1e-4)
              << "quadrant " << q << " at " << px << "," << py;
          ASSERT_EQ(img_content[4 * (py * 64 + px) + 3], 1.0f);
        }
}

// White in the file is 255/256 after the reader's divisor: red exactly, green and blue times the
// conversion's own gains (1.00003 and 0.999823).
TEST(JpegDecode, WhiteIsTwoFiftyFiveOverTwoFiftySix) {
  headless_viewer();
  if (!have_tool("cjpeg")) GTEST_SKIP() << "cjpeg missing";
  std::string ppm = fixture_dir() + "/white.ppm", jpg = fixture_dir() + "/white.jpg";
  std::string head = "P6\n48 40\n255\n";
  Bytes b(head.begin(), head.end());
  b.resize(b.size() + 48 * 40 * 3, 255);
  write_file(ppm, b);
  ASSERT_EQ(sh("cjpeg -quality 90 " + ppm + " > " + jpg), 0);
  ASSERT_EQ(open_jpeg(read_file(jpg)), 0);
  ASSERT_EQ(image_xres, 48);
  ASSERT_EQ(image_yres, 40);
  for (int i = 0; i < 48 * 40; i++) {
    ASSERT_NEAR(img_content[4 * i], 255.0f / 256, 1e-7);
    ASSERT_NEAR(img_content[4 * i + 1], 1.00003f * (255.0f / 256), 1e-7);
    ASSERT_NEAR(img_content[4 * i + 2], 0.999823f * (255.0f / 256), 1e-7);
    ASSERT_EQ(img_content[4 * i + 3], 1.0f);
  }
}

}  // namespace
