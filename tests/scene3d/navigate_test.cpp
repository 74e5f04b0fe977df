// Navigation of the 3D view: drag and step turns, zoom steps and 1:1, and the resize, each with
// one new frame posted at the canvas size.
#include "scene3d/navigate.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/window.h"
#include "render_fixture.h"
#include "scene3d/frame_state.h"
#include "scene3d/scene_alloc.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/screen.h"

using namespace scene3d;

namespace {

class Navigate : public ::testing::Test {
 protected:
  void SetUp() override {
    renderer_at(200, 150);
    set_content_pdb();
    ASSERT_EQ(show_spheres(ball_cloud(60, 8, 10, 1.5)), 0);
  }
  void TearDown() override {
    fail_alloc_at = 0;
    set_content_empty();
    renderer_at(200, 150);
  }
};

TEST_F(Navigate, TurnsAndZooms) {
  const float x0 = rot_x, z0 = rot_z;
  srtm3_rotate(10, 20);
  EXPECT_FLOAT_EQ(rot_z, z0 - 1.5f);
  EXPECT_FLOAT_EQ(rot_x, x0 + 3);
  rot_z = 0;
  for (int k = 0; k < 72; k++) srtm3_left();
  EXPECT_EQ(rot_z, 360);
  srtm3_left();
  EXPECT_EQ(rot_z, 365) << "angles are not wrapped";
  srtm3_right();
  srtm3_up();
  srtm3_down();
  EXPECT_EQ(rot_z, 360);
  EXPECT_FLOAT_EQ(rot_x, x0 + 3);
  // The sines and cosines follow the angles.
  EXPECT_NEAR(sg, 0, 1e-6);
  EXPECT_NEAR(cg, 1, 1e-6);

  EXPECT_EQ(magn, 2.7f);
  srtm3_zoom_in();
  srtm3_zoom_out();
  EXPECT_FLOAT_EQ(magn, 2.7f * 0.9975f);
  srtm3_zoom_1_1();
  EXPECT_EQ(magn, 1);
}

TEST_F(Navigate, EveryStepPostsAFrame) {
  long frames = frames_painted, posts = image_posts;
  std::vector<float> before(img_content, img_content + 4 * (size_t)width * height);
  srtm3_down();
  EXPECT_EQ(frames_painted, frames + 1);
  EXPECT_EQ(image_posts, posts + 1);
  EXPECT_EQ(image_xres, width);
  EXPECT_EQ(image_yres, height);
  EXPECT_FALSE(std::equal(before.begin(), before.end(), img_content)) << "the scene turned";
}

TEST_F(Navigate, Resize) {
  long frames = frames_painted;
  old_resize(width, height);
  EXPECT_EQ(frames_painted, frames) << "the size already recorded renders nothing";
  old_resize(0, 90);
  EXPECT_EQ(frames_painted, frames);
  // The window's resize reaches old_resize for a 3D kind; the new frame fills the new canvas.
  headless_viewer(320, 260);
  set_content_pdb();
  EXPECT_EQ(frames_painted, frames + 1);
  EXPECT_EQ(ClientX, 320);
  EXPECT_EQ(ClientY, 260);
  EXPECT_EQ(image_xres, 320);
  EXPECT_EQ(image_yres, 260);
  EXPECT_GE(img_allocated, 320 * 260);
  headless_viewer(90, 70);
  set_content_pdb();
  EXPECT_EQ(frames_painted, frames + 2);
  EXPECT_EQ(image_xres, 90);
}

// No memory for the bigger frame: the picture of the old size stays valid and the status line
// says why; the next resize succeeds.
TEST_F(Navigate, ResizeWithoutMemory) {
  fail_alloc_at = 1;
  window->resize(window->x(), window->y(), 400 + 108, 300 + 48);
  EXPECT_EQ(width, 400);
  EXPECT_EQ(status_text(), "memory error (3D frame)");
  EXPECT_EQ(image_xres, 200);
  EXPECT_TRUE(loaded_image_valid());
  headless_viewer(410, 300);
  set_content_pdb();
  EXPECT_EQ(image_xres, 410);
}

}  // namespace
