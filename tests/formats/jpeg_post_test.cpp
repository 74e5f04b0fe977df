// The JPEG post-processing: smoothing strength by compression ratio, the smoothing against a
// plain double-precision reference, and results that do not depend on how the work is split.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

#include "formats/jpeg_post.h"
#include "jpeg_fixtures.h"
#include "platform/bands.h"
#include "support/headless.h"
#include "view/canvas.h"

namespace {

TEST(JpegPost, StrengthFollowsTheCompressionRatio) {
  struct Case {
    int64_t samples, bytes;
    double k0, centre, m0;
  } cases[] = {
      {299, 100, 180, 266.14285, 1.0 / 256},  // G 2.99; 0.3 G below 1
      {300, 100, 110, 166.14285, 1.0 / 256},
      {499, 100, 110, 166.14285, 1.497 / 256},
      {500, 100, 60, 94.71429, 1.5 / 256},
      {799, 100, 60, 94.71429, 2.397 / 256},
      {800, 100, 30, 51.85714, 2.4 / 256},
      {1199, 100, 30, 51.85714, 3.597 / 256},
      {1200, 100, 25, 44.71429, 3.6 / 256},
      {1599, 100, 25, 44.71429, 4.797 / 256},
      {1600, 100, 20, 37.57143, 4.8 / 256},
      {3000000, 100000, 20, 37.57143, 9.0 / 256},  // 1000 x 1000, three components, 100,000 bytes
      {3199, 100, 20, 37.57143, 9.597 / 256},
      {3200, 100, 15, 30.42857, 9.6 / 256},
      {7999, 100, 15, 30.42857, 10.0 / 256},  // 0.3 G above 10
      {8000, 100, 10, 23.28572, 10.0 / 256},
      {3LL * 60000 * 60000, 1000, 10, 23.28572, 10.0 / 256},  // more samples than an int holds
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.samples);
    jpeg_smoothing_params(c.samples, c.bytes);
    EXPECT_EQ(k0, c.k0);
    EXPECT_EQ(bartlett5[12], (float)(c.k0 / (double)0.7f + 9));
    EXPECT_NEAR(bartlett5[12], c.centre, 1e-4);
    EXPECT_NEAR(m0, c.m0, 1e-12);
  }
  const float outer[25] = {1, 2, 3, 2, 1, 2, 4, 6, 4, 2, 3, 6, 0, 6, 3, 2, 4, 6, 4, 2, 1, 2, 3, 2, 1};
  for (int i = 0; i < 25; i++)
    if (i != 12) EXPECT_EQ(bartlett5[i], outer[i]);
}

// The smoothing written out plainly: squares by the conversion, a 25-weight mean of the
// weights inside the picture, kept within m0 of the pixel's own square, square root.
std::vector<double> squares(const std::vector<float>& img, int w, int h, int slots) {
  std::vector<double> sq(3 * (size_t)w * h);
  for (int64_t i = 0; i < (int64_t)w * h; i++) {
    float y = img[4 * i], cb = img[4 * i + 1], cr = img[4 * i + 2];
    float rgb[3] = {y, cb, cr};
    if (slots == SLOTS_YCBCR) {
      rgb[0] = y - 0.0000368213f * cb + 1.40199f * cr;
      rgb[1] = 1.00003f * y - 0.344125f * cb - 0.714128f * cr;
      rgb[2] = 0.999823f * y + 1.77204f * cb - 0.00000804142f * cr;
    }
    for (int c = 0; c < 3; c++) sq[3 * i + c] = rgb[c] < 0 ? 0 : rgb[c] > 1 ? 1 : (double)rgb[c] * rgb[c];
  }
  return sq;
}

std::vector<double> reference(const std::vector<float>& img, int w, int h, int slots) {
  std::vector<double> sq = squares(img, w, h, slots), out(4 * (size_t)w * h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
      for (int c = 0; c < 3; c++) {
        double s = 0, ws = 0;
        for (int dy = -2; dy <= 2; dy++)
          for (int dx = -2; dx <= 2; dx++) {
            if (y + dy < 0 || y + dy >= h || x + dx < 0 || x + dx >= w) continue;
            double wt = bartlett5[(dy + 2) * 5 + dx + 2];
            s += wt * sq[3 * ((int64_t)(y + dy) * w + x + dx) + c];
            ws += wt;
          }
        double v = sq[3 * ((int64_t)y * w + x) + c], mean = s / ws;
        mean = std::min(std::max(mean, v - m0), v + m0);
        out[4 * ((int64_t)y * w + x) + c] = std::sqrt(mean);
      }
  for (int64_t i = 0; i < (int64_t)w * h; i++) out[4 * i + 3] = 1;
  return out;
}

std::vector<float> random_samples(int w, int h, int slots, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> level(-0.05f, 1.05f), colour(-0.5f, 0.5f);
  std::vector<float> img(4 * (size_t)w * h);
  for (int64_t i = 0; i < (int64_t)w * h; i++) {
    img[4 * i] = level(rng);
    img[4 * i + 1] = slots == SLOTS_RGB ? level(rng) : colour(rng);
    img[4 * i + 2] = slots == SLOTS_RGB ? level(rng) : colour(rng);
    img[4 * i + 3] = -7;  // unset
  }
  return img;
}

std::vector<float> smoothed(std::vector<float> img, int w, int h, int slots, int bands,
                            const std::vector<int>& stops) {
  SmoothJob job;
  EXPECT_TRUE(smooth_begin(job, img.data(), w, h, slots, bands));
  for (int y1 : stops) smooth_rows(job, y1);
  return img;
}

TEST(JpegPost, SmoothingMatchesThePlainReference) {
  const int sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {2, 3}, {3, 2}, {4, 4}, {5, 5}, {7, 13}, {33, 17}, {64, 6}};
  for (int strength : {0, 1})
    for (int slots : {SLOTS_YCBCR, SLOTS_RGB})
      for (auto& s : sizes) {
        int w = s[0], h = s[1];
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " slots " + std::to_string(slots) +
                     " strength " + std::to_string(strength));
        // Weakest (k0 180, m0 1/256) and strongest (k0 10, m0 10/256) smoothing.
        jpeg_smoothing_params(strength ? 100 : 1, 1);
        std::vector<float> in = random_samples(w, h, slots, w * 100 + h);
        std::vector<double> want = reference(in, w, h, slots);
        std::vector<float> got = smoothed(in, w, h, slots, 3, {h});
        for (size_t i = 0; i < got.size(); i++) ASSERT_NEAR(got[i], want[i], 2e-6) << "value " << i;
      }
}

// However the rows are split into steps and bands, and whether the bands run on threads, one
// after another or partly on the caller, the picture is the same to the bit.
TEST(JpegPost, SplitsDoNotChangeABit) {
  jpeg_smoothing_params(20, 1);
  const int w = 37, h = 29;
  std::vector<float> in = random_samples(w, h, SLOTS_YCBCR, 5);
  std::vector<float> one = smoothed(in, w, h, SLOTS_YCBCR, 1, {h});
  std::vector<int> by_row;
  for (int y = 1; y <= h; y++) by_row.push_back(y);
  struct Split {
    const char* name;
    int bands;
    std::vector<int> stops;
    int sequential, failing_starts;
  } splits[] = {
      {"three steps, 8 bands", 8, {h / 3, 2 * h / 3, h}, 0, 0},
      {"row by row, 3 bands", 3, by_row, 0, 0},
      {"empty steps", 5, {0, 0, 1, 1, 2, h}, 0, 0},
      {"more bands than rows", 8, {3, 4, h}, 0, 0},
      {"one after another", 8, {h / 3, h}, 1, 0},
      {"threads that fail to start", 8, {h / 2, h}, 0, 5},
  };
  for (const Split& s : splits) {
    SCOPED_TRACE(s.name);
    is9xline = s.sequential;
    plat_fail_thread_starts = s.failing_starts;
    std::vector<float> got = smoothed(in, w, h, SLOTS_YCBCR, s.bands, s.stops);
    is9xline = 0;
    plat_fail_thread_starts = 0;
    EXPECT_EQ(memcmp(got.data(), one.data(), got.size() * sizeof(float)), 0);
  }
}

TEST(JpegPost, FlatStaysFlatAndABrightDotMovesAtMostM0) {
  jpeg_smoothing_params(100, 1);  // the strongest smoothing
  const int w = 12, h = 10;
  std::vector<float> img(4 * w * h);
  for (int i = 0; i < w * h; i++) img[4 * i] = 0.3f, img[4 * i + 1] = 0.05f, img[4 * i + 2] = -0.02f;
  std::vector<double> flat = reference(img, w, h, SLOTS_YCBCR);
  std::vector<float> got = smoothed(img, w, h, SLOTS_YCBCR, 2, {h});
  for (int i = 0; i < 4 * w * h; i++) ASSERT_NEAR(got[i], got[i % 4], 1e-7) << i;
  for (int c = 0; c < 3; c++) EXPECT_NEAR(got[c], flat[c], 1e-7);
  img[4 * (5 * w + 6)] = 1.0f;
  got = smoothed(img, w, h, SLOTS_YCBCR, 2, {h});
  std::vector<double> before = squares(img, w, h, SLOTS_YCBCR);
  for (int i = 0; i < w * h; i++)
    for (int c = 0; c < 3; c++)
      EXPECT_LE(std::fabs((double)got[4 * i + c] * got[4 * i + c] - before[3 * i + c]), m0 + 1e-6) << i;
  // The dot is bright in red, green and blue alike: it loses exactly m0 in each.
  for (int c = 0; c < 3; c++)
    EXPECT_NEAR((double)got[4 * (5 * w + 6) + c] * got[4 * (5 * w + 6) + c], before[3 * (5 * w + 6) + c] - m0, 1e-6);
}

// The whole reader: the smoothing bands from NUMBER_OF_PROCESSORS (missing, 1, 3, 8, 12, 0, not
// a number), one after another, or with threads that cannot start: the same picture, upright
// and rotated.
TEST(JpegPost, ReaderResultDoesNotDependOnTheWorkers) {
  headless_viewer();
  if (!have_tool("cjpeg") || !have_tool("exiftool") || photo_ppm().empty())
    GTEST_SKIP() << "cjpeg, exiftool or Go's picture missing";
  std::string plain = fixture_dir() + "/workers.jpg", turned = fixture_dir() + "/workers6.jpg";
  ASSERT_EQ(sh("cjpeg -quality 70 " + photo_ppm() + " > " + plain), 0);
  ASSERT_EQ(sh("cp " + plain + " " + turned + " && exiftool -q -overwrite_original -n -Orientation=6 " + turned), 0);
  const char* saved = getenv("NUMBER_OF_PROCESSORS");
  std::string keep = saved ? saved : "";
  for (const std::string& f : {plain, turned}) {
    SCOPED_TRACE(f);
    Bytes data = read_file(f);
    setenv("NUMBER_OF_PROCESSORS", "1", 1);
    ASSERT_EQ(open_jpeg(data), 0);
    std::vector<float> want(img_content, img_content + 4 * 150 * 103);
    struct Run {
      const char* env;
      int sequential, failing;
    } runs[] = {{nullptr, 0, 0}, {"3", 0, 0}, {"8", 0, 0}, {"12", 0, 0}, {"0", 0, 0},
                {"abc", 0, 0},   {"8", 1, 0}, {"8", 0, 3}, {"4", 0, 4}};
    for (const Run& r : runs) {
      SCOPED_TRACE(std::string(r.env ? r.env : "unset") + (r.sequential ? " sequential" : "") +
                   (r.failing ? " failing starts" : ""));
      if (r.env) setenv("NUMBER_OF_PROCESSORS", r.env, 1);
      else unsetenv("NUMBER_OF_PROCESSORS");
      is9xline = r.sequential;
      plat_fail_thread_starts = r.failing;
      for (int i = 0; i < 4 * 150 * 103; i++) img_content[i] = -1;
      EXPECT_EQ(open_jpeg(data), 0);
      is9xline = 0;
      plat_fail_thread_starts = 0;
      EXPECT_EQ(memcmp(img_content, want.data(), want.size() * sizeof(float)), 0);
    }
  }
  if (saved) setenv("NUMBER_OF_PROCESSORS", keep.c_str(), 1);
  else unsetenv("NUMBER_OF_PROCESSORS");
}

}  // namespace
