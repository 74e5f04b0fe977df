// A scene of each 3D kind in the real window, shown on the test's X server: it opens fitted and
// centred on the screen, turns by drags and the arrows, zooms with +, - and 1:1 and follows a
// resize of the window, with the panel's and the picture's own handlers.
#include <gtest/gtest.h>
// The toolkit's X11 headers define macros that gtest's names would clash with: they come after.
#include <FL/Fl.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "app/panel.h"
#include "app/window.h"
#include "picture_box_events.h"
#include "scene3d/frame.h"
#include "scene3d/frame_state.h"
#include "scene3d/synthetic_scenes.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/screen.h"

using namespace scene3d;

namespace {

// The box of the canvas pixels that differ from the 3D background, read from the window on the
// screen; fractions of the canvas.
struct Seen {
  double cx, cy, w, h;
  int count;
};

Seen seen_on_screen() {
  Fl::flush();
  Fl::check();
  window->make_current();
  const int W = width, H = height;
  std::vector<unsigned char> px((size_t)W * H * 3);
  fl_read_image(px.data(), 104, 24, W, H);
  // The background is the most common colour of the canvas's corners.
  const unsigned char* bg = px.data();
  int x0 = W, x1 = -1, y0 = H, y1 = -1, count = 0;
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++) {
      const unsigned char* p = px.data() + 3 * ((size_t)y * W + x);
      if (std::abs(p[0] - bg[0]) + std::abs(p[1] - bg[1]) + std::abs(p[2] - bg[2]) <= 6) continue;
      x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
      count++;
    }
  if (count == 0) return {0, 0, 0, 0, 0};
  return {(x0 + x1 + 1) / 2.0 / W, (y0 + y1 + 1) / 2.0 / H, (x1 - x0 + 1.0) / W,
          (y1 - y0 + 1.0) / H, count};
}

class SceneWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    headless_viewer(480, 360);
    window->show();
    for (int k = 0; k < 50 && !window->shown(); k++) Fl::wait(0.05);
    ASSERT_TRUE(window->shown());
    DoInit();
    rot_x = 70, rot_y = 0, rot_z = 0;
  }
  void TearDown() override {
    window->hide();
    Fl::check();
    set_content_empty();
    headless_viewer(480, 360);
  }

  // Shows a scene of one kind and drives every control over it.
  static void drive(const std::function<int()>& show, void (*kind)()) {
    ASSERT_EQ(show(), 0);
    kind();
    upd_rgb(0);
    Seen s = seen_on_screen();
    ASSERT_GT(s.count, 100);
    EXPECT_NEAR(s.cx, 0.5, 0.02);
    EXPECT_NEAR(s.cy, 0.5, 0.02);
    EXPECT_GE(std::max(s.w, s.h), 0.5);
    EXPECT_LE(std::max(s.w, s.h), 0.85);

    const float x0 = rot_x, z0 = rot_z;
    push(200, 150, FL_LEFT_MOUSE);
    for (int i = 1; i <= 4; i++) drag(200 + 10 * i, 150 - 5 * i);
    release(240, 130);
    EXPECT_NEAR(rot_z, z0 - 0.15f * 40, 1e-4);
    EXPECT_NEAR(rot_x, x0 + 0.15f * -20, 1e-4);

    const float x1 = rot_x, z1 = rot_z;
    cb_left();
    EXPECT_EQ(rot_z, z1 + 5);
    cb_right();
    cb_right();
    EXPECT_EQ(rot_z, z1 - 5);
    cb_up();
    EXPECT_EQ(rot_x, x1 + 5);
    cb_down();
    EXPECT_EQ(rot_x, x1);

    const float m = magn;
    cb_zoom_in();
    EXPECT_FLOAT_EQ(magn, m * 1.05f);
    Seen bigger = seen_on_screen();
    cb_zoom_out();
    cb_zoom_1_1();
    EXPECT_EQ(magn, 1);
    Seen smaller = seen_on_screen();
    EXPECT_GT(bigger.count, smaller.count);

    window->resize(window->x(), window->y(), 560 + 108, 300 + 48);
    EXPECT_EQ(image_xres, 560);
    EXPECT_EQ(image_yres, 300);
    EXPECT_GT(seen_on_screen().count, 100);
    window->resize(window->x(), window->y(), 480 + 108, 360 + 48);
    EXPECT_EQ(image_xres, 480);
  }
};

TEST_F(SceneWindow, Spheres) {
  std::vector<Ball> balls;
  for (int i = 0; i < 300; i++)
    balls.push_back({5 * std::cos(i * 0.3), 5 * std::sin(i * 0.3), i * 0.05, 0.8, 6 + i % 3});
  drive([&] { return show_spheres(balls); }, [] { set_content_pdb(); });
}

TEST_F(SceneWindow, Mesh) {
  std::vector<tri> t;
  for (int k = 0; k < 24; k++) {
    double a0 = k * 2 * M_PI / 24, a1 = (k + 1) * 2 * M_PI / 24;
    t.push_back({{0, 0, 6},
                 {4 * std::cos(a0), 4 * std::sin(a0), 0},
                 {4 * std::cos(a1), 4 * std::sin(a1), 0},
                 {std::cos(a0), std::sin(a0), 0.6}});
  }
  drive([&] { return show_mesh(t); }, [] { set_content_stl(); });
}

TEST_F(SceneWindow, Terrain) {
  const int n = 151;
  std::vector<float> z((size_t)n * n);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++)
      z[(size_t)i * n + j] =
          (float)(1800 * std::exp(-((i - 60.0) * (i - 60) + (j - 90.0) * (j - 90)) / 900) +
                  20 * std::sin(j * 0.2));
  drive([&] { return show_grid(n, n, 90, 90, z, true); }, [] { set_content_srtm3(); });
}

}  // namespace
