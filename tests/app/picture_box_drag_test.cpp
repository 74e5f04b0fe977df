#include <gtest/gtest.h>

#include <cstdint>

#include "earth/globe.h"
#include "picture_box_events.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/screen.h"
#include "view/zoom.h"

namespace {

void post_picture(int w, int h) {
  ASSERT_EQ(resize_loaded_image(w, h), 0);
  for (int64_t i = 0; i < (int64_t)w * h; i++) {
    float* p = img_content + 4 * i;
    p[0] = 0.2f, p[1] = 0.5f, p[2] = 0.8f, p[3] = 1.0f;
  }
  image_post(w, h, 1);
  set_content_image(1);
}

// Left drag from (x, y) by (dx, dy) in `steps` equal events.
void left_drag(int x, int y, int dx, int dy, int steps, int state = 0) {
  push(x, y, FL_LEFT_MOUSE);
  for (int i = 1; i <= steps; i++) drag(x + dx * i / steps, y + dy * i / steps, state);
  release(x + dx, y + dy);
}

class Drag : public ::testing::Test {
 protected:
  void SetUp() override { headless_viewer(800, 500); }
  void TearDown() override {
    reset_globe_view();
  }
};

}  // namespace

TEST_F(Drag, LeftDragPansWithinTenPixelsBeyondTheEdge) {
  post_picture(1000, 600);
  zoom = 31;
  left_drag(400, 250, 300, 0, 30);
  EXPECT_EQ(shiftx, 110);
  EXPECT_EQ(shifty, 0);
  left_drag(400, 250, -600, 200, 10);
  EXPECT_EQ(shiftx, -110);
  EXPECT_EQ(shifty, 60);  // (500 - 600)/2 = -50, so 60
  left_drag(400, 250, 13, -7, 1);
  EXPECT_EQ(shiftx, -97);
  EXPECT_EQ(shifty, 53);

  // A picture that fits stays centred, whatever the drag.
  post_picture(300, 200);
  left_drag(100, 100, 250, 120, 5);
  EXPECT_EQ(shiftx, 0);
  EXPECT_EQ(shifty, 0);
}

TEST_F(Drag, CtrlDragZoomsOnMovesOfMoreThanTwoPixels) {
  post_picture(1000, 600);
  zoom = 31;
  // Moves of 2 pixels per event never zoom, however long the drag.
  left_drag(400, 250, 0, 40, 20, FL_CTRL);
  EXPECT_EQ(zoom, 31);
  left_drag(400, 250, 0, -40, 20, FL_CTRL);
  EXPECT_EQ(zoom, 31);
  // 3 pixels down zoom in, up zoom out, one step per event.
  left_drag(400, 250, 0, 9, 3, FL_CTRL);
  EXPECT_EQ(zoom, 34);
  EXPECT_EQ(status_text(), "1000 x 600  (137%)");
  left_drag(400, 250, 0, -3, 1, FL_CTRL);
  EXPECT_EQ(zoom, 33);
  // A sideways move does not zoom.
  left_drag(400, 250, 50, 0, 1, FL_CTRL);
  EXPECT_EQ(zoom, 33);
  // The zoom stops at the table's ends.
  left_drag(400, 250, 0, 300, 100, FL_CTRL);
  EXPECT_EQ(zoom, 62);
  left_drag(400, 250, 0, -300, 100, FL_CTRL);
  EXPECT_EQ(zoom, 0);
  EXPECT_EQ(status_text(), "1000 x 600  (1%)");
}

// Ctrl-zooming in keeps the pan (as scaled); the right drag first centres what fits.
TEST_F(Drag, OnlyTheRightDragRecentresWhenZoomingIn) {
  post_picture(400, 250);
  zoom = 31, shiftx = 20, shifty = 10;
  left_drag(100, 100, 0, 3, 1, FL_CTRL);
  EXPECT_EQ(zoom, 32);
  EXPECT_EQ(shiftx, 22);
  EXPECT_EQ(shifty, 11);
  zoom = 31, shiftx = 20, shifty = 10;
  push(100, 100, FL_RIGHT_MOUSE);
  drag(100, 101);
  release(100, 101);
  EXPECT_EQ(zoom, 32);
  EXPECT_EQ(shiftx, 0);
  EXPECT_EQ(shifty, 0);
}

TEST_F(Drag, RightDragStepsByTheSignOfEachMove) {
  post_picture(1000, 600);
  zoom = 31;
  push(10, 10, FL_RIGHT_MOUSE);
  drag(10, 11);
  drag(10, 12);
  drag(30, 12);
  drag(10, 5);
  EXPECT_EQ(zoom, 32);
  EXPECT_EQ(status_text(), "1000 x 600  (111%)");
  release(10, 5);
  EXPECT_EQ(left_button + right_button, 0);
  // Without a button armed a drag does nothing.
  EXPECT_EQ(drag(10, 100), 1);
  EXPECT_EQ(zoom, 32);
}

// From a step where the picture is shown 0 pixels wide, a drag zoom must not divide by it.
TEST_F(Drag, ZoomFromZeroShownSizeStartsCentred) {
  post_picture(30, 20);
  zoom = 1, shiftx = 4, shifty = 2;
  left_drag(100, 100, 0, 3, 1, FL_CTRL);
  EXPECT_EQ(zoom, 2);
  EXPECT_EQ(shiftx, 0);
  EXPECT_EQ(shifty, 0);
  zoom = 1, shiftx = 4;
  push(100, 100, FL_RIGHT_MOUSE);
  drag(100, 99);
  EXPECT_EQ(zoom, 0);
  EXPECT_EQ(shiftx, 0);
}

TEST_F(Drag, GlobeDragPansTheGlobe) {
  set_content_vglobe();
  globe_zoom = 0.5;
  double dy0 = globe_dy;
  push(100, 100, FL_LEFT_MOUSE);
  EXPECT_EQ(drag(110, 96), 0);
  EXPECT_DOUBLE_EQ(globe_dx, 10 * 0.5 * 0.006);
  EXPECT_DOUBLE_EQ(globe_dy, dy0 + 4 * 0.5 * 0.006);
  // With Ctrl the globe picture zooms and the globe does not move.
  int z = zoom;
  EXPECT_EQ(drag(110, 106, FL_CTRL), 1);
  EXPECT_EQ(zoom, z + 1);
  EXPECT_DOUBLE_EQ(globe_dx, 10 * 0.5 * 0.006);
  // The right drag only redraws.
  push(100, 100, FL_RIGHT_MOUSE);
  drag(100, 150);
  EXPECT_EQ(zoom, z + 1);
}

TEST_F(Drag, ThreeDimensionalKindsNeitherPanNorZoom) {
  post_picture(1000, 600);
  zoom = 31;
  for (auto kind : {set_content_pdb, set_content_srtm3, set_content_sdf, set_content_stl}) {
    kind();
    left_drag(100, 100, 50, 50, 5);
    left_drag(100, 100, 0, 50, 5, FL_CTRL);
    push(100, 100, FL_RIGHT_MOUSE);
    drag(100, 150);
    EXPECT_EQ(zoom, 31);
    EXPECT_EQ(shiftx, 0);
    EXPECT_EQ(shifty, 0);
  }
}

TEST_F(Drag, WheelAndEventResults) {
  post_picture(1000, 600);
  zoom = 31;
  Fl::e_dy = 1;
  EXPECT_EQ(p_image_box->handle(FL_MOUSEWHEEL), 1);
  EXPECT_EQ(zoom, 30);
  Fl::e_dy = -1;
  p_image_box->handle(FL_MOUSEWHEEL);
  p_image_box->handle(FL_MOUSEWHEEL);
  EXPECT_EQ(zoom, 32);
  Fl::e_dy = 0;
  p_image_box->handle(FL_MOUSEWHEEL);
  EXPECT_EQ(zoom, 32);
  set_content_vglobe();
  Fl::e_dy = -1;
  p_image_box->handle(FL_MOUSEWHEEL);
  EXPECT_DOUBLE_EQ(globe_zoom, 0.9 * GLOBE_ZOOM_START);
  Fl::e_dy = 0;

  struct {
    int event, result;
  } results[] = {{FL_ENTER, 1}, {FL_DND_ENTER, 1}, {FL_DND_DRAG, 1}, {FL_DND_RELEASE, 1},
                 {FL_DND_LEAVE, 0}, {FL_KEYDOWN, 0}, {FL_KEYUP, 0}, {FL_FOCUS, 0},
                 {FL_RELEASE, 1}};
  for (auto& r : results) EXPECT_EQ(p_image_box->handle(r.event), r.result) << r.event;
  set_status("x");
  EXPECT_EQ(p_image_box->handle(FL_LEAVE), 1);
  EXPECT_EQ(status_text(), "");
  // The middle button arms nothing.
  EXPECT_EQ(push(10, 10, FL_MIDDLE_MOUSE), 1);
  EXPECT_EQ(left_button + right_button, 0);
}
