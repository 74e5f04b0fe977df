// Lighting: where a sphere is brightest, its rim and its highlight, cut faces, quads seen from
// above and below, and mesh faces lit from either side.
#include "scene3d/shade.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "render_fixture.h"
#include "scene3d/colour_map.h"
#include "scene3d/frame.h"
#include "scene3d/frame_state.h"
#include "scene3d/scene.h"
#include "view/canvas.h"

using namespace scene3d;

namespace {

class Shade : public ::testing::Test {
 protected:
  void SetUp() override { renderer_at(160, 120); }
  void TearDown() override { renderer_at(160, 120); }
  static const float* colour(int i) { return CMap_f + 3 * at[i].col; }
  // The lit value of the pixel at the picture's centre (lit row and column of the frame centre).
  static int lit_centre(int ch) {
    const int y = Ayres / 4 + dispY / 2, x = Axres / 4 + dispX / 2;
    return gimage[(size_t)(y + 2) * use_x24_3 + 3 * x + ch];
  }
  static int pixel(float c) { return 4 * (int)(1020 * std::min(0.99f, c)); }
};

TEST_F(Shade, SphereIsBrightestTowardsTheLight) {
  ASSERT_EQ(show_spheres({{0, 0, 0, 5, 6}}), 0);
  // Light 0: azimuth 40, 30 degrees off the view axis: to the right and up in the picture.
  EXPECT_NEAR(light_dr[0][0], std::sin(40 * M_PI / 180) * 0.5, 1e-6);
  EXPECT_NEAR(light_dr[0][1], std::cos(40 * M_PI / 180) * 0.5, 1e-6);
  int bx = 0, by = 0;
  float best = -1, sum_x = 0, sum_y = 0, n = 0;
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) {
      const float* p = img_content + 4 * ((size_t)y * width + x);
      float v = p[0] + p[1] + p[2];
      if (v > best) best = v, bx = x, by = y;
      if (Abuffer[(size_t)(2 * (height - 1 - y)) * Axres + 2 * x]) sum_x += x, sum_y += y, n++;
    }
  EXPECT_GT(bx, sum_x / n + 3);
  EXPECT_LT(by, sum_y / n - 3);
}

TEST_F(Shade, RimHighlightAndCutFace) {
  ASSERT_EQ(show_spheres({{0, 0, 0, 5, 8}}), 0);
  const render_rec& a = at[0];
  const float* c = colour(0);
  float rgb[3];
  // On the rim only the ambient share is left.
  SHADE(1, 0, a.sx + a.vis, a.sy, rgb);
  for (int ch = 0; ch < 3; ch++) EXPECT_FLOAT_EQ(rgb[ch], std::min(0.99f, c[ch] * ambientterm));
  // Along the half vector the highlight saturates every channel.
  const float* H = h1024[0];
  const float len = std::sqrt(H[0] * H[0] + H[1] * H[1] + H[2] * H[2]);
  SHADE(1, 0, a.sx + a.vis * H[0] / len, a.sy + a.vis * H[1] / len, rgb);
  for (int ch = 0; ch < 3; ch++) EXPECT_EQ(rgb[ch], 0.99f);
  // A cut face is lit as if it faced the viewer.
  SHADE(-1, 0, 0, 0, rgb);
  const float b = 0.7f * light_dr[0][2] + ambientterm, s = specTable[(int)H[2]];
  for (int ch = 0; ch < 3; ch++) EXPECT_FLOAT_EQ(rgb[ch], std::min(0.99f, c[ch] * b + s));
  SHADE(0, 0, 0, 0, rgb);
  EXPECT_FLOAT_EQ(rgb[0], 31 * 0.004f);
}

// A level grid from above, and from below (its quads face away: 0.6 of the light); a quad with
// no facing value is lit at 0.8.
TEST_F(Shade, QuadsFacingAwayAreDarker) {
  const int n = 9;
  ASSERT_EQ(show_grid(n, n, 10, 10, std::vector<float>(n * n, 50), true), 0);
  const float* c = colour(0);
  const float hl = specTable[700];  // 1000 x 0.7 (|n_y| + n_z) for a level quad
  for (int ch = 0; ch < 3; ch++) EXPECT_EQ(lit_centre(ch), pixel(c[ch] * 0.9f + hl)) << ch;
  rot_x = 270;
  UpdateAngles();
  ASSERT_EQ(UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  for (int ch = 0; ch < 3; ch++)
    EXPECT_EQ(lit_centre(ch), pixel(c[ch] * 0.9f * 0.6f + hl * 0.6f)) << ch;
  float rgb[3];
  charge[1] = 0;
  SHADEQ(1, 0, 0, rgb);
  EXPECT_FLOAT_EQ(rgb[0], std::min(0.99f, c[0] * 0.9f * 0.8f + hl * 0.8f));
}

TEST_F(Shade, MeshFacesAreLitAlikeFromEitherSide) {
  std::vector<tri> t = {{{-5, -5, 0}, {5, -5, 0}, {0, 6, 0}, {0, 0, 1}}};
  ASSERT_EQ(show_mesh(t), 0);
  const float b = 0.4f * light_dr[0][2] + 0.15f;
  const float* c = colour(0);
  int front[3];
  for (int ch = 0; ch < 3; ch++) {
    front[ch] = lit_centre(ch);
    EXPECT_EQ(front[ch], pixel(c[ch] * b));
  }
  rot_x = 270;
  UpdateAngles();
  ASSERT_EQ(UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  for (int ch = 0; ch < 3; ch++) EXPECT_EQ(lit_centre(ch), front[ch]);
  EXPECT_EQ(ambientterm, 0.4f) << "the mesh's own ambient share leaves the global alone";
}

}  // namespace
