// The embedded tables against ETOPO5 itself, read by netCDF's own dump tool (ncdump), not by our
// generator: every sample that sits on an ETOPO5 node equals that node, every other lies between
// the nodes around it, and the cascade gives believable heights.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "earth/elevation.h"
#include "earth/srtm.h"
#include "etopo_reference.h"

namespace {

const int kRows = 2161, kCols = 4320;
const char kEtopo[] = "/usr/share/ferret-vis/data/etopo5.cdf";

const std::vector<float>& etopo() { return etopo5_rose(); }

float node(int r, int c) { return etopo()[(size_t)r * kCols + ((c % kCols) + kCols) % kCols]; }

long land(double v) { return v < 0.5 ? 0 : std::lround(v); }

class EmbeddedElevation : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(etopo().size(), (size_t)kRows * kCols)
        << "ncdump (Debian netcdf-bin) could not read " << kEtopo;
    elevation_data = &elevation_embedded;
    have_hgt = 0;
  }
};

// A table sample at ETOPO5 row coordinate rn/den and column coordinate cn/den: equal to the node
// when both are whole, else between the nodes around it (value rule `rule` applied to both).
template <typename Rule>
void check_sample(int16_t v, long rn, long cn, long den, Rule rule, int* bad, const char* name) {
  long r0 = rn / den, c0 = cn / den;
  bool on_row = rn % den == 0, on_col = cn % den == 0;
  long lo, hi;
  if (on_row && on_col) {
    lo = hi = rule(node((int)r0, (int)c0));
  } else {
    int r1 = on_row ? (int)r0 : (int)r0 + 1, c1 = on_col ? (int)c0 : (int)c0 + 1;
    float a = node((int)r0, (int)c0), b = node((int)r0, c1), c = node(r1, (int)c0),
          d = node(r1, c1);
    lo = rule(std::min(std::min(a, b), std::min(c, d)));
    hi = rule(std::max(std::max(a, b), std::max(c, d)));
  }
  if ((v < lo || v > hi) && ++*bad <= 5)
    ADD_FAILURE() << name << ": sample " << v << " outside " << lo << ".." << hi << " at row " << rn
                  << "/" << den << " column " << cn << "/" << den;
}

TEST_F(EmbeddedElevation, HalfDegreeGridIsTheEtopoNodes) {
  int bad = 0;
  for (int r = 0; r <= 360; r++)
    for (int c = 0; c < 720; c++)
      bad += elevation_embedded.grid05[r * 720 + c] != std::lround(node(6 * r, 6 * c));
  EXPECT_EQ(bad, 0);
}

TEST_F(EmbeddedElevation, RegionalGridsFollowEtopo) {
  for (int g = 0; g < ELEV_N_REGIONAL; g++) {
    const RegionalGrid& d = regional_grids[g];
    const int16_t* t = elevation_embedded.regional[g];
    int bad = 0;
    for (int j = 0; j < d.rows; j++)
      for (int i = 0; i < d.cols; i++)  // row 0 at the north edge, column 0 at the west edge
        check_sample(t[j * d.cols + i], (long)(d.north + 90) * 12 * d.k - 12L * j,
                     (long)d.west * 12 * d.k + 12L * i, d.k, land, &bad, d.name);
    EXPECT_EQ(bad, 0) << d.name;
  }
}

TEST_F(EmbeddedElevation, OneDegreeTilesFollowEtopo) {
  for (int n = 0; n < ELEV_N_TILES75; n++) {
    const Tile75& d = tiles75[n];
    const int16_t* t = elevation_embedded.tile75[n];
    int bad = 0;
    for (int j = 0; j <= 75; j++)
      for (int i = 0; i <= 75; i++)  // row 0 at the south edge
        check_sample(t[j * 76 + i], (long)(d.south + 90) * 12 * 75 + 12L * j,
                     (long)d.west * 12 * 75 + 12L * i, 75, land, &bad, d.name);
    EXPECT_EQ(bad, 0) << d.name;
  }
}

TEST_F(EmbeddedElevation, FifteenDegreeTilesFollowEtopoWithDepths) {
  auto round = [](double v) { return std::lround(v); };
  int negative = 0;
  for (int n = 0; n < ELEV_N_TILES15; n++) {
    const Tile15& d = tiles15[n];
    const int16_t* t = elevation_embedded.tile15[n];
    int bad = 0;
    for (int j = 0; j <= 75; j++)
      for (int i = 0; i <= 75; i++) {
        check_sample(t[j * 76 + i], (long)(d.south + 90) * 12 * 5 + 12L * j,
                     (long)d.west * 12 * 5 + 12L * i, 5, round, &bad, d.name);
        negative += t[j * 76 + i] < 0;
      }
    EXPECT_EQ(bad, 0) << d.name;
  }
  EXPECT_GT(negative, 1000);  // the sea keeps its depth
}

TEST_F(EmbeddedElevation, CoarseGridsAreEtopoNodes) {
  const struct { int step, rows; } grids[] = {{10, 17}, {15, 11}, {20, 9}, {30, 5}};
  for (auto g : grids) {
    const int cols = 360 / g.step;
    int bad = 0;
    for (int k = 0; k < g.rows; k++)
      for (int j = 0; j < cols; j++) {
        long v = g.step == 10   ? elevation_embedded.grid10[k * cols + j]
                 : g.step == 15 ? elevation_embedded.grid15[k * cols + j]
                 : g.step == 20 ? elevation_embedded.grid20[k * cols + j]
                                : elevation_embedded.grid30[k * cols + j];
        bad += v != std::lround(node(g.step * (k + 1) * 12, g.step * j * 12));
      }
    EXPECT_EQ(bad, 0) << g.step;
  }
}

double alt(double lon, double lat) {
  return geographic2altitude(lon / 57.29577951308232, lat / 57.29577951308232);
}

TEST_F(EmbeddedElevation, BelievableHeights) {
  // ETOPO5 averages over 5 arc minutes (about 9 km): Zurich (true 408 m by the lake) reads a
  // little high from the hills around it, and the peaks come out lower than they are.
  EXPECT_GT(alt(8.54, 47.37), 350);
  EXPECT_LT(alt(8.54, 47.37), 600);
  EXPECT_LT(alt(-30, 30), -3000);  // the western Atlantic basin
  EXPECT_GT(alt(-30, 30), -5500);
  EXPECT_EQ(alt(0, 90), height_north_pole);
  EXPECT_EQ(alt(0, -90), height_south_pole);
  EXPECT_GT(alt(86.925, 27.988), 5000);  // near Everest, inside the tile with corner 27 N 86 E
  EXPECT_NEAR(alt(86.925, 27.988), elev_imp_n27_e86(86.925, 27.988), 1e-6);
  // 0 N 0 E: the regional grid from 340 E covers it but holds sea there, so the half-degree grid
  // gives the depth, which is its own node.
  EXPECT_EQ(elevation_embedded.regional[ELEV_REGIONAL_n40_w020][800 * 800 + 400],
            0);  // row 800, column 400
  EXPECT_EQ(alt(0, 0), elevation_embedded.grid05[180 * 720]);
  EXPECT_LT(alt(0, 0), -4000);
  // Between 10 S and 40 N at 200 E the Hawaiian one-degree tiles answer before the half-degree
  // grid.
  EXPECT_NEAR(alt(200.5, 21.5), elev_imp_n21_w160(200.5, 21.5), 1e-6);
  EXPECT_GT(alt(204.5, 19.5), 1000);  // Hawaii's volcanoes
  EXPECT_NEAR(alt(200.5, 30), geographic2altitude_05(200.5, 30), 1e-6);
}

// The sea index marks exactly the blocks of cells whose samples are all 0, and the cascade gives
// the same heights with it as without it.
TEST_F(EmbeddedElevation, SeaIndexIsExactAndChangesNoHeight) {
  const int B = ELEV_SEA_BLOCK;
  for (int g = 0; g < ELEV_N_REGIONAL; g++) {
    const RegionalGrid& d = regional_grids[g];
    const int16_t* t = elevation_embedded.regional[g];
    const int across = (d.cols + B - 1) / B;
    int wrong = 0, sea = 0;
    for (int bj = 0; bj < (d.rows + B - 1) / B; bj++)
      for (int bi = 0; bi < across; bi++) {
        bool zero = true;
        for (int j = bj * B; j <= std::min(bj * B + B, d.rows - 1); j++)
          for (int i = bi * B; i <= std::min(bi * B + B, d.cols - 1); i++)
            zero = zero && t[j * d.cols + i] == 0;
        uint8_t mark = elevation_embedded.regional_sea[g][bj * across + bi];
        wrong += mark != (zero ? 1 : 0);
        sea += mark;
      }
    EXPECT_EQ(wrong, 0) << d.name;
  }
  ElevationData plain = elevation_embedded;
  for (auto& s : plain.regional_sea) s = nullptr;
  uint64_t state = 88172645463325252ull;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return (state >> 11) * (1.0 / 9007199254740992.0);
  };
  int differ = 0;
  for (int n = 0; n < 200000; n++) {
    double lon = 2 * M_PI * next(), lat = std::asin(2 * next() - 1);
    elevation_data = &elevation_embedded;
    double with = geographic2altitude(lon, lat);
    elevation_data = &plain;
    differ += with != geographic2altitude(lon, lat);
  }
  elevation_data = &elevation_embedded;
  EXPECT_EQ(differ, 0);
}

}  // namespace
