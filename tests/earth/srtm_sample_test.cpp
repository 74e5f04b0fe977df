// Orientation of the tile samplers against analytic tiles: height = a row + b col + c (rows from
// the north) interpolates exactly, so every point has a known answer.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "earth/elevation.h"
#include "earth/srtm.h"
#include "view/colour.h"

namespace {

struct Linear {
  int a, b, c;
  double at(double row, double col) const { return a * row + b * col + c; }
};

std::vector<int16_t> grid(int cols, int rows, Linear f) {
  std::vector<int16_t> g((size_t)cols * rows);
  for (int r = 0; r < rows; r++)
    for (int c = 0; c < cols; c++) g[(size_t)r * cols + c] = (int16_t)f.at(r, c);
  return g;
}

std::vector<unsigned char> tile_bytes(const std::vector<int16_t>& g) {
  std::vector<unsigned char> b;
  b.reserve(g.size() * 2);
  for (int16_t v : g) {
    b.push_back((unsigned char)((uint16_t)v >> 8));
    b.push_back((unsigned char)((uint16_t)v & 0xFF));
  }
  return b;
}

TEST(SrtmSample, OneDegreeTilesFaceNorthAndEast) {
  struct Kind {
    const char* name;
    double (*fn)(double, double, int, int, const int16_t*);
    int n;
    Linear f;
  } kinds[] = {{"srtm3", srtm3, 1200, {3, 1, 0}}, {"srtm1", srtm1, 3600, {3, 1, -7200}}};
  for (const Kind& k : kinds) {
    std::vector<int16_t> g = grid(k.n + 1, k.n + 1, k.f);
    const int S = 47, W = 8;
    const double N = k.n;
    struct {
      const char* what;
      double lat, lon, row, col;
    } pts[] = {
        {"north-west corner", S + 1, W, 0, 0},
        {"north-east corner", S + 1, W + 1, 0, N},
        {"south-west corner", S, W, N, 0},
        {"south-east corner", S, W + 1, N, N},
        {"inside", S + 0.3, W + 0.7, 0.7 * N, 0.7 * N},
        {"between samples", S + 0.5 + 0.25 / N, W + 0.5 + 0.5 / N, 0.5 * N - 0.25, 0.5 * N + 0.5},
        {"beyond the south-east corner takes the corner", S - 0.5, W + 1.5, N, N},
        {"north of the tile takes the north edge", S + 2, W + 0.5, 0, 0.5 * N},
    };
    for (auto& p : pts)
      EXPECT_NEAR(k.fn(p.lat, p.lon, S, W, g.data()), k.f.at(p.row, p.col), 1e-6)
          << k.name << ": " << p.what;
    // A west edge given as degrees west is the same tile.
    EXPECT_NEAR(k.fn(S + 0.3, 352.7, S, -8, g.data()), k.f.at(0.7 * N, 0.7 * N), 1e-6) << k.name;
    EXPECT_TRUE(std::isnan(k.fn(NAN, W, S, W, g.data()))) << k.name;
    EXPECT_TRUE(std::isnan(k.fn(S, NAN, S, W, g.data()))) << k.name;
  }
}

class Srtm30 : public ::testing::Test {
 protected:
  int cols = n_cols, rows = n_rows;
  void SetUp() override {
    n_cols = 4800;
    n_rows = 6000;
  }
  void TearDown() override {
    n_cols = cols;
    n_rows = rows;
  }
};

TEST_F(Srtm30, FacesNorthAndEastAndCrossesZero) {
  const Linear f = {1, 1, -5400};
  std::vector<int16_t> g = grid(4800, 6000, f);
  const int S = 40, W = 340;  // 340 E to 20 E, 40 N to 90 N
  struct {
    const char* what;
    double lat, lon, expected;
  } pts[] = {
      {"north-west corner", 90, 340, f.at(0, 0)},
      {"inside west of 0 E", 65, 350, f.at(3000, 1200)},
      {"inside east of 0 E", 65, 10, f.at(3000, 3600)},
      {"between samples", 90 - 0.5 / 120, 340 + 0.25 / 120, f.at(0.5, 0.25)},
      // The grid has no closing edge sample: the strip after the last row and column answers
      // with their samples.
      {"last row", 40 + 0.2 / 120, 350, f.at(5999, 1200)},
      {"south edge", 40, 350, f.at(5999, 1200)},
      {"last column", 65, 20 - 0.1 / 120, f.at(3000, 4799)},
      {"outside to the south", 39.9, 350, 1000},
      {"outside to the north", 90.1, 350, 1000},
      {"outside to the west", 65, 339.9, 1000},
      {"outside to the east", 65, 20.1, 1000},
  };
  for (auto& p : pts) EXPECT_NEAR(srtm30(p.lat, p.lon, S, W, g.data()), p.expected, 1e-6) << p.what;
  EXPECT_NEAR(srtm30(65, 10, S, -20, g.data()), f.at(3000, 3600), 1e-6);  // west edge as -20
  EXPECT_TRUE(std::isnan(srtm30(NAN, 10, S, W, g.data())));
}

// Taken-in tiles of the three kinds answer through elevation_extern and the cascade.
TEST(SrtmSample, TakenTilesAnswerInTheCascade) {
  struct {
    const char* name;
    int cols, rows;
    Linear f;
    double lat, lon, row, col;
  } cases[] = {
      {"N47E008.hgt", 1201, 1201, {3, 1, 0}, 47.75, 8.25, 300, 300},
      {"N47E008.hgt", 3601, 3601, {3, 1, -7200}, 47.25, 8.5, 2700, 1800},
      {"E020N40.dem", 4800, 6000, {1, 1, -5400}, 15, 30, 3000, 1200},
  };
  for (auto& c : cases) {
    std::vector<unsigned char> b = tile_bytes(grid(c.cols, c.rows, c.f));
    SrtmTile t = srtm_classify(c.name, (int64_t)b.size());
    ASSERT_EQ(srtm_take_tile(t, b.data(), (int64_t)b.size()), 0) << c.name;
    const double expected = c.f.at(c.row, c.col);
    EXPECT_NEAR(elevation_extern(c.lon, c.lat), expected, 1e-6) << c.name;
    EXPECT_NEAR(geographic2altitude(c.lon / 57.29577951308232, c.lat / 57.29577951308232), expected,
                1e-3)
        << c.name;
  }
  have_hgt = 0;
}

// A kilometre is one turn of hue; saturation grows with the height and value from 0.5 at sea
// level. Worked by hand where the height stays within 0..1000 m; beyond, whatever the HSV
// conversion makes of hue and saturation past 1 (or below 0) is the colour.
TEST(HeightColour, HueSaturationAndValueFollowTheHeight) {
  const float kNone = -1;  // not worked by hand
  struct {
    float h;
    float r, g, b;
  } cases[] = {
      {0, 0.5f, 0.5f, 0.5f},                // sea level: mid grey
      {250, 0.459375f, 0.525f, 0.39375f},   // a quarter turn: yellow-green, faint
      {500, 0.275f, 0.55f, 0.55f},          // half a turn: cyan
      {1000 / 3.0f, kNone, kNone, kNone},   // a third of a turn, not exact in float
      {1000, kNone, kNone, kNone},          // one whole turn
      {123.456f, kNone, kNone, kNone},
      {4810, kNone, kNone, kNone},
      {-100, kNone, kNone, kNone},
  };
  for (const auto& c : cases) {
    float r = 7, g = 7, b = 7;
    height2rgb(c.h, &r, &g, &b);
    float er, eg, eb;
    hsv2rgb((float)(0.001 * c.h), (float)(0.001 * c.h), (float)(0.0001 * c.h + 0.5), &er, &eg,
            &eb);
    EXPECT_EQ(r, er) << c.h;
    EXPECT_EQ(g, eg) << c.h;
    EXPECT_EQ(b, eb) << c.h;
    if (c.r == kNone) continue;
    EXPECT_NEAR(r, c.r, 1e-6) << c.h;
    EXPECT_NEAR(g, c.g, 1e-6) << c.h;
    EXPECT_NEAR(b, c.b, 1e-6) << c.h;
  }
}

}  // namespace
