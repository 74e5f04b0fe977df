// The frame driver: the empty frame exactly, the frame buffers' keep rule, the copy into the
// loaded image, tiny frames, points at the camera, and the zoom bound.
#include "scene3d/frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "render_fixture.h"
#include "scene3d/colour_map.h"
#include "scene3d/frame_state.h"
#include "scene3d/navigate.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"
#include "scene3d/shade.h"
#include "support/headless.h"
#include "view/canvas.h"

using namespace scene3d;

namespace {

class FrameDriver : public ::testing::Test {
 protected:
  void SetUp() override { renderer_at(120, 90); }
  void TearDown() override {
    fail_alloc_at = 0;
    renderer_at(120, 90);
  }
  static int paint() { return UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0); }
};

// Independent of the renderer's table: trunc(1023 (v / 4095)^(1 / 1.7)).
int gamma_of(int v) { return (int)(1023 * std::pow(std::min(v, 4095) / 4095.0, 1 / 1.7)); }

TEST_F(FrameDriver, EmptySceneIsTheBackgroundExactly) {
  InitMolData();
  AutoZoom(1.4f);
  EXPECT_EQ(camera_pos, 9999 - 140);
  EXPECT_EQ(ClipDist, 1);
  EXPECT_EQ(dispX, 0);
  EXPECT_EQ(dispY, 0);
  EXPECT_EQ(fog_delta, 10);
  EXPECT_EQ(magn, 2.7f);
  ClientX = screen_x = width;
  ClientY = screen_y = height;
  ASSERT_EQ(paint(), 0);
  const int rgb[3] = {31, 56, 71};
  for (int ch = 0; ch < 3; ch++) {
    const int P = (int)(1020 * (rgb[ch] * 0.004f));
    for (int y = 0; y < height; y++)
      for (int x = 0; x < width; x++) {
        ASSERT_EQ(gimage[(size_t)(y + 2) * use_x24_3 + 3 * x + ch], 4 * P) << x << "," << y;
        ASSERT_EQ(img_content[4 * ((size_t)y * width + x) + ch], gamma_of(4 * P) / 1024.0f);
      }
  }
  EXPECT_EQ(img_content[3], 1.0f);
}

TEST_F(FrameDriver, GammaAndSpecularTables) {
  EXPECT_EQ(gammaTable[0], 0);
  for (int k = 1; k < 5500; k++) {
    ASSERT_EQ(gammaTable[k], gamma_of(k)) << k;
    ASSERT_GE(gammaTable[k], gammaTable[k - 1]);
  }
  EXPECT_EQ(gammaTable[4095], 1023);
  EXPECT_EQ(gammaTable[5499], 1023);
  EXPECT_EQ(specMaxTable, 10);
  EXPECT_FLOAT_EQ(specTable[1024], 0.2f);
  EXPECT_EQ(specTable[0], 0);
}

// Lit row 0 lands in the picture's last row; inner rows are filtered 1-2-1, the first and the
// last are copied as they are.
TEST_F(FrameDriver, PictureIsTheLitImageUpsideDownAndFiltered) {
  ASSERT_EQ(show_spheres(ball_cloud(30, 5, 10, 2)), 0);
  const int H = height, W = width;
  auto lit = [&](int y, int x, int ch) {
    return (int)gimage[(size_t)(y + 2) * use_x24_3 + 3 * x + ch];
  };
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++)
      for (int ch = 0; ch < 3; ch++) {
        int v = y == 0 || y == H - 1
                    ? lit(y, x, ch)
                    : (lit(y - 1, x, ch) + 2 * lit(y, x, ch) + lit(y + 1, x, ch)) >> 2;
        ASSERT_EQ(img_content[4 * ((size_t)(H - 1 - y) * W + x) + ch], gammaTable[v] / 1024.0f)
            << x << "," << y;
      }
}

// Sizes that keep and that replace the buffers, and a wide, low frame after a narrow, tall one
// (its lit image needs more values than the kept block holds).
TEST_F(FrameDriver, BuffersAreKeptOrReplaced) {
  InitMolData();
  auto frame = [](int w, int h) { return UpdatePaint(w, h, 0, 0, 0, 0, 0, 1, 0); };
  struct Step {
    int w, h;
    bool same_blocks;
  } steps[] = {{100, 80, false}, {100, 80, true}, {90, 80, true},   {40, 30, false},
               {200, 10, false}, {10, 100, true}, {100, 80, false}, {10, 100, false},
               {996, 1, true},   {996, 1, true}};
  int* last = nullptr;
  int64_t last_cells = -1;
  for (const Step& s : steps) {
    SCOPED_TRACE(s.w);
    SCOPED_TRACE(s.h);
    ASSERT_EQ(frame(s.w, s.h), 0);
    // A new block may land where the old one was, so a replacement shows in the cell count, not
    // in the address.
    if (last && s.same_blocks) {
      EXPECT_EQ(Abuffer, last);
      EXPECT_EQ(allocated, last_cells);
    } else if (last) {
      EXPECT_EQ(allocated, (int64_t)4 * s.w * s.h);
    }
    last = Abuffer;
    last_cells = allocated;
    EXPECT_GE(gimage_values, (int64_t)use_x24_3 * (s.h + 2));
    EXPECT_GE(allocated, (int64_t)4 * s.w * s.h);
  }
}

TEST_F(FrameDriver, NothingIsPaintedWithoutASize) {
  ASSERT_EQ(show_spheres(ball_cloud(5, 1, 3, 1)), 0);
  std::vector<float> before(img_content, img_content + 4 * (size_t)width * height);
  long frames = frames_painted;
  ClientX = 0;
  EXPECT_EQ(paint(), 1);
  EXPECT_EQ(frames_painted, frames);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), img_content));
}

TEST_F(FrameDriver, TinyFrames) {
  for (auto size : {std::pair<int, int>{1, 1}, {2, 5}, {3, 1}, {1, 7}}) {
    SCOPED_TRACE(size.first);
    SCOPED_TRACE(size.second);
    headless_viewer(size.first, size.second);
    ASSERT_EQ(width, size.first);
    ASSERT_EQ(show_spheres(ball_cloud(20, 2, 5, 1)), 0);
    for (int i = 0; i < 4 * width * height; i++)
      ASSERT_TRUE(img_content[i] >= 0 && img_content[i] <= 1);
    srtm3_zoom_in();
    srtm3_rotate(1, 1);
  }
}

// Grid vertices at or behind the camera are hidden whatever the clip distance says; a sphere
// centred at the camera shows its cut face, in the clip plane, around its centre.
TEST_F(FrameDriver, PointsAtTheCamera) {
  std::vector<tri> t = tetrahedron(4);
  ASSERT_EQ(show_mesh(t), 0);
  for (float clip : {1.0f, 0.0f, -1.0f, 1e-30f}) {
    for (float behind : {0.0f, 0.5f}) {
      SCOPED_TRACE(clip);
      SCOPED_TRACE(behind);
      ClipDist = clip;
      camera_pos = at[0].d + behind;
      ASSERT_EQ(paint(), 0);
      for (int i = 0; i < n_atoms; i++)
        if (at[i].d - camera_pos <= 0) EXPECT_EQ(at[i].vis, 0) << i;
    }
  }

  ASSERT_EQ(show_spheres({{0, 0, 0, 3, 6}, {20, 20, -20, 1, 8}}), 0);
  ClipDist = 1;
  camera_pos = at[0].d;
  ASSERT_EQ(paint(), 0);
  const size_t centre = (size_t)(Ayres / 2 + dispY) * Axres + Axres / 2 + dispX;
  EXPECT_EQ(Abuffer[centre], -1);
  EXPECT_EQ(Dbuffer[centre], camera_pos + ClipDist);
  // Centred 2 behind the camera, it reaches the plane with one point: nothing is drawn of it.
  camera_pos = at[0].d + 2;
  ASSERT_EQ(paint(), 0);
  for (size_t i = 0; i < (size_t)Axres * Ayres; i++) ASSERT_NE(Abuffer[i], -1);
  for (int i = 0; i < 4 * width * height; i++) ASSERT_TRUE(std::isfinite(img_content[i]));
}

// Coordinates a damaged file may hold: the scene shows what it can, nothing overflows.
TEST_F(FrameDriver, HostileCoordinates) {
  const double big = 3e38, nan = std::nan(""), inf = INFINITY;
  ASSERT_EQ(show_spheres({{0, 0, 0, 1, 6}, {big, -big, big, 1, 6}, {nan, 0, 0, 1, 7},
                          {0, inf, 0, 1, 8}, {1, 1, 1, big, 6}, {2, 2, 2, nan, 6}}),
            0);
  srtm3_rotate(7, 3);
  std::vector<tri> t = tetrahedron(3);
  t[1].a[0] = nan, t[2].b[2] = inf, t[3].c[1] = -big;
  ASSERT_EQ(show_mesh(t), 0);
  srtm3_zoom_in();
  std::vector<float> z = cone(12, 5);
  z[30] = nan, z[31] = inf, z[50] = -3e38f;
  ASSERT_EQ(show_grid(12, 12, 1, 1, z, true), 0);
  srtm3_left();
  for (int i = 0; i < 4 * width * height; i++) ASSERT_TRUE(std::isfinite(img_content[i])) << i;
}

TEST_F(FrameDriver, ZoomHasABound) {
  ASSERT_EQ(show_spheres({{0, 0, 0, 5, 6}}), 0);
  magn = kMagnMax / 1.2f;
  for (int k = 0; k < 5; k++) srtm3_zoom_in();
  EXPECT_EQ(magn, kMagnMax);
  EXPECT_EQ(Abuffer[(size_t)(Ayres / 2 + dispY) * Axres + Axres / 2 + dispX], 1);
  magn = kMagnMin * 1.2f;
  for (int k = 0; k < 5; k++) srtm3_zoom_out();
  EXPECT_EQ(magn, kMagnMin);
}

}  // namespace
