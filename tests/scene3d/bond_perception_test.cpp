// Element symbols, the bond list operations and bond perception: the distance rules as a table,
// and the cell-list search against a plain loop over every pair.
#include "scene3d/bond_perception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "scene3d/cell_list.h"
#include "scene3d/colour_map.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"
#include "scene3d/symbols.h"

using namespace scene3d;

namespace {

TEST(Symbols, GetOrd) {
  struct {
    const char* symbol;
    int z;
  } cases[] = {{"Fe", 26}, {"FE", 26}, {"CL", 17}, {"Cl", 17},  {"CA", 20},      {"CX", 6},
               {"C1", 6},  {"C", 6},   {"D", 1},   {"H", 1},    {"XX", 0},       {"fe", 0},
               {"HG", 80}, {"Hg", 80}, {"ZN", 30}, {"1C", 0},   {"CAX", 0},      {"", 0},
               {"Q", 0},   {"DD", 0},  {"U", 92},  {"Lr", 103}, {"Fe12345", 26}, {"Fe123456", 0}};
  for (auto c : cases) EXPECT_EQ(GetOrd(c.symbol), c.z) << '"' << c.symbol << '"';
  EXPECT_EQ(GetOrd("FEX", 2), 26) << "only the given length is looked at";
}

TEST(Symbols, ElementColumnsAndResidues) {
  struct {
    char a, b;
    int z;
  } cases[] = {{'C', ' ', 6}, {'Z', 'N', 30}, {'z', 'n', 30}, {'H', 'G', 80}, {'D', ' ', 1},
               {'X', ' ', 0}, {'C', 'X', 0},  {'1', ' ', 0},  {'H', '1', 0}};
  for (auto c : cases) EXPECT_EQ(element_symbol_ord(c.a, c.b), c.z) << c.a << c.b;
  EXPECT_EQ(residue_code("ALA"), 0);
  EXPECT_EQ(residue_code("TRP"), 19);
  EXPECT_EQ(residue_code("HYP"), 23);
  EXPECT_EQ(residue_code("  T"), 27);
  EXPECT_EQ(residue_code("  U"), kNoResidueCode);
  EXPECT_EQ(residue_code("HOH"), kNoResidueCode);
}

class Bonds : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CMap) ASSERT_EQ(InitColorMap(), 0);
    ASSERT_EQ(InitMolData(), 1);
  }
  void TearDown() override {
    fail_alloc_at = 0;
    SetContent(0);
  }
  static void add(int ordinal, double x, double y, double z) {
    ASSERT_EQ(AddBall(ordinal, x, y, z), 0);
    n_atoms++;
  }
  static std::vector<std::pair<int, int>> list() {
    std::vector<std::pair<int, int>> l;
    for (int b = 0; b < n_bonds; b++) l.push_back({bond[b].lo, bond[b].hi});
    return l;
  }
};

TEST_F(Bonds, DistanceRules) {
  struct {
    int p, q;
    double d;
    bool bonded;
  } cases[] = {
      {6, 6, 1.8, true},     {6, 6, 1.9, false},   {7, 7, 1.9, true},    {6, 1, 1.8, false},
      {6, 1, 1.7, true},     {1, 1, 1.05, true},   {1, 1, 1.2, false},   {26, 26, 1.5, false},
      {26, 8, 1.9, false},   {26, 8, 1.55, true},  {6, 6, 0.44, false},  {6, 6, 0.45, true},
      {16, 26, 2.1, true},   {17, 6, 2.1, true},   {16, 6, 2.17, false}, {23, 8, 1.9, true},
      {30, 7, 2.0, false},   {7, 30, 1.9, true},   {8, 8, 1.84, true},   {18, 18, 1.0, false},
      {-1, -1, 1.52, false}, {-8, -1, 0.96, true}, {-6, 1, 1.8, false},  {-16, -6, 2.1, true}};
  for (auto c : cases) {
    SCOPED_TRACE(testing::Message() << c.p << "-" << c.q << " at " << c.d);
    ASSERT_EQ(InitMolData(), 1);
    add(c.p, 0, 0, 0);
    add(c.q, c.d, 0, 0);
    find_bonds(0);
    EXPECT_EQ(n_bonds, c.bonded ? 1 : 0);
    EXPECT_EQ(bond_rule(c.p, c.q, c.d * c.d), c.bonded);
  }
}

// The cell list must find exactly what a loop over every pair finds, whatever the shape of the
// cloud: the half-shell stencil, the clamping at the grid's edges and the enlarged cells of a
// sparse cloud all show here.
TEST_F(Bonds, CellListFindsWhatEveryPairFinds) {
  const int elements[] = {1, 6, 7, 8, 16, 17, 23, 26, -1, -8, 30};
  struct Cloud {
    const char* name;
    int n;
    double sx, sy, sz;  // extent
    int first;
  } clouds[] = {{"one point", 1, 1, 1, 1, 0},
                {"two points", 2, 1.5, 0, 0, 0},
                {"flat", 600, 30, 30, 0, 0},
                {"line", 300, 60, 0, 0, 0},
                {"dense", 3000, 12, 12, 12, 0},
                {"protein-like", 4000, 35, 35, 35, 0},
                {"from a later point", 2000, 15, 15, 15, 700},
                {"sparse", 2000, 5e5, 3e5, 1e5, 0}};
  std::mt19937 rng(20);
  for (const Cloud& c : clouds) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(InitMolData(), 1);
    std::uniform_real_distribution<double> ux(0, c.sx), uy(0, c.sy), uz(0, c.sz);
    std::uniform_int_distribution<int> pick(0, sizeof elements / sizeof elements[0] - 1);
    for (int i = 0; i < c.n; i++) {
      // A sparse cloud still gets close neighbours: every other point sits next to the one before.
      if (c.sx > 1e4 && i % 2 == 1)
        add(elements[pick(rng)], at_r[i - 1].x + 1.2, at_r[i - 1].y, at_r[i - 1].z + 0.3);
      else
        add(elements[pick(rng)], ux(rng), uy(rng), uz(rng));
    }
    std::vector<std::pair<int, int>> want;
    for (int i = c.first; i < n_atoms; i++)
      for (int j = i + 1; j < n_atoms; j++) {
        double dx = (double)at_r[i].x - at_r[j].x, dy = (double)at_r[i].y - at_r[j].y,
               dz = (double)at_r[i].z - at_r[j].z;
        if (bond_rule(at_el[i], at_el[j], dx * dx + dy * dy + dz * dz)) want.push_back({i, j});
      }
    if (c.n > 2) EXPECT_FALSE(want.empty());
    find_bonds(c.first);
    EXPECT_EQ(list(), want);
    EXPECT_EQ(cells, nullptr) << "the search frees its cell list";
  }
}

TEST_F(Bonds, BondsAlreadyListedAreNotAddedAgain) {
  add(6, 0, 0, 0);
  add(6, 1.5, 0, 0);
  add(6, 3.0, 0, 0);
  AddBond_nc(1, 2, 1);
  find_bonds(0);
  EXPECT_EQ(list(), (std::vector<std::pair<int, int>>{{0, 1}, {1, 2}}));
}

TEST_F(Bonds, ListStaysInOrder) {
  for (int k = 0; k < 6; k++) add(6, k, 0, 0);
  EXPECT_EQ(AddBond(4, 2, 0), 1);
  EXPECT_EQ(AddBond(0, 5, 0), 1);
  EXPECT_EQ(AddBond(2, 3, 0), 1);
  EXPECT_EQ(AddBond(1, 3, 0), 1);
  EXPECT_EQ(AddBond(3, 2, 0), 0) << "present";
  EXPECT_EQ(AddBond(3, 3, 0), 0) << "one point";
  EXPECT_EQ(list(), (std::vector<std::pair<int, int>>{{0, 5}, {1, 3}, {2, 4}, {2, 3}}));
  EXPECT_EQ(AddBond(2, 4, 1), 0) << "toggled off";
  EXPECT_EQ(list(), (std::vector<std::pair<int, int>>{{0, 5}, {1, 3}, {2, 3}}));
  AddBond_nc(4, 0, 0);
  AddBond_nc(1, 0, 0);
  sort_bonds(0, n_bonds);
  EXPECT_EQ(list(), (std::vector<std::pair<int, int>>{{0, 5}, {1, 0}, {1, 3}, {2, 3}, {4, 0}}));
}

TEST_F(Bonds, ListGrowthAndFailure) {
  add(6, 0, 0, 0);
  AddBond_nc(0, 1, 0);
  EXPECT_EQ(max_bonds, 2048);
  for (int k = 1; k < 2049; k++) AddBond_nc(k, k + 1, 0);
  EXPECT_EQ(max_bonds, 2048 + 8192);
  EXPECT_EQ(n_bonds, 2049);
  for (int k = n_bonds; k < max_bonds; k++) AddBond_nc(k, k + 1, 0);
  fail_alloc_at = 1;
  AddBond_nc(1, 2, 1);
  EXPECT_EQ(n_bonds, 2048 + 8192) << "no room: nothing stored";
  EXPECT_EQ(bond[n_bonds - 1].lo, n_bonds - 1);
}

// Past its first steps the list grows by half its size: growing by a fixed step, a long list
// would be copied once every 8192 bonds, quadratic in its length.
TEST_F(Bonds, LongListsGrowByHalf) {
  add(6, 0, 0, 0);
  int seen[4] = {0, 0, 0, 0}, k = 0;
  for (int b = 0; b < 30000 && k < 4; b++) {
    AddBond_nc(b, b + 1, 0);
    if (k == 0 || max_bonds != seen[k - 1]) seen[k++] = max_bonds;
  }
  EXPECT_EQ(seen[0], 2048);
  EXPECT_EQ(seen[1], 2048 + 8192);
  EXPECT_EQ(seen[2], 15360);
  EXPECT_EQ(seen[3], 23040);
  EXPECT_EQ(n_bonds, 15361);
}

// Points packed closer than any structure packs them get no bonds and are counted; the points
// of the cells around them still bond with each other as before, but not with them.
TEST_F(Bonds, CrowdedCellsArePassedOver) {
  std::mt19937 rng(4);
  std::uniform_real_distribution<double> u(0, 2);
  const int crowd = 3000;
  for (int i = 0; i < crowd; i++) add(6, u(rng), u(rng), u(rng));
  for (int i = 0; i < 30; i++) add(6, 3.5 + 1.5 * i, 1, 1);
  find_bonds(0);
  std::vector<std::pair<int, int>> want;
  for (int i = crowd; i + 1 < n_atoms; i++) want.push_back({i, i + 1});
  EXPECT_EQ(list(), want);
  EXPECT_EQ(crowded_points, crowd);
  EXPECT_EQ(bond_bound_reached, 0);

  find_bonds(crowd + 10);
  EXPECT_EQ(crowded_points, 0) << "only the points searched from count";
}

// A lattice 0.46 apart, where every point has about 90 neighbours within bonding distance yet
// no cell is crowded, stops at the bound; what it kept are bonds, each once, in order.
TEST_F(Bonds, SearchStopsAtTheBoundOfBondsAPoint) {
  const int side = 16;
  for (int i = 0; i < side; i++)
    for (int j = 0; j < side; j++)
      for (int k = 0; k < side; k++) add(6, 0.46 * i, 0.46 * j, 0.46 * k);
  find_bonds(0);
  EXPECT_EQ(crowded_points, 0);
  EXPECT_EQ(bond_bound_reached, 1);
  ASSERT_EQ(n_bonds, kBondsPerPoint * n_atoms);
  for (int b = 0; b < n_bonds; b++) {
    const point3 &p = at_r[bond[b].lo], &q = at_r[bond[b].hi];
    double dx = (double)p.x - q.x, dy = (double)p.y - q.y, dz = (double)p.z - q.z;
    ASSERT_LT(bond[b].lo, bond[b].hi);
    ASSERT_TRUE(bond_rule(6, 6, dx * dx + dy * dy + dz * dz)) << b;
    if (b > 0)
      ASSERT_TRUE(bond[b - 1].lo < bond[b].lo ||
                  (bond[b - 1].lo == bond[b].lo && bond[b - 1].hi < bond[b].hi))
          << b;
  }
}

TEST_F(Bonds, PlausibleDistances) {
  add(6, 0, 0, 0);
  add(6, 3.0, 0, 0);
  add(6, 3.01, 0, 0);
  add(6, 0.05, 0, 0);
  EXPECT_EQ(test_bond(1, 2), 0);
  EXPECT_EQ(test_bond(1, 3), 1);
  EXPECT_EQ(test_bond(1, 4), 1);
  EXPECT_EQ(test_bond(0, 1), 1) << "points count from 1";
  EXPECT_EQ(test_bond(1, 5), 1) << "beyond the store";
}

}  // namespace
