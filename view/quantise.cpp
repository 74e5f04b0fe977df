#include "view/quantise.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <smmintrin.h>

#include "platform/bands.h"
#include "view/canvas.h"

float* err_lines_r = nullptr;
float* err_lines_g = nullptr;
float* err_lines_b = nullptr;
int err_alloc = 0;
int col_high = 0;
int col_palette = 0;
int quant_portable_path = 0;

static unsigned char* dest;
static int always8bit;

namespace {

// The display classes: levels a channel, byte step between levels, the factor and divisor of the
// stored error and its bound (0 for none).
struct Levels {
  float scale;
  float top;
  float step;
  float err_scale;
  float err_div;
  float bound;
};

constexpr Levels kHigh = {32.0f, 31.0f, 8.0f, 255.0f, 256.1f, 0.03f};
constexpr Levels kPalette = {16.0f, 15.0f, 16.0f, 256.0f, 256.0f, 0.1f};
constexpr Levels kTrue = {256.0f, 255.0f, 1.0f, 255.0f, 256.1f, 0.003f};
constexpr Levels kTrueUnclamped = {256.0f, 255.0f, 1.0f, 255.0f, 256.1f, 0.0f};

// Truncation toward zero of a value known to lie in 0 .. 255: one instruction where the processor
// has it, else the conversion through an integer.
struct TruncByInt {
  static float trunc(float x) { return (float)(int)x; }
};
struct TruncByRound {
  __attribute__((target("sse4.1"))) static float trunc(float x) {
    __m128 v = _mm_set_ss(x);
    return _mm_cvtss_f32(_mm_round_ss(v, v, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC));
  }
};

// One channel, serpentine. The whole channel is one chain of dependent pixels (each needs the
// error of the one before), so the terms that do not depend on that error are summed first and
// the row's own last error is added last: the chain per pixel is then short. Everything is single
// precision. The levels are scaled by powers of two, so scale*(s/26) equals s*(scale/26) exactly.
// An error outside its bound (compared in double) becomes the single-precision bound, which for
// these bounds is exactly a float min/max.
template <const Levels& L, typename T>
__attribute__((always_inline)) inline void quantise_channel_with(float* E, int k) {
  const int w = width, h = height;
  const int stride = w + 4;
  memset(E, 0, sizeof(float) * 3 * stride);
  float* row0 = E + 2;
  float* row1 = E + stride + 2;
  float* row2 = E + 2 * stride + 2;
  const float inv26 = 1.0f / 26.0f;
  const float level_scale = L.scale * inv26;
  // The row's levels are gathered here and written out at the end of the row: the three channel
  // workers then meet in the destination's cache lines once a row, not at every pixel.
  unsigned char row_out[4096];
  for (int y = 0; y < h; y++) {
    const float* src = fimage + 4L * y * w + k;
    unsigned char* out = dest + 3L * y * w + k;
    float e1 = 0, e2 = 0;
    const bool forward = (y & 1) == 0;
    int x = forward ? 0 : w - 1;
    const int dx = forward ? 1 : -1;
    for (int i = 0; i < w; i++, x += dx) {
      float t = 26.0f * src[4L * x];
      t = t + row1[x - 2];
      t = t + 3.0f * row1[x - 1];
      t = t + 5.0f * row1[x];
      t = t + 3.0f * row1[x + 1];
      t = t + row1[x + 2];
      t = t + row2[x - 1];
      t = t + 3.0f * row2[x];
      t = t + row2[x + 1];
      t = t + 3.0f * e2;
      const float s = t + 5.0f * e1;
      const float v = s * inv26;
      float lv = s * level_scale;
      // Values far outside 0..1 are not painted by any view; below 0 (or NaN) gives the lowest
      // level. Branch-free: the error clamp is taken about half the time.
      lv = std::min(std::max(0.0f, lv), L.top);
      const float q = T::trunc(lv) * L.step;
      // The divisor is applied as its reciprocal: the stored error may differ in its last bit
      // from a true division, which takes a long division off the chain.
      float e = (L.err_scale * v - q) * (1.0f / L.err_div);
      if (L.bound != 0.0f) e = std::max(-L.bound, std::min(e, L.bound));
      if (w <= 4096)
        row_out[x] = (unsigned char)q;
      else
        out[3L * x] = (unsigned char)q;
      row0[x] = e;
      e2 = e1;
      e1 = e;
    }
    if (w <= 4096)
      for (int i = 0; i < w; i++) out[3L * i] = row_out[i];
    if (y + 1 < h) {
      memcpy(row2, row1, sizeof(float) * w);
      memcpy(row1, row0, sizeof(float) * w);
    }
  }
}

template <typename T>
__attribute__((always_inline)) inline void quantise_by_class(float* E, int k) {
  if (col_high)
    quantise_channel_with<kHigh, T>(E, k);
  else if (col_palette)
    quantise_channel_with<kPalette, T>(E, k);
  else if (always8bit)
    quantise_channel_with<kTrueUnclamped, T>(E, k);
  else
    quantise_channel_with<kTrue, T>(E, k);
}

__attribute__((target("sse4.1"))) void quantise_by_class_sse41(float* E, int k) {
  quantise_by_class<TruncByRound>(E, k);
}

void quantise_channel(int k) {
  float* E = k == 0 ? err_lines_r : (k == 1 ? err_lines_g : err_lines_b);
  if (!E || !fimage || width <= 0 || height <= 0) return;
  static const bool round_insn = __builtin_cpu_supports("sse4.1");
  if (round_insn && !quant_portable_path)
    quantise_by_class_sse41(E, k);
  else
    quantise_by_class<TruncByInt>(E, k);
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
