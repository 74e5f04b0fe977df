// What the rasteriser covers, against silhouettes that numpy and Pillow make from the rotation and
// projection formulas alone: spheres (also cut by the near clip plane), a tetrahedron mesh and a
// cone grid, fitted, turned, and zoomed until single polygons span more than 1600 cell rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "render_fixture.h"
#include "scene3d/frame.h"
#include "scene3d/frame_state.h"
#include "scene3d/scene.h"

using namespace scene3d;

namespace {

class Projection : public ::testing::Test {
 protected:
  void SetUp() override { renderer_at(300, 240); }
  void TearDown() override { renderer_at(300, 240); }

  // Renders the current scene again and compares its object cells with the reference.
  static void expect_matches(const std::vector<Ball>& balls, const std::vector<Polygon>& polygons,
                             double least = 0.98) {
    ASSERT_EQ(UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
    std::string error;
    std::vector<uint8_t> ref = reference_mask(balls, polygons, &error);
    ASSERT_FALSE(ref.empty()) << error;
    std::vector<uint8_t> got = object_mask();
    size_t seen = std::count(got.begin(), got.end(), 1);
    EXPECT_GT(seen, got.size() / 50) << "the scene should cover a fair part of the frame";
    EXPECT_GE(iou(got, ref), least);
  }
  static void turn(float x, float y, float z) {
    rot_x = x, rot_y = y, rot_z = z;
    UpdateAngles();
  }
};

TEST_F(Projection, Spheres) {
  std::vector<Ball> balls = ball_cloud(40, 7, 10, 2.5);
  ASSERT_EQ(show_spheres(balls), 0);
  expect_matches(balls, {});
  turn(33, -20, 71);
  expect_matches(balls, {});
  magn *= 3;
  expect_matches(balls, {});
}

// The clip plane moved into the nearest sphere: it shows its flat cut face.
TEST_F(Projection, SphereCutByTheClipPlane) {
  std::vector<Ball> balls = {{0, 0, 0, 4, 6}, {6, 2, -3, 3, 8}, {-5, -4, 2, 3, 7}};
  ASSERT_EQ(show_spheres(balls), 0);
  // Start rotation: depth = -z. The plane at depth 1 lies one unit behind the first ball's centre,
  // touches the third ball's far side and leaves the second whole.
  ClipDist = 1 - camera_pos;
  ASSERT_EQ(UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  int cut = 0;
  for (size_t i = 0; i < (size_t)Axres * Ayres; i++) cut += Abuffer[i] == -1;
  EXPECT_GT(cut, 1000);
  expect_matches(balls, {});
}

TEST_F(Projection, Tetrahedron) {
  std::vector<tri> t = tetrahedron(10);
  ASSERT_EQ(show_mesh(t), 0);
  expect_matches({}, mesh_polygons(t));
  turn(10, 50, -30);
  expect_matches({}, mesh_polygons(t));
  // Zoomed in until the facets are far taller than 1600 cell rows: spans, not boxes.
  magn *= 12;
  expect_matches({}, mesh_polygons(t));
}

TEST_F(Projection, ConeGrid) {
  const int n = 21;
  std::vector<float> z = cone(n, 6);
  ASSERT_EQ(show_grid(n, n, 1, 1, z, false), 0);
  expect_matches({}, grid_polygons(n, n, 1, 1, z));
  magn *= 200;
  expect_matches({}, grid_polygons(n, n, 1, 1, z));
  // The quads at the apex are now taller than 1600 cell rows.
  const int a = (n / 2) * n + n / 2;
  float top = 1e9f, bottom = -1e9f;
  for (int q : {a, a + 1, a + n, a + n + 1}) {
    ASSERT_EQ(at[q].vis, 1);
    top = std::min(top, at[q].sy), bottom = std::max(bottom, at[q].sy);
  }
  EXPECT_GT(bottom - top, 1600);
  magn /= 200;
  turn(60, 15, 40);
  expect_matches({}, grid_polygons(n, n, 1, 1, z));
}

}  // namespace
