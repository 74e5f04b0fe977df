// A frame is the same, byte for byte, whatever the number of bands its worker steps are split
// into (also when threads cannot be started): ids, depths, the lit image and the picture, for
// spheres with overlapping cut faces, mesh triangles and grid quads. Run under ThreadSanitizer
// as well (test.sh).
#include "platform/bands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "render_fixture.h"
#include "scene3d/abuffer.h"
#include "scene3d/band_entries.h"
#include "scene3d/draw_order.h"
#include "scene3d/frame.h"
#include "scene3d/frame_state.h"
#include "scene3d/scene.h"
#include "scene3d/shade.h"

using namespace scene3d;

namespace {

class Bands : public ::testing::Test {
 protected:
  void SetUp() override { renderer_at(203, 157); }
  void TearDown() override {
    force_bands = 0;
    plat_fail_thread_starts = 0;
    renderer_at(203, 157);
  }

  // The frame with 1 band, then with 2, 4 and 8 (and 4 with a thread that cannot start), and with
  // the objects drawn in index order rather than nearest first.
  static void expect_same_for_every_split() {
    force_bands = 1;
    ASSERT_EQ(UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
    Frame one = grab_frame();
    for (int bands : {2, 4, 8, -4, 0}) {
      SCOPED_TRACE(bands);
      force_bands = bands < 0 ? -bands : bands == 0 ? 3 : bands;
      if (bands < 0) plat_fail_thread_starts = 1;
      draw_in_index_order = bands == 0;
      ASSERT_EQ(UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
      Frame f = grab_frame();
      EXPECT_TRUE(f.ids == one.ids);
      EXPECT_EQ(memcmp(f.depths.data(), one.depths.data(), f.depths.size() * sizeof(float)), 0);
      EXPECT_TRUE(f.lit == one.lit);
      EXPECT_EQ(memcmp(f.picture.data(), one.picture.data(), f.picture.size() * sizeof(float)), 0);
    }
    draw_in_index_order = 0;
    // A frame is lit and copied chunk by chunk as its cells are drawn; the same cells lit and
    // copied afterwards, by the separate steps, give the same picture.
    force_bands = 4;
    ASSERT_EQ(UpdatePaint(0, 0, 1, 1, 0, 0, 0, 0, 0), 0);
    Frame relit = grab_frame();
    EXPECT_TRUE(relit.ids == one.ids);
    EXPECT_TRUE(relit.lit == one.lit);
    EXPECT_EQ(
        memcmp(relit.picture.data(), one.picture.data(), relit.picture.size() * sizeof(float)), 0);
  }
};

TEST_F(Bands, SpheresWithCutFaces) {
  std::vector<Ball> balls = ball_cloud(12000, 3, 40, 2.2);
  ASSERT_EQ(show_spheres(balls), 0);
  rot_x = 70, rot_z = 25;
  UpdateAngles();
  expect_same_for_every_split();
  // The clip plane through the middle of the cloud: many cut faces overlap.
  ClipDist = -camera_pos;
  ASSERT_EQ(UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  int cut = 0;
  for (size_t i = 0; i < (size_t)Axres * Ayres; i++) cut += Abuffer[i] < 0;
  EXPECT_GT(cut, 5000);
  expect_same_for_every_split();
}

TEST_F(Bands, Triangles) {
  std::vector<tri> t = tetrahedron(10);
  std::vector<Ball> corners = ball_cloud(3000, 11, 8, 0);
  for (size_t k = 0; k + 2 < corners.size(); k += 3) {
    tri q{{corners[k].x, corners[k].y, corners[k].z},
          {corners[k + 1].x, corners[k + 1].y, corners[k + 1].z},
          {corners[k + 2].x, corners[k + 2].y, corners[k + 2].z},
          {0.6, 0, 0.8}};
    t.push_back(q);
  }
  ASSERT_EQ(show_mesh(t), 0);
  rot_x = 40, rot_y = 10;
  UpdateAngles();
  expect_same_for_every_split();
}

// Each chunk of rows draws only the triangles listed for it (the lists are left out when there is
// no memory for them): drawing every triangle into the whole frame gives the same cells.
TEST_F(Bands, TrianglesListedPerChunk) {
  // Small triangles around the points of a cloud, most of them in sight, some across chunks,
  // each facing its own way; more of them than the drawing order sorts in one part.
  std::vector<tri> t;
  std::vector<Ball> places = ball_cloud(20000, 5, 8, 0), corners = ball_cloud(60000, 6, 0.3, 0);
  for (size_t k = 0; k < places.size(); k++) {
    const Ball &p = places[k], *c = &corners[3 * k];
    const double u[3] = {c[1].x - c[0].x, c[1].y - c[0].y, c[1].z - c[0].z};
    const double w[3] = {c[2].x - c[0].x, c[2].y - c[0].y, c[2].z - c[0].z};
    double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
    const double len = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (double& x : n) x = len > 0 ? x / len : 0;
    t.push_back(tri{{p.x + c[0].x, p.y + c[0].y, p.z + c[0].z},
                    {p.x + c[1].x, p.y + c[1].y, p.z + c[1].z},
                    {p.x + c[2].x, p.y + c[2].y, p.z + c[2].z},
                    {n[0], n[1], n[2]}});
  }
  ASSERT_EQ(show_mesh(t), 0);
  expect_same_for_every_split();
  for (float zoom : {1.0f, 3.0f}) {
    SCOPED_TRACE(zoom);
    magn *= zoom;
    ASSERT_EQ(UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
    Frame listed = grab_frame();
    const size_t cells = (size_t)Axres * Ayres;
    std::fill(Abuffer, Abuffer + cells, 0);
    std::fill(Dbuffer, Dbuffer + cells, 1e19f);
    use_x = Axres, use_y = Ayres;  // the rasterising step's sizes, in cells
    DrawAbuf_triangles(Axres / 2 + dispX, Ayres / 2 + dispY, 0, 0, 1);
    Frame all = grab_frame();
    EXPECT_TRUE(all.ids == listed.ids);
    EXPECT_EQ(memcmp(all.depths.data(), listed.depths.data(), cells * sizeof(float)), 0);
    int shown = 0;
    for (int id : listed.ids) shown += id != 0;
    EXPECT_GT(shown, (int)cells / 10);
  }
}

// The steps of a frame run alone, each as a step or as band workers over three bands, at the
// sizes the geometry globals give them, leave what the frame left: the points, the cells, the
// lit rows.
TEST_F(Bands, StepsRunAloneGiveTheFrame) {
  struct Case {
    const char* scene;
    int (*show)();
  } cases[] = {
      {"spheres with cut faces",
       [] {
         const int r = show_spheres(ball_cloud(3000, 8, 30, 2.5));
         ClipDist = -camera_pos;
         return r;
       }},
      {"mesh", [] { return show_mesh(tetrahedron(10)); }},
      {"grid", [] { return show_grid(90, 90, 60, 60, cone(90, 1500), true); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.scene);
    ASSERT_EQ(c.show(), 0);
    rot_x = 60, rot_z = 20;
    UpdateAngles();
    force_bands = 3;
    dispX = 7, dispY = -5;  // odd: the lighting's centre rounds the halved pan
    ASSERT_EQ(UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
    const Frame frame = grab_frame();
    const std::vector<render_rec> points(at, at + n_atoms);
    const size_t cells = (size_t)Axres * Ayres;
    const int W = Axres / 2, H = Ayres / 2;
    auto scramble = [cells] {
      std::fill(Abuffer, Abuffer + cells, 12345);
      std::fill(Dbuffer, Dbuffer + cells, -1.0f);
    };
    // The drawing step and its band workers, in cells.
    use_x = Axres, use_y = Ayres, xcenter = W, ycenter = H;
    for (int k = 0; k < 3; k++) {
      band_params p{k, 3, 0};
      rotation_mult_thread(&p);
      create_screen_coords(&p);
    }
    EXPECT_EQ(memcmp(at, points.data(), points.size() * sizeof(render_rec)), 0);
    scramble();
    abuf_mt(0);
    EXPECT_TRUE(grab_frame().ids == frame.ids);
    EXPECT_EQ(memcmp(Dbuffer, frame.depths.data(), cells * sizeof(float)), 0);
    scramble();
    for (int k = 0; k < 3; k++) {
      band_params p{k, 3, 0};
      abuf_mult_thread(&p);
    }
    EXPECT_TRUE(grab_frame().ids == frame.ids);
    EXPECT_EQ(memcmp(Dbuffer, frame.depths.data(), cells * sizeof(float)), 0);
    // The lighting step and its band workers, in pixels, with the pan halved.
    use_x = W, use_y = H, xcenter = W / 2, ycenter = H / 2;
    dispX /= 2, dispY /= 2;
    auto unlit = [W, H] {
      for (int y = 0; y < H; y++) std::fill_n(gimage + (size_t)(y + 2) * use_x24_3, 3 * W, 7);
    };
    unlit();
    lighting_mt(0);
    EXPECT_TRUE(grab_frame().lit == frame.lit);
    unlit();
    for (int k = 0; k < 3; k++) {
      band_params p{k, 3, 0};
      lighting_mult_thread(&p);
    }
    EXPECT_TRUE(grab_frame().lit == frame.lit);
    dispX = dispY = 0;
  }
}

TEST_F(Bands, Quads) {
  const int n = 121;
  std::vector<float> z = cone(n, 2500);
  ASSERT_EQ(show_grid(n, n, 90, 90, z, true), 0);
  rot_x = 65, rot_z = 30;
  UpdateAngles();
  expect_same_for_every_split();
  magn *= 20;
  expect_same_for_every_split();
}

}  // namespace
