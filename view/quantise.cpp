#include "view/quantise.h"

#include <cstdlib>
#include <cstring>
#include <functional>

#include <immintrin.h>

#include "view/stores.h"

float* err_lines_r = nullptr;
float* err_lines_g = nullptr;
float* err_lines_b = nullptr;
int err_alloc = 0;
int fail_err_rows_alloc = 0;
int col_high = 0;
int col_palette = 0;
int quant_isa_limit = 0;

int alloc_err_rows(int n) {
  float* r = fail_err_rows_alloc ? nullptr : (float*)malloc(sizeof(float) * n);
  float* g = fail_err_rows_alloc ? nullptr : (float*)malloc(sizeof(float) * n);
  float* b = fail_err_rows_alloc ? nullptr : (float*)malloc(sizeof(float) * n);
  if (!r || !g || !b) {
    free(r);
    free(g);
    free(b);
    return 1;
  }
  free(err_lines_r);
  free(err_lines_g);
  free(err_lines_b);
  err_lines_r = r;
  err_lines_g = g;
  err_lines_b = b;
  err_alloc = n;
  return 0;
}

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
  // most `bound` in size, so v stays within p +- bound, and the level of a v a little below 0
  // truncates to (minus) zero, the same byte. The margins left over cover the rounding of the sum
  // many times. There the level needs no clamp; elsewhere (and for NaN) it is clamped.
  float safe_lo, safe_hi;
};

constexpr Levels kHigh = {32.0f, 31.0f, 8.0f, 255.0f, 256.1f, 0.03f, 0.0f, 0.969f};
constexpr Levels kPalette = {16.0f, 15.0f, 16.0f, 256.0f, 256.0f, 0.1f, 0.038f, 0.899f};
constexpr Levels kTrue = {256.0f, 255.0f, 1.0f, 255.0f, 256.1f, 0.003f, 0.0f, 0.996f};
// Without the clamp the errors have no fixed bound: every level is clamped.
constexpr Levels kTrueUnclamped = {256.0f, 255.0f, 1.0f, 255.0f, 256.1f, 0.0f, 2.0f, -1.0f};

// min and max as the SSE instructions have them: a NaN first operand gives the second.
inline float min_f(float a, float b) { return a < b ? a : b; }
inline float max_f(float a, float b) { return a > b ? a : b; }

// One channel, serpentine, into its own error rows: E holds three rows of width + 4 floats (two
// zero cells at each side). Everything is single precision, in the same order as the three-lane
// body below, so both give the same bytes. The levels are scaled by powers of two, so
// scale*(s/26) equals s*(scale/26) exactly. An error outside its bound (compared in double)
// becomes the single-precision bound, which for these bounds is exactly a float min/max.
template <const Levels& L>
void quantise_channel_with(float* E, int k) {
  const int w = width, h = height;
  const int stride = w + 4;
  memset(E, 0, sizeof(float) * 3 * stride);
  float* rows[3] = {E + 2, E + stride + 2, E + 2 * stride + 2};
  for (int y = 0; y < h; y++) {
    float *row0 = rows[0], *row1 = rows[1], *row2 = rows[2];
    const float* src = fimage + 4L * y * w + k;
    unsigned char* out = dest + 3L * y * w + k;
    float e1 = 0, e2 = 0;
    const bool forward = (y & 1) == 0;
    int x = forward ? 0 : w - 1;
    const int dx = forward ? 1 : -1;
    for (int i = 0; i < w; i++, x += dx) {
      const float p = src[4L * x];
      float t = 26.0f * p;
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
      const float v = s * (1.0f / 26.0f);
      float lv = s * (L.scale * (1.0f / 26.0f));
      if (!(p >= L.safe_lo && p <= L.safe_hi)) lv = min_f(max_f(lv, 0.0f), L.top);
      float q = (float)(int)lv;  // lv lies in -1 .. top + 1 here
      if (L.step != 1.0f) q = q * L.step;
      float e = (L.err_scale * v - q) * (1.0f / L.err_div);
      if (L.bound != 0.0f) e = max_f(min_f(e, L.bound), -L.bound);
      out[3L * x] = (unsigned char)(int)q;
      row0[x] = e;
      e2 = e1;
      e1 = e;
    }
    rows[0] = row2;
    rows[1] = row0;
    rows[2] = row1;
  }
}

void quantise_channel(int k) {
  float* E = k == 0 ? err_lines_r : (k == 1 ? err_lines_g : err_lines_b);
  if (!E || !fimage || width <= 0 || height <= 0) return;
  if (col_high)
    quantise_channel_with<kHigh>(E, k);
  else if (col_palette)
    quantise_channel_with<kPalette>(E, k);
  else if (always8bit)
    quantise_channel_with<kTrueUnclamped>(E, k);
  else
    quantise_channel_with<kTrue>(E, k);
}

// The three channels together, one in each of the first three lanes of a vector. Each channel
// is one chain of dependent pixels from the first to the last (the serpentine makes every row
// start where the one before it ended), so a channel cannot be split between workers without
// changing the result; its speed is the latency of the chain. Three chains in the lanes of one
// worker cost what one costs.
//
// Error rows: err_lines_r, _g and _b each hold one row, the three errors of a pixel side by side
// (two zero pixels at each end, and one float more so that a pixel's errors load as a vector of
// four). The fourth lane carries zero throughout, so a four-float store only writes zero into the
// neighbour it overlaps, which is written later in the row or is a margin.

// Truncation and the error clamp, by instruction set: plain SSE2 converts to integers and back,
// SSE4.1 truncates in one instruction, AVX-512 clamps a symmetric bound in one instruction
// (range: the smaller magnitude, with the sign of the first operand). All give the same bytes.
struct Sse2Lanes {
  static __m128 trunc(__m128 x) { return _mm_cvtepi32_ps(_mm_cvttps_epi32(x)); }
  static __m128 clamp(__m128 e, __m128 bound, __m128 neg_bound) {
    return _mm_max_ps(_mm_min_ps(e, bound), neg_bound);
  }
};
struct Sse41Lanes {
  __attribute__((target("sse4.1"))) static __m128 trunc(__m128 x) {
    return _mm_round_ps(x, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
  }
  static __m128 clamp(__m128 e, __m128 bound, __m128 neg_bound) {
    return _mm_max_ps(_mm_min_ps(e, bound), neg_bound);
  }
};
struct Avx512Lanes {
  __attribute__((target("sse4.1"))) static __m128 trunc(__m128 x) {
    return _mm_round_ps(x, _MM_FROUND_TO_ZERO | _MM_FROUND_NO_EXC);
  }
  __attribute__((target("avx512vl,avx512dq"))) static __m128 clamp(__m128 e, __m128 bound,
                                                                    __m128) {
    return _mm_range_ps(e, bound, 0x2);
  }
};

template <const Levels& L, class T, int kDir>
__attribute__((always_inline)) inline void lane_row(const float* src, unsigned char* out,
                                                    float* r0, const float* r1, const float* r2,
                                                    int w) {
  const __m128 rgb = _mm_castsi128_ps(_mm_set_epi32(0, -1, -1, -1));
  const __m128 k26 = _mm_set1_ps(26.0f), k3 = _mm_set1_ps(3.0f), k5 = _mm_set1_ps(5.0f);
  const __m128 inv26 = _mm_set1_ps(1.0f / 26.0f);
  const __m128 level_scale = _mm_set1_ps(L.scale * (1.0f / 26.0f));
  const __m128 zero = _mm_setzero_ps(), top = _mm_set1_ps(L.top), step = _mm_set1_ps(L.step);
  const __m128 err_scale = _mm_set1_ps(L.err_scale);
  // The divisor is applied as its reciprocal: the stored error may differ in its last bit from a
  // true division, which takes a long division off the chain.
  const __m128 err_recip = _mm_set1_ps(1.0f / L.err_div);
  const __m128 bound = _mm_set1_ps(L.bound), neg_bound = _mm_set1_ps(-L.bound);
  const __m128 safe_lo = _mm_set1_ps(L.safe_lo), safe_hi = _mm_set1_ps(L.safe_hi);
  __m128 e1 = zero, e2 = zero;
  int x = kDir > 0 ? 0 : w - 1;
  for (int i = 0; i < w; i++, x += kDir) {
    const __m128 p = _mm_and_ps(_mm_loadu_ps(src + 4 * x), rgb);
    const float* a = r1 + 3 * x;
    const float* b = r2 + 3 * x;
    // The terms that do not wait for this row's errors first, the row's own errors last: the
    // chain from one pixel to the next is then short.
    __m128 t = _mm_mul_ps(k26, p);
    t = _mm_add_ps(t, _mm_loadu_ps(a - 6));
    t = _mm_add_ps(t, _mm_mul_ps(k3, _mm_loadu_ps(a - 3)));
    t = _mm_add_ps(t, _mm_mul_ps(k5, _mm_loadu_ps(a)));
    t = _mm_add_ps(t, _mm_mul_ps(k3, _mm_loadu_ps(a + 3)));
    t = _mm_add_ps(t, _mm_loadu_ps(a + 6));
    t = _mm_add_ps(t, _mm_loadu_ps(b - 3));
    t = _mm_add_ps(t, _mm_mul_ps(k3, _mm_loadu_ps(b)));
    t = _mm_add_ps(t, _mm_loadu_ps(b + 3));
    t = _mm_and_ps(t, rgb);  // the fourth lane read the next pixel's first error
    t = _mm_add_ps(t, _mm_mul_ps(k3, e2));
    const __m128 s = _mm_add_ps(t, _mm_mul_ps(k5, e1));
    const __m128 v = _mm_mul_ps(s, inv26);
    __m128 lv = _mm_mul_ps(s, level_scale);
    // Values far outside 0..1 are not painted by any view; below 0 (or NaN) gives the lowest
    // level.
    const bool safe =
        (_mm_movemask_ps(_mm_and_ps(_mm_cmpge_ps(p, safe_lo), _mm_cmple_ps(p, safe_hi))) & 7) == 7;
    if (!safe) lv = _mm_min_ps(_mm_max_ps(lv, zero), top);
    __m128 q = T::trunc(lv);
    if (L.step != 1.0f) q = _mm_mul_ps(q, step);
    __m128 e = _mm_mul_ps(_mm_sub_ps(_mm_mul_ps(err_scale, v), q), err_recip);
    // A NaN value's error becomes the bound, as the min/max pair gives.
    if (L.bound != 0.0f)
      e = safe ? T::clamp(e, bound, neg_bound) : _mm_max_ps(_mm_min_ps(e, bound), neg_bound);
    const __m128i qi = _mm_cvttps_epi32(q);
    const int bytes = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(qi, qi), qi));
    unsigned char* o = out + 3 * x;
    o[0] = (unsigned char)bytes;
    o[1] = (unsigned char)(bytes >> 8);
    o[2] = (unsigned char)(bytes >> 16);
    if (kDir > 0)
      _mm_storeu_ps(r0 + 3 * x, e);
    else  // one lane up, so the zero lands on the pixel to the left, which comes next
      _mm_storeu_ps(r0 + 3 * x - 1, _mm_castsi128_ps(_mm_slli_si128(_mm_castps_si128(e), 4)));
    e2 = e1;
    e1 = e;
  }
}

// Waits, before each row, until the canvas row is ready (null: it is).
const std::function<void(int)>* wait_for_row = nullptr;

template <const Levels& L, class T>
__attribute__((always_inline)) inline void quantise_lanes_with() {
  const int w = width, h = height;
  float* rows[3] = {err_lines_r + 6, err_lines_g + 6, err_lines_b + 6};
  for (int y = 0; y < h; y++) {
    if (wait_for_row) (*wait_for_row)(y);
    const float* src = fimage + 4L * y * w;
    unsigned char* out = dest + 3L * y * w;
    if ((y & 1) == 0)
      lane_row<L, T, 1>(src, out, rows[0], rows[1], rows[2], w);
    else
      lane_row<L, T, -1>(src, out, rows[0], rows[1], rows[2], w);
    float* oldest = rows[2];
    rows[2] = rows[1];
    rows[1] = rows[0];
    rows[0] = oldest;
  }
}

template <class T>
__attribute__((always_inline)) inline void quantise_lanes_by_class() {
  if (col_high)
    quantise_lanes_with<kHigh, T>();
  else if (col_palette)
    quantise_lanes_with<kPalette, T>();
  else if (always8bit)
    quantise_lanes_with<kTrueUnclamped, T>();
  else
    quantise_lanes_with<kTrue, T>();
}

void quantise_lanes_sse2() { quantise_lanes_by_class<Sse2Lanes>(); }
__attribute__((target("sse4.1"))) void quantise_lanes_sse41() {
  quantise_lanes_by_class<Sse41Lanes>();
}
__attribute__((target("sse4.1,avx512vl,avx512dq"))) void quantise_lanes_avx512() {
  quantise_lanes_by_class<Avx512Lanes>();
}

void quantise_lanes() {
  const size_t n = err_rows_needed(width);
  memset(err_lines_r, 0, sizeof(float) * n);
  memset(err_lines_g, 0, sizeof(float) * n);
  memset(err_lines_b, 0, sizeof(float) * n);
  static const int best = __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq")
                              ? 3
                              : __builtin_cpu_supports("sse4.1") ? 2 : 1;
  const int isa = quant_isa_limit > 0 && quant_isa_limit < best ? quant_isa_limit : best;
  if (isa == 3)
    quantise_lanes_avx512();
  else if (isa == 2)
    quantise_lanes_sse41();
  else
    quantise_lanes_sse2();
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
  if (!err_lines_r || !err_lines_g || !err_lines_b || !fimage || width <= 0 || height <= 0) return;
  quantise_lanes();
}

void quant_display_following(unsigned char* d, int a8, const std::function<void(int)>& wait_row) {
  wait_for_row = &wait_row;
  quant_display(d, a8);
  wait_for_row = nullptr;
}
