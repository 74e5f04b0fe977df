// The test pictures: their patterns at canvas size, the screen bytes taken from the canvas as it
// stood, and a renewed block cleared instead of shown.
#include <gtest/gtest.h>

#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Widget.H>

#include <cstring>
#include <vector>

#include "support/headless.h"
#include "view/canvas.h"
#include "view/quantise.h"
#include "view/screen.h"
#include "view/test_pictures.h"

namespace {

class TestPictures : public ::testing::Test {
 protected:
  void SetUp() override {
    headless_viewer(60, 45);
    upd_rgb(0);
  }
};

std::vector<float> canvas() { return std::vector<float>(fimage, fimage + 4 * (size_t)width * height); }

std::vector<unsigned char> quantised() {
  std::vector<unsigned char> out((size_t)width * height * 3);
  quant_display(out.data(), 0);
  return out;
}

void expect_px(int x, int y, float r, float g, float b) {
  const float* p = img_content + 4 * (y * width + x);
  EXPECT_EQ(p[0], r) << x << "," << y;
  EXPECT_EQ(p[1], g) << x << "," << y;
  EXPECT_EQ(p[2], b) << x << "," << y;
  EXPECT_EQ(p[3], 1.0f) << x << "," << y;
}

TEST_F(TestPictures, PatternsAtCanvasSize) {
  struct Case {
    void (*cb)(Fl_Widget*, void*);
    bool horizontal_bands;
  } cases[] = {{cb_test1, true}, {cb_test2, false}};
  for (const Case& c : cases) {
    std::vector<float> before = canvas();
    Fl_RGB_Image* old = fl_temp;
    long posts = image_posts;
    c.cb(nullptr, nullptr);
    EXPECT_EQ(image_posts, posts + 1);
    EXPECT_EQ(image_xres, 60);
    EXPECT_EQ(image_yres, 45);
    // Bands of blue, green, red from the top (or the left), each a ramp across the other way.
    for (int k : {0, 20, 40}) {
      float f = c.horizontal_bands ? (float)(30.0 / 60) : (float)(k / 45.0);
      int x = c.horizontal_bands ? 30 : k * 60 / 45, y = c.horizontal_bands ? k : 30;
      if (!c.horizontal_bands) f = (float)(30.0 / 45);
      float band[3] = {0, 0, 0};
      band[k == 0 ? 2 : k == 20 ? 1 : 0] = f;
      expect_px(x, y, band[0], band[1], band[2]);
    }
    // The screen shows the canvas as it stood; the canvas itself waits for the next redraw.
    EXPECT_EQ(canvas(), before);
    EXPECT_EQ(std::vector<unsigned char>(uimage, uimage + 60 * 45 * 3), quantised());
    EXPECT_NE(fl_temp, old);
    EXPECT_EQ(picture_widget->image(), fl_temp);
    upd_rgb(0);
    EXPECT_NE(canvas(), before);
  }
}

TEST_F(TestPictures, WaitForARunningOpen) {
  ASSERT_EQ(resize_loaded_image(10, 10), 0);
  image_post(10, 10, 1);
  long posts = image_posts;
  set_open_busy(1);
  for (auto cb : {cb_test1, cb_test2, cb_test3}) cb(nullptr, nullptr);
  set_open_busy(0);
  EXPECT_EQ(image_posts, posts);
  EXPECT_EQ(img_allocated, 100);
}

TEST_F(TestPictures, ThirdClearsARenewedBlockAndKeepsAReusedOne) {
  // A 10 x 10 picture: the canvas-sized block is new, and must not show stale memory (a block
  // of about that size was written and freed just before, for the allocator to hand out again).
  ASSERT_EQ(resize_loaded_image(60, 46), 0);
  for (int i = 0; i < 4 * 60 * 46; i++) img_content[i] = 0.9f;
  ASSERT_EQ(resize_loaded_image(10, 10), 0);
  for (int i = 0; i < 400; i++) img_content[i] = 0.7f;
  image_post(10, 10, 1);
  upd_rgb(0);
  cb_test3();
  EXPECT_EQ(img_allocated, 60 * 45);
  EXPECT_EQ(image_xres, 10);
  EXPECT_EQ(image_yres, 10);
  for (int i = 0; i < 4 * 60 * 45; i++) ASSERT_EQ(img_content[i], 0.0f) << i;
  upd_rgb(0);
  std::vector<float> shown = canvas();
  paint_gradient();  // in double precision, the composer's in single: a rounding apart
  std::vector<float> background = canvas();
  for (size_t i = 0; i < shown.size(); i++)
    if (i % 4 != 3) ASSERT_NEAR(shown[i], background[i], 1e-6) << "only the background shows, at " << i / 4;

  // A 45 x 60 picture has the canvas's pixel count: its block is kept, and so is the picture.
  ASSERT_EQ(resize_loaded_image(45, 60), 0);
  for (int i = 0; i < 4 * 45 * 60; i++) img_content[i] = (float)(i % 7) / 7;
  std::vector<float> picture(img_content, img_content + 4 * 45 * 60);
  image_post(45, 60, 1);
  cb_test3();
  EXPECT_EQ(std::vector<float>(img_content, img_content + 4 * 45 * 60), picture);
}

}  // namespace
