#include "formats/jpeg_post.h"

#include <FL/Fl.H>

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/bands.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define JPEG_POST_SSE2 1
#endif

double k0 = 180;
double m0 = 1.0 / 256;
float bartlett5[25] = {1, 2, 3, 2, 1, 2, 4, 6, 4, 2, 3, 6, 9, 6, 3, 2, 4, 6, 4, 2, 1, 2, 3, 2, 1};

void do_wait() { Fl::check(); }

void jpeg_smoothing_params(int64_t samples, int64_t file_bytes) {
  double g = file_bytes > 0 ? (double)samples / (double)file_bytes : 0;
  k0 = g < 3 ? 180 : g < 5 ? 110 : g < 8 ? 60 : g < 12 ? 30 : g < 16 ? 25 : g < 32 ? 20 : g < 80 ? 15 : 10;
  double limit = 0.3 * g;
  m0 = limit > 10 ? 10.0 / 256 : limit < 1 ? 1.0 / 256 : limit / 256;
  bartlett5[12] = (float)(k0 / (double)0.7f + 9);
}

namespace {

// A converted row: the squared red, green and blue planes (s) and their horizontal
// 1 2 3 2 1 sums (h), w floats each.
constexpr int ROW_PLANES = 6;

// Per band: a ring of five converted rows, the two rows below the band (taken before any band
// starts, as the band below overwrites them) and a row of divisors.
constexpr int BAND_PLANES = 5 * ROW_PLANES + 2 * ROW_PLANES + 1;

// Outside 0..1 a value is clamped, inside it is squared.
inline float squared(float v) {
  float c = v < 0 ? 0.0f : v;
  c = c > 1 ? 1.0f : c;
  return c * c;
}

#if JPEG_POST_SSE2
inline __m128 squared4(__m128 v) {
  __m128 c = _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), _mm_set1_ps(1.0f));
  return _mm_mul_ps(c, c);
}
#endif

// Row y of the image to its converted form `out` (ROW_PLANES x w floats).
void convert_row(const SmoothJob& job, int y, float* out) {
  const int w = job.w;
  const float* p = job.img + 4 * ((int64_t)y * w);
  float *r = out, *g = out + w, *b = out + 2 * w;
  if (job.slots == SLOTS_RGB) {
    for (int x = 0; x < w; x++) {
      r[x] = squared(p[4 * x]);
      g[x] = squared(p[4 * x + 1]);
      b[x] = squared(p[4 * x + 2]);
    }
  } else {
    int x = 0;
#if JPEG_POST_SSE2
    const __m128 c0 = _mm_set1_ps(0.0000368213f), c1 = _mm_set1_ps(1.40199f),
                 c2 = _mm_set1_ps(1.00003f), c3 = _mm_set1_ps(0.344125f),
                 c4 = _mm_set1_ps(0.714128f), c5 = _mm_set1_ps(0.999823f),
                 c6 = _mm_set1_ps(1.77204f), c7 = _mm_set1_ps(0.00000804142f);
    for (; x + 4 <= w; x += 4) {
      __m128 Y = _mm_loadu_ps(p + 4 * x), cb = _mm_loadu_ps(p + 4 * x + 4),
             cr = _mm_loadu_ps(p + 4 * x + 8), a = _mm_loadu_ps(p + 4 * x + 12);
      _MM_TRANSPOSE4_PS(Y, cb, cr, a);
      __m128 R = _mm_add_ps(_mm_sub_ps(Y, _mm_mul_ps(c0, cb)), _mm_mul_ps(c1, cr));
      __m128 G = _mm_sub_ps(_mm_sub_ps(_mm_mul_ps(c2, Y), _mm_mul_ps(c3, cb)), _mm_mul_ps(c4, cr));
      __m128 B = _mm_sub_ps(_mm_add_ps(_mm_mul_ps(c5, Y), _mm_mul_ps(c6, cb)), _mm_mul_ps(c7, cr));
      _mm_storeu_ps(r + x, squared4(R));
      _mm_storeu_ps(g + x, squared4(G));
      _mm_storeu_ps(b + x, squared4(B));
    }
#endif
    for (; x < w; x++) {
      float Y = p[4 * x], cb = p[4 * x + 1], cr = p[4 * x + 2];
      r[x] = squared(Y - 0.0000368213f * cb + 1.40199f * cr);
      g[x] = squared(1.00003f * Y - 0.344125f * cb - 0.714128f * cr);
      b[x] = squared(0.999823f * Y + 1.77204f * cb - 0.00000804142f * cr);
    }
  }
  // Horizontal sums; taps outside the row are left out.
  const float w0 = bartlett5[0], w1 = bartlett5[1], w2 = bartlett5[2], w3 = bartlett5[3],
              w4 = bartlett5[4];
  const float wt[5] = {w0, w1, w2, w3, w4};
  for (int c = 0; c < 3; c++) {
    const float* s = out + c * w;
    float* h = out + (3 + c) * w;
    for (int x = 2; x + 2 < w; x++)
      h[x] = w0 * s[x - 2] + w1 * s[x - 1] + w2 * s[x] + w3 * s[x + 1] + w4 * s[x + 2];
    auto edge = [&](int x) {
      float a = 0;
      for (int d = -2; d <= 2; d++)
        if (x + d >= 0 && x + d < w) a += wt[d + 2] * s[x + d];
      h[x] = a;
    };
    for (int x = 0; x < w && x < 2; x++) edge(x);
    for (int x = w - 2 > 2 ? w - 2 : 2; x < w; x++) edge(x);
  }
}

float column_weight(int x, int w) {
  float a = 0;
  for (int d = -2; d <= 2; d++)
    if (x + d >= 0 && x + d < w) a += bartlett5[d + 2];
  return a;
}

// Rows b0 .. b1-1. The ring holds rows b0-2 and b0-1 already (where they exist), the tail rows
// b1 and b1+1; every other row of the window is converted from the image before the band
// overwrites it.
//
// The 5 x 5 weights are (1 2 3 2 1) down times (1 2 3 2 1) across with the centre raised from 9,
// so the weighted sum of a window is the vertical 1 2 3 2 1 sum of the rows' horizontal sums
// plus (centre - 9) times the pixel itself: ten products a value instead of 25. Taps outside the
// picture drop out of both sums, and the weights that remain form the divisor.
void smooth_band_rows(const SmoothJob& job, int b0, int b1, float* band) {
  const int w = job.w, h = job.h;
  const int64_t pl = w;
  float* ring = band;
  float* tail = ring + 5 * ROW_PLANES * pl;
  float* div = tail + 2 * ROW_PLANES * pl;
  const float centre = bartlett5[12];
  const float centre_extra = centre - bartlett5[2] * bartlett5[2];
  const double limit = m0;

  const float* rows[5] = {};  // converted row r at rows[r % 5]
  for (int r = b0 - 2; r < b0; r++)
    if (r >= 0) rows[r % 5] = ring + (r % 5) * ROW_PLANES * pl;
  int next = b0;
  float last_row_weight = -1;
  for (int y = b0; y < b1; y++) {
    int need = y + 2 < h ? y + 2 : h - 1;
    for (; next <= need; next++) {
      if (next < b1) {
        float* slot = ring + (next % 5) * ROW_PLANES * pl;
        convert_row(job, next, slot);
        rows[next % 5] = slot;
      } else {
        rows[next % 5] = tail + (next - b1) * ROW_PLANES * pl;
      }
    }
    // The five rows of the window; a row outside the picture gets weight 0 (adding 0 changes
    // no sum), so that every row takes the same five-tap path.
    const float* hrow[5];
    float vw[5];
    float row_weight = 0;
    for (int d = -2; d <= 2; d++) {
      bool inside = y + d >= 0 && y + d < h;
      hrow[d + 2] = rows[(inside ? y + d : y) % 5] + 3 * pl;
      vw[d + 2] = inside ? bartlett5[d + 2] : 0.0f;
      row_weight += vw[d + 2];
    }
    if (row_weight != last_row_weight) {
      for (int x = 0; x < w; x++)
        div[x] = (row_weight * column_weight(x, w) - bartlett5[2] * bartlett5[2]) + centre;
      last_row_weight = row_weight;
    }
    const float* srow = rows[y % 5];
    float* p = job.img + 4 * ((int64_t)y * w);
    int x = 0;
#if JPEG_POST_SSE2
    // The same steps as below, four pixels at a time; the limits are applied in double.
    {
      const __m128 e4 = _mm_set1_ps(centre_extra);
      const __m128d l2 = _mm_set1_pd(limit);
      const __m128 v0 = _mm_set1_ps(vw[0]), v1 = _mm_set1_ps(vw[1]), v2 = _mm_set1_ps(vw[2]),
                   v3 = _mm_set1_ps(vw[3]), v4 = _mm_set1_ps(vw[4]);
      for (; x + 4 <= w; x += 4) {
        __m128 out[4];
        __m128 d4 = _mm_loadu_ps(div + x);
        for (int c = 0; c < 3; c++) {
          const int64_t o = c * pl + x;
          __m128 a = _mm_mul_ps(v0, _mm_loadu_ps(hrow[0] + o));
          a = _mm_add_ps(a, _mm_mul_ps(v1, _mm_loadu_ps(hrow[1] + o)));
          a = _mm_add_ps(a, _mm_mul_ps(v2, _mm_loadu_ps(hrow[2] + o)));
          a = _mm_add_ps(a, _mm_mul_ps(v3, _mm_loadu_ps(hrow[3] + o)));
          a = _mm_add_ps(a, _mm_mul_ps(v4, _mm_loadu_ps(hrow[4] + o)));
          __m128 vv = _mm_loadu_ps(srow + o);
          __m128 mean = _mm_div_ps(_mm_add_ps(a, _mm_mul_ps(e4, vv)), d4);
          __m128d vl = _mm_cvtps_pd(vv), vh = _mm_cvtps_pd(_mm_movehl_ps(vv, vv));
          __m128d ml = _mm_cvtps_pd(mean), mh = _mm_cvtps_pd(_mm_movehl_ps(mean, mean));
          ml = _mm_min_pd(_mm_max_pd(ml, _mm_sub_pd(vl, l2)), _mm_add_pd(vl, l2));
          mh = _mm_min_pd(_mm_max_pd(mh, _mm_sub_pd(vh, l2)), _mm_add_pd(vh, l2));
          out[c] = _mm_sqrt_ps(_mm_movelh_ps(_mm_cvtpd_ps(ml), _mm_cvtpd_ps(mh)));
        }
        out[3] = _mm_set1_ps(1.0f);
        _MM_TRANSPOSE4_PS(out[0], out[1], out[2], out[3]);
        for (int k = 0; k < 4; k++) _mm_storeu_ps(p + 4 * x + 4 * k, out[k]);
      }
    }
#endif
    for (; x < w; x++) {
      for (int c = 0; c < 3; c++) {
        const int64_t o = c * pl + x;
        float a = vw[0] * hrow[0][o];
        for (int k = 1; k < 5; k++) a += vw[k] * hrow[k][o];
        float v = srow[o];
        // The mean of the window, kept within m0 of the pixel's own squared value.
        float mean = (a + centre_extra * v) / div[x];
        double lo = (double)v - limit, hi = (double)v + limit;
        if ((double)mean < lo) mean = (float)lo;
        if ((double)mean > hi) mean = (float)hi;
        p[4 * x + c] = std::sqrt(mean);
      }
      p[4 * x + 3] = 1.0f;
    }
  }
}

}  // namespace

bool smooth_begin(SmoothJob& job, float* img, int w, int h, int slots, int bands) {
  job.img = img;
  job.w = w;
  job.h = h;
  job.slots = slots;
  job.bands = bands < 1 ? 1 : bands;
  job.done = job.y0 = job.y1 = 0;
  try {
    job.carry.assign(2 * ROW_PLANES * (size_t)w, 0.0f);
    job.carry_next.assign(2 * ROW_PLANES * (size_t)w, 0.0f);
    job.scratch.assign((size_t)job.bands * BAND_PLANES * (size_t)w, 0.0f);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

namespace {
int band_start(const SmoothJob& job, int k) {
  return job.y0 + (int)((int64_t)k * (job.y1 - job.y0) / job.bands);
}
}  // namespace

void smooth_prepare(SmoothJob& job, int y1) {
  const int y0 = job.done, w = job.w, h = job.h, n = job.bands;
  if (y1 > h) y1 = h;
  if (y1 < y0) y1 = y0;
  job.y0 = y0;
  job.y1 = y1;
  if (y1 == y0 || w <= 0) return;
  const int64_t row = ROW_PLANES * (int64_t)w, per = BAND_PLANES * (int64_t)w;

  // Each band's two rows above (from the carry where they are already overwritten) and two rows
  // below, converted while they still hold their samples; and the carry for the next rows.
  for (int k = 0; k < n; k++) {
    int b0 = band_start(job, k), b1 = band_start(job, k + 1);
    if (b0 == b1) continue;
    float* band = job.scratch.data() + k * per;
    for (int r = b0 - 2; r < b0; r++) {
      if (r < 0) continue;
      float* slot = band + (r % 5) * row;
      if (r < y0)
        std::copy_n(job.carry.data() + (r - (y0 - 2)) * row, row, slot);
      else
        convert_row(job, r, slot);
    }
    for (int r = b1; r < b1 + 2 && r < h; r++) convert_row(job, r, band + (5 + r - b1) * row);
  }
  for (int r = y1 - 2; r < y1; r++) {
    if (r < 0) continue;
    float* dst = job.carry_next.data() + (r - (y1 - 2)) * row;
    if (r < y0)
      std::copy_n(job.carry.data() + (r - (y0 - 2)) * row, row, dst);
    else
      convert_row(job, r, dst);
  }
}

void smooth_band(SmoothJob& job, int k) {
  int b0 = band_start(job, k), b1 = band_start(job, k + 1);
  if (b0 < b1 && job.w > 0)
    smooth_band_rows(job, b0, b1, job.scratch.data() + k * BAND_PLANES * (int64_t)job.w);
}

void smooth_finish(SmoothJob& job) {
  if (job.y1 == job.y0) return;
  job.carry.swap(job.carry_next);
  job.done = job.y1;
}

void smooth_rows(SmoothJob& job, int y1) {
  smooth_prepare(job, y1);
  run_bands(job.bands, [&](int k) { smooth_band(job, k); });
  smooth_finish(job);
}
