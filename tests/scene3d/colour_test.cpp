// Colour schemes and the surface analysis: ramps and indices of the simple schemes, the flagged
// colour under every code, the terrain palette, and curvatures and slopes of analytic surfaces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "scene3d/colour_map.h"
#include "scene3d/colour_schemes.h"
#include "scene3d/colour_surface.h"
#include "scene3d/grid.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"

using namespace scene3d;

namespace {

using Rgb = std::vector<int>;

class Colours : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(InitColorMap(), 0);
    ASSERT_EQ(InitMolData(), 1);
    isXYZ2d = 0;
    zmat_delta_y = 0;
  }
  void TearDown() override {
    fail_alloc_at = 0;
    SetContent(0);
    colSelection = 54;
  }
  static void point(int ordinal, double x, double y, double z) {
    ASSERT_EQ(AddBall(ordinal, x, y, z), 0);
    n_atoms++;
  }
  static Rgb rgb(int entry) { return {CMap[3 * entry], CMap[3 * entry + 1], CMap[3 * entry + 2]}; }
  static Rgb shown(int i) { return rgb(at[i].col); }
  static Rgb ramp(int k) { return rgb(startCharge + k); }
  // An nx x ny grid, x fastest, spacings dx and dy, heights z(x, y) around the centre.
  static void grid(int nx, int ny, double dx, double dy,
                   const std::function<double(double, double)>& z) {
    for (int i = 0; i < ny; i++)
      for (int j = 0; j < nx; j++) {
        double x = (j - nx / 2) * dx, y = (i - ny / 2) * dy;
        ASSERT_EQ(append_grid_point(x, y, z(x, y)), 0);
      }
    zmat_nx = nx, zmat_ny = ny, zmat_delta = dx, zmat_delta_y = dy == dx ? 0 : dy;
    isXYZ2d = 2;
  }
};

TEST_F(Colours, HeightRamp) {
  for (int i = 0; i < 3; i++) point(6, i, 0, 4.0);
  colSelection = 54;
  ColorUpdate();
  for (int i = 0; i < 3; i++) EXPECT_EQ(shown(i), (Rgb{38, 191, 191}));
  EXPECT_EQ(ramp(255 - 64), (Rgb{114, 191, 38}));
  EXPECT_EQ(ramp(255 - 128), (Rgb{191, 38, 38}));
  EXPECT_EQ(ramp(0), (Rgb{191, 38, 38}));
  // Lowest to highest point: ramp positions 0 and 200.
  at_r[1].z = 0;
  at_r[2].z = 10;
  ColorUpdate();
  EXPECT_EQ(at[1].col, startCharge + 255);
  EXPECT_EQ(at[0].col, startCharge + 255 - 80);
  EXPECT_EQ(at[2].col, startCharge + 255 - 200);
}

TEST_F(Colours, BFactorsSpreadAroundTheMedian) {
  float b[] = {10, 20, 30, 40, 50};
  for (int i = 0; i < 5; i++) {
    point(6, i, 0, 0);
    set_temperature(i, b[i]);
  }
  colSelection = 58;
  ColorUpdate();
  int want[] = {0, 127, 200, 230, 254};
  for (int i = 0; i < 5; i++) EXPECT_EQ(at[i].col, startCharge + want[i]) << b[i];
  EXPECT_EQ(ramp(0), (Rgb{25, 38, 63}));
  EXPECT_EQ(ramp(128), (Rgb{138, 101, 145}));
  EXPECT_EQ(ramp(255), (Rgb{226, 91, 91}));
  for (int i = 0; i < 5; i++) set_temperature(i, 33);
  ColorUpdate();
  for (int i = 0; i < 5; i++) EXPECT_EQ(at[i].col, startCharge + 128);
}

TEST_F(Colours, ChargesStayOnTheRamp) {
  float q[] = {0, -0.1f, 0.1f, -20, 20, -12.8f, 12.7f};
  int want[] = {128, 127, 129, 0, 255, 0, 255};
  for (int i = 0; i < 7; i++) {
    point(6, i, 0, 0);
    set_charge(i, q[i]);
  }
  colSelection = 53;
  ColorUpdate();
  for (int i = 0; i < 7; i++) EXPECT_EQ(at[i].col, startCharge + want[i]) << q[i];
  EXPECT_EQ(ramp(128), (Rgb{181, 191, 181}));
  EXPECT_EQ(ramp(127), (Rgb{36, 183, 162}));
  EXPECT_EQ(ramp(129), (Rgb{198, 156, 39}));
}

TEST_F(Colours, MassPositionAndOrder) {
  for (int i = 0; i < 4; i++) point(100, i, 0, 0);
  colSelection = 410;
  ColorUpdate();
  EXPECT_EQ(shown(3), (Rgb{51, 44, 63}));
  EXPECT_EQ(ramp(0), (Rgb{158, 226, 158}));
  colSelection = 106;
  ColorUpdate();
  EXPECT_EQ(at[2].col, startCharge + 128);
  EXPECT_EQ(ramp(0), (Rgb{57, 191, 191}));
  colSelection = 107;
  ColorUpdate();
  // Centre 1.5; distances 1.5, 0.5, 0.5, 1.5 of R = 1.5: u = 1.5 (less 1) and 0.5.
  EXPECT_EQ(at[0].col, startCharge + 127);
  EXPECT_EQ(at[1].col, startCharge + 127);
  EXPECT_EQ(ramp(100), (Rgb{127, 25, 25}));
}

// An empty scene: some schemes leave everything alone, others still write their ramp.
TEST_F(Colours, EmptyScene) {
  struct {
    int code;
    bool writes;
  } cases[] = {{58, false}, {107, false}, {410, false}, {54, true}, {106, true}};
  for (auto c : cases) {
    SCOPED_TRACE(c.code);
    memset(CMap + 3 * startCharge, 7, 3 * 256);
    colSelection = c.code;
    ColorUpdate();
    EXPECT_EQ(ramp(10) != (Rgb{7, 7, 7}), c.writes);
    EXPECT_EQ(colSelection, c.code);
  }
  colSelection = 58;
  memset(CMap + 3 * startCharge, 7, 3 * 256);
  Color_Mass();
  EXPECT_EQ(colSelection, 58);
}

TEST_F(Colours, FlaggedPointsShowTheSpecialColourUnderEveryScheme) {
  point(8, 0, 0, 0);
  point(-8, 1, 1, 1);
  point(1, 2, 0, 5);
  set_temperature(0, 5);
  set_charge(0, 1);
  add_backbone(1);
  for (int code : {51, 52, 53, 54, 57, 58, 97, 105, 106, 107, 410, 999}) {
    at[1].col = 0;
    colSelection = code;
    ColorUpdate();
    EXPECT_EQ(shown(1), (Rgb{240, 255, 0})) << code;
    EXPECT_LT(at[0].col, CMapSize) << code;
  }
  EXPECT_EQ(get_shapely(0), 30);
  EXPECT_EQ(get_amino(0), 12);
}

// The schemes of fixed ranges, called by name, without their lists and with them: each point's
// index, the flagged point's special colour, the code each leaves, and the float copy of the
// map refreshed (by all but the group scheme).
TEST_F(Colours, FixedRangeSchemes) {
  const int flagged = startSpec;
  point(8, 0, 0, 0);
  point(6, 1, 0, 0);
  point(-7, 2, 0, 0);
  point(100, 3, 0, 0);
  point(26, 4, 0, 0);
  struct Scheme {
    const char* name;
    void (*run)();
    int code;  // 0: leaves colSelection as it was
    bool refreshes;
  };
  const Scheme user{"user", ColorUser, 51, true}, groups{"group", ColorGroup, 52, false},
      amino{"amino", ColorAmino, 57, true}, residues{"residue", ColorShapely, 97, true},
      backbone{"backbone", Color_bb, 105, true}, elements{"element", ColorElement, 0, true};
  auto check = [&](const Scheme& s, std::vector<int> want) {
    SCOPED_TRACE(s.name);
    for (int i = 0; i < n_atoms; i++) at[i].col = 9999;
    for (int k = 0; k < 3 * CMapSize; k++) CMap_f[k] = -1;
    colSelection = 1;
    s.run();
    for (int i = 0; i < n_atoms; i++) EXPECT_EQ(at[i].col, want[i]) << "point " << i;
    EXPECT_EQ(colSelection, s.code ? s.code : 1);
    EXPECT_EQ(CMap_f[3 * 5 + 1] == CMap[3 * 5 + 1] * 0.004f, s.refreshes);
  };
  check(user, {0, 0, flagged, 0, 0});
  check(groups, {startGroup, startGroup, flagged, startGroup, startGroup});
  const int no_residue = startAmino + 12;
  check(amino, {no_residue, no_residue, flagged, no_residue, no_residue});
  check(residues, {startShapely + 30, startShapely + 30, flagged, startShapely + 30, startShapely + 30});
  check(backbone, {12, 12, flagged, 12, 12});
  check(elements, {startElem + 8, startElem + 6, flagged, startElem + 100, startElem + 26});

  // User colours are entries added to the map; an index beyond the map shows black.
  const int mine = AddColor(10, 20, 30);
  ASSERT_EQ(mine, startUser);
  set_usercol(0, mine);
  set_usercol(1, CMapSize);
  set_usercol(3, startElem + 6);
  check(user, {mine, 0, flagged, startElem + 6, 0});
  EXPECT_EQ(shown(0), (Rgb{10, 20, 30}));
  group = (uint16_t*)scene_malloc(5 * sizeof(uint16_t));
  ASSERT_NE(group, nullptr);
  have_groups = 1, alloc_groups = 5;
  const uint16_t g[] = {1, 300, 5, 0, 255};
  memcpy(group, g, sizeof g);
  check(groups, {startGroup + 1, startGroup + 44, flagged, startGroup, startGroup + 255});
  const int codes[] = {0, 5, 12, 30, 29};
  for (int i = 0; i < 5; i++) set_shapely_i(i, codes[i]);
  check(residues, {startShapely, startShapely + 5, flagged, startShapely + 30, startShapely + 29});
  check(amino, {startAmino + amino_tab[0], startAmino + amino_tab[5], flagged,
                startAmino + amino_tab[30], startAmino + amino_tab[29]});
  for (int i : {1, 4, 2, 99, -3}) add_backbone(i);  // 99 and -3 name no point
  check(backbone, {12, 10, flagged, 12, 10});
}

// The surface analysis by name: on a grid each runs its analysis type, off a grid nothing.
TEST_F(Colours, SurfaceAnalysisByName) {
  struct {
    void (*run)();
    int type;
  } wrappers[] = {{Color_POW, 1}, {Color_AST, 2}, {Color_GAUSS, 4},
                  {Color_THETA, 5}, {Color_CURVMAX, 6}, {Color_PHI, 7}};
  grid(9, 8, 1, 1.5, [](double x, double y) { return 0.05 * x * x - 0.02 * x * y + 0.1 * y; });
  for (const auto& w : wrappers) {
    SCOPED_TRACE(w.type);
    ASSERT_EQ(calc_ap_col(w.type), 0);
    std::vector<uint16_t> cols;
    for (int i = 0; i < n_atoms; i++) cols.push_back(at[i].col), at[i].col = 3;
    std::vector<uint8_t> ramp_bytes(CMap + 3 * startCharge, CMap + 3 * (startCharge + 256));
    memset(CMap + 3 * startCharge, 7, 3 * 256);
    w.run();
    for (int i = 0; i < n_atoms; i++) ASSERT_EQ(at[i].col, cols[i]) << i;
    EXPECT_TRUE(std::equal(ramp_bytes.begin(), ramp_bytes.end(), CMap + 3 * startCharge));
    isXYZ2d = 1;
    for (int i = 0; i < n_atoms; i++) at[i].col = 3;
    w.run();
    for (int i = 0; i < n_atoms; i++) ASSERT_EQ(at[i].col, 3) << "off a grid, point " << i;
    isXYZ2d = 2;
  }
}

TEST_F(Colours, LensSchemesChangeNothing) {
  point(6, 0, 0, 0);
  at[0].col = 77;
  std::vector<uint8_t> before(CMap, CMap + 3 * CMapSize);
  for (int code : {418, 419, 421}) {
    colSelection = code;
    ColorUpdate();
    EXPECT_EQ(at[0].col, 77);
    EXPECT_EQ(colSelection, code);
  }
  EXPECT_EQ(std::vector<uint8_t>(CMap, CMap + 3 * CMapSize), before);
}

TEST_F(Colours, GridCodesOnPointsThatAreNoGridRecolourNothing) {
  for (int i = 0; i < 20; i++) point(100, i, i * i, 0);
  for (int i = 0; i < 20; i++) at[i].col = 5;
  for (int code : {411, 412, 413, 414, 415, 420}) {
    colSelection = code;
    ColorUpdate();
  }
  for (int i = 0; i < 20; i++) EXPECT_EQ(at[i].col, 5);
}

// The terrain palette by slope and height (first rule that applies).
TEST_F(Colours, TerrainPalette) {
  struct {
    double slope_deg, centre_height;
    int entry;
    Rgb rgb;
  } cases[] = {{0, 0, 255, {20, 30, 130}},     {0, 2000, 255, {20, 30, 130}},
               {30, 0, 1, {150, 150, 150}},    {25, 0, 2, {120, 150, 120}},
               {10, 3501, 0, {200, 200, 200}}, {10, 2000, 110, {79, 178, 26}},
               {10, 100, 253, {10, 150, 30}},  {10, 1.5, 254, {100, 100, 100}},
               {10, 650, 249, {50, 190, 70}},  {10, 150, 247, {12, 152, 32}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.slope_deg);
    SCOPED_TRACE(c.centre_height);
    SetContent(0);
    InitMolData();
    isHgt = 1;
    double t = std::tan(c.slope_deg * M_PI / 180);
    grid(9, 9, 30, 30, [&](double x, double) { return c.centre_height + t * x; });
    ASSERT_EQ(calc_ap_col(6), 0);
    int centre = 4 * 9 + 4;
    EXPECT_EQ(at[centre].col, startCharge + c.entry);
    EXPECT_EQ(shown(centre), c.rgb);
  }
  EXPECT_EQ(t_max, 30);
}

TEST_F(Colours, AnalysisOffTerrain) {
  grid(8, 8, 1, 1, [](double, double) { return 3.0; });
  ASSERT_EQ(calc_ap_col(2), 0);
  EXPECT_EQ(shown(20), (Rgb{26, 53, 178}));
  ASSERT_EQ(calc_ap_col(1), 0);
  EXPECT_EQ(at[20].col, startCharge + 127);
  SetContent(0);
  InitMolData();
  grid(8, 8, 1, 1, [](double x, double) { return 0.5 * x; });
  ASSERT_EQ(calc_ap_col(7), 0);
  for (int i = 0; i < 64; i++) EXPECT_EQ(at[i].col, startCharge + 63) << i;
}

// z = (x^2 + y^2) / 2R has H = 1/R and K = 1/R^2 at its apex, and the mean and Gaussian
// curvature of a graph everywhere; the border rows come from the extrapolation. With y spacing
// different from x spacing the results must not change.
TEST_F(Colours, ParaboloidCurvatures) {
  const double R = 50;
  for (double dy : {1.0, 2.5}) {
    SCOPED_TRACE(dy);
    SetContent(0);
    InitMolData();
    grid(21, 17, 1, dy, [&](double x, double y) { return (x * x + y * y) / (2 * R); });
    ASSERT_EQ(calc_ap_col(1), 0);
    std::vector<float> H(n_atoms);
    for (int i = 0; i < n_atoms; i++) H[i] = get_charge(i);
    ASSERT_EQ(calc_ap_col(4), 0);
    for (int i = 0; i < n_atoms; i++) {
      double p = at_r[i].x / R, q = at_r[i].y / R, w = 1 + p * p + q * q;
      double h = ((1 + q * q) + (1 + p * p)) / R * 0.5 / (w * std::sqrt(w));
      double k = 1 / (R * R) / (w * w);
      EXPECT_NEAR(H[i], 1000 * h, 1e-3) << i;
      // Heights are single precision; the border rows amplify their rounding a little.
      EXPECT_NEAR(get_charge(i), 1e6 * k, 1e-4 * 1e6 * k) << i;
    }
    int centre = 8 * 21 + 10;
    EXPECT_NEAR(H[centre], 1000 / R, 1e-4);
    EXPECT_NEAR(get_charge(centre), 1e6 / (R * R), 1e-3);
  }
}

TEST_F(Colours, PlaneSlopeEverywhere) {
  const double a = 0.3, b = -0.4;  // slope atan(0.5)
  grid(12, 9, 2, 3, [&](double x, double y) { return a * x + b * y + 7; });
  ASSERT_EQ(calc_ap_col(5), 0);
  double want = std::atan(std::sqrt(a * a + b * b)) * 180 / M_PI;
  for (int i = 0; i < n_atoms; i++) EXPECT_NEAR(get_charge(i), want, 1e-4) << i;
}

// Failures leave ramp and indices as they were: a grid too small, or no working storage.
TEST_F(Colours, FailedAnalysisChangesNothing) {
  grid(8, 8, 1, 1, [](double x, double y) { return x * y; });
  for (int i = 0; i < n_atoms; i++) at[i].col = 9;
  memset(CMap + 3 * startCharge, 7, 3 * 256);
  for (int k = 1; k <= 3; k++) {
    fail_alloc_at = k;
    EXPECT_EQ(calc_ap_col(2), 1) << k;
  }
  zmat_nx = 3;
  EXPECT_EQ(calc_ap_col(2), 1);
  zmat_nx = 9;
  EXPECT_EQ(calc_ap_col(2), 1) << "more nodes than points";
  for (int i = 0; i < n_atoms; i++) EXPECT_EQ(at[i].col, 9);
  EXPECT_EQ(ramp(3), (Rgb{7, 7, 7}));
}

}  // namespace
