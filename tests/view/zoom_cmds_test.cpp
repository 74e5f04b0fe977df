#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Text_Buffer.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/panel.h"
#include "app/picture_box.h"
#include "app/window.h"
#include "earth/globe.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/screen.h"
#include "view/zoom.h"

namespace {


// Posts a plain w x h picture as an opened image would be.
void post_picture(int w, int h) {
  ASSERT_EQ(resize_loaded_image(w, h), 0);
  for (int64_t i = 0; i < (int64_t)w * h; i++) {
    float* p = img_content + 4 * i;
    p[0] = 0.7f, p[1] = 0.3f, p[2] = 0.2f, p[3] = 1.0f;
  }
  image_post(w, h, 1);
  set_content_image(1);
}

bool redrawn() {
  bool d = p_image_box->damage() != 0;
  p_image_box->clear_damage();
  return d;
}

class ZoomCmds : public ::testing::Test {
 protected:
  void SetUp() override {
    headless_viewer(800, 500);
    p_image_box->clear_damage();
  }
  void TearDown() override {
    reset_globe_view();
  }
};

}  // namespace

TEST_F(ZoomCmds, OneToOneCarriesThePanAboutTheCentre) {
  post_picture(800, 600);
  ASSERT_EQ(zoom, 29);
  shiftx = 40, shifty = 20;
  set_status("x");
  cb_zoom_1_1();
  EXPECT_EQ(zoom, 31);
  EXPECT_EQ(shiftx, 53);
  EXPECT_EQ(shifty, 26);
  EXPECT_EQ(status_text(), "");
  EXPECT_TRUE(redrawn());
}

TEST_F(ZoomCmds, StepsRescaleAndLimitThePan) {
  struct {
    int w, h, from, sx, sy;
    void (*cmd)(Fl_Widget*, void*);
    int to, ex, ey;
  } cases[] = {
      // Zooming out clears the pan where the picture then fits, scales the rest.
      {2000, 400, 31, 300, 40, cb_zoom_out, 30, 262, 0},
      // Zooming in scales by new/old shown size and keeps within half the overflow.
      {1000, 600, 31, 100, 50, cb_zoom_in, 32, 111, 55},
      {1000, 1000, 33, 600, -600, cb_zoom_in, 34, 287, -437},
      // Zooming in leaves the pan of a picture that still fits as it was scaled.
      {400, 250, 31, 20, 10, cb_zoom_in, 32, 22, 11},
  };
  for (auto& c : cases) {
    post_picture(c.w, c.h);
    zoom = c.from, shiftx = c.sx, shifty = c.sy;
    c.cmd(nullptr, nullptr);
    EXPECT_EQ(zoom, c.to) << c.w << "x" << c.h;
    EXPECT_EQ(shiftx, c.ex) << c.w << "x" << c.h << " from " << c.from;
    EXPECT_EQ(shifty, c.ey) << c.w << "x" << c.h << " from " << c.from;
  }
}

TEST_F(ZoomCmds, LimitsDoNothingAtAll) {
  post_picture(100, 100);
  zoom = 62, shiftx = 3;
  set_status("kept");
  p_image_box->clear_damage();
  cb_zoom_in();
  EXPECT_EQ(zoom, 62);
  EXPECT_EQ(shiftx, 3);
  EXPECT_EQ(status_text(), "kept");
  EXPECT_FALSE(redrawn());
  zoom = 0;
  cb_zoom_out();
  EXPECT_EQ(zoom, 0);
  EXPECT_FALSE(redrawn());
}

// A small picture at a strong reduction is shown 0 pixels wide; stepping from there must not
// divide by that size.
TEST_F(ZoomCmds, ZeroShownSizeStartsCentred) {
  post_picture(30, 20);
  zoom = 0, shiftx = 5, shifty = -3;
  ASSERT_EQ(zoom_shown(30, 0), 0);
  cb_zoom_in();
  EXPECT_EQ(zoom, 1);
  EXPECT_EQ(shiftx, 0);
  EXPECT_EQ(shifty, 0);
  zoom = 1, shiftx = 7;
  cb_zoom_out();
  EXPECT_EQ(zoom, 0);
  EXPECT_EQ(shiftx, 0);
  zoom = 1, shiftx = 7;
  cb_zoom_1_1();
  EXPECT_EQ(zoom, 31);
  EXPECT_EQ(shiftx, 0);
}

TEST_F(ZoomCmds, ArrowsPanWithTenPixelOverPull) {
  post_picture(1000, 2000);
  zoom = 31, shiftx = shifty = 0;
  // The names are those of the view's move: left moves the picture right.
  cb_left();
  EXPECT_EQ(shiftx, 110);  // 800/7 = 114, limited to 10 beyond the 100-pixel overflow
  cb_right();
  EXPECT_EQ(shiftx, -4);
  cb_right();
  cb_right();
  EXPECT_EQ(shiftx, -110);
  EXPECT_TRUE(redrawn());
  cb_down();
  EXPECT_EQ(shifty, 71);  // min(500, 2000)/7
  cb_up();
  cb_up();
  EXPECT_EQ(shifty, -71);
  for (int i = 0; i < 20; i++) cb_up();
  EXPECT_EQ(shifty, -760);

  // A picture that fits stays centred; its short shown height sets the vertical step.
  post_picture(300, 200);
  zoom = 31, shiftx = 12, shifty = 0;
  cb_left();
  EXPECT_EQ(shiftx, 0);
  cb_down();
  EXPECT_EQ(shifty, 0);
}

TEST_F(ZoomCmds, HexViewDoesNotScroll) {
  post_picture(1000, 2000);
  zoom = 31;
  set_content_hex();
  choice->value(1);
  ASSERT_TRUE(view_is_hex());
  cb_down();
  EXPECT_EQ(shifty, 0);
  EXPECT_TRUE(redrawn());
  cb_left();
  EXPECT_EQ(shiftx, 110);
}

TEST_F(ZoomCmds, GlobeViewState) {
  set_content_vglobe();
  for (int i = 0; i < 20; i++) cb_zoom_out();
  EXPECT_EQ(globe_zoom, 1.4);
  cb_zoom_1_1();
  EXPECT_EQ(globe_zoom, 0.6561);
  for (int i = 0; i < 200; i++) cb_zoom_in();
  EXPECT_GT(globe_zoom, 0.0);
  EXPECT_LT(globe_zoom, 1e-9);
  globe_zoom = 0.5;
  double dy = globe_dy;
  cb_left();
  EXPECT_DOUBLE_EQ(globe_dx, 0.05);
  cb_right();
  cb_right();
  EXPECT_DOUBLE_EQ(globe_dx, -0.05);
  cb_up();
  EXPECT_DOUBLE_EQ(globe_dy, dy + 0.05);
  cb_down();
  cb_down();
  EXPECT_DOUBLE_EQ(globe_dy, dy - 0.05);
  EXPECT_EQ(zoom, 31);  // the image view is untouched
}

TEST_F(ZoomCmds, ThreeDimensionalKindsLeaveTheImageView) {
  post_picture(1000, 2000);
  void (*kinds[])() = {set_content_pdb, set_content_srtm3, set_content_sdf, set_content_stl};
  void (*cmds[])(Fl_Widget*, void*) = {cb_zoom_in, cb_zoom_out, cb_zoom_1_1, cb_left,
                                       cb_right,   cb_up,       cb_down};
  for (auto kind : kinds) {
    kind();
    for (auto cmd : cmds) {
      zoom = 20, shiftx = 5, shifty = 6;
      p_image_box->clear_damage();
      cmd(nullptr, nullptr);
      EXPECT_EQ(zoom, 20);
      EXPECT_EQ(shiftx, 5);
      EXPECT_EQ(shifty, 6);
      EXPECT_FALSE(redrawn());
    }
  }
  EXPECT_EQ(globe_zoom, GLOBE_ZOOM_START);
}
