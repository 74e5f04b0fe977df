#include "view/adjust.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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

bool adjust_loaded_image(adjust_op op) {
  // After a reader's failed allocation there is no picture to rewrite.
  if (!loaded_image_valid()) return false;
  int64_t n = (int64_t)image_xres * image_yres;
  for (int64_t i = 0; i < n; i++) {
    float* p = img_content + 4 * i;
    float h, s, v;
    rgb2hsv(p[0], p[1], p[2], &h, &s, &v);
    hsv2rgb(h, s, new_value(op, v), &p[0], &p[1], &p[2]);
  }
  return true;
}

// Turns the W x H loaded image into an H x W one, a channel at a time through a W x H scratch
// block: left, new (x', y') is old (W-1-y', x'); right, it is old (y', H-1-x').
bool turn_loaded_image(bool left) {
  if (!loaded_image_valid()) return false;
  const int W = image_xres, H = image_yres;
  const int64_t n = (int64_t)W * H;
  float* scratch = (float*)malloc((size_t)n * sizeof(float));
  if (!scratch) {
    // The picture stays as it was.
    printf("memory error (rotate)\n");
    set_status("memory error (rotate)");
    return false;
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
  return true;
}
