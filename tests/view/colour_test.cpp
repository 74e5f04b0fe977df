#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "view/colour.h"

TEST(Colour, HsvToRgbTable) {
  struct Case {
    double h, s, v;
    float r, g, b;
  } cases[] = {
      {0.0, 1, 1, 1, 0, 0},          {1.0 / 3, 1, 1, 0, 1, 0},     {2.0 / 3, 1, 1, 0, 0, 1},
      {0.5, 0, 0.25, 0.25, 0.25, 0.25}, {0.9, 0, 0.7, 0.7, 0.7, 0.7},  // grey for any hue
      {1.0, 1, 1, 1, 0, 1 - 0.999f},  // the top of the wheel keeps a trace of blue
      {-0.2, 0.5, 0.8, 0.8f, 0.4f, 0.4f},  // below the wheel: sextant 0 without green
      {1.0 / 6, 1, 1, 1, 1, 0},       {0.5, 1, 0.5, 0, 0.5f, 0.5f},
  };
  for (const Case& k : cases) {
    float r = -1, g = -1, b = -1;
    hsv2rgb(k.h, k.s, k.v, &r, &g, &b);
    EXPECT_NEAR(r, k.r, 1e-6) << k.h << " " << k.s << " " << k.v;
    EXPECT_NEAR(g, k.g, 1e-6) << k.h << " " << k.s << " " << k.v;
    EXPECT_NEAR(b, k.b, 1e-6) << k.h << " " << k.s << " " << k.v;
  }
  float r = 7, g = 7, b = 7;
  hsv2rgb(std::nan(""), 1, 1, &r, &g, &b);
  EXPECT_EQ(r, 7);  // a hue that is not a number leaves the outputs alone
}

TEST(Colour, RgbToHsvTable) {
  struct Case {
    float r, g, b, h, s, v;
  } cases[] = {
      {0, 0, 0, 0, 0, 0},      {0.5f, 0.5f, 0.5f, 0, 0, 0.5f}, {0, 0, 1, 2.0f / 3, 1, 1},
      {1, 0, 0.5f, 1 - 1.0f / 12, 1, 1}, {-0.5f, -0.7f, -0.6f, 0, 0, -0.5f}, {1, 1, 0, 1.0f / 6, 1, 1},
  };
  for (const Case& k : cases) {
    float h, s, v;
    rgb2hsv(k.r, k.g, k.b, &h, &s, &v);
    EXPECT_NEAR(h, k.h, 1e-6) << k.r << " " << k.g << " " << k.b;
    EXPECT_NEAR(s, k.s, 1e-6);
    EXPECT_NEAR(v, k.v, 1e-6);
  }
}

TEST(Colour, RoundTripThroughHsv) {
  std::mt19937 rng(5);
  std::uniform_real_distribution<float> u(0, 1);
  for (int i = 0; i < 2000; i++) {
    float r = u(rng), g = u(rng), b = u(rng), h, s, v, r2, g2, b2;
    rgb2hsv(r, g, b, &h, &s, &v);
    ASSERT_GE(h, 0);
    ASSERT_LE(h, 1);
    hsv2rgb(h, s, v, &r2, &g2, &b2);
    ASSERT_NEAR(r, r2, 2e-3);  // the top sextant's 0.999 limits the round trip
    ASSERT_NEAR(g, g2, 2e-3);
    ASSERT_NEAR(b, b2, 2e-3);
  }
}

TEST(Colour, DisplayTablesKeepTheirTellingNodes) {
  auto node = [](const float* lut, int i, int j, int k, int c) { return lut[((k * 9 + j) * 9 + i) * 3 + c]; };
  const double curve[9] = {0, 0.0645, 0.1887, 0.3179, 0.4502, 0.5849, 0.7216, 0.8601, 1.0};
  const double grey[9] = {0, 0.1452, 0.2581, 0.3755, 0.4961, 0.6192, 0.7444, 0.8714, 1.0};
  for (int i = 0; i < 9; i++) {
    EXPECT_NEAR(node(cinema_lut, i, i, i, 0), curve[i], 2e-4);
    EXPECT_NEAR(node(adobe_lut, i, i, i, 1), grey[i], 2e-3) << i;
  }
  EXPECT_NEAR(node(adobe_lut, 8, 0, 0, 0), 0.8586, 2e-3);
  EXPECT_NEAR(node(adobe_lut, 0, 8, 0, 0), 0.565, 2e-3);
  EXPECT_NEAR(node(adobe_lut, 0, 8, 0, 2), 0.2344, 2e-3);
  EXPECT_NEAR(node(adobe_lut, 0, 0, 8, 2), 0.9811, 2e-3);
  EXPECT_NEAR(node(cinema_lut, 8, 0, 8, 1), 0, 1e-6);  // magenta stays magenta
}

TEST(Colour, DisplayConversionsMapTheEndsAndClampTheirInputs) {
  for (auto conv : {srgb2cinema, srgb2adobe}) {
    float o[3];
    conv(0, 0, 0, o);
    EXPECT_NEAR(o[0], 0, 1e-6);
    EXPECT_NEAR(o[2], 0, 1e-6);
    conv(1, 1, 1, o);
    EXPECT_NEAR(o[0], 1, 1e-4);
    EXPECT_NEAR(o[1], 1, 1e-4);
    float a[3], b[3];
    conv(-0.5f, 0.3f, 1.7f, a);
    conv(0, 0.3f, 1, b);
    for (int c = 0; c < 3; c++) EXPECT_EQ(a[c], b[c]);
    float px[3] = {0.2f, 0.4f, 0.6f};
    conv(px[0], px[1], px[2], px);  // in place
    conv(0.2f, 0.4f, 0.6f, a);
    for (int c = 0; c < 3; c++) EXPECT_EQ(px[c], a[c]);
  }
  float r, g, b;
  srgb2apple(1, 1, 1, &r, &g, &b);
  EXPECT_NEAR(r, 1.0, 1e-6);
  EXPECT_NEAR(g, 1.0, 1e-6);
  EXPECT_NEAR(b, 0.98, 1e-6);
}
