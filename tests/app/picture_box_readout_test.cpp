#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "earth/globe.h"
#include "picture_box_events.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/screen.h"
#include "view/zoom.h"

namespace {

std::string readout(double lon_rad, double lat_rad) {
  char text[80];
  snprintf(text, sizeof text, "long: %.2f, lat: %.2f", lon_rad * 180 / 3.14159265,
           lat_rad * 180 / 3.14159265);
  return text;
}

const double S = GLOBE_ZOOM_START * 0.35 * 0.017453292519943;

class Readout : public ::testing::Test {
 protected:
  void SetUp() override {
    headless_viewer(800, 500);
    set_content_vglobe();
    x_last_drag = y_last_drag = -1;
  }
  void TearDown() override {
    reset_globe_view();
    look_at_laenge = look_at_breite = 0;
    current_mouse_mode = 1;
  }
};

// Posts a canvas-sized globe picture, as the globe renderer does.
void post_globe_picture() {
  ASSERT_EQ(resize_loaded_image(width, height), 0);
  for (int i = 0; i < width * height; i++) {
    float* p = img_content + 4 * i;
    p[0] = p[1] = p[2] = 0.5f, p[3] = 1.0f;
  }
  image_post(width, height, 1);
}

}  // namespace

TEST_F(Readout, CentreShowsTheViewCentreLessThePan) {
  move(400, 250);
  // At start the centre row is 11.28 degrees north.
  EXPECT_EQ(status_text(), "long: 0.00, lat: 11.28");
  look_at_laenge = 0.5, globe_dx = 0.2, globe_dy = 0.1;
  move(400, 251);
  EXPECT_EQ(status_text(), readout(0.3, -0.1 - S));
  move(100, 20);
  EXPECT_EQ(status_text(), readout(0.3 - 300 * S, -0.1 + 230 * S));
}

TEST_F(Readout, WrapsLongitudeAndFoldsLatitude) {
  struct {
    double laenge, dx, dy;
    double lon, lat;
  } cases[] = {
      {3.0, -0.5, 0.0, 3.5 - 6.283185307179586, 0.0},
      {-3.0, 0.5, 0.0, -3.5 + 6.283185307179586, 0.0},
      {0.0, 0.0, -2.0, 0.0, 2.0 - 3.141592653589793},
      {0.0, 0.0, 2.0, 0.0, -2.0 + 3.141592653589793},
      {0.0, 20.0, 0.0, -20.0 + 3 * 6.283185307179586, 0.0},
  };
  for (auto& c : cases) {
    look_at_laenge = c.laenge, globe_dx = c.dx, globe_dy = c.dy;
    double lon, lat;
    globe_point_under(400, 250, &lon, &lat);
    EXPECT_NEAR(lon, c.lon, 1e-12);
    EXPECT_NEAR(lat, c.lat, 1e-12);
    EXPECT_LE(std::fabs(lon), 3.141592653589793);
    EXPECT_LE(std::fabs(lat), 1.570796326794897);
  }
}

TEST_F(Readout, WrittenOnlyWhenThePositionChanges) {
  move(10, 10);
  set_status("other");
  move(10, 10);
  EXPECT_EQ(status_text(), "other");
  move(11, 10);
  EXPECT_NE(status_text(), "other");
  // Off the canvas the status is emptied; other kinds always show "-".
  move(800, 10);
  EXPECT_EQ(status_text(), "");
  move(-1, 10);
  EXPECT_EQ(status_text(), "");
  set_content_image(1);
  move(5, 5);
  EXPECT_EQ(status_text(), "-");
  set_status("other");
  move(5, 5);
  EXPECT_EQ(status_text(), "-");
  // Without the readout switch a move changes nothing.
  current_mouse_mode = 0;
  set_status("kept");
  EXPECT_EQ(move(6, 5), 1);
  EXPECT_EQ(status_text(), "kept");
}

// The pointer-mode setter switches the readout: only mode 1 writes it.
TEST_F(Readout, OnlyPointerMode1ShowsThePlace) {
  struct {
    int mode;
    bool reads_out;
  } modes[] = {{0, false}, {2, false}, {-1, false}, {1, true}};
  int x = 100;
  for (auto m : modes) {
    set_mouse(m.mode);
    EXPECT_EQ(current_mouse_mode, m.mode);
    set_status("kept");
    EXPECT_EQ(move(++x, 40), 1);
    EXPECT_EQ(status_text() != "kept", m.reads_out) << "mode " << m.mode;
  }
  EXPECT_EQ(status_text().substr(0, 6), "long: ");
}

// After a drag zoom of the globe picture the readout names the place drawn under the pointer,
// not the place the unzoomed picture had there.
TEST_F(Readout, FollowsTheComposedZoomAndPan) {
  post_globe_picture();
  ASSERT_EQ(zoom, 31);
  move(490, 250);
  EXPECT_EQ(status_text(), readout(90 * S, -globe_dy));

  // One Ctrl-drag step in: 10/9, composed with a corner at (800 - 799*10/9)/2 = -43, sampling
  // image column (x + 43) * 9/10.
  push(400, 100, FL_LEFT_MOUSE);
  drag(400, 103, FL_CTRL);
  release(400, 103);
  ASSERT_EQ(zoom, 32);
  move(0, 0);
  move(490, 250);
  double ix = (490 + 43) * 9 / 10.0, iy = (250 + 27) * 9 / 10.0;
  // (500 - 499*10/9)/2 = -27 for the rows.
  EXPECT_EQ(status_text(), readout((ix - 400) * S, -(iy - 250) * S - globe_dy));
  EXPECT_NE(status_text(), readout(90 * S, -globe_dy));

  // A pan moves the picture and the place with it.
  shiftx = 30;
  move(520, 250);
  EXPECT_EQ(status_text(), readout((ix - 400) * S, -(iy - 250) * S - globe_dy));

  // The right-click point is the same place.
  double lon, lat;
  globe_point_under(520, 250, &lon, &lat);
  EXPECT_NEAR(lon, (ix - 400) * S, 1e-12);
  EXPECT_NEAR(lat, -(iy - 250) * S - globe_dy, 1e-12);
  EXPECT_EQ(push(520, 250, FL_RIGHT_MOUSE), 1);
  EXPECT_EQ(right_button, 1);
}
