// The Mandelbrot view against numpy's iteration of the same map, at the pixels whose escape step
// a nudge of c by 1e-9 leaves alone, and the view's placement on the complex plane.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "app/mandelbrot.h"
#include "earth/globe.h"
#include "support/headless.h"
#include "support/python_reference.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

class Mandelbrot : public ::testing::Test {
 protected:
  void TearDown() override {
    mb_zoom = 1.2;
    mb_dx = mb_dy = 0;
  }
};

struct View {
  int w, h;
  double zoom, dx, dy;
};

TEST_F(Mandelbrot, PicturesMatchNumpy) {
  for (View v : {View{150, 100, 1.2, 0, 0}, View{96, 64, 0.05, 0.75, -0.08}}) {
    std::string what = std::to_string(v.w) + "x" + std::to_string(v.h) + " zoom " +
                       std::to_string(v.zoom);
    std::vector<std::vector<double>> rows;
    std::string error;
    char args[128];
    snprintf(args, sizeof args, "%d %d %.17g %.17g %.17g", v.w, v.h, v.zoom, v.dx, v.dy);
    ASSERT_TRUE(python_rows("app/mandelbrot_reference.py", args, &rows, &error)) << error;
    // Only pixels right at the boundary may be left out.
    EXPECT_GT(rows.size(), (size_t)(0.9 * v.w * v.h)) << what;

    headless_viewer(v.w, v.h);
    mb_zoom = v.zoom, mb_dx = v.dx, mb_dy = v.dy;
    load_mb();
    ASSERT_EQ(image_xres, v.w);
    ASSERT_EQ(image_yres, v.h);
    EXPECT_EQ(xres, v.w);
    EXPECT_EQ(yres, v.h);
    EXPECT_EQ(contentview, 1);
    int in_set = 0;
    for (const auto& r : rows) {
      int i = (int)r[0], j = (int)r[1];
      const float* p = img_content + 4 * ((size_t)i * v.w + j);
      SCOPED_TRACE(what + " row " + std::to_string(i) + " column " + std::to_string(j));
      ASSERT_NEAR(p[0], r[3], 1e-6);
      ASSERT_NEAR(p[1], r[4], 1e-6);
      ASSERT_NEAR(p[2], r[5], 1e-6);
      ASSERT_EQ(p[3], 1.0f);
      int left = 2 * v.w / 3;
      double re = (j - left) * v.zoom / v.w - v.dx, im = (v.h - 1 - i) * v.zoom / v.w - v.dy;
      ASSERT_NEAR(mb_funct(re, im), r[2], 1e-6);
      float cr, cg, cb;
      mb_col(re, im, &cr, &cg, &cb);
      ASSERT_EQ(cr, p[0]);
      ASSERT_EQ(cg, p[1]);
      ASSERT_EQ(cb, p[2]);
      in_set += r[2] > 1.001;
    }
    EXPECT_GT(in_set, 0) << what;
  }
}

TEST_F(Mandelbrot, EscapeValues) {
  EXPECT_DOUBLE_EQ(mb_funct(0, 0), 1.002);  // never escapes
  // 2 + 0i: |z|^2 = 4, 36, 1444 after the first three steps.
  EXPECT_DOUBLE_EQ(mb_funct(2, 0), (2 - (1 - std::exp(-0.05 * 1344 / 100))) / 500);
  // -2 is in the set (z stays at 2 after the second step).
  EXPECT_DOUBLE_EQ(mb_funct(-2, 0), 1.002);
  float r, g, b;
  mb_col(0, 0, &r, &g, &b);
  EXPECT_EQ(r + g + b, 0.0f);
  mb_col(2, 0, &r, &g, &b);
  double s = mb_funct(2, 0);
  EXPECT_FLOAT_EQ(r, (float)std::exp(-15 * s));
  EXPECT_FLOAT_EQ(g, (float)(1 - std::exp(-s)));
  EXPECT_FLOAT_EQ(b, (float)std::exp(-5 * s));
  // Far out c escapes at the first step; s may then fall just below 0.
  EXPECT_LT(mb_funct(20, 0), 0);
}

TEST_F(Mandelbrot, WaitsForARunningOpen) {
  headless_viewer(30, 20);
  ASSERT_EQ(resize_loaded_image(7, 5), 0);
  image_post(7, 5, 1);
  set_open_busy(1);
  load_mb();
  set_open_busy(0);
  EXPECT_EQ(image_xres, 7);
  EXPECT_EQ(img_allocated, 35);
}

TEST_F(Mandelbrot, InitialViewSitsOnTheRealAxis) {
  headless_viewer(150, 100);
  load_mb();
  // Bottom row: imaginary part 0; columns from -0.8 to 0.4 - 1.2 / 150.
  const float* bottom = img_content + 4 * 99 * 150;
  float r, g, b;
  mb_col(-0.8, 0, &r, &g, &b);
  EXPECT_EQ(bottom[0], r);
  EXPECT_EQ(bottom[1], g);
  EXPECT_EQ(bottom[2], b);
  mb_col(0.4 - 1.2 / 150, 0, &r, &g, &b);
  EXPECT_NEAR(bottom[4 * 149], r, 1e-6);
  EXPECT_NEAR(bottom[4 * 149 + 1], g, 1e-6);
  EXPECT_NEAR(bottom[4 * 149 + 2], b, 1e-6);
  // The origin is column 100 of the bottom row: in the set.
  EXPECT_EQ(bottom[4 * 100] + bottom[4 * 100 + 1] + bottom[4 * 100 + 2], 0.0f);
  // One column right of 0.25 + 0i the view has left the set.
  EXPECT_GT(bottom[4 * 132] + bottom[4 * 132 + 1] + bottom[4 * 132 + 2], 0.0f);
}

}  // namespace
