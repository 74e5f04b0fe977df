#include <gtest/gtest.h>

#include <FL/Fl_Choice.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Text_Buffer.H>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/picture_box.h"
#include "app/window.h"
#include "platform/bands.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/font.h"
#include "view/screen.h"

namespace {

const float* img_px(int x, int y) { return img_content + 4L * (y * image_xres + x); }

}  // namespace

TEST(Canvas, ErrorCanvasOnTheDefaultCanvas) {
  headless_viewer(800, 500);
  set_status("something");
  bluescreen("");
  EXPECT_EQ(image_xres, 800);
  EXPECT_EQ(image_yres, 600);
  EXPECT_EQ(zoom, 29);  // 3/4: 600 x 450, centred
  EXPECT_EQ(shiftx, 0);
  EXPECT_EQ(shifty, 0);
  EXPECT_EQ(contentview, 1);
  EXPECT_EQ(status_text(), "");
  const float* p = img_px(0, 0);
  EXPECT_FLOAT_EQ(p[0], 0.3f);
  EXPECT_FLOAT_EQ(p[1], 0.3f);
  EXPECT_FLOAT_EQ(p[2], 0.4f);
  EXPECT_FLOAT_EQ(p[3], 1.0f);
  // "Error" in the ink, glyph bits exactly where the font has them, nothing in between.
  const char* word = "Error";
  for (int k = 0; k < 5; k++)
    for (int r = 0; r < 16; r++)
      for (int b = 0; b < 8; b++) {
        bool ink = bx_vgafont[16 * (unsigned char)word[k] + r] & (1 << b);
        const float* q = img_px(10 + 9 * k + b, 19 + r);
        ASSERT_FLOAT_EQ(q[0], ink ? 0.9f : 0.3f) << "letter " << k << " row " << r << " bit " << b;
        ASSERT_FLOAT_EQ(q[2], ink ? 0.5f : 0.4f);
      }
  // No message: the rows where it would stand are plain.
  for (int x = 0; x < 800; x++) ASSERT_FLOAT_EQ(img_px(x, 60)[0], 0.3f);
}

TEST(Canvas, ErrorCanvasOnALargeCanvasIsShownOneToOne) {
  headless_viewer(1000, 800);
  bluescreen("x");
  EXPECT_EQ(image_xres, 1000);
  EXPECT_EQ(image_yres, 800);
  EXPECT_EQ(zoom, 31);
  headless_viewer(800, 500);
}

TEST(Canvas, ErrorMessageLeavesBlankCellsAndIsCutAtTheEdge) {
  headless_viewer(800, 500);
  std::string msg = "A B\x01\xC8";
  msg += std::string(200, 'W');
  bluescreen(msg.c_str());
  auto cell_has_ink = [](int i) {
    for (int r = 0; r < 16; r++)
      for (int b = 0; b < 8; b++)
        if (img_px(10 + 9 * i + b, 55 + r)[0] != 0.3f) return true;
    return false;
  };
  EXPECT_TRUE(cell_has_ink(0));   // A
  EXPECT_FALSE(cell_has_ink(1));  // space
  EXPECT_TRUE(cell_has_ink(2));   // B
  EXPECT_FALSE(cell_has_ink(3));  // control character
  EXPECT_FALSE(cell_has_ink(4));  // byte above 127
  EXPECT_TRUE(cell_has_ink(5));   // W
  // The last whole cell inside 800 pixels is drawn; nothing wraps onto the next text row.
  for (int x = 0; x < 800; x++) ASSERT_FLOAT_EQ(img_px(x, 80)[0], 0.3f);
}

TEST(Canvas, LoadedImageReallocationRule) {
  headless_viewer();
  ASSERT_EQ(resize_loaded_image(40, 30), 0);
  float* block = img_content;
  EXPECT_EQ(img_allocated, 1200);
  ASSERT_EQ(resize_loaded_image(30, 40), 0);  // same count, other shape: same block
  EXPECT_EQ(img_content, block);
  ASSERT_EQ(resize_loaded_image(41, 30), 0);
  EXPECT_EQ(img_allocated, 1230);
  // A size the count cannot hold is refused and changes nothing.
  float* now = img_content;
  EXPECT_EQ(resize_loaded_image(1 << 20, 1 << 20), -1);
  EXPECT_EQ(resize_loaded_image(0, 5), -1);
  EXPECT_EQ(resize_loaded_image(5, -1), -1);
  EXPECT_EQ(img_content, now);
  EXPECT_EQ(img_allocated, 1230);
}

TEST(Canvas, PostingKeepsOrResetsThePan) {
  headless_viewer();
  resize_loaded_image(100, 100);
  zoom = 40;
  shiftx = 7;
  shifty = -3;
  image_post(100, 100, 0);
  EXPECT_EQ(zoom, 40);
  EXPECT_EQ(shiftx, 7);
  EXPECT_EQ(shifty, -3);
  image_post_c(100, 100, 0x100);  // only the low byte counts
  EXPECT_EQ(shiftx, 7);
  image_post(100, 100, 1);
  EXPECT_EQ(shiftx, 0);
  EXPECT_EQ(shifty, 0);
}

TEST(Canvas, BackgroundGradientRows) {
  headless_viewer(800, 500);
  do_clear();
  for (int y : {0, 1, 250, 499}) {
    double b = (double)0.1f * (1.0 - (double)y / 500);
    const float* p = fimage + 4L * (y * 800 + 123);
    EXPECT_EQ(p[0], (float)((double)0.4f + b)) << y;
    EXPECT_EQ(p[1], (float)((double)0.45f + b)) << y;
    EXPECT_EQ(p[2], (float)(0.5 + b)) << y;
    EXPECT_EQ(p[3], 1.0f);
  }
  EXPECT_FLOAT_EQ(fimage[0], 0.5f);
  EXPECT_FLOAT_EQ(fimage[1], 0.55f);
}

TEST(Canvas, AViewWithoutAValidBlockShowsTheBackground) {
  headless_viewer(800, 500);
  // A reader that sized the image and failed, or a failed allocation: nothing to compose.
  resize_loaded_image(10, 10);
  image_post(10, 10, 1);
  image_xres = 4000;  // larger than the block
  image_yres = 4000;
  upd_rgb(0);
  do_clear();
  std::vector<float> gradient(fimage, fimage + 4L * 800 * 500);
  do_draw();
  EXPECT_EQ(0, memcmp(gradient.data(), fimage, gradient.size() * sizeof(float)));
}

TEST(Canvas, TestPicturesHaveTheirBands) {
  headless_viewer(100, 100);
  test_image(0);
  auto px = [](int x, int y) { return img_content + 4L * (y * 100 + x); };
  EXPECT_FLOAT_EQ(px(50, 10)[2], 0.5f);  // blue band at the top
  EXPECT_FLOAT_EQ(px(50, 10)[0], 0.0f);
  EXPECT_FLOAT_EQ(px(50, 50)[1], 0.5f);  // green in the middle
  EXPECT_FLOAT_EQ(px(50, 90)[0], 0.5f);  // red at the bottom
  test_image(1);
  EXPECT_FLOAT_EQ(px(10, 50)[2], 0.5f);
  EXPECT_FLOAT_EQ(px(90, 50)[0], 0.5f);
  EXPECT_FLOAT_EQ(px(90, 50)[3], 1.0f);
  headless_viewer(800, 500);
}

TEST(Canvas, NewSizeReplacesTheShownImage) {
  headless_viewer(800, 500);
  window->resize(window->x(), window->y(), 908 + 100, 548 + 52);
  EXPECT_EQ(width, 900);
  EXPECT_EQ(height, 552);
  ASSERT_NE(fl_temp, nullptr);
  EXPECT_EQ(fl_temp->w(), 900);
  EXPECT_EQ(fl_temp->h(), 552);
  EXPECT_EQ((const void*)fl_temp->data()[0], (const void*)uimage);
  EXPECT_EQ(p_image_box->image(), fl_temp);
  EXPECT_EQ(status_text(), "1008 x 600");
  window->resize(window->x(), window->y(), 908, 548);
  EXPECT_EQ(width, 800);
  EXPECT_EQ(height, 500);
  EXPECT_EQ(status_text(), "908 x 548");
}

TEST(Canvas, ViewChoiceHelpers) {
  headless_viewer();
  contentview = 0;
  choice->value(1);
  EXPECT_EQ(view_is_auto(), 1);
  choice->value(0);
  EXPECT_EQ(view_is_auto(), 0);
  contentview = 1;
  set_content_image(1);  // "auto" is item 3
  EXPECT_EQ(view_is_auto(), 1);
  EXPECT_EQ(get_view_val(), 3);
  EXPECT_EQ(view_is_none(), 0);
  EXPECT_EQ(view_is_text(), 0);
  set_content_html();
  EXPECT_EQ(view_is_text(), 1);
  set_content_empty();
}

// The pixel writers set one pixel of the canvas or of the loaded image and nothing else, and only
// inside it; a loaded image whose size its block does not hold takes no write.
TEST(Canvas, PixelWritersStayInside) {
  headless_viewer(40, 30);
  const float px[4] = {0.25f, 0.5f, 0.75f, 0.125f};
  struct Where {
    int x, y;
    bool inside;
  };
  auto check = [&](void (*write)(int, int, float, float, float, float), float* store, int w,
                   int h, const std::vector<Where>& places) {
    for (const Where& p : places) {
      SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
      std::fill(store, store + 4 * (size_t)w * h, 9.0f);
      write(p.x, p.y, px[0], px[1], px[2], px[3]);
      for (int i = 0; i < w * h; i++)
        for (int c = 0; c < 4; c++) {
          bool hit = p.inside && i == p.y * w + p.x;
          ASSERT_EQ(store[4 * i + c], hit ? px[c] : 9.0f) << "pixel " << i << " channel " << c;
        }
    }
  };
  const std::vector<Where> canvas = {{0, 0, true},      {39, 29, true},     {17, 3, true},
                                     {-1, 0, false},    {0, -1, false},     {40, 0, false},
                                     {0, 30, false},    {INT_MIN, 2, false}, {2, INT_MAX, false}};
  check(set_pixel, fimage, 40, 30, canvas);
  float* kept = fimage;
  fimage = nullptr;
  set_pixel(1, 1, 0, 0, 0, 0);  // no canvas: nothing to write
  fimage = kept;

  ASSERT_EQ(resize_loaded_image(7, 5), 0);
  image_xres = 7, image_yres = 5;
  check(set_pixel_img, img_content, 7, 5,
        {{0, 0, true}, {6, 4, true}, {3, 2, true}, {7, 0, false}, {0, 5, false}, {-1, -1, false}});
  // A size larger than the block, or no size: no write.
  for (int bad : {0, 1}) {
    std::fill(img_content, img_content + 4 * 35, 9.0f);
    image_xres = bad ? 8 : 0;
    set_pixel_img(0, 0, px[0], px[1], px[2], px[3]);
    EXPECT_EQ(img_content[0], 9.0f) << image_xres;
  }
  image_xres = 7;
}

// A picture redrawn while its rows are made shows what making it first and redrawing it after
// shows: filling the canvas at 1:1 (rows followed as they come), smaller than the canvas, and
// zoomed, on any number of workers.
TEST(Canvas, RedrawWhileRowsAreMadeShowsTheFinishedPicture) {
  headless_viewer(120, 90);
  struct Case {
    int w, h, step;  // step -1: the fitting one
  } cases[] = {{120, 90, -1}, {50, 31, -1}, {120, 90, 40}};
  for (const Case& c : cases) {
    auto make = [&](int y0, int y1) {
      for (int y = y0; y < y1; y++)
        for (int x = 0; x < c.w; x++) {
          float* p = img_content + 4 * ((size_t)y * c.w + x);
          p[0] = (x * 7 % 97) / 97.0f, p[1] = (y * 5 % 89) / 89.0f, p[2] = ((x + y) % 13) / 13.0f;
          p[3] = (x + y) % 5 ? 1.0f : 0.5f;
        }
    };
    ASSERT_EQ(resize_loaded_image(c.w, c.h), 0);
    image_post(c.w, c.h, 1);
    if (c.step >= 0) zoom = c.step;
    make(0, c.h);
    upd_rgb(0);
    const std::vector<unsigned char> want(uimage, uimage + 3 * 120 * 90);
    // The quantiser's thread is started last: when that fails it runs first, on the caller.
    struct Split {
      int workers, failing;
    } splits[] = {{1, 0}, {3, 0}, {8, 0}, {1, 1}, {3, 1}};
    for (const Split& s : splits) {
      SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " on " +
                   std::to_string(s.workers) + (s.failing ? ", quantiser on the caller" : ""));
      std::fill(img_content, img_content + 4 * c.w * c.h, 0.0f);
      std::fill(uimage, uimage + 3 * 120 * 90, 0);
      plat_fail_thread_starts = s.failing ? s.workers : 0;
      upd_rgb_as_made(4, s.workers, make);
      plat_fail_thread_starts = 0;
      EXPECT_EQ(std::memcmp(uimage, want.data(), want.size()), 0);
    }
  }
}
