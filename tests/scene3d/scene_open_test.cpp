// The shared opener flow: a new scene becomes current only when it was read and rendered whole;
// otherwise the status line says why and the picture, the scene and its view stay. Every scene
// starts from the radius table and the default lighting.
#include "scene3d/scene_open.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "render_fixture.h"
#include "scene3d/colour_map.h"
#include "scene3d/colour_schemes.h"
#include "scene3d/elements.h"
#include "scene3d/frame.h"
#include "scene3d/frame_state.h"
#include "scene3d/grid.h"
#include "scene3d/navigate.h"
#include "scene3d/radii.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"
#include "scene3d/shade.h"
#include "support/headless.h"
#include "view/canvas.h"

using namespace scene3d;

namespace {

// What the window shows and the renderer holds, to compare before and after a failed open.
struct Shown {
  std::vector<float> picture;
  std::vector<point3> points;
  float camera, clip, rx, rz;
  int dx, dy, scheme, entries;
  std::vector<uint8_t> ramp;

  static Shown now() {
    Shown s;
    s.picture.assign(img_content, img_content + 4 * (size_t)image_xres * image_yres);
    s.points.assign(at_r, at_r + n_atoms);
    s.camera = camera_pos, s.clip = ClipDist, s.rx = rot_x, s.rz = rot_z;
    s.dx = dispX, s.dy = dispY, s.scheme = colSelection, s.entries = CMapSize;
    s.ramp.assign(CMap + 3 * startCharge, CMap + 3 * (startCharge + 256));
    return s;
  }
  void expect_same() const {
    Shown s = now();
    EXPECT_TRUE(s.picture == picture);
    ASSERT_EQ(s.points.size(), points.size());
    EXPECT_EQ(memcmp(s.points.data(), points.data(), points.size() * sizeof(point3)), 0);
    EXPECT_EQ(s.camera, camera);
    EXPECT_EQ(s.clip, clip);
    EXPECT_EQ(s.rx, rx);
    EXPECT_EQ(s.rz, rz);
    EXPECT_EQ(s.dx, dx);
    EXPECT_EQ(s.dy, dy);
    EXPECT_EQ(s.scheme, scheme);
    EXPECT_EQ(s.entries, entries);
    EXPECT_TRUE(s.ramp == ramp);
  }
};

class SceneOpen : public ::testing::Test {
 protected:
  void SetUp() override {
    renderer_at(160, 120);
    ASSERT_EQ(show_spheres(ball_cloud(50, 9, 10, 1.5)), 0);
  }
  void TearDown() override {
    fail_alloc_at = 0;
    renderer_at(160, 120);
  }
};

TEST_F(SceneOpen, AFailedReadKeepsEverything) {
  Shown before = Shown::now();
  int r = scene_open([] {
    InitMolData();
    for (int i = 0; i < 10; i++) {
      AddBall(6, i, i, i);
      n_atoms++;
    }
    ElemRad[6] = 0.8f;
    colSelection = 415;
    rot_x = 10;
    AddColor(1, 2, 3);
    return scene_fail("damaged file: %d atoms", 10);
  });
  EXPECT_EQ(r, 1);
  EXPECT_EQ(status_text(), "damaged file: 10 atoms");
  before.expect_same();
  EXPECT_EQ(ElemRad[6], 1.2f);
  // The kept scene goes on turning.
  long frames = frames_painted;
  srtm3_left();
  EXPECT_EQ(frames_painted, frames + 1);
  EXPECT_EQ(n_atoms, 50);
}

TEST_F(SceneOpen, AnEmptySceneIsAFailure) {
  Shown before = Shown::now();
  EXPECT_EQ(scene_open([] { return InitMolData() ? 0 : 1; }), 1);
  EXPECT_EQ(status_text(), "no points to show");
  before.expect_same();
  EXPECT_EQ(show_spheres({}), 1);
  before.expect_same();
}

// The k-th allocation from the start of an open fails, for every k up to past the last one. A
// failure that a later retry absorbs may still end in the new scene; any other failure leaves
// everything as it was.
TEST_F(SceneOpen, EveryAllocationFailureKeepsThePicture) {
  const std::vector<Ball> first = ball_cloud(50, 9, 10, 1.5), next = ball_cloud(20000, 4, 30, 1);
  const std::vector<float> z = cone(60, 10);
  int failures = 0;
  for (int kind = 0; kind < 2; kind++) {
    for (int k = 1; k < 40; k++) {
      SCOPED_TRACE(kind);
      SCOPED_TRACE(k);
      ASSERT_EQ(show_spheres(first), 0);
      Shown before = Shown::now();
      fail_alloc_at = k;
      int r = kind == 0 ? show_spheres(next) : show_grid(60, 60, 1, 1, z, false);
      fail_alloc_at = 0;
      if (r == 0) {
        EXPECT_EQ(n_atoms, kind == 0 ? 20000 : 3600);
        continue;
      }
      failures++;
      EXPECT_NE(status_text(), "");
      before.expect_same();
    }
  }
  EXPECT_GT(failures, 10);
}

TEST_F(SceneOpen, EachSceneStartsFromTheDefaults) {
  ASSERT_EQ(scene_open([] {
              InitMolData();
              append_grid_point(0, 0, 0);
              ElemRad[6] = 0.8f;
              ElemRad[100] = 70;
              RadMagn = 0.5f;
              ambientterm = 0.15f;
              zmat_nx = 5, zmat_delta = 3, isXYZ2d = 2;
              return 0;
            }),
            0);
  EXPECT_EQ(scene_open([] {
              EXPECT_EQ(ElemRad[6], 1.2f);
              EXPECT_EQ(ElemRad[100], 1.3f);
              EXPECT_EQ(RadMagn, 1);
              EXPECT_EQ(ambientterm, 0.2f);
              EXPECT_EQ(zmat_nx, 0);
              EXPECT_EQ(zmat_delta, 0);
              EXPECT_EQ(isXYZ2d, 0);
              EXPECT_EQ(content, 0);
              return scene_fail("stop");
            }),
            1);
  // The failed read put the scene before it back, with its own settings.
  EXPECT_EQ(ElemRad[100], 70);
  EXPECT_EQ(ambientterm, 0.15f);
}

TEST_F(SceneOpen, ReadersKnowWhetherATerrainTileWasShown) {
  bool seen = true;
  auto probe = [&seen] {
    seen = previous_scene_terrain();
    return scene_fail("probe");
  };
  scene_open(probe);
  EXPECT_FALSE(seen);
  ASSERT_EQ(show_grid(8, 8, 90, 90, cone(8, 100), true), 0);
  scene_open(probe);
  EXPECT_TRUE(seen);
}

TEST_F(SceneOpen, ReadersDoNotPaint) {
  Shown before = Shown::now();
  long frames = frames_painted;
  scene_open([] {
    InitMolData();
    append_grid_point(1, 2, 3);
    EXPECT_EQ(UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0), 1);
    return scene_fail("stop");
  });
  EXPECT_EQ(frames_painted, frames);
  before.expect_same();
}

}  // namespace
