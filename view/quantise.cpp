#include "view/quantise.h"

#include <cstring>

#include "platform/bands.h"
#include "view/canvas.h"

float* err_lines_r = nullptr;
float* err_lines_g = nullptr;
float* err_lines_b = nullptr;
int err_alloc = 0;
int col_high = 0;
int col_palette = 0;

static unsigned char* dest;
static int always8bit;

namespace {

// Level and stored error of one value, by display class. Everything is single precision as the
// dither has always been; the error bound is compared in double and replaced by its float value.
struct Levels {
  float scale;      // 32, 16 or 256
  int top;          // highest level index
  int step;         // byte per level index
  float err_scale;  // 255 or 256
  float err_div;    // 256.1 or 256
  float bound;      // clamp of the stored error, 0 for none
  double bound_d;
};

Levels levels_for_display(bool lift_clamp) {
  if (col_high) return {32.0f, 31, 8, 255.0f, 256.1f, 0.03f, 0.03};
  if (col_palette) return {16.0f, 15, 16, 256.0f, 256.0f, 0.1f, 0.1};
  if (lift_clamp) return {256.0f, 255, 1, 255.0f, 256.1f, 0.0f, 0.0};
  return {256.0f, 255, 1, 255.0f, 256.1f, 0.003f, 0.003};
}

inline int level_of(float v, const Levels& L) {
  float t = L.scale * v;
  // Values far outside 0..1 are not painted by any view; keep the conversion defined anyway.
  if (!(t > -1.0f)) return 0;  // also NaN
  if (t >= (float)L.top + 1.0f) return L.top;
  int i = (int)t;  // truncation toward zero
  if (i > L.top) i = L.top;
  if (i < 0) i = 0;
  return i;
}

void quantise_channel(int k) {
  float* E = k == 0 ? err_lines_r : (k == 1 ? err_lines_g : err_lines_b);
  const int w = width, h = height;
  if (!E || !fimage || w <= 0 || h <= 0) return;
  const Levels L = levels_for_display(always8bit != 0);
  const int stride = w + 4;
  memset(E, 0, sizeof(float) * 3 * stride);
  float* row0 = E + 2;
  float* row1 = E + stride + 2;
  float* row2 = E + 2 * stride + 2;
  const float inv26 = 1.0f / 26.0f;
  for (int y = 0; y < h; y++) {
    const float* src = fimage + 4L * y * w + k;
    unsigned char* out = dest + 3L * y * w + k;
    float e1 = 0, e2 = 0;
    const bool forward = (y & 1) == 0;
    for (int i = 0; i < w; i++) {
      const int x = forward ? i : w - 1 - i;
      const float p = src[4L * x];
      float s = 26.0f * p + 5.0f * e1;
      s = s + 3.0f * e2;
      s = s + row1[x - 2];
      s = s + 3.0f * row1[x - 1];
      s = s + 5.0f * row1[x];
      s = s + 3.0f * row1[x + 1];
      s = s + row1[x + 2];
      s = s + row2[x - 1];
      s = s + 3.0f * row2[x];
      s = s + row2[x + 1];
      const float v = s * inv26;
      const int q = level_of(v, L) * L.step;
      float e = (L.err_scale * v - (float)q) / L.err_div;
      if (L.bound != 0.0f) {
        if ((double)e > L.bound_d)
          e = L.bound;
        else if ((double)e < -L.bound_d)
          e = -L.bound;
      }
      out[3L * x] = (unsigned char)q;
      row0[x] = e;
      e2 = e1;
      e1 = e;
    }
    if (y + 1 < h) {
      memcpy(row2, row1, sizeof(float) * w);
      memcpy(row1, row0, sizeof(float) * w);
    }
  }
}

}  // namespace

int quant_display_comp(void* arg) {
  quantise_channel(*static_cast<int*>(arg));
  return 0;
}

void quant_display(unsigned char* d, int a8) {
  dest = d;
  always8bit = a8;
  if (height == 0 || !d) return;
  if (err_alloc < err_rows_needed(width)) return;  // never diffuse past the rows' end
  run_bands(3, [](int k) {
    int ch = k;
    quant_display_comp(&ch);
  });
}
