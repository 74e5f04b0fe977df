// Rotation against a double-precision matrix product, the visibility rules of the projection at
// the clip plane and the frame's edge, and the camera helpers.
#include "scene3d/project.h"

#include <gtest/gtest.h>

#include <cmath>

#include "render_fixture.h"
#include "scene3d/band_entries.h"
#include "scene3d/frame_state.h"
#include "scene3d/scene.h"

using namespace scene3d;

namespace {

class Project : public ::testing::Test {
 protected:
  void SetUp() override {
    renderer_at(100, 80);
    InitMolData();
  }
  void TearDown() override { renderer_at(100, 80); }
  static void points(std::initializer_list<point3> p) {
    for (const point3& q : p) ASSERT_EQ(append_grid_point(q.x, q.y, q.z), 0);
  }
  static void project_all() {
    band_params p{0, 1, 0};
    create_screen_coords(&p);
  }
};

TEST_F(Project, RotationMatchesTheMatrixProduct) {
  points({{1, 2, 3}, {-4, 0.5f, 7}, {100, -200, 50}});
  rotation_mt();
  for (int i = 0; i < 3; i++) {
    EXPECT_NEAR(at[i].x, at_r[i].x, 1e-5 * 200);
    EXPECT_NEAR(at[i].d, -at_r[i].z, 1e-5 * 200);
    EXPECT_NEAR(at[i].y, at_r[i].y, 1e-5 * 200);
  }
  struct {
    float x, y, z;
  } angles[] = {{30, 0, 0}, {0, 45, 0}, {0, 0, 60}, {70, -20, 135}, {400, 10, -725}};
  for (auto a : angles) {
    rot_x = a.x, rot_y = a.y, rot_z = a.z;
    UpdateAngles();
    rotation_mt();
    const double al = a.x * M_PI / 180, be = a.y * M_PI / 180, ga = a.z * M_PI / 180;
    // Turn about z by gamma, about x by alpha, then about the depth axis by beta.
    for (int i = 0; i < 3; i++) {
      const double X = at_r[i].x, Y = at_r[i].y, Z = at_r[i].z;
      const double x1 = X * cos(ga) + Y * sin(ga), y1 = Y * cos(ga) - X * sin(ga);
      const double d = y1 * cos(al) - Z * sin(al), z2 = y1 * sin(al) + Z * cos(al);
      const double x = x1 * cos(be) + z2 * sin(be), y = z2 * cos(be) - x1 * sin(be);
      const double tol = 2e-6 * 300;
      EXPECT_NEAR(at[i].x, x, tol) << a.x << " " << a.y << " " << a.z;
      EXPECT_NEAR(at[i].d, d, tol);
      EXPECT_NEAR(at[i].y, y, tol);
    }
  }
}

TEST_F(Project, GridVisibilityAtTheClipPlaneAndTheEdge) {
  points({{0, 0, 0}, {0, 0, 0}, {0, 0, 0}});
  show_surface = 1;
  camera_pos = -10;
  ClipDist = 2;
  new_magn = 100;
  at[0] = render_rec{1, -8, 1};       // exactly at the clip plane
  at[1] = render_rec{1, -8.001f, 1};  // just before it
  at[2] = render_rec{1000, 0, 5};     // x s = 10,000.0001 beyond the edge
  at[2].x = 1000.001f;
  project_all();
  EXPECT_EQ(at[0].vis, 1);
  EXPECT_EQ(at[0].sx, 50 + 10000.5f);
  EXPECT_EQ(at[1].vis, 0);
  EXPECT_EQ(at[2].vis, 0);
  EXPECT_GT(std::fabs(at[2].sx), 10000);
  EXPECT_EQ(at[2].sy, 50 + 10000.5f) << "y is still biased";
}

// A sphere whose centre lies before the clip plane but whose far side reaches beyond it stays.
TEST_F(Project, SphereVisibility) {
  ASSERT_EQ(AddBall(6, 0, 0, 0), 0);
  n_atoms++;
  show_surface = show_triangles = 0;
  camera_pos = -10, ClipDist = 2, new_magn = 100;
  at[0] = render_rec{4, -9, 2};
  at[0].rad = 1.5f;  // d = 1, reaches d = 2.5 beyond the plane
  project_all();
  EXPECT_GT(at[0].vis, 0);
  EXPECT_EQ(at[0].sx, 0.5f * 4 * 100 / 2) << "the cut face is projected in the plane";
  at[0] = render_rec{4, -9, 2};
  at[0].rad = 0.9f;
  project_all();
  EXPECT_EQ(at[0].vis, 0);
  at[0] = render_rec{4, 0, 2};
  at[0].rad = 1;
  project_all();
  EXPECT_EQ(at[0].vis, 0.5f * 1 * 10);
  EXPECT_EQ(at[0].sx, 0.5f * 4 * 10);
}

TEST_F(Project, CameraHelpers) {
  camera_pos = -10, ClipDist = 2, new_magn = 100;
  int sx = 7, sy = 7;
  EXPECT_EQ(world2screen(1, 1, -9, &sx, &sy), 1);
  EXPECT_EQ(sx, 7);
  EXPECT_EQ(world2screen(3, -5, 0, &sx, &sy), 0);
  EXPECT_EQ(sx, 15);
  EXPECT_EQ(sy, -25);
  // A ray along z from the origin: misses a sphere off to the side, touches one at distance r.
  EXPECT_EQ(intersect_sphere(0, 0, 0, 0, 0, 1, 5, 0, 10, 2, 1), 1e9f);
  EXPECT_FLOAT_EQ(intersect_sphere(0, 0, 0, 0, 0, 1, 2, 0, 10, 2, 1), 10);
  EXPECT_FLOAT_EQ(intersect_sphere(0, 0, 0, 0, 0, 1, 0, 0, 10, 2, 1), 8);
  EXPECT_FLOAT_EQ(intersect_sphere(0, 0, 0, 0, 0, 1, 0, 0, 10, 2, 0), 8 - 10);
  float dx, dy, dz, ox, oy, oz;
  calc_ray(0, 0, &dx, &dy, &dz, &ox, &oy, &oz);
  EXPECT_EQ(dz, 1);
  EXPECT_EQ(oz, -10);
  calc_ray(100, 0, &dx, &dy, &dz, &ox, &oy, &oz);
  EXPECT_FLOAT_EQ(dx, 10 / std::sqrt(200.0f));
}

}  // namespace
