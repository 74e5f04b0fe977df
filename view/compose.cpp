#include "view/compose.h"

#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

#include "platform/bands.h"
#include "platform/env.h"
#include "view/clamp.h"
#include "view/colour.h"
#include "view/stores.h"

int reduce = 1, magnify = 1;
float inv_magnify = 1.0f;
unsigned char special_zoom = 0;
int zm = 1;
int xx0 = 0, yy0 = 0;
int n_threads = 2;

// The composer's mode for the current call, decoded with the state above.
static zoom_mode cur_mode = ZM_COPY;

// Sides beyond this could overflow the int geometry of the largest enlargement (40 x side); no
// reader produces them, so such a block is not composed.
static const int MAX_COMPOSED_SIDE = 1 << 24;

struct geometry {
  zoom_mode mode;
  int reduce, magnify, zm;
  float inv_magnify;
  int x0, y0;  // canvas position of the image's top-left corner before the pan
};

// Decodes `step` for a w x h picture on a W x H canvas.
static geometry geometry_of(int step, int w, int h, int W, int H) {
  geometry g;
  int r, m;
  g.mode = zoom_mode_of(step, &r, &m);
  g.reduce = g.magnify = g.zm = 1;
  g.inv_magnify = 1.0f;
  switch (g.mode) {
    case ZM_COPY:
      g.x0 = (W - w) / 2;
      g.y0 = (H - h) / 2;
      break;
    case ZM_BOX:
      g.reduce = r;
      g.x0 = (W - w / r) / 2;
      g.y0 = (H - h / r) / 2;
      break;
    case ZM_BILINEAR:
    case ZM_FIVE_POINT:
      g.reduce = r;
      g.magnify = m;
      g.inv_magnify = 1.0f / m;
      if (r == 1) {
        g.x0 = (W - m * w) / 2;
        g.y0 = (H - m * h) / 2;
      } else {
        g.x0 = (W - ((w - 1) * m) / r) / 2;
        g.y0 = (H - ((h - 1) * m) / r) / 2;
      }
      break;
    case ZM_REPLICATE:
      g.zm = m;
      g.x0 = (W - m * w) / 2;
      g.y0 = (H - m * h) / 2;
      break;
  }
  return g;
}

static void set_up(int step) {
  geometry g = geometry_of(step, image_xres, image_yres, width, height);
  cur_mode = g.mode;
  reduce = g.reduce;
  magnify = g.magnify;
  inv_magnify = g.inv_magnify;
  special_zoom = g.mode == ZM_REPLICATE;
  zm = g.zm;
  xx0 = g.x0;
  yy0 = g.y0;
}

// Image-space extent (exclusive) that the mode draws along a side of n pixels.
static int64_t extent(int64_t n) {
  switch (cur_mode) {
    case ZM_COPY: return n;
    case ZM_BOX: return (n - 1) / reduce;  // r*(u+1) < n
    case ZM_BILINEAR:
      if (reduce == 1) return magnify * n - 2;
      return (magnify * n) / reduce;
    case ZM_FIVE_POINT: return (magnify * n) / reduce;
    case ZM_REPLICATE: return zm * n - 2;
  }
  return 0;
}

// One bilinear tap: the top-left pixel, whether its right and lower neighbours exist, and the
// fractions toward them (0 when the position lies beyond the last pixel).
struct bilinear_tap {
  const float* p;
  bool right, down;
  float fx, fy;
};

static inline bilinear_tap tap_at(float x, float y) {
  const int w = image_xres, h = image_yres;
  bilinear_tap t;
  int i = (int)x, j = (int)y;
  if (i >= w) {
    i = w - 1;
    t.fx = 0.0f;
  } else {
    t.fx = x - i;
  }
  if (j >= h) {
    j = h - 1;
    t.fy = 0.0f;
  } else {
    t.fy = y - j;
  }
  t.p = img_content + 4 * ((int64_t)j * w + i);
  t.right = i + 1 < w;
  t.down = j + 1 < h;
  return t;
}

static inline float interpolate(const bilinear_tap& t, int ch) {
  const int64_t row = 4 * (int64_t)image_xres;
  float tl = t.p[ch];
  float tr = t.right ? t.p[4 + ch] : tl;
  float bl = t.down ? t.p[row + ch] : tl;
  float br = t.right && t.down ? t.p[row + 4 + ch] : tl;
  return (tl * (1.0f - t.fx) + tr * t.fx) * (1.0f - t.fy) + (bl * (1.0f - t.fx) + br * t.fx) * t.fy;
}

// The composer only samples inside the picture; other callers' positions are brought there
// first (a position beyond the last pixel samples it, as the composer's would).
static bool clamp_position(float* x, float* y) {
  if (!loaded_image_valid()) return false;
  if (!(*x >= 0.0f)) *x = 0.0f;
  if (!(*y >= 0.0f)) *y = 0.0f;
  if (*x > (float)image_xres) *x = (float)image_xres;
  if (*y > (float)image_yres) *y = (float)image_yres;
  return true;
}

float get_img(float x, float y, int channel) {
  if (!clamp_position(&x, &y) || channel < 0 || channel > 3) return 0.0f;
  return interpolate(tap_at(x, y), channel);
}

void get_img_rgb(float x, float y, float* out) {
  if (!clamp_position(&x, &y)) {
    out[0] = out[1] = out[2] = 0.0f;
    return;
  }
  bilinear_tap t = tap_at(x, y);
  for (int k = 0; k < 3; k++) {
    float c = interpolate(t, k);
    out[k] = c * c;
  }
}

// Writes colour c with opacity a over the background of the row (in double, as every mode but
// the copy blends), and a into the fourth channel.
static inline void put_blended(float* q, const float* c, float a, const float* bg) {
  q[3] = a;
  if (a < 0.99) {
    for (int k = 0; k < 3; k++) q[k] = (float)((double)c[k] * a + (double)bg[k] * (1.0 - a));
  } else {
    for (int k = 0; k < 3; k++) q[k] = c[k];
  }
}

// Box mode over n consecutive canvas pixels from the block at `block`: the root mean square of
// each colour over the r x r block and the mean alpha. The sums run over the block's rows, and
// within a row from left to right, in single precision.
static inline void box_finish(float* o, float s0, float s1, float s2, float sa, float inv,
                              const float* bg) {
  float c[3];
  c[0] = s0 > 0 ? (float)std::sqrt((double)(s0 * inv)) : 0.0f;
  c[1] = s1 > 0 ? (float)std::sqrt((double)(s1 * inv)) : 0.0f;
  c[2] = s2 > 0 ? (float)std::sqrt((double)(s2 * inv)) : 0.0f;
  float a = sa > 0 ? sa * inv : 0.0f;
  put_blended(o, c, a, bg);
}

// How far ahead along each block row the box filter asks for data (a prefetch never faults, so it
// may point past the picture).
enum { PREFETCH_FLOATS = 4 * 64 };

static void box_run(float* out, const float* block, int64_t n, const float* bg) {
  const int r = reduce;
  const float inv = 1.0f / (float)(r * r);
  const int64_t row = 4 * (int64_t)image_xres;
  int64_t done = 0;
#if defined(__SSE2__)
  // Four canvas pixels at a time, one vector of (r, g, b, a) sums each: the squares of the colours
  // and the plain alpha are added lane by lane in the same order as the scalar loop below, so the
  // results are the same bits; the four chains are independent, which hides the adder's latency.
  const __m128 rgb_mask = _mm_castsi128_ps(_mm_set_epi32(0, -1, -1, -1));
  const __m128 alpha_one = _mm_set_ps(1.0f, 0.0f, 0.0f, 0.0f);
  for (; done + 4 <= n; done += 4, out += 16, block += 16 * r) {
    __m128 a0 = _mm_setzero_ps(), a1 = a0, a2 = a0, a3 = a0;
    const float* line = block;
    for (int j = 0; j < r; j++, line += row) {
      _mm_prefetch((const char*)(line + PREFETCH_FLOATS), _MM_HINT_T0);
      _mm_prefetch((const char*)(line + PREFETCH_FLOATS + 16), _MM_HINT_T0);
      for (int i = 0; i < r; i++) {
        const float* p = line + 4 * i;
        __m128 v0 = _mm_loadu_ps(p), v1 = _mm_loadu_ps(p + 4 * r);
        __m128 v2 = _mm_loadu_ps(p + 8 * r), v3 = _mm_loadu_ps(p + 12 * r);
        a0 = _mm_add_ps(a0, _mm_mul_ps(v0, _mm_or_ps(_mm_and_ps(v0, rgb_mask), alpha_one)));
        a1 = _mm_add_ps(a1, _mm_mul_ps(v1, _mm_or_ps(_mm_and_ps(v1, rgb_mask), alpha_one)));
        a2 = _mm_add_ps(a2, _mm_mul_ps(v2, _mm_or_ps(_mm_and_ps(v2, rgb_mask), alpha_one)));
        a3 = _mm_add_ps(a3, _mm_mul_ps(v3, _mm_or_ps(_mm_and_ps(v3, rgb_mask), alpha_one)));
      }
    }
    alignas(16) float s[16];
    _mm_store_ps(s, a0);
    _mm_store_ps(s + 4, a1);
    _mm_store_ps(s + 8, a2);
    _mm_store_ps(s + 12, a3);
    for (int k = 0; k < 4; k++)
      box_finish(out + 4 * k, s[4 * k], s[4 * k + 1], s[4 * k + 2], s[4 * k + 3], inv, bg);
  }
#endif
  for (; done < n; done++, out += 4, block += 4 * r) {
    float s0 = 0, s1 = 0, s2 = 0, sa = 0;
    const float* line = block;
    for (int j = 0; j < r; j++, line += row) {
      const float* p = line;
      for (int i = 0; i < r; i++, p += 4) {
        s0 += p[0] * p[0];
        s1 += p[1] * p[1];
        s2 += p[2] * p[2];
        sa += p[3];
      }
    }
    box_finish(out, s0, s1, s2, sa, inv, bg);
  }
}

static void compose_row(int y) {
  const int W = width, H = height, w = image_xres, h = image_yres;
  float* q = fimage + 4 * (int64_t)y * W;
  float b = (1.0f - (float)y / (float)H) * 0.1f;
  const float bg[3] = {0.4f + b, 0.45f + b, 0.5f + b};

  // The columns the mode draws on this row; the rest shows the background.
  const int64_t v = (int64_t)y - yy0 - shifty;
  const int64_t left = (int64_t)xx0 + shiftx;
  int64_t x0 = 0, x1 = 0;
  if (v >= 0 && v < extent(h)) {
    x0 = left < 0 ? 0 : left > W ? W : left;
    int64_t end = left + extent(w);
    x1 = end > W ? W : end;
    if (x1 < x0) x1 = x0;
  }
  for (int64_t x = 0; x < x0; x++) q[4 * x] = bg[0], q[4 * x + 1] = bg[1], q[4 * x + 2] = bg[2];
  for (int64_t x = x1; x < W; x++) q[4 * x] = bg[0], q[4 * x + 1] = bg[1], q[4 * x + 2] = bg[2];

  const int r = reduce;
  switch (cur_mode) {
    case ZM_COPY: {
      const float* src = img_content + 4 * (v * w + (x0 - left));
      for (int64_t x = x0; x < x1; x++, src += 4) {
        float* o = q + 4 * x;
        float a = src[3];
        float c0 = clamp01(src[0]), c1 = clamp01(src[1]), c2 = clamp01(src[2]);
        if (a < 0.99) {
          float na = 1.0f - a;
          c0 = c0 * a + bg[0] * na;
          c1 = c1 * a + bg[1] * na;
          c2 = c2 * a + bg[2] * na;
        }
        o[0] = c0, o[1] = c1, o[2] = c2;
      }
      break;
    }
    case ZM_BOX:
      box_run(q + 4 * x0, img_content + 4 * (r * v * w + r * (x0 - left)), x1 - x0, bg);
      break;
    case ZM_BILINEAR: {
      const float fy = (float)(v * r) * inv_magnify;
      for (int64_t x = x0; x < x1; x++) {
        const float fx = (float)((x - left) * r) * inv_magnify;
        bilinear_tap t = tap_at(fx, fy);
        float c[3] = {interpolate(t, 0), interpolate(t, 1), interpolate(t, 2)};
        put_blended(q + 4 * x, c, interpolate(t, 3), bg);
      }
      break;
    }
    case ZM_FIVE_POINT: {
      const float cy = (float)(v * r) * inv_magnify;
      const float d = (float)(0.4 * r * inv_magnify);
      const float ys[5] = {cy - d, cy + d, cy, cy - d, cy + d};
      for (int64_t x = x0; x < x1; x++) {
        const float cx = (float)((x - left) * r) * inv_magnify;
        const float xs[5] = {cx + d, cx + d, cx, cx - d, cx - d};
        float s0 = 0, s1 = 0, s2 = 0, sa = 0;
        for (int k = 0; k < 5; k++) {
          bilinear_tap t = tap_at(xs[k] < 0 ? 0.0f : xs[k], ys[k] < 0 ? 0.0f : ys[k]);
          float c0 = interpolate(t, 0), c1 = interpolate(t, 1), c2 = interpolate(t, 2);
          s0 += c0 * c0;
          s1 += c1 * c1;
          s2 += c2 * c2;
          sa += interpolate(t, 3);
        }
        float c[3] = {(float)std::sqrt(0.2 * s0), (float)std::sqrt(0.2 * s1),
                      (float)std::sqrt(0.2 * s2)};
        put_blended(q + 4 * x, c, (float)(0.2 * sa), bg);
      }
      break;
    }
    case ZM_REPLICATE: {
      const float* src_row = img_content + 4 * ((v / zm) * w);
      for (int64_t x = x0; x < x1; x++) {
        const float* p = src_row + 4 * ((x - left) / zm);
        put_blended(q + 4 * x, p, p[3], bg);
      }
      break;
    }
  }

  // Display colour-space hook, after the whole row.
  if (rgb_mode == 5) {
    for (int x = 0; x < W; x++)
      for (int k = 0; k < 3; k++) q[4 * x + k] = (float)std::pow((double)q[4 * x + k], 1.467);
  } else if (rgb_mode == 11) {
    for (int x = 0; x < W; x++) srgb2cinema(q[4 * x], q[4 * x + 1], q[4 * x + 2], q + 4 * x);
  } else if (rgb_mode == 1) {
    for (int x = 0; x < W; x++) srgb2adobe(q[4 * x], q[4 * x + 1], q[4 * x + 2], q + 4 * x);
  }
}

int image2frame_comp(void* band) {
  const int k = *(const int*)band, n = n_threads;
  const int y0 = (int)((int64_t)k * height / n), y1 = (int)((int64_t)(k + 1) * height / n);
  for (int y = y0; y < y1; y++) compose_row(y);
  return 0;
}

static bool composable() {
  return fimage && width > 0 && height > 0 && loaded_image_valid() &&
         image_xres <= MAX_COMPOSED_SIDE && image_yres <= MAX_COMPOSED_SIDE;
}

bool image2frame_begin(int step) {
  if (!composable()) return false;
  if (step < 0) step = 0;
  if (step > n_zooms - 1) step = n_zooms - 1;
  set_up(step);
  return true;
}

void image2frame_rows(int y0, int y1) {
  for (int y = y0 < 0 ? 0 : y0; y < y1 && y < height; y++) compose_row(y);
}

bool frame_rows_are_image_rows() {
  return composable() && cur_mode == ZM_COPY && image_xres == width && image_yres == height &&
         xx0 == 0 && yy0 == 0 && shiftx == 0 && shifty == 0;
}

void image2frame(int step) {
  if (!image2frame_begin(step)) {
    paint_gradient();
    return;
  }
  // Read anew on every call; no usable value gives the default of 2.
  n_threads = plat_worker_count(2, 8);
  run_bands(n_threads, [](int k) {
    int index = k;
    image2frame_comp(&index);
  });
}

bool canvas_to_image(int x, int y, double* ix, double* iy) {
  if (contentview != 1 || !composable() || zoom < 0 || zoom >= n_zooms) return false;
  // The geometry of the current zoom, not of whatever the last composition used.
  geometry g = geometry_of(zoom, image_xres, image_yres, width, height);
  const int r = g.reduce, m = g.magnify;
  double u = (double)x - g.x0 - shiftx, v = (double)y - g.y0 - shifty;
  switch (g.mode) {
    case ZM_COPY: *ix = u, *iy = v; break;
    case ZM_BOX: *ix = r * u + (r - 1) * 0.5, *iy = r * v + (r - 1) * 0.5; break;
    case ZM_BILINEAR:
    case ZM_FIVE_POINT: *ix = u * r / m, *iy = v * r / m; break;
    case ZM_REPLICATE: *ix = std::floor(u / g.zm), *iy = std::floor(v / g.zm); break;
  }
  return true;
}
