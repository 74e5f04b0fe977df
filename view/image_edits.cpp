#include "view/image_edits.h"

#include <FL/Fl.H>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "view/canvas.h"
#include "view/screen.h"

namespace {

int64_t pixel_count() { return (int64_t)image_xres * image_yres; }

// A failed reader can leave the block missing or smaller than the size it set, and a reader that
// lets the toolkit run part-way is still filling it.
bool editable() { return !do_open_busy() && loaded_image_valid(); }

void redraw() {
  upd_rgb(0);
  Fl::flush();
}

// Makes `block`, of `count` pixels, the loaded image's block. The old block may have been larger
// than the picture; the count must be the new block's, or a later picture of the old count would
// reuse it.
void take_block(float* block, int count) {
  free(img_content);
  img_content = block;
  img_allocated = count;
}

// Makes `block`, of w x h pixels, the loaded image and shows it recentred.
void install(float* block, int w, int h) {
  take_block(block, w * h);
  image_post(w, h, 1);
  redraw();
}

// Makes `block`, of the loaded image's own size, the loaded image and shows it as the view stood:
// zoom, pan and status line stay.
void replace_pixels(float* block) {
  take_block(block, image_xres * image_yres);
  redraw();
}

void swap_rgb(float* a, float* b) {
  for (int c = 0; c < 3; c++) {
    float t = a[c];
    a[c] = b[c];
    b[c] = t;
  }
}

// sRGB to linear light and back, single precision.
inline float to_linear(float v) {
  return v <= 0.03928f ? v / 12.92f : std::exp(std::log((v + 0.055f) / 1.055f) * 2.4f);
}
inline float from_linear(float m) {
  return m <= 0.0031308f ? m * 12.92f : 1.055f * std::exp(std::log(m) / 2.4f) - 0.055f;
}

}  // namespace

void cb_mirror_vert(Fl_Widget*, void*) {
  if (!editable()) return;
  const int W = image_xres;
  for (int y = 0; y < image_yres; y++) {
    float* row = img_content + 4 * (int64_t)y * W;
    for (int x = 0; x < W / 2; x++) swap_rgb(row + 4 * x, row + 4 * (W - 1 - x));
  }
  redraw();
}

void cb_mirror_hor(Fl_Widget*, void*) {
  if (!editable()) return;
  const int W = image_xres, H = image_yres;
  for (int y = 0; y < H / 2; y++) {
    float* top = img_content + 4 * (int64_t)y * W;
    float* bottom = img_content + 4 * (int64_t)(H - 1 - y) * W;
    for (int x = 0; x < W; x++) swap_rgb(top + 4 * x, bottom + 4 * x);
  }
  redraw();
}

void cb_gamma(Fl_Widget*, long value) {
  if (!editable()) return;
  const float g = value == 1 ? 1.1f : 0.9f;
  const int64_t n = pixel_count();
  for (int64_t i = 0; i < n; i++)
    for (int c = 0; c < 3; c++) img_content[4 * i + c] = std::pow(img_content[4 * i + c], g);
  redraw();
}

void cb_smooth(Fl_Widget*, void*) {
  if (!editable()) return;
  const int W = image_xres, H = image_yres;
  float* out = (float*)malloc((size_t)pixel_count() * 16);
  if (!out) return;
  static const int weight[3][3] = {{1, 2, 1}, {2, 4, 2}, {1, 2, 1}};
  for (int y = 0; y < H; y++)
    for (int x = 0; x < W; x++) {
      float sum[4] = {0, 0, 0, 0};
      float weights = 0;
      for (int dy = -1; dy <= 1; dy++) {
        if (y + dy < 0 || y + dy >= H) continue;
        for (int dx = -1; dx <= 1; dx++) {
          if (x + dx < 0 || x + dx >= W) continue;
          const float k = (float)weight[dy + 1][dx + 1];
          const float* p = img_content + 4 * ((int64_t)(y + dy) * W + x + dx);
          for (int c = 0; c < 4; c++) sum[c] += k * p[c] * p[c];
          weights += k;
        }
      }
      float* o = out + 4 * ((int64_t)y * W + x);
      for (int c = 0; c < 4; c++) o[c] = std::sqrt(sum[c] / weights);
    }
  replace_pixels(out);
}

void cb_half(Fl_Widget*, void*) {
  if (!editable()) return;
  show_wait_cursor(true);
  const int W = image_xres, w = image_xres / 2, h = image_yres / 2;
  if (w == 0 || h == 0) {
    show_wait_cursor(false);
    return;
  }
  // Each new pixel lies at or before the first of the four it is made from, so the block can be
  // rewritten from its start.
  for (int i = 0; i < h; i++)
    for (int k = 0; k < w; k++) {
      const float* a = img_content + 4 * ((int64_t)2 * i * W + 2 * k);
      const float* b = a + 4 * (int64_t)W;
      float* o = img_content + 4 * ((int64_t)i * w + k);
      for (int c = 0; c < 4; c++) {
        float m = (to_linear(a[c]) + to_linear(a[4 + c]) + to_linear(b[c]) + to_linear(b[4 + c])) *
                  0.25f;
        o[c] = from_linear(m);
      }
    }
  // A shrink that fails leaves the larger block, which still holds the picture.
  float* shrunk = (float*)realloc(img_content, (size_t)w * h * 16);
  if (shrunk) img_content = shrunk;
  img_allocated = w * h;
  image_post(w, h, 1);
  redraw();
  show_wait_cursor(false);
}

void cb_invert(Fl_Widget*, void*) {
  if (!editable()) return;
  const int64_t n = pixel_count();
  for (int64_t i = 0; i < n; i++)
    for (int c = 0; c < 3; c++) {
      float v = img_content[4 * i + c];
      float d = 1 - v * v;
      img_content[4 * i + c] = d > 0 ? std::sqrt(d) : d;
    }
  redraw();
}

void cb_bw(Fl_Widget*, void*) {
  if (!editable()) return;
  show_wait_cursor(true);
  const int64_t n = pixel_count();
  for (int64_t i = 0; i < n; i++) {
    float* p = img_content + 4 * i;
    double r = p[0], g = p[1], b = p[2];
    float d = (float)(0.22 * r * r + 0.7 * g * g + 0.08 * b * b);
    if (d > 0) d = std::sqrt(d);
    p[0] = p[1] = p[2] = d;
  }
  redraw();
  show_wait_cursor(false);
}

void cb_crop(Fl_Widget*, long value) {
  if (!editable() || image_xres < 32 || image_yres < 32) return;
  const float* src = img_content;
  int W = image_xres, x0 = 0, y0 = 0, w = image_xres, h = image_yres;
  switch (value) {
    case 0: break;
    case 1: x0 = 8, w -= 8; break;
    case 2: w -= 8; break;
    case 3: y0 = 8, h -= 8; break;
    case 4: h -= 8; break;
    case 9:
      if (!fimage || width <= 0 || height <= 0) return;
      src = fimage, W = w = width, h = height;
      break;
    default: return;
  }
  float* out = (float*)malloc((size_t)w * h * 16);
  if (!out) return;
  for (int y = 0; y < h; y++)
    memcpy(out + 4 * (int64_t)y * w, src + 4 * ((int64_t)(y + y0) * W + x0), (size_t)w * 16);
  install(out, w, h);
}
