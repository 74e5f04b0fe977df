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
  // Pixel values for which no level can leave 0 .. top: the errors mixed into a value are at
  // most `bound` in size, so v stays within p +- bound (margins doubled for rounding). There the
  // level needs no clamp; elsewhere (and for NaN) it is clamped.
  float safe_lo, safe_hi;
};

constexpr Levels kHigh = {32.0f, 31.0f, 8.0f, 255.0f, 256.1f, 0.03f, 0.061f, 0.939f};
constexpr Levels kPalette = {16.0f, 15.0f, 16.0f, 256.0f, 256.0f, 0.1f, 0.21f, 0.79f};
constexpr Levels kTrue = {256.0f, 255.0f, 1.0f, 255.0f, 256.1f, 0.003f, 0.007f, 0.993f};
// Without the clamp the errors have no fixed bound: every level is clamped.
constexpr Levels kTrueUnclamped = {256.0f, 255.0f, 1.0f, 255.0f, 256.1f, 0.0f, 2.0f, -1.0f};

// The arithmetic of one pixel, on plain floats (any processor) ...
struct PlainOps {
  using V = float;
  static V c(float x) { return x; }
  static V load(const float* p) { return *p; }
  static void store(float* p, V v) { *p = v; }
  static V add(V a, V b) { return a + b; }
  static V mul(V a, V b) { return a * b; }
  static V sub(V a, V b) { return a - b; }
  static V min(V a, V b) { return a < b ? a : b; }
  static V max(V a, V b) { return a > b ? a : b; }
  static V trunc(V x) { return (float)(int)x; }  // x lies in 0 .. top here
  static float f(V v) { return v; }
};

// ... and as single SSE instructions, which keeps the chain from one pixel to the next short:
// one instruction each for min, max and truncation, no branches that a flat picture's
// alternating errors would make miss.
struct SseOps {
  using V = __m128;
  static V c(float x) { return _mm_set_ss(x); }
  static V load(const float* p) { return _mm_load_ss(p); }
  static void store(float* p, V v) { _mm_store_ss(p, v); }
  static V add(V a, V b) { return _mm_add_ss(a, b); }
  static V mul(V a, V b) { return _mm_mul_ss(a, b); }
  static V sub(V a, V b) { return _mm_sub_ss(a, b); }
  static V min(V a, V b) { return _mm_min_ss(a, b); }
  static V max(V a, V b) { return _mm_max_ss(a, b); }
  __attribute__((target("sse4.1"))) static V trunc(V x) {
    return _mm_round_ss(x, x, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
  }
  static float f(V v) { return _mm_cvtss_f32(v); }
};

// One channel, serpentine. The whole channel is one chain of dependent pixels (each needs the
// error of the one before), so the terms that do not depend on that error are summed first and
// the row's own last error is added last: the chain per pixel is then short. Everything is single
// precision, in the same order in both kinds of arithmetic, so they give the same bytes. The
// levels are scaled by powers of two, so scale*(s/26) equals s*(scale/26) exactly. An error
// outside its bound (compared in double) becomes the single-precision bound, which for these
// bounds is exactly a float min/max.
template <const Levels& L, class O>
__attribute__((always_inline)) inline void quantise_channel_with(float* E, int k) {
  using V = typename O::V;
  const int w = width, h = height;
  const int stride = w + 4;
  memset(E, 0, sizeof(float) * 3 * stride);
  float* row0 = E + 2;
  float* row1 = E + stride + 2;
  float* row2 = E + 2 * stride + 2;
  const V k26 = O::c(26.0f), k3 = O::c(3.0f), k5 = O::c(5.0f);
  const V inv26 = O::c(1.0f / 26.0f), level_scale = O::c(L.scale * (1.0f / 26.0f));
  const V zero = O::c(0.0f), top = O::c(L.top), step = O::c(L.step);
  const V err_scale = O::c(L.err_scale);
  // The divisor is applied as its reciprocal: the stored error may differ in its last bit from a
  // true division, which takes a long division off the chain.
  const V err_recip = O::c(1.0f / L.err_div);
  const V bound = O::c(L.bound), neg_bound = O::c(-L.bound);
  // The row's levels are gathered here and written out at the end of the row: the three channel
  // workers then meet in the destination's cache lines once a row, not at every pixel.
  unsigned char row_out[4096];
  for (int y = 0; y < h; y++) {
    const float* src = fimage + 4L * y * w + k;
    unsigned char* out = dest + 3L * y * w + k;
    V e1 = zero, e2 = zero;
    const bool forward = (y & 1) == 0;
    int x = forward ? 0 : w - 1;
    const int dx = forward ? 1 : -1;
    for (int i = 0; i < w; i++, x += dx) {
      const float p = src[4L * x];
      V t = O::mul(k26, O::c(p));
      t = O::add(t, O::load(row1 + x - 2));
      t = O::add(t, O::mul(k3, O::load(row1 + x - 1)));
      t = O::add(t, O::mul(k5, O::load(row1 + x)));
      t = O::add(t, O::mul(k3, O::load(row1 + x + 1)));
      t = O::add(t, O::load(row1 + x + 2));
      t = O::add(t, O::load(row2 + x - 1));
      t = O::add(t, O::mul(k3, O::load(row2 + x)));
      t = O::add(t, O::load(row2 + x + 1));
      t = O::add(t, O::mul(k3, e2));
      const V s = O::add(t, O::mul(k5, e1));
      const V v = O::mul(s, inv26);
      V lv = O::mul(s, level_scale);
      // Values far outside 0..1 are not painted by any view; below 0 (or NaN) gives the lowest
      // level.
      if (!(p >= L.safe_lo && p <= L.safe_hi)) lv = O::min(O::max(lv, zero), top);
      V q = O::trunc(lv);
      if (L.step != 1.0f) q = O::mul(q, step);
      V e = O::mul(O::sub(O::mul(err_scale, v), q), err_recip);
      if (L.bound != 0.0f) e = O::max(O::min(e, bound), neg_bound);
      const unsigned char byte = (unsigned char)(int)O::f(q);
      if (w <= 4096)
        row_out[x] = byte;
      else
        out[3L * x] = byte;
      O::store(row0 + x, e);
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

template <class O>
__attribute__((always_inline)) inline void quantise_by_class(float* E, int k) {
  if (col_high)
    quantise_channel_with<kHigh, O>(E, k);
  else if (col_palette)
    quantise_channel_with<kPalette, O>(E, k);
  else if (always8bit)
    quantise_channel_with<kTrueUnclamped, O>(E, k);
  else
    quantise_channel_with<kTrue, O>(E, k);
}

__attribute__((target("sse4.1"))) void quantise_by_class_sse41(float* E, int k) {
  quantise_by_class<SseOps>(E, k);
}

void quantise_channel(int k) {
  float* E = k == 0 ? err_lines_r : (k == 1 ? err_lines_g : err_lines_b);
  if (!E || !fimage || width <= 0 || height <= 0) return;
  static const bool round_insn = __builtin_cpu_supports("sse4.1");
  if (round_insn && !quant_portable_path)
    quantise_by_class_sse41(E, k);
  else
    quantise_by_class<PlainOps>(E, k);
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
