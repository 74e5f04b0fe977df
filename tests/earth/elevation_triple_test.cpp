// The three-point look-up the globe uses for its relief gives, bit for bit, what three calls of
// the cascade give: everywhere, on every edge where the points part ways, and with a terrain tile.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "earth/elevation.h"
#include "earth/srtm.h"

namespace {

const double kRad = 0.017453292519943295;
const double kDelta = 5.2359877559829e-5;  // the globe's step

// Bit-for-bit equality, NaN equal to NaN.
bool same(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

int mismatches(double lon, double lat, double d) {
  double h0, hE, hN;
  geographic2altitude3(lon, lat, d, &h0, &hE, &hN);
  return !same(h0, geographic2altitude(lon, lat)) + !same(hE, geographic2altitude(lon + d, lat)) +
         !same(hN, geographic2altitude(lon, lat + d));
}

TEST(ElevationTriple, SameAsThreeCallsEverywhere) {
  elevation_data = &elevation_embedded;
  have_hgt = 0;
  std::mt19937_64 rng(61);
  std::uniform_real_distribution<double> u(0, 1);
  int bad = 0;
  for (int i = 0; i < 300000; i++) {
    double lon = (u(rng) * 2 - 0.5) * 2 * M_PI;  // beyond one turn both ways as well
    double lat = std::asin(2 * u(rng) - 1);
    bad += mismatches(lon, lat, i % 2 ? kDelta : 0.01);
  }
  EXPECT_EQ(bad, 0);
}

// Just below, on and just above the lines where the cascade changes its source: whole degrees
// (one-degree tiles), the regional bands and sectors, the fifteen-degree windows, the poles, the
// seam at 0/360 E and the meridian 180 E.
TEST(ElevationTriple, SameAsThreeCallsOnTheEdges) {
  elevation_data = &elevation_embedded;
  have_hgt = 0;
  const double lat_edges[] = {-90, -89.999, -60, -47.4, -45, -34.2, -10, 0,    21, 22,      27,
                              30,  40,      45,  46.5,  47,  59,    60,  69.8, 88, 89.9999, 90};
  const double lon_edges[] = {0,   5,   8,   20,  60,  86,  100, 140, 165, 180,
                              200, 220, 260, 290, 300, 340, 354, 359, 360};
  int bad = 0, n = 0;
  for (double la : lat_edges)
    for (double lo : lon_edges)
      for (double dla : {-2 * kDelta, -kDelta, -kDelta / 2, 0.0, kDelta / 2, 1e-9})
        for (double dlo : {-2 * kDelta, -kDelta, -kDelta / 2, 0.0, kDelta / 2, 1e-9})
          for (double d : {kDelta, 0.0}) {
            bad += mismatches(lo * kRad + dlo, la * kRad + dla, d);
            n++;
          }
  EXPECT_EQ(bad, 0) << "of " << n;
  EXPECT_EQ(mismatches(NAN, 0.3, kDelta), 0);
  EXPECT_EQ(mismatches(0.3, INFINITY, kDelta), 0);
}

TEST(ElevationTriple, SameAsThreeCallsWithATerrainTile) {
  elevation_data = &elevation_embedded;
  // A three-arc-second tile at 47 N 8 E whose heights rise to the north-east.
  std::vector<unsigned char> bytes(1201 * 1201 * 2);
  for (int r = 0; r < 1201; r++)
    for (int c = 0; c < 1201; c++) {
      int v = 300 + (1200 - r) + c / 2;
      bytes[2 * (r * 1201 + c)] = (unsigned char)(v >> 8);
      bytes[2 * (r * 1201 + c) + 1] = (unsigned char)v;
    }
  SrtmTile t = srtm_classify("N47E008.hgt", (int64_t)bytes.size());
  ASSERT_EQ(srtm_take_tile(t, bytes.data(), (int64_t)bytes.size()), 0);
  int bad = 0;
  for (double la = 46.9; la <= 48.1; la += 0.0371)
    for (double lo = 7.9; lo <= 9.1; lo += 0.0373) bad += mismatches(lo * kRad, la * kRad, kDelta);
  bad +=
      mismatches(8 * kRad - kDelta / 2, 47.5 * kRad, kDelta);  // east point inside, first outside
  bad += mismatches(8.5 * kRad, 48 * kRad - kDelta / 2, kDelta);  // north point outside
  EXPECT_EQ(bad, 0);
  double h0, hE, hN;
  geographic2altitude3(8.5 * kRad, 47.5 * kRad, kDelta, &h0, &hE, &hN);
  EXPECT_NEAR(h0, 300 + 600 + 300, 1);  // the tile answers
  have_hgt = 0;
}

}  // namespace

// A whole row of longitudes at once gives what the three-point look-up gives for each point:
// rows along the edges where the cascade changes its source, with the longitudes stepping across
// whole degrees, sectors, fifteen-degree windows and the seam, at the globe's spacing and finer.
TEST(ElevationTriple, RowsAreThePointsOneByOne) {
  elevation_data = &elevation_embedded;
  have_hgt = 0;
  const double lat_edges[] = {-90, -89.999, -60, -47.4, -45, -34.2, -10, 0,    21, 22,      27,
                              30,  40,      45,  46.5,  47,  59,    60,  69.8, 88, 89.9999, 90};
  int bad = 0, n = 0;
  for (double la : lat_edges)
    for (double dla : {-kDelta, -kDelta / 2, 0.0, 1e-9})
      for (double step : {0.23, 0.0071})  // degrees between columns
        for (double start : {-3.0, 157.4, 338.8, 719.3}) {
          std::vector<double> lon;
          for (int i = 0; i < 1700; i++) lon.push_back((start + i * step) * kRad);
          lon.push_back(NAN);
          lon.push_back(0.2);
          std::vector<double> h(3 * lon.size());
          const double lat = la * kRad + dla;
          geographic2altitude3_row(lon.data(), (int)lon.size(), lat, kDelta, h.data());
          for (size_t i = 0; i < lon.size(); i++) {
            double h0, hE, hN;
            geographic2altitude3(lon[i], lat, kDelta, &h0, &hE, &hN);
            bad += !same(h[3 * i], h0) + !same(h[3 * i + 1], hE) + !same(h[3 * i + 2], hN);
            n++;
          }
        }
  EXPECT_EQ(bad, 0) << "of " << n;
}
