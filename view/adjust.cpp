#include "view/adjust.h"

#include <FL/Fl.H>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "earth/globe.h"
#include "view/canvas.h"
#include "view/colour.h"
#include "view/screen.h"

// The curves work on the square of the value, where the eye's response is closer to linear.
double s_shape_plus(double v) {
  double u = v * v - 0.5;
  double y = 0.5 + 1.095 * u - 0.19 * u * std::fabs(u);
  return y > 0 ? std::sqrt(y) : 0.0;
}

double s_shape_minus(double v) {
  double u = v * v - 0.5;
  double y = 0.5 + 0.905 * u + 0.19 * u * std::fabs(u);
  return y > 0 ? std::sqrt(y) : 0.0;
}

enum adjust_op { DARKER, BRIGHTER, FLATTER, STEEPER };

// One press on a globe knob: the step in single precision, the bound compared in double.
static void step_knob(float* knob, double delta, double bound) {
  float v = (float)(*knob + delta);
  if (delta < 0 ? v < bound : v > bound) v = (float)bound;
  *knob = v;
}

static double new_value(adjust_op op, float v) {
  switch (op) {
    case DARKER: {
      float nv = (float)((double)v * std::exp(-0.09 * v));
      if (nv < 0.02) nv = 0.02f;
      return nv;
    }
    case BRIGHTER: {
      float nv = (float)((double)v / std::exp(-0.09 * v));
      if (nv > 0.98) nv = 0.98f;
      return nv;
    }
    case FLATTER: return s_shape_minus(v);
    case STEEPER: return s_shape_plus(v);
  }
  return v;
}

static void adjust(adjust_op op) {
  // While a reader fills the loaded image (it lets the toolkit run part-way) nothing else may
  // rewrite it.
  if (do_open_busy()) return;
  if (is_content_vglobe()) {
    if (op == DARKER) step_knob(&v_night, -0.05, 0.05);
    if (op == BRIGHTER) step_knob(&v_night, 0.05, 0.7);
    if (op == FLATTER) step_knob(&v_contrast, -0.05, 0.8);
    if (op == STEEPER) step_knob(&v_contrast, 0.05, 1.2);
    load_globe2d();
    Fl::flush();
    return;
  }
  if (!is_content_image() && !is_content_rasmol()) return;
  // After a reader's failed allocation there is no picture to rewrite.
  if (!loaded_image_valid()) return;
  int64_t n = (int64_t)image_xres * image_yres;
  for (int64_t i = 0; i < n; i++) {
    float* p = img_content + 4 * i;
    float h, s, v;
    rgb2hsv(p[0], p[1], p[2], &h, &s, &v);
    hsv2rgb(h, s, new_value(op, v), &p[0], &p[1], &p[2]);
  }
  upd_rgb(0);
  Fl::flush();
}

void cb_bright(Fl_Widget*, void*) { adjust(DARKER); }
void cb_Bright(Fl_Widget*, void*) { adjust(BRIGHTER); }
void cb_contr(Fl_Widget*, void*) { adjust(FLATTER); }
void cb_Contr(Fl_Widget*, void*) { adjust(STEEPER); }

// Turns the W x H loaded image into an H x W one, a channel at a time through a W x H scratch
// block: left, new (x', y') is old (W-1-y', x'); right, it is old (y', H-1-x').
static void rotate(bool left) {
  if (do_open_busy()) return;  // a reader is filling the block
  if (is_content_rasmol()) {
    upd_rgb(0);
    Fl::flush();
    return;
  }
  if (!is_content_image() || !loaded_image_valid()) return;
  const int W = image_xres, H = image_yres;
  const int64_t n = (int64_t)W * H;
  float* scratch = (float*)malloc((size_t)n * sizeof(float));
  if (!scratch) {
    // The picture stays as it was.
    printf("memory error (rotate)\n");
    set_status("memory error (rotate)");
    return;
  }
  for (int ch = 0; ch < 4; ch++) {
    for (int64_t i = 0; i < n; i++) scratch[i] = img_content[4 * i + ch];
    // The turned picture is H wide and W high.
    for (int y = 0; y < W; y++)
      for (int x = 0; x < H; x++) {
        int64_t from = left ? (int64_t)x * W + (W - 1 - y) : (int64_t)(H - 1 - x) * W + y;
        img_content[4 * ((int64_t)y * H + x) + ch] = scratch[from];
      }
  }
  free(scratch);
  image_post(H, W, 1);
  upd_rgb(0);
  Fl::flush();
}

void cb_L(Fl_Widget*, void*) { rotate(true); }
void cb_R(Fl_Widget*, void*) { rotate(false); }
