#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/bands.h"
#include "support/compose_reference.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/colour.h"
#include "view/compose.h"
#include "view/zoom.h"

namespace {

uint32_t rng_state;
float rnd() {
  rng_state = rng_state * 1664525u + 1013904223u;
  return (rng_state >> 8) * (1.0f / 16777216.0f);
}

// A picture with colours a little outside 0..1 (the copy clamps them, the others do not) and
// alphas on both sides of the blending threshold, including fully transparent pixels.
void load_picture(int w, int h, uint32_t seed) {
  ASSERT_EQ(resize_loaded_image(w, h), 0);
  image_xres = w, image_yres = h;
  contentview = 1;
  rng_state = seed;
  static const float alphas[] = {0.0f, 0.3f, 0.5f, 0.989f, 0.99f, 0.995f, 1.0f, 1.0f, 1.0f, 1.1f};
  for (int64_t i = 0; i < (int64_t)w * h; i++) {
    float* p = img_content + 4 * i;
    for (int k = 0; k < 3; k++) p[k] = rnd() * 1.3f - 0.1f;
    p[3] = alphas[(int)(rnd() * 10) % 10];
  }
}

void fill_canvas_sentinel() {
  for (int64_t i = 0; i < 4 * (int64_t)width * height; i++) fimage[i] = -7.0f - (float)(i % 13);
}

// Composes with image2frame and with the reference from the same canvas and reports the first
// pixel that differs in any bit.
::testing::AssertionResult same_as_reference(int step, int sx, int sy, int mode = 0) {
  fill_canvas_sentinel();
  size_t n = 4 * (size_t)width * height;
  std::vector<float> ref(fimage, fimage + n);
  shiftx = sx, shifty = sy, rgb_mode = mode;
  image2frame(step);
  reference_compose(step, sx, sy, img_content, image_xres, image_yres, ref.data(), width, height,
                    mode);
  rgb_mode = 0;
  for (size_t i = 0; i < n; i++) {
    if (memcmp(&ref[i], &fimage[i], sizeof(float)) != 0) {
      size_t p = i / 4;
      return ::testing::AssertionFailure()
             << "step " << step << " pan " << sx << "," << sy << " image " << image_xres << "x"
             << image_yres << " canvas " << width << "x" << height << ": pixel ("
             << p % width << "," << p / width << ") channel " << i % 4 << " is " << fimage[i]
             << ", reference " << ref[i];
    }
  }
  return ::testing::AssertionSuccess();
}

class Compose : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("NUMBER_OF_PROCESSORS");
    is9xline = 0;
  }
  void TearDown() override {
    unsetenv("NUMBER_OF_PROCESSORS");
    is9xline = 0;
    rgb_mode = 0;
    shiftx = shifty = 0;
    headless_viewer();
  }
};

struct size2 {
  int w, h;
};

void every_step_matches(const char* bands, int sequential, bool all_cases = true) {
  if (bands)
    setenv("NUMBER_OF_PROCESSORS", bands, 1);
  else
    unsetenv("NUMBER_OF_PROCESSORS");
  is9xline = sequential;
  const size2 canvases[] = {{40, 30}, {101, 67}};
  const size2 pictures[] = {{1, 1}, {1, 9}, {9, 1}, {7, 5}, {61, 37}, {130, 90}, {300, 7}};
  const int pans[][2] = {{0, 0}, {5, -3}, {-40, 25}, {1000, 0}, {0, -1000}};
  uint32_t seed = 1;
  for (auto& c : canvases) {
    // Starting eight threads per tiny frame is slow; the full table runs on the other paths.
    if (!all_cases && c.w < 100) continue;
    headless_viewer(c.w, c.h);
    for (auto& p : pictures) {
      load_picture(p.w, p.h, seed++);
      for (int step = 0; step < n_zooms; step++)
        for (auto& pan : pans) {
          if (!all_cases && pan[0] == 1000) continue;
          EXPECT_TRUE(same_as_reference(step, pan[0], pan[1]));
        }
    }
  }
}

}  // namespace

TEST_F(Compose, EveryStepMatchesReferenceSequential) { every_step_matches(nullptr, 1); }

TEST_F(Compose, EveryStepMatchesReferenceOnThreeBands) { every_step_matches("3", 0); }

TEST_F(Compose, EveryStepMatchesReferenceOnDefaultBands) { every_step_matches(nullptr, 0, false); }

// The band split must not show in the result: unset, 1, 3 and 16 (eight bands), sequential or
// threaded, also on a canvas with fewer rows than bands.
TEST_F(Compose, BandSplitsGiveIdenticalBits) {
  const size2 canvases[] = {{64, 40}, {30, 5}};
  for (auto& c : canvases) {
    headless_viewer(c.w, c.h);
    load_picture(97, 61, 99);
    for (int step : {0, 16, 20, 29, 31, 33, 45, 62}) {
      std::vector<std::vector<float>> results;
      const char* counts[] = {nullptr, "1", "3", "16", "0", "-4", "many"};
      for (const char* count : counts)
        for (int seq = 0; seq <= 1; seq++) {
          if (count)
            setenv("NUMBER_OF_PROCESSORS", count, 1);
          else
            unsetenv("NUMBER_OF_PROCESSORS");
          is9xline = seq;
          fill_canvas_sentinel();
          shiftx = 3, shifty = -2;
          image2frame(step);
          results.emplace_back(fimage, fimage + 4 * (size_t)width * height);
        }
      for (size_t i = 1; i < results.size(); i++)
        EXPECT_EQ(memcmp(results[0].data(), results[i].data(), results[0].size() * 4), 0)
            << "step " << step << " run " << i;
    }
  }
  setenv("NUMBER_OF_PROCESSORS", "16", 1);
  image2frame(31);
  EXPECT_EQ(n_threads, 8);
  setenv("NUMBER_OF_PROCESSORS", "many", 1);
  image2frame(31);
  EXPECT_EQ(n_threads, 2);
}

// A thread that cannot start has its band run on the caller; the frame is still complete.
TEST_F(Compose, FailedThreadStartStillComposesEveryBand) {
  headless_viewer(50, 40);
  load_picture(80, 60, 5);
  setenv("NUMBER_OF_PROCESSORS", "4", 1);
  plat_fail_thread_starts = 2;
  EXPECT_TRUE(same_as_reference(29, 2, 1));
  EXPECT_EQ(plat_fail_thread_starts, 0);
}

TEST_F(Compose, ColourModeHookMatchesReference) {
  headless_viewer(40, 30);
  load_picture(25, 19, 7);
  for (int mode : {1, 5, 11, 2, 13})
    for (int step : {20, 31, 40, 62}) EXPECT_TRUE(same_as_reference(step, 1, 2, mode)) << mode;
}

static float grad(int y, int H, int k) {
  float b = (1.0f - (float)y / (float)H) * 0.1f;
  return (k == 0 ? 0.4f : k == 1 ? 0.45f : 0.5f) + b;
}

TEST_F(Compose, FittedPictureCoversItsCentredRectangleOnly) {
  headless_viewer(800, 500);
  ASSERT_EQ(resize_loaded_image(800, 600), 0);
  for (int i = 0; i < 800 * 600; i++) {
    float* p = img_content + 4 * i;
    p[0] = 0.9f, p[1] = 0.1f, p[2] = 0.2f, p[3] = 1.0f;
  }
  image_post(800, 600, 1);
  ASSERT_EQ(zoom, 29);
  image2frame(zoom);
  int first_x = -1, last_x = -1, first_y = -1, last_y = -1;
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) {
      const float* q = fimage + 4 * (y * width + x);
      bool is_bg = q[0] == grad(y, height, 0) && q[1] == grad(y, height, 1) &&
                   q[2] == grad(y, height, 2);
      bool is_pic = std::fabs(q[0] - 0.9f) < 1e-5 && std::fabs(q[1] - 0.1f) < 1e-5;
      ASSERT_TRUE(is_bg || is_pic) << x << "," << y;
      if (is_pic) {
        if (first_x < 0 || x < first_x) first_x = x;
        if (x > last_x) last_x = x;
        if (first_y < 0) first_y = y;
        last_y = y;
      }
    }
  EXPECT_EQ(first_x, 100);
  EXPECT_EQ(last_x, 699);
  EXPECT_EQ(first_y, 25);
  EXPECT_EQ(last_y, 474);
}

TEST_F(Compose, TransparencyBlendsWithTheRowGradient) {
  headless_viewer(40, 30);
  ASSERT_EQ(resize_loaded_image(40, 30), 0);
  image_xres = 40, image_yres = 30, contentview = 1;
  for (int i = 0; i < 40 * 30; i++) {
    float* p = img_content + 4 * i;
    p[0] = 1.0f, p[1] = 0.0f, p[2] = 0.6f;
    p[3] = (i % 40) < 20 ? 0.5f : 0.995f;
  }
  for (int pan : {0, 7}) {
    shiftx = pan, shifty = 0;
    image2frame(31);
    int y = 12, x = 3 + pan;
    const float* q = fimage + 4 * (y * width + x);
    EXPECT_EQ(q[0], 1.0f * 0.5f + grad(y, height, 0) * 0.5f);
    EXPECT_EQ(q[1], 0.0f * 0.5f + grad(y, height, 1) * 0.5f);
    const float* o = fimage + 4 * (y * width + 30 + pan);
    EXPECT_EQ(o[0], 1.0f);
    EXPECT_EQ(o[2], 0.6f);
    // What the pan uncovers is the same gradient for that row.
    if (pan) EXPECT_EQ(fimage[4 * (y * width + 2)], grad(y, height, 0));
  }
  // A fully transparent block averages to nothing: the plain gradient.
  for (int i = 0; i < 40 * 30; i++) img_content[4 * i + 3] = 0.0f;
  shiftx = 0;
  image2frame(25);
  for (int y = 9; y < 20; y++) {
    const float* q = fimage + 4 * (y * width + 20);
    EXPECT_EQ(q[0], grad(y, height, 0));
    EXPECT_EQ(q[2], grad(y, height, 2));
    EXPECT_EQ(q[3], 0.0f);
  }
}

TEST_F(Compose, WithoutAValidPictureTheCanvasShowsTheGradient) {
  headless_viewer(40, 30);
  load_picture(10, 10, 3);
  image_xres = 11;  // more pixels than the block holds
  fill_canvas_sentinel();
  image2frame(31);
  EXPECT_EQ(fimage[0], 0.5f);
  EXPECT_GT(fimage[4 * (15 * 40 + 20)], 0.4f);
  image_xres = 10;
}

// The sampler's neighbour rule: a missing neighbour takes the top-left sample, not the nearest
// existing one.
TEST_F(Compose, SamplerUsesTheTopLeftForMissingNeighbours) {
  ASSERT_EQ(resize_loaded_image(2, 2), 0);
  image_xres = image_yres = 2;
  const float red[4] = {0.0f, 0.2f, 0.4f, 0.8f};  // (0,0) (1,0) (0,1) (1,1)
  for (int i = 0; i < 4; i++)
    for (int k = 0; k < 4; k++) img_content[4 * i + k] = red[i] + 0.01f * k;
  struct {
    float x, y, expect;
  } cases[] = {
      {0.0f, 0.0f, 0.0f},
      {0.5f, 0.0f, 0.1f},
      {0.5f, 0.5f, 0.35f},
      {1.0f, 1.0f, 0.8f},
      // Right column: TR and BR are missing, both replaced by TL = (1,0) = 0.2.
      {1.5f, 0.5f, 0.5f * 0.2f + 0.5f * (0.5f * 0.8f + 0.5f * 0.2f)},
      // Bottom row: BL and BR replaced by TL = (0,1) = 0.4.
      {0.5f, 1.5f, 0.5f * (0.5f * 0.4f + 0.5f * 0.8f) + 0.5f * 0.4f},
      {1.5f, 1.5f, 0.8f},
      {7.0f, 9.0f, 0.8f},
      {-3.0f, -1.0f, 0.0f},
  };
  for (auto& c : cases) {
    EXPECT_NEAR(get_img(c.x, c.y, 0), c.expect, 1e-6) << c.x << "," << c.y;
    EXPECT_NEAR(get_img(c.x, c.y, 3), c.expect + 0.03f, 1e-6) << c.x << "," << c.y;
    float sq[3];
    get_img_rgb(c.x, c.y, sq);
    EXPECT_NEAR(sq[0], c.expect * c.expect, 1e-6);
    EXPECT_NEAR(sq[2], (c.expect + 0.02f) * (c.expect + 0.02f), 1e-6);
  }
}
