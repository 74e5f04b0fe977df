// The cascade's order, windows and rules on synthetic tables: every source answers with its own
// signature value, so each case names the source that must have answered.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "earth/elevation.h"
#include "earth/srtm.h"

namespace {

const double kDeg = 57.29577951308232;

// The smallest radians that the cascade turns back into `deg` degrees or more: exactly `deg`
// where some double does so (40, 88, -34.2 ...), else the nearest value above it (60 itself is
// out of reach: no double times the degree factor gives exactly 60).
double rad(double deg) {
  double r = deg / kDeg;
  while (r * kDeg < deg) r = std::nextafter(r, INFINITY);
  while (std::nextafter(r, -INFINITY) * kDeg >= deg) r = std::nextafter(r, -INFINITY);
  return r;
}

double alt(double lon_deg, double lat_deg) {
  return geographic2altitude(rad(lon_deg), rad(lat_deg));
}

const double kHalfDegree = -4004;
double regional_sig(int i) { return 2000 + i; }
double tile75_sig(int i) { return 1000 + i; }
double tile15_sig(int i) { return 3000 + i; }

struct Synthetic {
  std::vector<int16_t> grid05;
  std::vector<std::vector<int16_t>> regional, tile75, tile15;
  std::vector<int16_t> grid10;
  std::vector<int32_t> grid15, grid20, grid30;
  ElevationData data{};  // no sea index: every look-up reads its grid

  Synthetic() : grid05(361 * 720, (int16_t)kHalfDegree), grid10(17 * 36, 10) {
    grid15.assign(11 * 24, 15);
    grid20.assign(9 * 18, 20);
    grid30.assign(5 * 12, 30);
    for (int i = 0; i < ELEV_N_REGIONAL; i++)
      regional.emplace_back((size_t)regional_grids[i].rows * regional_grids[i].cols,
                            (int16_t)regional_sig(i));
    for (int i = 0; i < ELEV_N_TILES75; i++) tile75.emplace_back(76 * 76, (int16_t)tile75_sig(i));
    for (int i = 0; i < ELEV_N_TILES15; i++) tile15.emplace_back(76 * 76, (int16_t)tile15_sig(i));
    wire();
  }
  void wire() {
    data.grid05 = grid05.data();
    for (int i = 0; i < ELEV_N_REGIONAL; i++) data.regional[i] = regional[i].data();
    for (int i = 0; i < ELEV_N_TILES75; i++) data.tile75[i] = tile75[i].data();
    for (int i = 0; i < ELEV_N_TILES15; i++) data.tile15[i] = tile15[i].data();
    data.grid10 = grid10.data();
    data.grid15 = grid15.data();
    data.grid20 = grid20.data();
    data.grid30 = grid30.data();
  }
};

class Cascade : public ::testing::Test {
 protected:
  Synthetic s;
  void SetUp() override {
    elevation_data = &s.data;
    have_hgt = 0;
  }
  void TearDown() override {
    elevation_data = &elevation_embedded;
    have_hgt = 0;
  }
};

struct Case {
  const char* what;
  double lon, lat;  // degrees
  double expected;
};

void run_cases(const std::vector<Case>& cases) {
  for (const Case& c : cases)
    EXPECT_EQ(alt(c.lon, c.lat), c.expected) << c.what << " at " << c.lon << " E " << c.lat << " N";
}

double R(int i) { return regional_sig(i); }

TEST_F(Cascade, SourcesAndWindowEdges) {
  const double pole_n = 1.570795326794897, pole_s = -1.5697963267948971;
  EXPECT_EQ(geographic2altitude(0, pole_n), height_north_pole);
  EXPECT_EQ(geographic2altitude(1, 2.0), height_north_pole);
  EXPECT_EQ(geographic2altitude(0, std::nextafter(pole_n, 0)), kHalfDegree);
  EXPECT_EQ(geographic2altitude(0, pole_s), height_south_pole);
  EXPECT_EQ(geographic2altitude(0, std::nextafter(pole_s, 0)), kHalfDegree);

  run_cases({
      {"above every band", 10, 89.9999, kHalfDegree},
      {"band n90 ends at 88", 100.5, 88, R(ELEV_REGIONAL_n90_e100)},
      {"north of 88", 100.5, 88.001, kHalfDegree},
      {"band n90 starts above 40", 10.5, 40.001, R(ELEV_REGIONAL_n90_w20)},
      {"40 itself is band n40", 10.5, 40, R(ELEV_REGIONAL_n40_w020)},
      {"band n40 starts above -10", 100.5, -9.999, R(ELEV_REGIONAL_n40_e100)},
      {"-10 itself is band s10", 100.5, -10, R(ELEV_REGIONAL_s10_e100)},
      {"band s10 ends above -60", 100.5, -59.999, R(ELEV_REGIONAL_s10_e100)},
      {"south of -60 no band", 100.5, -60.000001, kHalfDegree},
      {"sector w20 west of 0 E", 359.5, 15, R(ELEV_REGIONAL_n40_w020)},
      {"sector w20 east of 0 E", 19.999, 15, R(ELEV_REGIONAL_n40_w020)},
      {"sector e20 starts at 20", 20, 15, R(ELEV_REGIONAL_n40_e20)},
      {"sector e20 ends below 60", 59.999, 15, R(ELEV_REGIONAL_n40_e20)},
      {"sector e60 starts at 60", 60, 15, R(ELEV_REGIONAL_n40_e60)},
      {"sector e140 ends below 180", 179.999, 15, R(ELEV_REGIONAL_n40_e140)},
      {"no n40 grid at 180", 180, 15, kHalfDegree},
      {"no n40 grid at 200", 200, 0, kHalfDegree},
      {"no n40 grid below 220", 219.999, 15, kHalfDegree},
      {"n40 grid again at 220", 220, 15, R(ELEV_REGIONAL_n40_w140)},
      {"n90 grid at 180", 180, 60, R(ELEV_REGIONAL_n90_w180)},
      {"no s10 grid at 60", 60, -35, kHalfDegree},
      {"no s10 grid below 100", 99.999, -35, kHalfDegree},
      {"s10 grid again at 100", 100, -35, R(ELEV_REGIONAL_s10_e100)},
      {"no s10 grid at 259.999", 259.999, -35, kHalfDegree},
      {"s10 grid again at 260", 260, -35, R(ELEV_REGIONAL_s10_w100)},
      {"180 E at 40 S: fifteen-degree nz", 180, -40, tile15_sig(ELEV_TILE15_s45e165)},
      {"nz window ends at -34.2", 180, -34.2, tile15_sig(ELEV_TILE15_s45e165)},
      {"north of the nz window", 180, -34.19, kHalfDegree},
      {"180 E at 46 S: fifteen-degree nzs", 180, -46, tile15_sig(ELEV_TILE15_s60e165)},
      {"nzs window ends at -47.4", 180, -47.4, tile15_sig(ELEV_TILE15_s60e165)},
      {"south of the nzs window", 180, -47.41, kHalfDegree},
      {"just east of 180 at 40 S", 180.001, -40, kHalfDegree},
      {"Hawaii tile at 200 E", 200.5, 21.5, tile75_sig(ELEV_TILE75_n21_w160)},
      {"Hawaii tile at 22 N", 200.5, 22.5, tile75_sig(ELEV_TILE75_n22_w160)},
      {"tile south-west corner", 294, 59, tile75_sig(ELEV_TILE75_n59_w66)},
      {"north of the last tile row", 294.5, 60, R(ELEV_REGIONAL_n90_w100)},
      {"tile row -54", 290.5, -53.5, tile75_sig(ELEV_TILE75_s54_w70)},
      {"tile west of 0 E", 359.5, 42.5, tile75_sig(ELEV_TILE75_n42_w1)},
      {"tile at 0 E", 0.5, 42.5, tile75_sig(ELEV_TILE75_n42_e0)},
      {"longitude -10 is 350", -10, 15, R(ELEV_REGIONAL_n40_w020)},
      {"longitude 370 is 10", 370, 15, R(ELEV_REGIONAL_n40_w020)},
      {"longitude 370 reaches a tile", 370.5, 45.5, tile75_sig(ELEV_TILE75_n45_e10)},
  });
}

// Every one-degree tile answers over its own square from its south-west corner, and only there.
TEST_F(Cascade, EveryTileAnswersInItsSquare) {
  for (int i = 0; i < ELEV_N_TILES75; i++) {
    const Tile75& t = tiles75[i];
    EXPECT_EQ(alt(t.west + 0.5, t.south + 0.5), tile75_sig(i)) << t.name;
    EXPECT_EQ(alt(t.west, t.south), tile75_sig(i)) << t.name;
    EXPECT_EQ(alt(t.west + 0.999, t.south + 0.999), tile75_sig(i)) << t.name;
  }
}

// Every regional grid answers inside its band and sector (away from the one-degree tiles).
TEST_F(Cascade, EveryRegionalGridAnswersInItsArea) {
  for (int i = 0; i < ELEV_N_REGIONAL; i++) {
    const RegionalGrid& g = regional_grids[i];
    double lon = std::fmod(g.west + 20.5, 360), lat = g.north - 24.5;
    if (g.north == 90) lat = 64.5;
    EXPECT_EQ(alt(lon, lat), regional_sig(i)) << g.name;
  }
}

// Each named look-up reads its own table.
TEST_F(Cascade, NamedLookupsReadTheirOwnTables) {
  struct Named {
    const char* name;
    double (*fn)(double, double);
    double lon, lat, expected;
  };
  std::vector<Named> all;
#define X(name, south, west) \
  all.push_back({#name, elev_imp_##name, west + 0.5, south + 0.5, tile75_sig(ELEV_TILE75_##name)});
  ELEV_TILES75(X)
#undef X
#define X(name, west, north, k) \
  all.push_back(                \
      {#name, elev_imp_##name, west + 0.5, north - 0.5, regional_sig(ELEV_REGIONAL_##name)});
  ELEV_REGIONAL_GRIDS(X)
#undef X
#define X(name, table, lat0, lat1, lon0, lon1, south, west) \
  all.push_back(                                                   \
      {#name, elevation15_##name, west + 0.5, south + 0.5, tile15_sig(ELEV_TILE15_##name)});
  ELEV_TILES15(X)
#undef X
  ASSERT_EQ(all.size(), 154u);
  for (const Named& n : all) {
    EXPECT_EQ(n.fn(n.lon, n.lat), n.expected) << n.name;
    // Far outside its own area a look-up takes its nearest edge and never reads past its table.
    for (double lon : {-1e9, -400.0, 0.0, 719.0, 1e9})
      for (double lat : {-1e9, -91.0, 0.0, 91.0, 1e9})
        EXPECT_EQ(n.fn(lon, lat), n.expected) << n.name << " at " << lon << ", " << lat;
    EXPECT_TRUE(std::isnan(n.fn(NAN, n.lat))) << n.name;
    EXPECT_TRUE(std::isnan(n.fn(n.lon, NAN))) << n.name;
  }
}

// The names of the look-ups and tables agree with the corners and edges they hold.
TEST(ElevationTables, NamesMatchPlaces) {
  auto lon_of = [](const std::string& s) {  // "e8" or "w66", "w020"
    int v = std::stoi(s.substr(1));
    return s[0] == 'w' ? (360 - v) % 360 : v;
  };
  auto lat_of = [](const std::string& s) {
    int v = std::stoi(s.substr(1));
    return s[0] == 's' ? -v : v;
  };
  for (const Tile75& t : tiles75) {
    std::string n = std::string(t.name).substr(9);  // after "elev_imp_"
    size_t us = n.find('_');
    EXPECT_EQ(lat_of(n.substr(0, us)), t.south) << t.name;
    EXPECT_EQ(lon_of(n.substr(us + 1)), t.west) << t.name;
  }
  for (const RegionalGrid& g : regional_grids) {
    std::string n = std::string(g.name).substr(9);
    size_t us = n.find('_');
    EXPECT_EQ(lat_of(n.substr(0, us)), g.north) << g.name;
    EXPECT_EQ(lon_of(n.substr(us + 1)), g.west) << g.name;
    EXPECT_TRUE(g.k == 15 || g.k == 20 || g.k == 24) << g.name;
  }
  for (const Tile15& t : tiles15) {
    std::string n = std::string(t.name).substr(12);  // after "elevation15_"
    size_t ew = n.find_first_of("ew", 1);
    EXPECT_EQ(lat_of(n.substr(0, ew)), t.south) << t.name;
    EXPECT_EQ(lon_of(n.substr(ew)), t.west) << t.name;
  }
  int corners[114][360] = {};
  for (const Tile75& t : tiles75) EXPECT_EQ(++corners[t.south + 54][t.west], 1) << t.name;
}

// Where the fine sources say sea (below half a metre) the half-degree grid decides: its depth
// when it is sea too, the fine value when it is land.
TEST_F(Cascade, SeaRule) {
  const int g = ELEV_REGIONAL_n40_e20;
  std::fill(s.regional[g].begin(), s.regional[g].end(), 0);
  EXPECT_EQ(alt(40.5, 15.5), kHalfDegree);
  std::fill(s.grid05.begin(), s.grid05.end(), 77);
  EXPECT_EQ(alt(40.5, 15.5), 0);
  std::fill(s.grid05.begin(), s.grid05.end(), 0);
  EXPECT_EQ(alt(40.5, 15.5), 0);

  // A one-degree tile with sea in column 0 and 1 m in column 1: a quarter of the way between them
  // the fine value is 0.25, still sea to the rule.
  const int t = ELEV_TILE75_n47_e8;
  for (int j = 0; j < 76; j++) {
    s.tile75[t][j * 76 + 0] = 0;
    s.tile75[t][j * 76 + 1] = 1;
  }
  const double lon = 8 + 0.25 / 75, lat = 47.5;
  std::fill(s.grid05.begin(), s.grid05.end(), 5);
  EXPECT_NEAR(alt(lon, lat), 0.25, 1e-9);  // land by the coarse grid: the fine value stands
  std::fill(s.grid05.begin(), s.grid05.end(), 0);
  EXPECT_EQ(alt(lon, lat), 0);  // 0 counts as sea
  std::fill(s.grid05.begin(), s.grid05.end(), -12);
  EXPECT_EQ(alt(lon, lat), -12);
  EXPECT_NEAR(alt(8 + 0.75 / 75, lat), 0.75, 1e-9);  // half a metre and more is land
  // The fifteen-degree tiles keep their depths: no rule.
  std::fill(s.tile15[ELEV_TILE15_s45e165].begin(), s.tile15[ELEV_TILE15_s45e165].end(), -300);
  std::fill(s.grid05.begin(), s.grid05.end(), 40);
  EXPECT_EQ(alt(180, -40), -300);
}

// Orientation and interpolation of each family on tables with a linear height: height = 3 row +
// col + 1 interpolates exactly, so every point has a known answer.
TEST_F(Cascade, OrientationOfEachFamily) {
  const int g = ELEV_REGIONAL_n40_w020;  // north edge 40, west edge 340, 20 a degree
  for (int r = 0; r < 1000; r++)
    for (int c = 0; c < 800; c++) s.regional[g][r * 800 + c] = (int16_t)(3 * r + c + 1);
  auto regional = [](double lon, double lat) {
    double col = (lon < 20 ? lon + 360 - 340 : lon - 340) * 20, row = (40 - lat) * 20;
    return 3 * row + col + 1;
  };
  for (double lon : {340.0, 350.05, 359.99, 0.0, 10.0, 19.95})
    for (double lat : {40.0, 39.97, 15.0, -9.95})
      EXPECT_NEAR(alt(lon, lat), regional(lon, lat), 1e-6) << lon << " " << lat;
  // The last column and row stand for the strip beyond them.
  EXPECT_NEAR(alt(19.99, 15), 3 * 500 + 799 + 1, 1e-6);
  EXPECT_NEAR(alt(345, -9.99), 3 * 999 + 100 + 1, 1e-6);
  EXPECT_NEAR(alt(-10, 15), regional(350, 15), 1e-6);
  EXPECT_NEAR(alt(370, 15), regional(10, 15), 1e-6);
  EXPECT_NEAR(alt(730, 15), regional(10, 15), 1e-6);
  EXPECT_NEAR(alt(-730, 15), regional(350, 15), 1e-6);

  const int t = ELEV_TILE75_n47_e8;  // row 0 south, both edges included
  for (int r = 0; r < 76; r++)
    for (int c = 0; c < 76; c++) s.tile75[t][r * 76 + c] = (int16_t)(3 * r + c + 1);
  for (double dx : {0.0, 0.3, 0.999})
    for (double dy : {0.0, 0.6, 0.999})
      EXPECT_NEAR(alt(8 + dx, 47 + dy), 3 * dy * 75 + dx * 75 + 1, 1e-6) << dx << " " << dy;
  EXPECT_NEAR(elev_imp_n47_e8(9, 48), 3 * 75 + 75 + 1, 1e-9);  // the north-east corner sample

  const int f = ELEV_TILE15_s45e165;  // row 0 south at -45, 0.2 degree
  for (int r = 0; r < 76; r++)
    for (int c = 0; c < 76; c++) s.tile15[f][r * 76 + c] = (int16_t)(3 * r + c + 1);
  EXPECT_NEAR(alt(180, -40), 3 * 25 + 75 + 1, 1e-9);
  EXPECT_NEAR(alt(180, -34.2), 3 * 54 + 75 + 1, 1e-6);
  EXPECT_NEAR(elevation15_s45e165(170.1, -44.9), 3 * 0.5 + 25.5 + 1, 1e-9);
}

// The half-degree grid: row 0 at 90 S, column 719 followed by column 0, any longitude.
TEST_F(Cascade, HalfDegreeGrid) {
  for (int r = 0; r <= 360; r++)
    for (int c = 0; c < 720; c++) s.grid05[r * 720 + c] = (int16_t)(3 * r + c);
  struct {
    double lon, lat, expected;
  } cases[] = {
      {0, 0, 540},           {0.25, 0.25, 540 + 1.5 + 0.5}, {359.5, 0, 540 + 719},
      {359.75, 0, 540 + 359.5}, {-0.25, 0, 540 + 359.5},   {0, 90, 1080},
      {0, -90, 0},           {0, 89.75, 1080 - 1.5},        {720, 0, 540},
      {1080.5, 0, 541},      {-1079.5, 0, 541},             {10, 95, 1080 + 20},
      {10, -95, 20},
  };
  for (auto& c : cases)
    EXPECT_NEAR(geographic2altitude_05(c.lon, c.lat), c.expected, 1e-9) << c.lon << " " << c.lat;
  // Where no fine source covers a point, the cascade gives the same.
  EXPECT_NEAR(alt(200.25, 10.25), geographic2altitude_05(200.25, 10.25), 1e-9);
}

TEST_F(Cascade, BadCoordinatesNeverReadOutside) {
  EXPECT_TRUE(std::isnan(geographic2altitude(NAN, 0.5)));
  EXPECT_TRUE(std::isnan(geographic2altitude(0.5, NAN)));
  EXPECT_TRUE(std::isnan(geographic2altitude(INFINITY, 0.5)));
  EXPECT_TRUE(std::isnan(geographic2altitude_05(NAN, 0)));
  EXPECT_TRUE(std::isnan(geographic2altitude_05(0, INFINITY)));
  EXPECT_TRUE(std::isnan(elev_import75(47, 8, s.tile75[0].data(), NAN, 47)));
  // Longitudes of many turns land on a table like their reduced value.
  EXPECT_EQ(geographic2altitude(1e20, 0.26), alt(std::fmod(1e20 * kDeg, 360.0), 0.26 * kDeg));
  for (double lon : {-1e300, -7e5, 6.3, 6.2831853071795862, 1e5, 1e300})
    EXPECT_TRUE(std::isfinite(geographic2altitude(lon, 0.3))) << lon;
}

// The loaded terrain tile answers first inside its own window, with no sea rule.
TEST_F(Cascade, LoadedTileWindows) {
  SrtmTile t = srtm_classify("N47E008.hgt", 2884802);
  std::vector<unsigned char> bytes(2884802);
  for (size_t i = 0; i < bytes.size(); i += 2) bytes[i + 1] = 0;  // all 0: sea to a fine source
  std::fill(s.grid05.begin(), s.grid05.end(), -50);
  ASSERT_EQ(srtm_take_tile(t, bytes.data(), (int64_t)bytes.size()), 0);
  run_cases({
      {"inside", 8.5, 47.5, 0},
      {"south-west corner", 8, 47, 0},
      {"east edge belongs to the tile", 9, 47.5, 0},
      {"north edge does not", 8.5, 48, tile75_sig(ELEV_TILE75_n48_e8)},
      {"west of it", 7.999, 47.5, tile75_sig(ELEV_TILE75_n47_e7)},
      {"east of it", 9.001, 47.5, tile75_sig(ELEV_TILE75_n47_e9)},
  });

  // A loader that changed the tile globals without taking a tile leaves the copy unused: no
  // sampling of a 1201 x 1201 copy with another geometry.
  is_srtm30 = 1;
  n_cols = 4800;
  n_rows = 6000;
  EXPECT_FALSE(srtm_tile_usable());
  EXPECT_EQ(alt(8.5, 47.5), tile75_sig(ELEV_TILE75_n47_e8));
  EXPECT_EQ(alt(10, 60), R(ELEV_REGIONAL_n90_w20));

  // A thirty-arc-second tile over 340 E to 20 E and 40 N to 90 N.
  SrtmTile w = srtm_classify("W020N90.DEM", 57600000);
  ASSERT_EQ(srtm_take_tile(w, nullptr, 0), 1);  // no bytes: every sample void, filled with 0
  EXPECT_TRUE(srtm_tile_usable());
  run_cases({
      {"15 E is inside", 15, 50, 0},
      {"25 E is outside", 25, 50, R(ELEV_REGIONAL_n90_e20)},
      {"west edge", 340, 50, 0},
      {"west of it", 339.99, 50, R(ELEV_REGIONAL_n90_w60)},
      {"up to 20 E", 19.99, 50, 0},
      {"20 E is outside", 20, 50, R(ELEV_REGIONAL_n90_e20)},
      {"south edge 40", 5.5, 40, 0},
      {"south of it", 5.5, 39.99, R(ELEV_REGIONAL_n40_w020)},
      {"last row of degrees", 5.5, 89.99, 0},
  });
}

TEST_F(Cascade, CoarseGrids) {
  // Row k at -90 + step (k + 1), column j at step j; the poles close each grid.
  for (int k = 0; k < 17; k++)
    for (int j = 0; j < 36; j++) s.grid10[k * 36 + j] = (int16_t)(100 * k + j);
  auto r = [](double d) { return d / kDeg; };
  EXPECT_NEAR(geographic2altitude_10(r(25), r(-75)), 50 + 2.5, 1e-9);
  EXPECT_NEAR(geographic2altitude_10(r(355), r(5)), 850 + 17.5, 1e-9);  // column 35 then 0
  EXPECT_NEAR(geographic2altitude_10(r(-5), r(5)), 850 + 17.5, 1e-9);
  EXPECT_NEAR(geographic2altitude_10(r(0), r(-85)), 0.5 * height_south_pole + 0.5 * 0, 1e-9);
  EXPECT_NEAR(geographic2altitude_10(r(0), r(85)), 0.5 * 1600 + 0.5 * height_north_pole, 1e-9);
  EXPECT_EQ(geographic2altitude_10(0, 1.5704821675295375), height_north_pole);
  EXPECT_EQ(geographic2altitude_15(0, -1.5704821675295375), height_south_pole);
  EXPECT_NEAR(geographic2altitude_15(r(7.5), r(-67.5)), 15, 1e-9);
  EXPECT_TRUE(std::isnan(geographic2altitude_10(NAN, 0)));
  testing::internal::CaptureStdout();
  EXPECT_NEAR(geographic2altitude_20(r(10), r(-60)), 20, 1e-9);
  EXPECT_NEAR(geographic2altitude_30(r(10), r(75)), 0.5 * 30 + 0.5 * height_north_pole, 1e-9);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "th0,th1=1,2\nth0,th1=5,6\n");
}

TEST(ElevationQuery, PrintsFiveRowsOf76Points) {
  testing::internal::CaptureStdout();
  print_elev_cmd(-45, 165);
  std::string out = testing::internal::GetCapturedStdout();
  ASSERT_EQ(out.substr(0, 22), "======\nbreite: -45.0\n\n");
  EXPECT_EQ(out.back(), '\n');
  std::vector<std::string> lines;
  size_t at = 22;
  while (at < out.size() - 1) {
    size_t nl = out.find('\n', at + 1);
    lines.push_back(out.substr(at + 1, nl - at - 1));
    at = nl;
  }
  ASSERT_EQ(lines.size(), 5u);
  for (const std::string& l : lines) {
    size_t key = l.find("locations=");
    ASSERT_NE(key, std::string::npos);
    EXPECT_EQ(key + 10, l.find_first_of("-0123456789", key)) << l;
    EXPECT_EQ(std::count(l.begin(), l.end(), '|'), 75);
  }
  EXPECT_NE(lines[0].find("locations=-45.0,165.0|-45.0,165.2|"), std::string::npos);
  EXPECT_NE(lines[4].find("|-44.2,179.8|-44.2,179.90"), std::string::npos);  // 180 is written 179.9
  testing::internal::CaptureStdout();
  print_elev_cmd(30, 170);
  out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("|30.0,179.8|30.0,179.90|30.0,-179.8|"), std::string::npos);
}

}  // namespace
