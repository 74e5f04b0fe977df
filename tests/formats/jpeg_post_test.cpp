// The JPEG post-processing: smoothing strength by compression ratio, the smoothing against a
// plain double-precision reference, and results that do not depend on how the work is split;
// the 3 x 3 band worker over the loaded image likewise.
#include <gtest/gtest.h>

#include <FL/Fl.H>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
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

// Decoded samples of a file: random bytes of a kind, w x h in the file's frame.
struct Samples {
  std::vector<unsigned char> bytes;
  JpegSamples src;
};

Samples random_samples(int w, int h, int kind, int orientation, unsigned seed) {
  std::mt19937 rng(seed);
  Samples s;
  s.bytes.resize((size_t)sample_bytes(kind) * w * h);
  for (unsigned char& b : s.bytes) b = (unsigned char)rng();
  s.src = JpegSamples{s.bytes.data(), w, h, kind, orientation, h};
  return s;
}

// The picture written out plainly: the file pixel each upright pixel shows, its slots and
// squares by the conversion, a 25-weight mean of the weights inside the picture, kept within m0
// of the pixel's own square, square root.
void file_pixel(const JpegSamples& s, int x, int y, int* i, int* j) {
  const int W = s.w, H = s.h;
  switch (s.orientation) {
    default: *i = x, *j = y; break;
    case 2: *i = W - 1 - x, *j = y; break;
    case 3: *i = W - 1 - x, *j = H - 1 - y; break;
    case 4: *i = x, *j = H - 1 - y; break;
    case 5: *i = y, *j = x; break;
    case 6: *i = y, *j = H - 1 - x; break;
    case 7: *i = W - 1 - y, *j = H - 1 - x; break;
    case 8: *i = W - 1 - y, *j = x; break;
  }
}

std::vector<double> squares(const JpegSamples& s, int w, int h) {
  std::vector<double> sq(3 * (size_t)w * h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      int i, j;
      file_pixel(s, x, y, &i, &j);
      const unsigned char* p = s.bytes + ((size_t)j * s.w + i) * sample_bytes(s.kind);
      float a = p[0] / 256.0f, b = 0, c = 0;
      if (s.kind == SAMPLES_YCBCR) b = (p[1] - 128) / 256.0f, c = (p[2] - 128) / 256.0f;
      if (s.kind == SAMPLES_RGB) b = p[1] / 256.0f, c = p[2] / 256.0f;
      if (s.kind == SAMPLES_CMYK) {
        double k = p[3] / 256.0, r = p[0] / 256.0 * k, g = p[1] / 256.0 * k, bl = p[2] / 256.0 * k;
        a = (float)(0.299 * r + 0.587 * g + 0.114 * bl);
        b = (float)(-0.1687 * r - 0.3313 * g + 0.5 * bl);
        c = (float)(0.5 * r - 0.4187 * g - 0.0813 * bl);
      }
      float rgb[3] = {a, b, c};
      if (s.kind != SAMPLES_RGB) {
        rgb[0] = a - 0.0000368213f * b + 1.40199f * c;
        rgb[1] = 1.00003f * a - 0.344125f * b - 0.714128f * c;
        rgb[2] = 0.999823f * a + 1.77204f * b - 0.00000804142f * c;
      }
      for (int k = 0; k < 3; k++)
        sq[3 * ((size_t)y * w + x) + k] = rgb[k] < 0 ? 0 : rgb[k] > 1 ? 1 : (double)rgb[k] * rgb[k];
    }
  return sq;
}

std::vector<double> reference(const JpegSamples& s) {
  int w, h;
  upright_size(s.orientation, s.w, s.h, &w, &h);
  std::vector<double> sq = squares(s, w, h), out(4 * (size_t)w * h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
      for (int c = 0; c < 3; c++) {
        double sum = 0, ws = 0;
        for (int dy = -2; dy <= 2; dy++)
          for (int dx = -2; dx <= 2; dx++) {
            if (y + dy < 0 || y + dy >= h || x + dx < 0 || x + dx >= w) continue;
            double wt = bartlett5[(dy + 2) * 5 + dx + 2];
            sum += wt * sq[3 * ((int64_t)(y + dy) * w + x + dx) + c];
            ws += wt;
          }
        double v = sq[3 * ((int64_t)y * w + x) + c], mean = sum / ws;
        mean = std::min(std::max(mean, v - m0), v + m0);
        out[4 * ((int64_t)y * w + x) + c] = std::sqrt(mean);
      }
  for (int64_t i = 0; i < (int64_t)w * h; i++) out[4 * i + 3] = 1;
  return out;
}

// The picture made in pieces of file rows ending at `stops`, on `bands` bands.
std::vector<float> smoothed(const JpegSamples& s, int bands, const std::vector<int>& stops) {
  int w, h;
  upright_size(s.orientation, s.w, s.h, &w, &h);
  std::vector<float> img(4 * (size_t)w * h, -7.0f);
  SmoothJob job;
  EXPECT_TRUE(smooth_begin(job, img.data(), s, bands));
  int from = 0;
  for (int f1 : stops) {
    smooth_rows(job, from, f1);
    from = f1;
  }
  return img;
}

TEST(JpegPost, SmoothingMatchesThePlainReferenceInEveryOrientation) {
  const int sizes[][2] = {{1, 1}, {1, 9}, {9, 1}, {2, 3}, {3, 2}, {4, 4}, {5, 5}, {7, 13}, {33, 17}, {64, 6}};
  // Every orientation of YCbCr files; the other kinds upright and turned.
  std::vector<std::pair<int, int>> kinds;
  for (int orientation = 1; orientation <= 8; orientation++) kinds.push_back({SAMPLES_YCBCR, orientation});
  for (int kind : {SAMPLES_GREY, SAMPLES_RGB, SAMPLES_CMYK})
    for (int orientation : {1, 7}) kinds.push_back({kind, orientation});
  for (int strength : {0, 1})
    for (auto [kind, orientation] : kinds)
        for (auto& sz : sizes) {
          int w = sz[0], h = sz[1];
          SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + " kind " + std::to_string(kind) +
                       " orientation " + std::to_string(orientation) + " strength " + std::to_string(strength));
          // Weakest (k0 180, m0 1/256) and strongest (k0 10, m0 10/256) smoothing.
          jpeg_smoothing_params(strength ? 100 : 1, 1);
          Samples s = random_samples(w, h, kind, orientation, w * 100 + h + kind);
          std::vector<double> want = reference(s.src);
          std::vector<float> got = smoothed(s.src, 3, {h / 3, 2 * h / 3, h});
          for (size_t i = 0; i < got.size(); i++) ASSERT_NEAR(got[i], want[i], 2e-6) << "value " << i;
        }
}

// However the file's rows are split into pieces and the pieces into bands, and whether the bands
// run on threads, one after another or partly on the caller, the picture is the same to the bit.
TEST(JpegPost, SplitsDoNotChangeABit) {
  jpeg_smoothing_params(20, 1);
  const int w = 37, h = 29;
  std::vector<int> by_row;
  for (int y = 1; y <= h; y++) by_row.push_back(y);
  struct Split {
    const char* name;
    int bands;
    std::vector<int> stops;
    int sequential, failing_starts;
  } splits[] = {
      {"three pieces, 8 bands", 8, {h / 3, 2 * h / 3, h}, 0, 0},
      {"row by row, 3 bands", 3, by_row, 0, 0},
      {"empty pieces", 5, {0, 0, 1, 1, 2, h}, 0, 0},
      {"more bands than rows", 8, {3, 4, h}, 0, 0},
      {"one after another", 8, {h / 3, h}, 1, 0},
      {"threads that fail to start", 8, {h / 2, h}, 0, 5},
  };
  for (int orientation = 1; orientation <= 8; orientation++) {
    Samples s = random_samples(w, h, SAMPLES_YCBCR, orientation, 5);
    std::vector<float> one = smoothed(s.src, 1, {h});
    for (const Split& sp : splits) {
      SCOPED_TRACE(std::string(sp.name) + " orientation " + std::to_string(orientation));
      is9xline = sp.sequential;
      plat_fail_thread_starts = sp.failing_starts;
      std::vector<float> got = smoothed(s.src, sp.bands, sp.stops);
      is9xline = 0;
      plat_fail_thread_starts = 0;
      EXPECT_EQ(memcmp(got.data(), one.data(), got.size() * sizeof(float)), 0);
    }
  }
}

TEST(JpegPost, FlatStaysFlatAndABrightDotMovesAtMostM0) {
  jpeg_smoothing_params(100, 1);  // the strongest smoothing
  const int w = 12, h = 10;
  Samples s = random_samples(w, h, SAMPLES_YCBCR, 1, 1);
  for (int i = 0; i < w * h; i++) s.bytes[3 * i] = 77, s.bytes[3 * i + 1] = 141, s.bytes[3 * i + 2] = 123;
  std::vector<double> flat = reference(s.src);
  std::vector<float> got = smoothed(s.src, 2, {h});
  for (int i = 0; i < 4 * w * h; i++) ASSERT_NEAR(got[i], got[i % 4], 1e-7) << i;
  for (int c = 0; c < 3; c++) EXPECT_NEAR(got[c], flat[c], 1e-7);
  s.bytes[3 * (5 * w + 6)] = 255, s.bytes[3 * (5 * w + 6) + 1] = 128, s.bytes[3 * (5 * w + 6) + 2] = 128;
  got = smoothed(s.src, 2, {h});
  std::vector<double> before = squares(s.src, w, h);
  for (int i = 0; i < w * h; i++)
    for (int c = 0; c < 3; c++)
      EXPECT_LE(std::fabs((double)got[4 * i + c] * got[4 * i + c] - before[3 * i + c]), m0 + 1e-6) << i;
  // The dot is bright in red, green and blue alike: it loses exactly m0 in each.
  for (int c = 0; c < 3; c++)
    EXPECT_NEAR((double)got[4 * (5 * w + 6) + c] * got[4 * (5 * w + 6) + c], before[3 * (5 * w + 6) + c] - m0, 1e-6);
}

// Rows the decoder did not give show grey: in every kind of file the picture is the one whose
// missing rows hold mid-grey samples (128 in every byte), red and green and blue alike.
TEST(JpegPost, RowsNotDecodedAreGrey) {
  jpeg_smoothing_params(20, 1);
  const int w = 9, h = 12, cut = 5;
  for (int kind : {SAMPLES_GREY, SAMPLES_YCBCR, SAMPLES_RGB})
    for (int orientation : {1, 3, 6}) {
      SCOPED_TRACE("kind " + std::to_string(kind) + " orientation " + std::to_string(orientation));
      Samples s = random_samples(w, h, kind, orientation, 3);
      s.src.rows = cut;
      std::vector<float> got = smoothed(s.src, 2, {h});
      Samples grey = s;
      std::fill(grey.bytes.begin() + (size_t)sample_bytes(kind) * w * cut, grey.bytes.end(), 128);
      grey.src.bytes = grey.bytes.data();
      grey.src.rows = h;
      EXPECT_EQ(got, smoothed(grey.src, 2, {h}));
      int x, y;
      upright_size(orientation, w, h, &x, &y);
      s.src.rows = 0;
      std::vector<float> none = smoothed(s.src, 2, {h});
      for (size_t i = 0; i < none.size(); i += 4) ASSERT_NEAR(none[i], none[i + 2], 0.002) << i;
    }
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

// ---- the 3 x 3 band worker over the loaded image

// A w x h loaded image of seeded values in 0..1 in every slot (slot 3 the squared source).
void random_loaded_image(int w, int h, unsigned seed) {
  ASSERT_EQ(resize_loaded_image(w, h), 0);
  image_xres = w, image_yres = h;
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(0, 1);
  for (int i = 0; i < 4 * w * h; i++) img_content[i] = u(rng);
}

std::vector<float> loaded_pixels() {
  return std::vector<float>(img_content, img_content + 4 * (size_t)image_xres * image_yres);
}

// What slot c of pixel (x, y) becomes, written plainly: the square root of the mean of slot 3 over
// the 3 x 3 window inside the image, weights 1 2 1 / 2 k 2 / 1 2 1, the weights present dividing.
double smoothed3(const std::vector<float>& img, int w, int h, int x, int y, double k) {
  const double wt[3][3] = {{1, 2, 1}, {2, k, 2}, {1, 2, 1}};
  double sum = 0, weights = 0;
  for (int dy = -1; dy <= 1; dy++)
    for (int dx = -1; dx <= 1; dx++) {
      if (x + dx < 0 || x + dx >= w || y + dy < 0 || y + dy >= h) continue;
      sum += wt[dy + 1][dx + 1] * img[4 * ((size_t)(y + dy) * w + x + dx) + 3];
      weights += wt[dy + 1][dx + 1];
    }
  return std::sqrt(sum / weights);
}

int run_band3(int band, int bands) {
  int arg[2] = {band, bands};
  return smooth_comp3(arg);
}

// Rows y0 .. y1-1 of `got` are `before` smoothed into slot c with centre weight k; every other
// value is as it was.
void expect_smoothed_rows(const std::vector<float>& got, const std::vector<float>& before, int w,
                          int h, int y0, int y1, int c, double k) {
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
      for (int s = 0; s < 4; s++) {
        size_t i = 4 * ((size_t)y * w + x) + s;
        if (y >= y0 && y < y1 && s == c)
          ASSERT_NEAR(got[i], smoothed3(before, w, h, x, y, k), 1e-6) << "pixel " << x << "," << y;
        else
          ASSERT_EQ(got[i], before[i]) << "pixel " << x << "," << y << " slot " << s;
      }
}

TEST(SmoothComp3, MatchesThePlainReferenceAndStepsK0) {
  const double after_green = 180 / 1.1;  // not a float: the blue pass's restore rounds it
  struct Case {
    int w, h, component;
    double k0, k;  // k0 on entry, the centre weight the pass uses
    double k0_after;
  } cases[] = {
      {1, 1, 0, 180, 180, 180},
      {1, 6, 1, 180, 180 / 1.1, 180 / 1.1},
      {6, 1, 2, 180, 180 / 1.4, 180},
      {2, 2, 0, 20, 20, 20},
      {3, 5, 1, 10, 10 / 1.1, 10 / 1.1},
      {9, 7, 2, after_green, after_green / 1.4, (float)after_green},
      {16, 3, 0, 15, 15, 15},
      {4, 9, 2, 10, 10 / 1.4, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " component " +
                 std::to_string(c.component) + " k0 " + std::to_string(c.k0));
    random_loaded_image(c.w, c.h, c.w * 31 + c.h);
    std::vector<float> before = loaded_pixels();
    k0 = c.k0;
    do_component = c.component;
    EXPECT_EQ(run_band3(0, 1), 0);
    EXPECT_EQ(k0, c.k0_after);
    expect_smoothed_rows(loaded_pixels(), before, c.w, c.h, 0, c.h, c.component, (float)c.k);
  }
  EXPECT_NE((float)after_green, after_green);
  // One bright source pixel spreads by the weights 1 2 1 / 2 k 2 / 1 2 1; inside the image they
  // add up to k + 12.
  random_loaded_image(5, 5, 1);
  for (int i = 0; i < 25; i++) img_content[4 * i + 3] = i == 12 ? 1.0f : 0.0f;
  k0 = 20;
  do_component = 0;
  run_band3(0, 1);
  EXPECT_FLOAT_EQ(img_content[4 * 12], std::sqrt(20.0f / 32));
  EXPECT_FLOAT_EQ(img_content[4 * 7], std::sqrt(2.0f / 32));
  EXPECT_FLOAT_EQ(img_content[4 * 6], std::sqrt(1.0f / 32));
  EXPECT_EQ(img_content[4 * 0], 0.0f);
}

// Each band writes only its own rows and reads slot 3, which no band writes: however the image is
// cut into bands, and in whatever order they run, the result is the same to the bit. (A green
// band divides k0 again, so each green band starts from the pass's k0.)
TEST(SmoothComp3, BandsSplitAnyWayGiveTheSameResult) {
  const int w = 13, h = 11;
  for (int component = 0; component < 3; component++) {
    random_loaded_image(w, h, 7);
    const std::vector<float> source = loaded_pixels();
    k0 = 30;
    do_component = component;
    run_band3(0, 1);
    const std::vector<float> whole = loaded_pixels();
    for (int bands : {2, 3, 4, 8, 11, 12, 25}) {
      for (bool reversed : {false, true}) {
        SCOPED_TRACE("component " + std::to_string(component) + ", " + std::to_string(bands) +
                     " bands" + (reversed ? ", last first" : ""));
        std::copy(source.begin(), source.end(), img_content);
        k0 = 30;
        for (int i = 0; i < bands; i++) {
          if (component == 1) k0 = 30;
          run_band3(reversed ? bands - 1 - i : i, bands);
        }
        EXPECT_EQ(loaded_pixels(), whole);
        if (component != 1) EXPECT_EQ(k0, 30);
      }
    }
  }
}

// Bands that do not exist, channels that are not red, green or blue, and loaded images that are
// not whole write nothing; a band of an image with fewer rows than bands may have no rows.
TEST(SmoothComp3, WritesNothingItCannotWriteSafely) {
  struct Case {
    const char* what;
    int band, bands, component;
    std::function<void()> spoil;
  } cases[] = {
      {"band past the count", 2, 2, 0, [] {}},
      {"negative band", -1, 2, 0, [] {}},
      {"no bands", 0, 0, 0, [] {}},
      {"channel 3 (the source)", 0, 1, 3, [] {}},
      {"channel -1", 0, 1, -1, [] {}},
      {"no rows", 0, 1, 0, [] { image_yres = 0; }},
      {"no columns", 0, 1, 0, [] { image_xres = 0; }},
      {"more pixels than the block", 0, 1, 0, [] { image_yres = 7; }},
      {"no block", 0, 1, 0, [] { img_allocated = -1; }},
      {"an empty band of a short image", 0, 4, 0, [] { image_yres = 3; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    random_loaded_image(5, 6, 3);
    std::vector<float> before(img_content, img_content + 4 * 30);
    c.spoil();
    k0 = 50;
    do_component = c.component;
    EXPECT_EQ(run_band3(c.band, c.bands), 0);
    EXPECT_EQ(std::vector<float>(img_content, img_content + 4 * 30), before);
    EXPECT_EQ(k0, 50);
    img_allocated = 30;
  }
  EXPECT_EQ(smooth_comp3(nullptr), 0);
}

// Before its middle row a band lets the toolkit in, and what the toolkit's events changed holds
// from that row on: a new k0, another channel, another loaded image.
std::function<void()> at_the_toolkits_turn;
int toolkit_turns = 0;
void toolkit_turn(void*) {
  toolkit_turns++;
  at_the_toolkits_turn();
}

TEST(SmoothComp3, TakesTheImageAndThePassAgainHalfWay) {
  const int w = 5, h = 9;
  auto run = [](int band, int bands, const std::function<void()>& turn) {
    at_the_toolkits_turn = turn;
    toolkit_turns = 0;
    Fl::add_timeout(0.0, toolkit_turn);
    run_band3(band, bands);
    Fl::remove_timeout(toolkit_turn);
    EXPECT_EQ(toolkit_turns, 1);
  };
  // Band 1 of 2 is rows 4 .. 8, its middle row 6.
  random_loaded_image(w, h, 11);
  std::vector<float> before = loaded_pixels();
  k0 = 40;
  do_component = 0;
  run(1, 2, [] { k0 = 90; });
  std::vector<float> got = loaded_pixels();
  std::vector<float> first = before, second = before;
  for (int y = 4; y < 6; y++)
    for (int x = 0; x < w; x++) first[4 * (y * w + x)] = got[4 * (y * w + x)];
  expect_smoothed_rows(first, before, w, h, 4, 6, 0, 40);
  for (int y = 6; y < 9; y++)
    for (int x = 0; x < w; x++) second[4 * (y * w + x)] = got[4 * (y * w + x)];
  expect_smoothed_rows(second, before, w, h, 6, 9, 0, 90);

  // Another channel from the middle row on (band 0 of 1: row 4). The blue pass's k0 is put back
  // all the same: the restore pairs with the division on entry.
  random_loaded_image(w, h, 12);
  before = loaded_pixels();
  k0 = 40;
  do_component = 2;
  run(0, 1, [] { do_component = 0; });
  got = loaded_pixels();
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      size_t i = 4 * ((size_t)y * w + x);
      ASSERT_NEAR(got[i + (y < 4 ? 2 : 0)], smoothed3(before, w, h, x, y, (float)(40 / 1.4)), 1e-6) << y;
      ASSERT_EQ(got[i + (y < 4 ? 0 : 2)], before[i + (y < 4 ? 0 : 2)]) << y;
    }
  EXPECT_EQ(k0, 40);

  // Another file opened meanwhile: a smaller image (a new block) has no rows from the middle
  // row on; a taller one gets them smoothed from its own source.
  for (int rows : {2, 4, 12}) {
    SCOPED_TRACE(std::to_string(rows) + " rows opened meanwhile");
    random_loaded_image(w, h, 13);
    std::vector<float> replaced;
    do_component = 1;
    k0 = 33;
    run(0, 1, [&] {
      random_loaded_image(w + 1, rows, 14);
      replaced = loaded_pixels();
    });
    expect_smoothed_rows(loaded_pixels(), replaced, w + 1, rows, 4, h, 1, (float)(33 / 1.1));
  }
  // An image that is gone by then is left alone.
  random_loaded_image(w, h, 15);
  before = loaded_pixels();
  k0 = 25;
  do_component = 0;
  run(0, 1, [] { image_yres = 0; });
  image_yres = h;
  expect_smoothed_rows(loaded_pixels(), before, w, h, 0, 4, 0, 25);
}

}  // namespace
