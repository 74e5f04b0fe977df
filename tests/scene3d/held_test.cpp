// The renderer's operations that no control invokes: the view reset, the generator, the
// background grey, cell helpers, ball-and-stick radii, the content state and point copies.
#include <gtest/gtest.h>

#include "render_fixture.h"
#include "scene3d/abuffer.h"
#include "scene3d/bonds.h"
#include "scene3d/frame.h"
#include "scene3d/scene.h"
#include "scene3d/shade.h"

using namespace scene3d;

namespace {

class Held : public ::testing::Test {
 protected:
  void SetUp() override { renderer_at(80, 60); }
  void TearDown() override {
    SetBackCol(15);
    renderer_at(80, 60);
  }
};

TEST_F(Held, ResetViewAndPaintNew) {
  ASSERT_EQ(show_spheres(ball_cloud(10, 2, 3, 1)), 0);
  rot_x = 12, rot_z = 40;
  dispX = 7;
  long frames = frames_painted;
  ResetView();
  EXPECT_EQ(frames_painted, frames + 1);
  EXPECT_EQ(rot_x, 90);
  EXPECT_EQ(rot_z, 0);
  EXPECT_EQ(ca, -4.371139e-8f);
  EXPECT_EQ(magn, 5.5f);
  EXPECT_EQ(camera_pos, -100);
  EXPECT_EQ(ClipDist, 50);
  EXPECT_EQ(dispX, 0);
  PaintNew(0, 1, 0);
  EXPECT_EQ(frames_painted, frames + 2);
}

TEST_F(Held, GeneratorBackgroundAndCells) {
  rnd_next = 1;
  EXPECT_EQ(nextrand(), 1103515245u + 12345u);
  rnd_next = 1;
  EXPECT_EQ(myrand(), (int)(((1103515245u + 12345u) >> 16) & 0x7FFF));
  struct {
    int grey;
    float want;
  } greys[] = {{-5, 0}, {0, 0}, {128, 0.5f}, {255, 255 / 256.0f}, {999, 255 / 256.0f}};
  for (auto g : greys) {
    SetBackCol(g.grey);
    EXPECT_EQ(BackGfloat, g.want) << g.grey;
    EXPECT_EQ(fog_float, g.want);
  }
  cut = 2, x_min = 1, y_min = -3, z_min = 0.5f;
  float x, y, z;
  get_center(1, 0, 2, &x, &y, &z);
  EXPECT_EQ(x, 4);
  EXPECT_EQ(y, -2);
  EXPECT_EQ(z, 5.5f);

  ASSERT_EQ(show_spheres({{0, 0, 0, 1, 6}}), 0);
  set_obj_int(3, 4, 0, 77);
  EXPECT_EQ(get_obj_clip_int(3, 4, 0), 77);
  set_obj_int(-1, 4, 0, 5);  // outside: ignored
  set_obj_int(0, 0, 0, 66);
  EXPECT_EQ(get_obj_clip_int(-10, -10, 0), 66) << "clamped into the frame";
  set_obj_int(Axres - 1, Ayres - 1, 0, 55);
  EXPECT_EQ(get_obj_clip_int(Axres + 3, Ayres, 0), 55);
}

TEST_F(Held, BallAndStickRadiiAndTheContentState) {
  InitMolData();
  for (int z : {6, 26, 35, -30}) {
    ASSERT_EQ(AddBall(z, 0, 0, 0), 0);
    n_atoms++;
  }
  RadMagn = 2;
  RadiusBallStick();
  EXPECT_FLOAT_EQ(at[0].rad, 0.039f * 2) << "light elements get the stick radius";
  EXPECT_FLOAT_EQ(at[1].rad, 1.3f * 2) << "heavy ones their element radius";
  EXPECT_FLOAT_EQ(at[2].rad, 0.039f * 2) << "bromine and vanadium stay thin";
  EXPECT_FLOAT_EQ(at[3].rad, 0.039f * 2) << "a flagged point counts by its stored ordinal";
  EXPECT_EQ(r_type, 1);
  at_rad[1] = 4.5f;
  RadiusUser();
  EXPECT_EQ(at[1].rad, 4.5f);
  EXPECT_EQ(UserRadius, 1);
  RadMagn = 1;

  set_temperature(1, 8);
  copy_atom(0, 1);
  EXPECT_EQ(at_el[0], 26);
  EXPECT_EQ(get_temperature(0), 8);

  int item = 0;
  ChangeMenuItem(&item, 5, nullptr);
  EXPECT_EQ(item, 5);

  EXPECT_EQ(GetContent(), 1);
  SetContent(4);
  EXPECT_EQ(is_txt, 1);
  EXPECT_EQ(have_gra2d, 1);
  EXPECT_EQ(atoms_allocated, 0) << "leaving the scene frees the store";
  SetContent(0);
  EXPECT_EQ(is_txt, 0);
  EXPECT_EQ(have_gra2d, 0);
}

// The content values nothing but these operations uses: each sets its flags, and leaving it
// frees its buffer, which is never allocated, so nothing is freed twice; the freeing operations
// called alone do the same.
TEST_F(Held, ContentValuesBesidesSceneAndEmpty) {
  struct {
    int value;
    int bin, txt, html, gra2d;
  } values[] = {{3, 0, 0, 0, 1}, {4, 0, 1, 0, 1}, {5, 1, 0, 0, 1}, {6, 0, 0, 1, 1}, {2, 0, 0, 0, 0}};
  for (auto v : values) {
    SetContent(0);
    isGlass = isHgt = 1;
    SetContent(v.value);
    EXPECT_EQ(GetContent(), v.value);
    EXPECT_EQ(is_bin, v.bin) << v.value;
    EXPECT_EQ(is_txt, v.txt) << v.value;
    EXPECT_EQ(is_html, v.html) << v.value;
    EXPECT_EQ(have_gra2d, v.gra2d) << v.value;
    EXPECT_EQ(isGlass + isHgt, 0) << v.value;
    html_y_start = 40;
    SetContent(v.value);
    EXPECT_EQ(html_y_start, 40) << "the same value again frees nothing";
    SetContent(0);
    EXPECT_EQ(html_y_start, 0) << v.value;
    EXPECT_EQ(have_gra2d, 0) << v.value;
  }
  for (int k = 0; k < 2; k++) {
    FreePix();
    FreeTxt();
    FreeBin();
    FreeHtmOld();
  }
  EXPECT_EQ(GetContent(), 0);
}

}  // namespace
