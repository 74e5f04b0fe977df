// The rasteriser's own rules: a sphere's disc, ties, thin polygons, quads next to a hidden
// corner, the apex row of an outline, grid scenes that are no grid, and bands that write only
// their own rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "render_fixture.h"
#include "scene3d/abuffer.h"
#include "scene3d/band_entries.h"
#include "scene3d/draw_order.h"
#include "scene3d/frame.h"
#include "scene3d/frame_state.h"
#include "scene3d/grid.h"
#include "scene3d/project.h"
#include "scene3d/scene.h"

using namespace scene3d;

namespace {

class Raster : public ::testing::Test {
 protected:
  void SetUp() override { renderer_at(200, 160); }
  void TearDown() override {
    draw_in_index_order = 0;
    renderer_at(200, 160);
  }
  static int paint() { return UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0); }
  static int cells_with(int id) {
    return (int)std::count(Abuffer, Abuffer + (size_t)Axres * Ayres, id);
  }
};

TEST_F(Raster, SphereDiscAndTies) {
  // Two spheres in one place: the lower index keeps every cell, in either drawing order.
  ASSERT_EQ(show_spheres({{0, 0, 0, 3, 6}, {0, 0, 0, 3, 8}, {20, 0, -5, 1, 7}}), 0);
  for (int order : {0, 1}) {
    draw_in_index_order = order;
    ASSERT_EQ(paint(), 0);
    const double r = 2 * at[0].vis;
    EXPECT_NEAR(cells_with(1), M_PI * r * r, 0.02 * M_PI * r * r);
    EXPECT_EQ(cells_with(2), 0);
  }
}

TEST_F(Raster, PolygonsLowerThanThreeRowsFillTheirBox) {
  // Seen edge-on from the side, a triangle in the plane z = 0 spans one or two cell rows.
  ASSERT_EQ(show_mesh({{{-8, -8, 0}, {8, -8, 0.02}, {0, 8, 0.01}, {0, 0, 1}},
                       {{-8, 20, 0}, {8, 20, 0}, {0, 25, 9}, {0, 0, 1}}}),
            0);
  rot_x = 0;
  UpdateAngles();
  ASSERT_EQ(paint(), 0);
  int xs[3], ys[3];
  for (int q = 0; q < 3; q++) xs[q] = (int)at[q].sx - 10000, ys[q] = (int)at[q].sy - 10000;
  const int h = *std::max_element(ys, ys + 3) - *std::min_element(ys, ys + 3);
  ASSERT_LT(h, 3);
  const int w = *std::max_element(xs, xs + 3) - *std::min_element(xs, xs + 3);
  EXPECT_EQ(cells_with(1), (w + 1) * (h + 1));
}

// A corner behind the camera hides the four quads around it and no other.
TEST_F(Raster, QuadsBesideAHiddenCorner) {
  const int n = 8;
  std::vector<float> z(n * n, 0);
  z[3 * n + 3] = 1e6;  // towards the camera, far past it
  ASSERT_EQ(show_grid(n, n, 1, 1, z, false), 0);
  // The fit placed the camera before the peak; put it back above the plain.
  camera_pos = -20;
  ClipDist = 1;
  dispX = dispY = 0;
  ASSERT_EQ(paint(), 0);
  ASSERT_EQ(at[3 * n + 3].vis, 0);
  for (int r = 1; r < n; r++)
    for (int c = 0; c + 1 < n; c++) {
      const int A = (r - 1) * n + c;
      const bool touches = (r == 3 || r == 4) && (c == 2 || c == 3);
      EXPECT_EQ(cells_with(A + 1) > 0, !touches) << r << "," << c;
    }
}

TEST_F(Raster, OutlineRowsIncludeTheApex) {
  // Two steep edges from an apex at row 0, and a shallow one closing them.
  int spans[2 * 11];
  for (int y = 0; y <= 10; y++) spans[2 * y] = 32500, spans[2 * y + 1] = -32500;
  virt_draw_line(5, 0, 3, 10, spans);
  virt_draw_line(7, 10, 5, 0, spans);
  virt_draw_line(3, 10, 7, 10, spans);
  EXPECT_EQ(spans[0], 5);
  EXPECT_EQ(spans[1], 5);
  for (int y = 1; y <= 10; y++) {
    EXPECT_LE(spans[2 * y], 5) << y;
    EXPECT_GE(spans[2 * y + 1], 5) << y;
  }
  EXPECT_EQ(spans[20], 3);
  EXPECT_EQ(spans[21], 7);
}

TEST_F(Raster, GridSceneThatIsNoGridShowsNothing) {
  ASSERT_EQ(show_grid(6, 6, 1, 1, cone(6, 2), false), 0);
  isXYZ2d_mat = 0;
  ASSERT_EQ(paint(), 0);
  EXPECT_EQ(cells_with(0), Axres * Ayres);
  // A description larger than the points is no grid either.
  isXYZ2d_mat = 1;
  zmat_ny = 7;
  ASSERT_EQ(paint(), 0);
  EXPECT_EQ(cells_with(0), Axres * Ayres);
}

// Each drawer, run for the middle one of three bands, writes only that band's rows.
TEST_F(Raster, BandsWriteOnlyTheirRows) {
  auto check = [](void (*draw)(int cx, int cy, int k, int c)) {
    ASSERT_EQ(UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
    const size_t cells = (size_t)Axres * Ayres;
    std::fill(Abuffer, Abuffer + cells, 0);
    std::fill(Dbuffer, Dbuffer + cells, 1e19f);
    use_x = Axres, use_y = Ayres;  // the rasterising step's sizes, in cells
    int ys, ye;
    band_range(use_y, 1, 3, &ys, &ye);
    draw(Axres / 2 + dispX, Ayres / 2 + dispY, 1, 3);
    int inside = 0;
    for (int Y = 0; Y < Ayres; Y++)
      for (int X = 0; X < Axres; X++) {
        const bool written = Abuffer[(size_t)Y * Axres + X] != 0;
        if (Y < ys || Y >= ye)
          ASSERT_FALSE(written) << X << "," << Y;
        else
          inside += written;
      }
    EXPECT_GT(inside, 100);
  };
  ASSERT_EQ(show_spheres(ball_cloud(200, 3, 10, 2)), 0);
  check([](int cx, int cy, int k, int c) { DrawAbuf_particles(cx, cy, Axres, 0, k, c); });
  ASSERT_EQ(show_mesh(tetrahedron(10)), 0);
  check([](int cx, int cy, int k, int c) { DrawAbuf_triangles(cx, cy, 0, k, c); });
  ASSERT_EQ(show_grid(30, 30, 1, 1, cone(30, 8), false), 0);
  check([](int cx, int cy, int k, int c) { DrawAbuf_quads(cx, cy, 0, k, c); });
}

// The triangle drawer keeps to the triangles the last frame ordered: after a frame of spheres
// there are none, however many spheres were ordered.
TEST_F(Raster, TriangleDrawerAfterSpheresDrawsNothing) {
  ASSERT_EQ(show_spheres(ball_cloud(5000, 4, 20, 1.5)), 0);
  ASSERT_EQ(paint(), 0);
  const size_t cells = (size_t)Axres * Ayres;
  std::fill(Abuffer, Abuffer + cells, 0);
  use_x = Axres, use_y = Ayres;  // the rasterising step's sizes, in cells
  DrawAbuf_triangles(Axres / 2 + dispX, Ayres / 2 + dispY, 0, 0, 1);
  EXPECT_EQ(cells_with(0), (int)cells);
}

// The drawing step alone makes room for what it orders: after a frame of spheres, whose ordering
// left no room for triangles, it draws the same points as a mesh as a mesh frame does.
TEST_F(Raster, DrawingStepAfterSpheresOrdersTrianglesInItsOwnRoom) {
  ASSERT_EQ(show_spheres(ball_cloud(6000, 4, 20, 1.5)), 0);
  ASSERT_EQ(paint(), 0);
  show_triangles = 1;
  const size_t cells = (size_t)Axres * Ayres;
  std::fill(Abuffer, Abuffer + cells, 0);
  use_x = Axres, use_y = Ayres, xcenter = Axres / 2, ycenter = Ayres / 2;
  abuf_mt(0);
  const std::vector<int> alone(Abuffer, Abuffer + cells);
  ASSERT_EQ(paint(), 0);
  EXPECT_TRUE(alone == std::vector<int>(Abuffer, Abuffer + cells));
  EXPECT_LT(cells_with(0), (int)cells);
}

}  // namespace
