// The scene point store: growth of the point arrays and the lists, what a failed allocation
// leaves, the removal of flagged points, and moving a whole store out and back.
#include <gtest/gtest.h>

#include <cstring>

#include "scene3d/colour_map.h"
#include "scene3d/elements.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"

using namespace scene3d;

namespace {

class Store : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CMap) ASSERT_EQ(InitColorMap(), 0);
    default_radii();
    ASSERT_EQ(InitMolData(), 1);
    v.clear();
  }
  void TearDown() override {
    fail_alloc_at = 0;
    SetContent(0);
  }
  static void add_points(int n, int ordinal = 6) {
    for (int i = 0; i < n; i++) {
      ASSERT_EQ(AddBall(ordinal, i, 2 * i, 3 * i), 0);
      n_atoms++;
    }
  }
};

TEST_F(Store, PointArraysGrowByTheTable) {
  EXPECT_EQ(atoms_allocated, 8192);
  EXPECT_EQ(AllocMoreAtoms(0), 1) << "no points: nothing to grow";
  EXPECT_EQ(atoms_allocated, 8192);
  add_points(8192);
  EXPECT_EQ(atoms_allocated, 8192);
  add_points(1);
  EXPECT_EQ(atoms_allocated, 24576);
  EXPECT_EQ(AllocMoreAtoms(100000), 1);
  EXPECT_EQ(AllocMoreAtoms(0), 1);
  EXPECT_EQ(atoms_allocated, 400000);
  // Contents survive every growth.
  EXPECT_EQ(at_r[8191].x, 8191.0f);
  EXPECT_EQ(at_r[8191].z, 3 * 8191.0f);
  EXPECT_EQ(at_el[8192], 6);
}

TEST_F(Store, CapacityBeyondTheCapIsRefused) {
  add_points(3);
  EXPECT_EQ(AllocMoreAtoms((int64_t)kMaxPoints + 1), 0);
  EXPECT_EQ(atoms_allocated, 8192);
  EXPECT_EQ(n_atoms, 3);
}

// Whichever of the four blocks cannot be allocated, a full store stays as it was, AddBall says
// so, and the caller's count stays within the arrays.
TEST_F(Store, FailedGrowthChangesNothing) {
  ASSERT_EQ(AllocMoreAtoms(4), 1);
  add_points(4);
  for (int k = 1; k <= 4; k++) {
    SCOPED_TRACE(k);
    render_rec* old_at = at;
    fail_alloc_at = k;
    EXPECT_EQ(AddBall(8, 9, 9, 9), 1);
    EXPECT_EQ(n_atoms, 4);
    EXPECT_EQ(atoms_allocated, 4);
    EXPECT_EQ(at, old_at);
    EXPECT_EQ(at_r[3].y, 6.0f);
  }
  fail_alloc_at = 1;
  EXPECT_EQ(append_grid_point(9, 9, 9), 1);
  EXPECT_EQ(n_atoms, 4) << "a point that was not stored is not counted";
  EXPECT_EQ(append_grid_point(9, 9, 9), 0);
  EXPECT_EQ(n_atoms, 5);
  EXPECT_EQ(atoms_allocated, 12);
}

TEST_F(Store, AddBallGivesEveryPointARadiusAndAColour) {
  ElemRad[8] = 2.5f;
  struct Case {
    int ordinal;
    float radius;
    int colour;
  } cases[] = {
      {8, 2.5f, 15 + 8}, {-8, 2.5f, 119}, {100, 1.3f, 15 + 100}, {0, 1.0f, 15}, {120, 1.0f, 15}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ordinal);
    ASSERT_EQ(AddBall(c.ordinal, 1, 2, 3), 0);
    EXPECT_EQ(at_rad[n_atoms], c.radius);
    EXPECT_EQ(at[n_atoms].col, c.colour);
    EXPECT_LT(at[n_atoms].col, CMapSize);
    n_atoms++;
  }
  // Outside a scene the radius is left alone.
  SetContent(0);
  ASSERT_EQ(AllocMoreAtoms(8), 1);
  at_rad[0] = 7;
  ASSERT_EQ(AddBall(6, 0, 0, 0), 0);
  EXPECT_EQ(at_rad[0], 7);
  FreeAtoms();
}

TEST_F(Store, ListsAreCreatedAndGrownByTheirRules) {
  add_points(10);
  set_temperature(3, 0);
  EXPECT_FALSE(have_temperature) << "a B-factor of 0 creates nothing";
  EXPECT_EQ(get_temperature(3), 0);
  set_temperature(12, 5);
  EXPECT_TRUE(have_temperature);
  EXPECT_EQ(alloc_temperature, 13);
  set_temperature(13, 1);
  EXPECT_EQ(alloc_temperature, 13 + 4096);
  set_temperature(10000, 1);
  EXPECT_EQ(alloc_temperature, 10100);

  set_charge(10, 1.5f);
  EXPECT_FALSE(have_charges) << "beyond the points";
  set_charge(2, 0);
  EXPECT_FALSE(have_charges) << "a zero charge creates nothing";
  set_charge(2, -0.5f);
  EXPECT_EQ(alloc_charge, 10);
  EXPECT_EQ(get_charge(2), -0.5f);
  EXPECT_EQ(get_charge(9), 0);

  set_usercol(4, 700);
  EXPECT_EQ(alloc_usercol, 10);
  EXPECT_EQ(get_usercol(0), 0);
  EXPECT_EQ(get_usercol(4), 700);

  set_shapely_i(1, 30);
  EXPECT_FALSE(have_shapely) << "code 30 means none";
  set_shapely_i(1, 5);
  EXPECT_EQ(alloc_shapely, 10);
  EXPECT_EQ(shapely[0], 30);
  EXPECT_EQ(shapely[1], 5);

  for (int i = 0; i < 401; i++) add_backbone(i);
  EXPECT_EQ(have_backbone, 401);
  EXPECT_EQ(alloc_backbone, 800);
  EXPECT_EQ(backbones[400], 400);

  // Writers refuse indices no list may reach.
  set_usercol(-1, 3);
  set_temperature(kMaxPoints, 3);
  EXPECT_EQ(alloc_usercol, 10);
}

TEST_F(Store, ChargesExistForEveryPointOnDemand) {
  add_points(50);
  EXPECT_EQ(ensure_charges(), 0);
  EXPECT_TRUE(have_charges);
  EXPECT_EQ(alloc_charge, 50);
  add_points(30);
  EXPECT_EQ(ensure_charges(), 0);
  EXPECT_GE(alloc_charge, 80);
  EXPECT_EQ(get_charge(79), 0);
  EXPECT_EQ(append_grid_point(1, 1, 1), 0);
  EXPECT_EQ(n_atoms, 81);
  EXPECT_GE(alloc_charge, 81) << "an appended grid point gets its charge entry";
}

// set_zero_group and set_zero_usercol clear one entry of a list that exists and touch nothing
// else; set_group does nothing. No reader makes a group list: this one is made by hand, as one of
// the store's lists (freed with it).
TEST_F(Store, ZeroingOneEntryOfAList) {
  add_points(6);
  set_zero_group(2);
  set_zero_usercol(2);
  set_group(1, 2, 3);
  EXPECT_FALSE(have_groups) << "clearing creates no list";
  EXPECT_EQ(group, nullptr);
  EXPECT_FALSE(have_usercol);

  group = (uint16_t*)scene_malloc(6 * sizeof(uint16_t));
  ASSERT_NE(group, nullptr);
  have_groups = 1, alloc_groups = 6;
  for (int i = 0; i < 6; i++) group[i] = (uint16_t)(10 + i), set_usercol(i, 700 + i);
  ASSERT_EQ(alloc_usercol, 6);
  for (int i : {-1, 6, kMaxPoints}) {  // outside both lists: ignored
    set_zero_group(i);
    set_zero_usercol(i);
  }
  set_group(2, 0, 0);
  set_group(-5, 9, 9);
  set_zero_group(2);
  set_zero_usercol(4);
  const int groups[] = {10, 11, 0, 13, 14, 15}, users[] = {700, 701, 702, 703, 0, 705};
  for (int i = 0; i < 6; i++) {
    EXPECT_EQ(get_group(i), groups[i]) << i;
    EXPECT_EQ(get_usercol(i), users[i]) << i;
  }
  EXPECT_EQ(alloc_groups, 6);
  EXPECT_EQ(alloc_usercol, 6);
}

// Flagged points go; the last live point fills each gap and its bonds follow it.
TEST_F(Store, DelSelectedMovesTheLastPointAndItsBonds) {
  add_points(6);
  at_el[1] = -8;
  at_el[5] = -1;  // the last point itself is flagged
  max_bonds = 8;
  bond = (bond_rec*)scene_malloc(8 * sizeof(bond_rec));
  bond_rec list[] = {{0, 1}, {0, 4}, {1, 2}, {2, 5}, {3, 4}};
  memcpy(bond, list, sizeof list);
  n_bonds = 5;
  EXPECT_EQ(DelSelected(), 4);
  ASSERT_EQ(n_atoms, 4);
  // Point 5 (flagged) moved into 1, was removed in turn, and point 4 took its place.
  EXPECT_EQ(at_r[1].x, 4.0f);
  EXPECT_EQ(at_el[1], 6);
  ASSERT_EQ(n_bonds, 2);
  EXPECT_EQ(bond[0].lo, 0);
  EXPECT_EQ(bond[0].hi, 1);
  EXPECT_EQ(bond[1].lo, 1);
  EXPECT_EQ(bond[1].hi, 3);
  // No flagged point: nothing changes.
  EXPECT_EQ(DelSelected(), 4);
}

TEST_F(Store, AStoreMovesOutAndBackWhole) {
  add_points(7);
  set_temperature(2, 9);
  v.push_back(tri{});
  isHgt = 1;
  StoreState kept = store_take();
  EXPECT_EQ(n_atoms, 0);
  EXPECT_EQ(at, nullptr);
  EXPECT_EQ(content, 0);
  EXPECT_TRUE(v.empty());
  ASSERT_EQ(InitMolData(), 1);
  add_points(2, 1);
  store_put(kept);
  EXPECT_EQ(n_atoms, 7);
  EXPECT_EQ(content, 1);
  EXPECT_EQ(isHgt, 1);
  EXPECT_EQ(get_temperature(2), 9);
  EXPECT_EQ(v.size(), 1u);
  EXPECT_EQ(at_r[6].y, 12.0f);
  EXPECT_EQ(kept.at, nullptr);
}

}  // namespace
