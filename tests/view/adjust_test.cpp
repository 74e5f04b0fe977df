#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/panel.h"
#include "earth/globe.h"
#include "support/headless.h"
#include "view/adjust.h"
#include "view/canvas.h"
#include "view/colour.h"
#include "view/screen.h"
#include "view/zoom.h"

namespace {

void post_pixels(int w, int h, const std::vector<float>& rgba) {
  ASSERT_EQ(resize_loaded_image(w, h), 0);
  for (size_t i = 0; i < rgba.size(); i++) img_content[i] = rgba[i];
  image_post(w, h, 1);
  set_content_image(1);
}

void post_grey(float v, float a = 1.0f) { post_pixels(1, 1, {v, v, v, a}); }

class Adjust : public ::testing::Test {
 protected:
  void SetUp() override { headless_viewer(); }
  void TearDown() override {
    v_night = 0.55f;
    v_contrast = 1.0f;
  }
};

}  // namespace

TEST_F(Adjust, CurvesOnOnePixel) {
  struct {
    float v;
    void (*op)(Fl_Widget*, void*);
    double expect;
  } cases[] = {
      {0.0f, cb_bright, 0.02},           {1.0f, cb_Bright, 0.98},
      {0.0f, cb_contr, 0.0},             {1.0f, cb_contr, 1.0},
      {0.0f, cb_Contr, 0.0},             {1.0f, cb_Contr, 1.0},
      {0.5f, cb_Contr, std::sqrt(0.238125)}, {0.5f, cb_contr, std::sqrt(0.261875)},
      {0.5f, cb_bright, 0.5 * std::exp(-0.045)}, {0.5f, cb_Bright, 0.5 / std::exp(-0.045)},
      {0.95f, cb_Bright, 0.98},          {0.01f, cb_bright, 0.02},
  };
  for (auto& c : cases) {
    post_grey(c.v, 0.25f);
    c.op(nullptr, nullptr);
    for (int k = 0; k < 3; k++) EXPECT_NEAR(img_content[k], c.expect, 2e-7) << "v " << c.v;
    EXPECT_EQ(img_content[3], 0.25f) << "alpha is kept";
  }
  // The curves cross over where the square of the value is one half.
  EXPECT_NEAR(s_shape_plus(std::sqrt(0.5)), std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(s_shape_minus(std::sqrt(0.5)), std::sqrt(0.5), 1e-12);
  EXPECT_GT(s_shape_plus(0.9), 0.9);
  EXPECT_LT(s_shape_minus(0.9), 0.9);
}

TEST_F(Adjust, PressesAccumulateAndKeepTheHue) {
  post_pixels(2, 1, {0.8f, 0.4f, 0.2f, 1.0f, 0.1f, 0.3f, 0.6f, 0.5f});
  float h0, s0, v0, h1, s1, v1;
  rgb2hsv(0.8f, 0.4f, 0.2f, &h0, &s0, &v0);
  cb_Bright();
  cb_Bright();
  rgb2hsv(img_content[0], img_content[1], img_content[2], &h1, &s1, &v1);
  float once = (float)(0.8 / std::exp(-0.09 * 0.8));
  float twice = (float)((double)once / std::exp(-0.09 * once));
  EXPECT_NEAR(v1, std::fmin(twice, 0.98f), 1e-6);
  EXPECT_NEAR(h1, h0, 1e-6);
  EXPECT_NEAR(s1, s0, 1e-6);
  EXPECT_EQ(img_content[7], 0.5f);
}

TEST_F(Adjust, GlobeKnobsStopAtTheirBounds) {
  set_content_vglobe();
  struct {
    void (*op)(Fl_Widget*, void*);
    float* knob;
    int presses;
    float bound;
  } cases[] = {
      {cb_bright, &v_night, 10, 0.05f},
      {cb_Bright, &v_night, 3, 0.7f},
      {cb_contr, &v_contrast, 4, 0.8f},
      {cb_Contr, &v_contrast, 4, 1.2f},
  };
  for (auto& c : cases) {
    v_night = 0.55f, v_contrast = 1.0f;
    for (int i = 0; i < c.presses - 1; i++) c.op(nullptr, nullptr);
    EXPECT_GT(std::fabs(*c.knob - c.bound), 0.04f) << "one press before the bound";
    // The single-precision steps land within rounding of the bound, then on it.
    c.op(nullptr, nullptr);
    EXPECT_NEAR(*c.knob, c.bound, 1e-6);
    c.op(nullptr, nullptr);
    c.op(nullptr, nullptr);
    EXPECT_EQ(*c.knob, c.bound);
  }
}

// After a reader's allocation failed there is no block, but the size and the kind remain.
TEST_F(Adjust, NothingHappensWithoutAPicture) {
  post_grey(0.5f);
  free(img_content);
  img_content = nullptr;
  img_allocated = -1;
  for (auto op : {cb_bright, cb_Bright, cb_contr, cb_Contr, cb_L, cb_R}) op(nullptr, nullptr);
  EXPECT_EQ(img_content, nullptr);
  EXPECT_EQ(image_xres, 1);

  // A block smaller than the recorded size is left alone as well.
  ASSERT_EQ(resize_loaded_image(2, 1), 0);
  img_content[0] = 0.5f;
  image_xres = 3;
  cb_Bright();
  EXPECT_EQ(img_content[0], 0.5f);
}

TEST_F(Adjust, OtherKindsAreUnaffected) {
  post_grey(0.5f);
  for (auto kind : {set_content_hex, set_content_html, set_content_pdb, set_content_empty}) {
    kind();
    for (auto op : {cb_bright, cb_Bright, cb_contr, cb_Contr, cb_L}) op(nullptr, nullptr);
    EXPECT_EQ(img_content[0], 0.5f);
    EXPECT_EQ(image_xres, 1);
  }
}

TEST_F(Adjust, QuarterTurns) {
  // 3 x 2, every channel distinct.
  std::vector<float> px;
  for (int i = 0; i < 24; i++) px.push_back(i / 24.0f);
  post_pixels(3, 2, px);
  cb_L();
  ASSERT_EQ(image_xres, 2);
  ASSERT_EQ(image_yres, 3);
  // The old top-right pixel comes to the top left; the old bottom-left to the bottom right.
  for (int k = 0; k < 4; k++) {
    EXPECT_EQ(img_content[k], px[4 * 2 + k]);
    EXPECT_EQ(img_content[4 * 5 + k], px[4 * 3 + k]);
  }
  EXPECT_EQ(zoom, find_best_zoom(2, 3, width, height));
  cb_R();
  ASSERT_EQ(image_xres, 3);
  for (int i = 0; i < 24; i++) EXPECT_EQ(img_content[i], px[i]) << i;
  cb_R();
  // Right: the old bottom-left pixel comes to the top left.
  for (int k = 0; k < 4; k++) EXPECT_EQ(img_content[k], px[4 * 3 + k]);
  cb_L();
  for (int i = 0; i < 24; i++) EXPECT_EQ(img_content[i], px[i]) << i;
}
