// The globe's embedded images against Pillow's decoding and reduction of the Debian pictures
// (and ETOPO5 through ncdump for the cleared sea), and the samplers' rule on a small picture.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <unistd.h>

#include "data/blob.h"
#include "earth/globe.h"
#include "earth/globe_texture_sizes.h"
#include "etopo_reference.h"
#include "support/image_fixtures.h"
#include "support/python_reference.h"
#include "support/temp_dir.h"

SUNCALC_BLOB(rgb_data);
SUNCALC_BLOB(rgb_data_small);
SUNCALC_BLOB(night);

namespace {

const double kPi = 3.141592653589793;

// Pillow's versions of the three images, made once.
struct PillowImages {
  std::vector<unsigned char> day, small, night;
};
const PillowImages& pillow() {
  static PillowImages im;
  static bool done = false;
  if (done) return im;
  done = true;
  TempDir tmp("globe_images_");
  if (tmp.path.empty()) return im;
  const std::string& dir = tmp.path;
  std::vector<std::vector<double>> rows;
  std::string err;
  if (python_rows("earth/globe_reference.py", "images " + dir, &rows, &err)) {
    im.day = read_file(dir + "/day.rgb");
    im.small = read_file(dir + "/small.rgb");
    im.night = read_file(dir + "/night.gray");
  } else {
    ADD_FAILURE() << err;
  }
  return im;
}

TEST(GlobeImages, DayTextureAndItsReductionAreThePicture) {
  ASSERT_EQ(SUNCALC_BLOB_SIZE(rgb_data), (size_t)GLOBE_DAY_BYTES);
  ASSERT_EQ(SUNCALC_BLOB_SIZE(rgb_data_small), (size_t)GLOBE_SMALL_BYTES);
  const PillowImages& p = pillow();
  ASSERT_EQ(p.day.size(), (size_t)GLOBE_DAY_BYTES);
  ASSERT_EQ(p.small.size(), (size_t)GLOBE_SMALL_BYTES);
  EXPECT_EQ(std::memcmp(rgb_data, p.day.data(), p.day.size()), 0);
  EXPECT_EQ(std::memcmp(rgb_data_small, p.small.data(), p.small.size()), 0);
}

// The lights as Pillow reduces them (it rounds the light to bytes before the box, so a pixel may
// differ by one), and 0 wherever the pixel's centre, an ETOPO5 node, lies deeper than 200 m.
TEST(GlobeImages, NightLightsAreTheCityLightsWithTheSeaCleared) {
  ASSERT_EQ(SUNCALC_BLOB_SIZE(night), (size_t)GLOBE_NIGHT_BYTES);
  const PillowImages& p = pillow();
  ASSERT_EQ(p.night.size(), (size_t)GLOBE_NIGHT_BYTES);
  const std::vector<float>& rose = etopo5_rose();
  ASSERT_EQ(rose.size(), (size_t)2161 * 4320) << "ncdump (Debian netcdf-bin) could not read ETOPO5";
  long off = 0, sea_lit = 0, cleared = 0, bright = 0;
  for (int y = 0; y < GLOBE_NIGHT_H; y++)
    for (int x = 0; x < GLOBE_NIGHT_W; x++) {
      int i = y * GLOBE_NIGHT_W + x;
      int r = 2159 - 2 * y, c = (2 * x + 1 + 2160) % 4320;
      bool deep = rose[(size_t)r * 4320 + c] < -200;
      int got = night[i], want = p.night[i];
      if (deep) {
        sea_lit += got != 0;
        cleared += want > 1;
      } else {
        off += std::abs(got - want) > 1;
      }
      bright += got > 166;
    }
  EXPECT_EQ(sea_lit, 0);
  EXPECT_EQ(off, 0);
  // Glow over the sea was there to clear, and enough cities stay bright enough to light the
  // globe's night side (above 0.65).
  EXPECT_GT(cleared, 100);
  EXPECT_GT(bright, 3000);
}

// Bright and dark places where everyone knows them: the samplers read the images the right way
// round (north up, 180 W at the left).
TEST(GlobeImages, SamplersFindThePlaces) {
  struct {
    const char* where;
    double lon, lat;  // degrees
    bool lights, land;
  } cases[] = {
      {"Paris", 2.35, 48.86, true, true},    {"Tokyo", 139.7, 35.7, true, true},
      {"New York", -74.0, 40.7, true, true}, {"mid Pacific", -150, -20, false, false},
      {"Sahara", 10, 23, false, true},       {"South Atlantic", -20, -35, false, false},
  };
  for (auto& c : cases) {
    float q, g, b;
    night_function(c.lon * kPi / 180, c.lat * kPi / 180, &q, &g, &b);
    EXPECT_EQ(q, g);
    EXPECT_EQ(q, b);
    if (c.lights)
      EXPECT_GT(q, 0.65f) << c.where;
    else
      EXPECT_EQ(q, 0.0f) << c.where;
    float r;
    globe_rgb_pape(c.lon * kPi / 180, c.lat * kPi / 180, &r, &g, &b);
    // The texture's sea is deep blue; its land is not.
    EXPECT_EQ(b > 2 * r && b > 2 * g, !c.land) << c.where << " " << r << " " << g << " " << b;
    // The 0..2 pi longitudes of the renderer and the -pi..pi ones give the same place.
    float r2, g2, b2;
    globe_rgb_pape(c.lon * kPi / 180 + (c.lon < 0 ? 2 * kPi : 0), c.lat * kPi / 180, &r2, &g2, &b2);
    EXPECT_NEAR(r2, r, 1e-6);
    EXPECT_NEAR(b2, b, 1e-6);
  }
}

// The bilinear rule on an 8 x 4 picture whose sample at column c, row j is 30 c + j, so that the
// result tells which columns and rows were read: columns 0 and 7 never are.
TEST(GlobeImages, SamplerRuleOnASmallPicture) {
  unsigned char pic[4 * 8];
  for (int j = 0; j < 4; j++)
    for (int c = 0; c < 8; c++) pic[j * 8 + c] = (unsigned char)(30 * c + j);
  struct {
    double x, y;  // picture coordinates: x = (lon + pi) 8 / 2 pi, y = (pi/2 - lat) 4 / pi
    double want;  // before the division
  } cases[] = {
      {3.25, 1.0, 0.75 * 90 + 0.25 * 120 + 1},  // inside: columns 3 and 4
      {0.25, 1.0, 30 + 1},                      // west edge: column 1 alone
      {6.5, 1.0, 0.5 * 180 + 0.5 * 30 + 1},     // across the seam: columns 6 and 1
      {7.5, 1.0, 180 + 1},                      // east edge: column 6 alone
      {8.25, 1.0, 30 + 1},                      // a turn on: as at 0.25
      {-0.75, 1.0, 30 + 1},                     // just west of the edge: the edge's fraction 0
      {-1.5, 1.0, 180 + 1},                     // further west: a turn back, to the east edge
      {3.0, 0.5, 90 + 0.5},                     // top row mixed with the next
      {3.0, -0.5, 90},                          // above the top: the top row
      {3.0, 2.25, 90 + 2.25},                   // rows 2 and 3
      {3.0, 3.5, 90 + 3},                       // the bottom row alone
      {3.0, 7.5, 90 + 3},
  };
  for (auto& c : cases) {
    float got[2];
    double lon = c.x * 2 * kPi / 8 - kPi, lat = kPi / 2 - c.y * kPi / 4;
    globe_texture_sample(pic, 8, 4, 1, 256.0f, lon, lat, got);
    EXPECT_NEAR(got[0] * 256.0, c.want, 1e-3) << "x " << c.x << " y " << c.y;
  }
  // Three channels, each divided by 255.
  unsigned char rgb[4 * 8 * 3];
  for (int i = 0; i < 32; i++) rgb[3 * i] = pic[i], rgb[3 * i + 1] = 255, rgb[3 * i + 2] = 0;
  float got[3];
  globe_texture_sample(rgb, 8, 4, 3, 255.0f, 3.25 * 2 * kPi / 8 - kPi, kPi / 2 - kPi / 4, got);
  EXPECT_NEAR(got[0] * 255.0, 0.75 * 90 + 0.25 * 120 + 1, 1e-3);
  EXPECT_EQ(got[1], 1.0f);
  EXPECT_EQ(got[2], 0.0f);
}

// The reduced texture's sampler: its samples at its nodes, and across the seam the blend of
// columns 510 and 1 (a third of column 510 at column 0's node).
TEST(GlobeImages, SmallTextureSampler) {
  auto at = [](double x, double y, float* out) {
    double lon = x * 2 * kPi / 512 - kPi + 0.005, lat = kPi / 2 - y * kPi / 256 + 0.001;
    globe_rgb(lon, lat, &out[0], &out[1], &out[2]);
  };
  auto texel = [](int i, int j, int k) { return rgb_data_small[(j * 512 + i) * 3 + k] / 255.0; };
  float v[3];
  for (int i : {1, 100, 509})
    for (int j : {2, 128, 253}) {
      at(i, j, v);
      for (int k = 0; k < 3; k++) EXPECT_NEAR(v[k], texel(i, j, k), 1e-6) << i << " " << j;
    }
  at(0, 128, v);
  for (int k = 0; k < 3; k++)
    EXPECT_NEAR(v[k], texel(510, 128, k) / 3 + 2 * texel(1, 128, k) / 3, 1e-6);
  at(100, 0, v);  // the top rows read rows 2 and 3
  for (int k = 0; k < 3; k++) EXPECT_NEAR(v[k], texel(100, 2, k), 1e-6);
}

// The globe's own HSV conversion against Python's colorsys on ordinary hues, and its own rule at
// the top of the hue circle, where it stays in the last sextant.
TEST(GlobeImages, OwnHsvStep) {
  std::vector<std::vector<double>> ref;
  std::string err;
  ASSERT_TRUE(python_rows("earth/globe_reference.py", "hsv", &ref, &err)) << err;
  for (const auto& r : ref) {
    float R, G, B;
    globe_hsv2rgb((float)r[0], (float)r[1], (float)r[2], &R, &G, &B);
    EXPECT_NEAR(R, r[3], 2e-6) << r[0] << " " << r[1] << " " << r[2];
    EXPECT_NEAR(G, r[4], 2e-6) << r[0] << " " << r[1] << " " << r[2];
    EXPECT_NEAR(B, r[5], 2e-6) << r[0] << " " << r[1] << " " << r[2];
  }
  float R, G, B;
  globe_hsv2rgb(0.9995f, 0.5f, 0.8f, &R, &G, &B);  // 6 h = 5.997 > 5.99
  EXPECT_FLOAT_EQ(R, 0.8f);
  EXPECT_FLOAT_EQ(G, 0.4f);
  EXPECT_FLOAT_EQ(B, 0.8f * (1 - 0.99f * 0.5f));
  globe_hsv2rgb(-0.1f, 0.5f, 0.8f, &R, &G, &B);
  EXPECT_FLOAT_EQ(R, 0.8f);
  EXPECT_FLOAT_EQ(G, 0.4f);
  EXPECT_FLOAT_EQ(B, 0.4f);
  globe_hsv2rgb(0.3f, 0.0f, 0.7f, &R, &G, &B);
  EXPECT_EQ(R, 0.7f);
  EXPECT_EQ(G, 0.7f);
  EXPECT_EQ(B, 0.7f);
}

}  // namespace
