// The image edits against numpy on random pictures, the crop by sizes, and every edit over the
// remains of a failed reader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/python_reference.h"
#include "view/canvas.h"
#include "view/image_edits.h"
#include "view/screen.h"

namespace {

class ImageEdits : public ::testing::Test {
 protected:
  void SetUp() override { headless_viewer(64, 48); }
  void TearDown() override { show_wait_cursor(false); }
};

void post(int w, int h, const std::vector<float>& rgba) {
  ASSERT_EQ(resize_loaded_image(w, h), 0);
  memcpy(img_content, rgba.data(), rgba.size() * sizeof(float));
  image_post(w, h, 1);
}

std::vector<float> loaded() {
  return std::vector<float>(img_content, img_content + 4 * (size_t)image_xres * image_yres);
}

// A random picture: channels in 0..1, with exact 0s and 1s and a few above 1 (a value an edit of
// values beyond the range must still handle) in red, green and blue; alpha in 0..1.
std::vector<float> random_picture(int w, int h, unsigned seed, bool above_one) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> u(0, 1);
  std::vector<float> p(4 * (size_t)w * h);
  for (size_t i = 0; i < p.size(); i++) {
    float v = u(rng);
    int pick = rng() % 16;
    if (pick == 0) v = 0;
    if (pick == 1) v = 1;
    if (pick == 2 && above_one && i % 4 != 3) v = 1 + u(rng);
    p[i] = v;
  }
  return p;
}

TEST_F(ImageEdits, MatchNumpy) {
  struct Edit {
    const char* op;
    void (*run)();
    bool above_one;  // gamma of a value above 1 is fine, but the others are checked on 0..1 too
  } edits[] = {
      {"mirror_vert", [] { cb_mirror_vert(); }, true},
      {"mirror_hor", [] { cb_mirror_hor(); }, true},
      {"gamma1", [] { cb_gamma(nullptr, 1); }, true},
      {"gamma0", [] { cb_gamma(nullptr, 0); }, true},
      {"smooth", [] { cb_smooth(); }, false},
      {"half", [] { cb_half(); }, false},
      {"invert", [] { cb_invert(); }, true},
      {"bw", [] { cb_bw(); }, true},
  };
  struct Size {
    int w, h;
  } sizes[] = {{7, 5}, {40, 40}, {1, 6}};
  for (const Edit& e : edits)
    for (Size s : sizes) {
      std::string what = std::string(e.op) + " " + std::to_string(s.w) + "x" + std::to_string(s.h);
      std::vector<float> in = random_picture(s.w, s.h, s.w * 100 + s.h, e.above_one);
      const bool half = std::string(e.op) == "half";
      if (half && (s.w < 2 || s.h < 2)) {
        post(s.w, s.h, in);
        e.run();
        EXPECT_EQ(loaded(), in) << what << ": a picture of one column stays";
        EXPECT_FALSE(wait_cursor_shown()) << what;
        continue;
      }
      std::string file = fixture(std::string("edit_") + e.op + "_" + std::to_string(s.w) + ".f32");
      write_file(file, Bytes((const unsigned char*)in.data(),
                             (const unsigned char*)(in.data() + in.size())));
      std::vector<std::vector<double>> ref;
      std::string error;
      ASSERT_TRUE(python_rows("view/edits_reference.py",
                              file + " " + std::to_string(s.w) + " " + std::to_string(s.h) + " " +
                                  e.op,
                              &ref, &error))
          << error;
      post(s.w, s.h, in);
      e.run();
      const int w = half ? s.w / 2 : s.w, h = half ? s.h / 2 : s.h;
      ASSERT_EQ(image_xres, w) << what;
      ASSERT_EQ(image_yres, h) << what;
      ASSERT_EQ(ref.size(), (size_t)w * h) << what;
      ASSERT_GE(img_allocated, w * h) << what;
      for (int i = 0; i < w * h; i++)
        for (int c = 0; c < 4; c++) {
          double want = ref[i][c], got = img_content[4 * i + c];
          ASSERT_NEAR(got, want, 1e-6 * std::fmax(1, std::fabs(want)))
              << what << " pixel " << i << " channel " << c;
        }
      EXPECT_FALSE(wait_cursor_shown()) << what;
    }
}

TEST_F(ImageEdits, SmallCasesByHand) {
  // Twice a mirror is no mirror; the middle column of an odd width stays.
  std::vector<float> in = random_picture(5, 3, 7, false);
  post(5, 3, in);
  cb_mirror_vert();
  for (int y = 0; y < 3; y++)
    for (int c = 0; c < 4; c++) EXPECT_EQ(img_content[4 * (y * 5 + 2) + c], in[4 * (y * 5 + 2) + c]);
  cb_mirror_vert();
  EXPECT_EQ(loaded(), in);
  cb_mirror_hor();
  cb_mirror_hor();
  EXPECT_EQ(loaded(), in);

  // Invert: 0 and 1 trade places, 1.5 turns negative; alpha stays.
  post(3, 1, {0, 1, 1.5f, 0.25f, 1, 0, 0.5f, 1, 0.6f, 0.8f, 1, 0.5f});
  cb_invert();
  std::vector<float> want = {1, 0, 1 - 1.5f * 1.5f, 0.25f, 0, 1, std::sqrt(0.75f), 1,
                             0.8f, 0.6f, 0, 0.5f};
  for (int i = 0; i < 12; i++) EXPECT_NEAR(img_content[i], want[i], 1e-7) << i;

  // Smoothing a uniform picture changes nothing, corners and borders included.
  post(4, 3, std::vector<float>(48, 0.3f));
  cb_smooth();
  for (float v : loaded()) EXPECT_NEAR(v, 0.3f, 1e-7);

  // Halving 5 x 3 gives 2 x 1, posted, and the block shrinks to it.
  post(5, 3, random_picture(5, 3, 9, false));
  long posts = image_posts;
  cb_half();
  EXPECT_EQ(image_xres, 2);
  EXPECT_EQ(image_yres, 1);
  EXPECT_EQ(img_allocated, 2);
  EXPECT_EQ(image_posts, posts + 1);
}

// The edits that keep the size show their result as the view stood: the zoom step, the pan and
// the status line stay, nothing is posted, and the canvas shows the new pixels at once.
TEST_F(ImageEdits, SameSizeEditsKeepTheView) {
  std::vector<std::pair<const char*, void (*)()>> edits = {
      {"mirror_vert", [] { cb_mirror_vert(); }}, {"mirror_hor", [] { cb_mirror_hor(); }},
      {"gamma", [] { cb_gamma(nullptr, 1); }},    {"smooth", [] { cb_smooth(); }},
      {"invert", [] { cb_invert(); }},            {"bw", [] { cb_bw(); }},
  };
  const int w = 40, h = 30;
  for (auto& e : edits) {
    // The picture sits in a larger block, as after a picture of more pixels.
    ASSERT_EQ(resize_loaded_image(50, 40), 0);
    std::vector<float> in = random_picture(w, h, 21, false);
    memcpy(img_content, in.data(), in.size() * sizeof(float));
    image_post(w, h, 1);
    const int best = zoom;
    zoom = best > 0 ? best - 1 : best + 1;
    shiftx = 7;
    shifty = -5;
    set_status("kept");
    upd_rgb(0);
    std::vector<float> shown(fimage, fimage + 4 * (size_t)width * height);
    long posts = image_posts;
    e.second();
    EXPECT_EQ(zoom, best > 0 ? best - 1 : best + 1) << e.first;
    EXPECT_EQ(shiftx, 7) << e.first;
    EXPECT_EQ(shifty, -5) << e.first;
    EXPECT_EQ(status_text(), "kept") << e.first;
    EXPECT_EQ(image_posts, posts) << e.first;
    EXPECT_EQ(image_xres, w) << e.first;
    EXPECT_EQ(image_yres, h) << e.first;
    EXPECT_GE(img_allocated, w * h) << e.first;
    EXPECT_NE(std::vector<float>(fimage, fimage + shown.size()), shown)
        << e.first << ": the canvas shows the edit";
  }
  // The smoothed block holds just the picture, and the count says so: a later picture of the
  // old count must not take the smaller block for its own.
  EXPECT_EQ(img_allocated, 50 * 40);  // bw, in place, kept the block
  ASSERT_EQ(resize_loaded_image(50, 40), 0);
  image_post(w, h, 1);
  cb_smooth();
  EXPECT_EQ(img_allocated, w * h);
  ASSERT_EQ(resize_loaded_image(50, 40), 0);
  for (int i = 0; i < 4 * 50 * 40; i++) img_content[i] = 0.5f;  // the whole block is there
}

TEST_F(ImageEdits, CropBySize) {
  struct Case {
    int w, h;
    long value;
    int new_w, new_h, x0, y0;  // new size and where its first pixel came from; 0 x 0: unchanged
  } cases[] = {
      {40, 40, 0, 40, 40, 0, 0}, {40, 40, 1, 32, 40, 8, 0}, {40, 40, 2, 32, 40, 0, 0},
      {40, 40, 3, 40, 32, 0, 8}, {40, 40, 4, 40, 32, 0, 0}, {32, 32, 1, 24, 32, 8, 0},
      {50, 33, 4, 50, 25, 0, 0}, {40, 40, 5, 0, 0, 0, 0},   {40, 40, -1, 0, 0, 0, 0},
      {31, 100, 1, 0, 0, 0, 0},  {100, 31, 3, 0, 0, 0, 0},  {31, 31, 9, 0, 0, 0, 0},
  };
  for (const Case& c : cases) {
    std::string what = std::to_string(c.w) + "x" + std::to_string(c.h) + " value " +
                       std::to_string(c.value);
    std::vector<float> in(4 * (size_t)c.w * c.h);
    for (int y = 0; y < c.h; y++)
      for (int x = 0; x < c.w; x++)
        for (int k = 0; k < 4; k++) in[4 * (y * c.w + x) + k] = (float)(x + 1000 * y + 0.25 * k);
    post(c.w, c.h, in);
    long posts = image_posts;
    cb_crop(nullptr, c.value);
    if (c.new_w == 0) {
      EXPECT_EQ(image_xres, c.w) << what;
      EXPECT_EQ(image_yres, c.h) << what;
      EXPECT_EQ(loaded(), in) << what;
      EXPECT_EQ(image_posts, posts) << what;
      continue;
    }
    ASSERT_EQ(image_xres, c.new_w) << what;
    ASSERT_EQ(image_yres, c.new_h) << what;
    EXPECT_EQ(img_allocated, c.new_w * c.new_h) << what;
    EXPECT_EQ(image_posts, posts + 1) << what;
    for (int y = 0; y < c.new_h; y++)
      for (int x = 0; x < c.new_w; x++)
        for (int k = 0; k < 4; k++)
          ASSERT_EQ(img_content[4 * (y * c.new_w + x) + k], in[4 * ((y + c.y0) * c.w + x + c.x0) + k])
              << what << " at " << x << "," << y;
  }
}

TEST_F(ImageEdits, CropTakesTheCanvas) {
  post(40, 40, random_picture(40, 40, 3, false));
  upd_rgb(0);
  std::vector<float> canvas(fimage, fimage + 4 * (size_t)width * height);
  cb_crop(nullptr, 9);
  ASSERT_EQ(image_xres, 64);
  ASSERT_EQ(image_yres, 48);
  EXPECT_EQ(loaded(), canvas);
}

TEST_F(ImageEdits, NothingHappensOverAFailedReaderOrDuringAnOpen) {
  // What a reader can leave: no block at all, or a block smaller than the size it had set.
  // And a whole picture while a reader that lets the toolkit run is still filling it.
  struct Remains {
    const char* what;
    int block_w, block_h, w, h;
    bool opening;
  } remains[] = {{"no block", 0, 0, 40, 40, false},
                 {"small block", 32, 32, 40, 40, false},
                 {"no size", 40, 40, 0, 40, false},
                 {"being read", 40, 40, 40, 40, true}};
  std::vector<std::pair<const char*, void (*)()>> edits = {
      {"mirror_vert", [] { cb_mirror_vert(); }}, {"mirror_hor", [] { cb_mirror_hor(); }},
      {"gamma", [] { cb_gamma(nullptr, 1); }},    {"smooth", [] { cb_smooth(); }},
      {"half", [] { cb_half(); }},                {"invert", [] { cb_invert(); }},
      {"bw", [] { cb_bw(); }},                    {"crop 0", [] { cb_crop(nullptr, 0); }},
      {"crop 1", [] { cb_crop(nullptr, 1); }},    {"crop 9", [] { cb_crop(nullptr, 9); }},
  };
  for (const Remains& r : remains)
    for (auto& e : edits) {
      std::string what = std::string(r.what) + ", " + e.first;
      std::vector<float> block;
      if (r.block_w == 0) {
        free(img_content);
        img_content = nullptr;
        img_allocated = -1;
      } else {
        block = random_picture(r.block_w, r.block_h, 5, false);
        post(r.block_w, r.block_h, block);
      }
      image_xres = r.w;
      image_yres = r.h;
      long posts = image_posts;
      set_open_busy(r.opening);
      e.second();
      set_open_busy(0);
      EXPECT_EQ(image_xres, r.w) << what;
      EXPECT_EQ(image_yres, r.h) << what;
      EXPECT_EQ(image_posts, posts) << what;
      if (r.block_w == 0) {
        EXPECT_EQ(img_content, nullptr) << what;
        EXPECT_EQ(img_allocated, -1) << what;
      } else {
        EXPECT_EQ(img_allocated, r.block_w * r.block_h) << what;
        EXPECT_EQ(std::vector<float>(img_content, img_content + block.size()), block) << what;
      }
      EXPECT_FALSE(wait_cursor_shown()) << what;
    }
  // A canvas is needed to take it as the picture.
  post(40, 40, random_picture(40, 40, 11, false));
  float* saved = fimage;
  fimage = nullptr;
  cb_crop(nullptr, 9);
  fimage = saved;
  EXPECT_EQ(image_xres, 40);
}

}  // namespace
