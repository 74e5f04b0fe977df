// The renderer's operations that no control invokes: the view reset, the generator, the
// background grey, cell helpers, ball-and-stick radii, the content state and point copies.
#include <gtest/gtest.h>

#include "render_fixture.h"
#include "scene3d/abuffer.h"
#include "scene3d/cell_list.h"
#include "scene3d/frame.h"
#include "scene3d/frame_state.h"
#include "scene3d/radii.h"
#include "scene3d/scene.h"
#include "scene3d/shade.h"

using namespace scene3d;

namespace {

class Held : public ::testing::Test {
 protected:
  void SetUp() override { renderer_at(80, 60); }
  void TearDown() override {
    SetBackCol(15);
    RadMagn = 1;
    renderer_at(80, 60);
  }
  // A scene of carbon, iron, bromine and a flagged zinc, all at the origin.
  static void four_points() {
    InitMolData();
    for (int z : {6, 26, 35, -30}) {
      ASSERT_EQ(AddBall(z, 0, 0, 0), 0);
      n_atoms++;
    }
  }
};

TEST_F(Held, ResetViewRestoresTheStartingViewAndPaints) {
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
}

TEST_F(Held, PaintNewPaintsAFrame) {
  ASSERT_EQ(show_spheres(ball_cloud(10, 2, 3, 1)), 0);
  long frames = frames_painted;
  PaintNew(0, 1, 0);
  EXPECT_EQ(frames_painted, frames + 1);
}

TEST_F(Held, GeneratorStepsFromItsSeed) {
  rnd_next = 1;
  EXPECT_EQ(nextrand(), 1103515245u + 12345u);
  rnd_next = 1;
  EXPECT_EQ(myrand(), (int)(((1103515245u + 12345u) >> 16) & 0x7FFF));
}

TEST_F(Held, BackgroundGreyIsClampedAndScaled) {
  struct {
    int grey;
    float want;
  } greys[] = {{-5, 0}, {0, 0}, {128, 0.5f}, {255, 255 / 256.0f}, {999, 255 / 256.0f}};
  for (auto g : greys) {
    SetBackCol(g.grey);
    EXPECT_EQ(BackGfloat, g.want) << g.grey;
    EXPECT_EQ(fog_float, g.want) << g.grey;
  }
}

TEST_F(Held, CellCentreLiesHalfACellInFromItsCorner) {
  cut = 2, x_min = 1, y_min = -3, z_min = 0.5f;
  float x, y, z;
  get_center(1, 0, 2, &x, &y, &z);
  EXPECT_EQ(x, 4);
  EXPECT_EQ(y, -2);
  EXPECT_EQ(z, 5.5f);
}

TEST_F(Held, ObjectIdsAreReadClampedIntoTheFrame) {
  ASSERT_EQ(show_spheres({{0, 0, 0, 1, 6}}), 0);
  struct {
    int wx, wy, id;  // the cell written
    int rx, ry;      // the cell asked for
    const char* what;
  } cells[] = {
      {3, 4, 77, 3, 4, "inside"},
      {0, 0, 66, -10, -10, "clamped into the frame"},
      {Axres - 1, Ayres - 1, 55, Axres + 3, Ayres, "clamped to the far corner"},
  };
  for (auto c : cells) {
    set_obj_int(c.wx, c.wy, 0, c.id);
    EXPECT_EQ(get_obj_clip_int(c.rx, c.ry, 0), c.id) << c.what;
  }
}

TEST_F(Held, ObjectIdsOutsideTheFrameAreNotWritten) {
  ASSERT_EQ(show_spheres({{0, 0, 0, 1, 6}}), 0);
  // Row 4 at x -1 would be the last cell of row 3 if the bounds were not checked.
  int before = get_obj_clip_int(Axres - 1, 3, 0);
  set_obj_int(-1, 4, 0, before + 5);
  EXPECT_EQ(get_obj_clip_int(Axres - 1, 3, 0), before);
}

TEST_F(Held, BallAndStickRadiiFollowTheElement) {
  four_points();
  RadMagn = 2;
  RadiusBallStick();
  struct {
    int point;
    float want;
    const char* why;
  } radii[] = {
      {0, 0.039f * 2, "light elements get the stick radius"},
      {1, 1.3f * 2, "heavy ones their element radius"},
      {2, 0.039f * 2, "bromine and vanadium stay thin"},
      {3, 0.039f * 2, "a flagged point counts by its stored ordinal"},
  };
  for (auto r : radii) EXPECT_FLOAT_EQ(at[r.point].rad, r.want) << r.why;
  EXPECT_EQ(r_type, 1);
}

TEST_F(Held, UserRadiiAreTheStoredOnesUnscaled) {
  four_points();
  RadMagn = 2;
  RadiusBallStick();
  at_rad[1] = 4.5f;
  RadiusUser();
  EXPECT_EQ(at[1].rad, 4.5f);
  EXPECT_EQ(UserRadius, 1);
}

TEST_F(Held, CopyAtomCarriesOrdinalAndTemperature) {
  four_points();
  set_temperature(1, 8);
  copy_atom(0, 1);
  EXPECT_EQ(at_el[0], 26);
  EXPECT_EQ(get_temperature(0), 8);
}

TEST_F(Held, ChangeMenuItemStoresTheValue) {
  int item = 0;
  ChangeMenuItem(&item, 5, nullptr);
  EXPECT_EQ(item, 5);
}

TEST_F(Held, LeavingTheSceneFreesTheStore) {
  four_points();
  EXPECT_EQ(GetContent(), 1);
  SetContent(4);
  EXPECT_EQ(atoms_allocated, 0) << "leaving the scene frees the store";
  SetContent(0);
}

TEST_F(Held, ContentFlagsFollowTheContentValue) {
  four_points();
  struct {
    int value, txt, gra2d;
  } steps[] = {{4, 1, 1}, {0, 0, 0}};
  for (auto s : steps) {
    SetContent(s.value);
    EXPECT_EQ(is_txt, s.txt) << s.value;
    EXPECT_EQ(have_gra2d, s.gra2d) << s.value;
  }
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
