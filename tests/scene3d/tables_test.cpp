// The element tables against python3-periodictable, the colour map against colorsys and its
// fixed entries, the radius operations and the grid test.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "reader_fixture.h"
#include "scene3d/colour_map.h"
#include "scene3d/elements.h"
#include "scene3d/grid.h"
#include "scene3d/radii.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"
#include "support/python_reference.h"

using namespace scene3d;

namespace {

std::vector<std::vector<double>> reference(const std::string& mode) {
  std::vector<std::vector<double>> rows;
  std::string error;
  EXPECT_TRUE(python_rows("scene3d/tables_reference.py", mode, &rows, &error)) << error;
  return rows;
}

TEST(ElementTables, SymbolsAndMassesMatchThePeriodicTable) {
  auto rows = reference("elements");
  ASSERT_EQ(rows.size(), 103u);
  for (const auto& r : rows) {
    int z = (int)r[0];
    SCOPED_TRACE(z);
    EXPECT_EQ(ElemNames[z - 1][0], (char)r[2]);
    EXPECT_EQ(ElemNames[z - 1][1], (char)r[3]);
    // Isotope mass numbers differ between editions by a unit or two; weights by a few hundredths.
    bool mass_number = mass[z] == std::floor(mass[z]);
    EXPECT_NEAR(mass[z], r[1], mass_number ? 2.0 : 0.05);
  }
  EXPECT_EQ(mass[0], 0);
  EXPECT_EQ(mass[100], 257);
  EXPECT_EQ(mass[112], 277);
  EXPECT_EQ(mass[113], 0);
}

TEST(ElementTables, RadiiAndMetals) {
  // The ends of each row of the radius table, where a shifted entry would show.
  struct {
    int z;
    float r;
  } radii[] = {{0, 0},      {1, 0.85f},  {9, 1.24f},  {13, 1.431f}, {19, 2.43f}, {33, 1.0f},
               {36, 0.88f}, {55, 2.98f}, {79, 1.44f}, {82, 1.5f},   {83, 1.3f},  {103, 1.3f}};
  for (auto c : radii) EXPECT_EQ(ElemRadBack[c.z], c.r) << c.z;
  InitMetalTable();
  int metals = 0;
  for (int z = 0; z < 128; z++) metals += MetalTable[z];
  EXPECT_EQ(metals, 2 + 4 + 14 + 14 + 28 + (127 - 86));
  EXPECT_TRUE(isElMetallic(26));
  EXPECT_FALSE(isElMetallic(6));
  EXPECT_FALSE(isElMetallic(86));
}

class Map : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(InitColorMap(), 0); }
  static std::vector<int> entry(int e) { return {CMap[3 * e], CMap[3 * e + 1], CMap[3 * e + 2]}; }
};

TEST_F(Map, FixedEntriesAfterInit) {
  EXPECT_EQ(CMapSize, 692);
  EXPECT_EQ(CMapAlloc, 692);
  struct {
    int e;
    std::vector<int> rgb;
  } cases[] = {{0, {0, 0, 0}},         {5, {128, 0, 128}},
               {8, {192, 192, 192}},   {14, {0, 255, 255}},
               {15, {0, 0, 0}},        {15 + 6, {80, 170, 160}},
               {101, {31, 56, 71}},    {15 + 103, {245, 15, 245}},
               {119, {240, 255, 0}},   {120, {125, 125, 125}},
               {647, {230, 10, 10}},   {659, {190, 160, 110}},
               {660, {140, 255, 140}}, {690, {255, 0, 255}}};
  for (const auto& c : cases) EXPECT_EQ(entry(c.e), c.rgb) << c.e;
  EXPECT_FLOAT_EQ(CMap_f[3 * 14 + 1], 1.02f);
  EXPECT_EQ(CMap_f[3 * 8], 192 * 0.004f);
}

TEST_F(Map, GroupColoursMatchColorsys) {
  auto rows = reference("groups");
  ASSERT_EQ(rows.size(), 256u);
  for (const auto& r : rows) {
    int i = (int)r[0];
    auto got = entry(startGroup + i);
    for (int c = 0; c < 3; c++) EXPECT_NEAR(got[c], r[1 + c], 1) << "group " << i;
  }
  EXPECT_EQ(entry(startGroup + 4), (std::vector<int>{229, 103, 107}));
}

TEST_F(Map, UserColoursGrowBySixteen) {
  ClearColor();
  EXPECT_EQ(AddColor(10, 20, 30), 691);
  EXPECT_EQ(CMapAlloc, 692);
  EXPECT_EQ(AddColor(300, -1, 256), 692);
  EXPECT_EQ(CMapAlloc, 708);
  EXPECT_EQ(entry(692), (std::vector<int>{44, 255, 0}));
  EXPECT_FLOAT_EQ(CMap_f[3 * 692 + 1], 1.02f);
  // A colour the map cannot grow for is black, and the map stays whole.
  for (int k = 2; k < 17; k++) AddColor(1, 2, 3);
  fail_alloc_at = 1;
  EXPECT_EQ(AddColor(4, 5, 6), 0);
  fail_alloc_at = 0;
  EXPECT_EQ(CMapSize, 708);
  EXPECT_EQ(entry(691), (std::vector<int>{10, 20, 30}));
  ClearColor();
  EXPECT_EQ(CMapSize, 691);
  EXPECT_EQ(AddColor(7, 8, 9), 691);
}

class Grid : public ReaderTables {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(ReaderTables::SetUp());
    ASSERT_EQ(InitMolData(), 1);
  }
  static void point(double x, double y, double z = 0) {
    ASSERT_EQ(AddBall(100, x, y, z), 0);
    n_atoms++;
  }
  // nx x ny points at spacing d, x fastest or y fastest.
  static void lattice(int nx, int ny, double d, bool x_fastest) {
    for (int a = 0; a < (x_fastest ? ny : nx); a++)
      for (int b = 0; b < (x_fastest ? nx : ny); b++)
        x_fastest ? point(b * d, a * d, a * 100 + b) : point(a * d, b * d, b * 100 + a);
  }
};

TEST_F(Grid, RadiusRuleFromTheSpacing) {
  struct {
    double d;
    float radius, magn;
  } cases[] = {{90, 72, 1},         {30, 24, 1},          {0.9, 1.44f, 0.5f},
               {0.4, 1.28f, 0.25f}, {0.2, 1.28f, 0.125f}, {0.001, 0.01f, 0.125f},
               {200, 100, 1},       {-90, 100, 0.125f}};
  for (auto c : cases) {
    zmat_delta = c.d;
    find_radius();
    EXPECT_FLOAT_EQ(ElemRad[100], c.radius) << c.d;
    EXPECT_EQ(RadMagn, c.magn) << c.d;
  }
}

TEST_F(Grid, DisplayRadiiComeFromTheTable) {
  point(0, 0);
  ASSERT_EQ(AddBall(-26, 1, 1, 1), 0);
  n_atoms++;
  ASSERT_EQ(AddBall(0, 1, 1, 1), 0);
  n_atoms++;
  RadMagn = 0.5f;
  ElemRad[100] = 3;
  EXPECT_FLOAT_EQ(RadiusElement(), 0.5f * 0.039f / 0.42f);
  EXPECT_EQ(at[0].rad, 1.5f);
  EXPECT_EQ(at[1].rad, 0.65f) << "a flagged point takes its element's radius";
  EXPECT_EQ(at[2].rad, 0.5f);
  SetRad(-6, -300);
  EXPECT_EQ(GetRad(6), 100);
  SetRad(6, 0.001f);
  EXPECT_EQ(GetRad(-6), 0.01f);
  EXPECT_EQ(GetRad(104), 1.0f);
}

TEST_F(Grid, RegularGridsAreFoundAndReordered) {
  lattice(3, 2, 1.5, false);
  EXPECT_EQ(check_z_matrix(), 2);
  EXPECT_EQ(zmat_nx, 3);
  EXPECT_EQ(zmat_ny, 2);
  EXPECT_EQ(zmat_varyx, 0);
  EXPECT_EQ(zmat_delta, 1.5);
  change_xy();
  // Now x runs fastest: rows of three along x, and the counts still name the axes.
  EXPECT_EQ(zmat_varyx, 1);
  EXPECT_EQ(zmat_nx, 3);
  EXPECT_EQ(zmat_ny, 2);
  for (int i = 0; i < 6; i++) {
    EXPECT_EQ(at_r[i].x, (i % 3) * 1.5f) << i;
    EXPECT_EQ(at_r[i].y, (i / 3) * 1.5f) << i;
    EXPECT_EQ(at_r[i].z, (i / 3) * 100 + i % 3) << i;
  }
  EXPECT_EQ(check_z_matrix(), 2);
  EXPECT_EQ(zmat_varyx, 1);
}

TEST_F(Grid, WhatIsNotAGrid) {
  EXPECT_EQ(check_z_matrix(), 0) << "no points";
  point(5, 5);
  EXPECT_EQ(check_z_matrix(), 1) << "one point";
  SetContent(0);

  // A 3 x 3 lattice less one point.
  InitMolData();
  lattice(3, 3, 1, true);
  n_atoms--;
  EXPECT_EQ(check_z_matrix(), 0);
  EXPECT_EQ(zmat_nx, 3);

  // A point off the lattice by more than 0.3 steps.
  SetContent(0);
  InitMolData();
  lattice(4, 4, 2, true);
  at_r[7].y += 0.7f;
  EXPECT_EQ(check_z_matrix(), 0);
  EXPECT_EQ(zmat_nx, 0);

  // Two points that differ along both axes.
  SetContent(0);
  InitMolData();
  point(0, 0);
  point(1, 1);
  EXPECT_EQ(check_z_matrix(), 0);
}

// More than 200 points and fewer than 11 columns: point 10 lies in another row.
TEST_F(Grid, NarrowLargeGridsAreFound) {
  lattice(5, 50, 0.25, true);
  EXPECT_EQ(check_z_matrix(), 2);
  EXPECT_EQ(zmat_nx, 5);
  EXPECT_EQ(zmat_ny, 50);
  EXPECT_EQ(zmat_delta, 0.25);
  SetContent(0);
  InitMolData();
  lattice(40, 7, 3, true);
  EXPECT_EQ(check_z_matrix(), 2);
  EXPECT_EQ(zmat_nx, 40);
  EXPECT_EQ(zmat_varyx, 1);
}

}  // namespace
