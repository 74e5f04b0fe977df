#include "formats/jpeg_post.h"

#include <FL/Fl.H>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>

#include "platform/bands.h"
#include "view/canvas.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#define JPEG_POST_SSE2 1
#endif

double k0 = 180;
double m0 = 1.0 / 256;
float bartlett5[25] = {1, 2, 3, 2, 1, 2, 4, 6, 4, 2, 3, 6, 9, 6, 3, 2, 4, 6, 4, 2, 1, 2, 3, 2, 1};

int do_component = 0;

void do_wait() { Fl::check(); }

void jpeg_smoothing_params(int64_t samples, int64_t file_bytes) {
  double g = file_bytes > 0 ? (double)samples / (double)file_bytes : 0;
  k0 = g < 3 ? 180 : g < 5 ? 110 : g < 8 ? 60 : g < 12 ? 30 : g < 16 ? 25 : g < 32 ? 20 : g < 80 ? 15 : 10;
  double limit = 0.3 * g;
  m0 = limit > 10 ? 10.0 / 256 : limit < 1 ? 1.0 / 256 : limit / 256;
  bartlett5[12] = (float)(k0 / (double)0.7f + 9);
}

int sample_bytes(int kind) { return kind == SAMPLES_CMYK ? 4 : kind == SAMPLES_GREY ? 1 : 3; }

void upright_size(int orientation, int w, int h, int* xres, int* yres) {
  *xres = orientation >= 5 ? h : w;
  *yres = orientation >= 5 ? w : h;
}

namespace {

// A converted row segment: the squared red, green and blue planes (s) and their horizontal
// 1 2 3 2 1 sums (h), one float a column each.
constexpr int ROW_PLANES = 6;

// Per band: a ring of five converted rows and a row of divisors.
constexpr int BAND_PLANES = 5 * ROW_PLANES + 1;

// Slots of a sample: v/256 and (v-128)/256.
struct SlotTables {
  float level[256], centred[256];
  SlotTables() {
    for (int v = 0; v < 256; v++) level[v] = v * (1.0f / 256), centred[v] = (v - 128) * (1.0f / 256);
  }
};
const SlotTables slot_tables;

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

// Where upright row y, column x lies in the file, and the step to the next column.
struct FileWalk {
  int64_t i, j;
  int di, dj;
};

FileWalk walk_at(const JpegSamples& s, int y, int x) {
  const int64_t W = s.w, H = s.h;
  switch (s.orientation) {
    default: return {x, y, 1, 0};
    case 2: return {W - 1 - x, y, -1, 0};
    case 3: return {W - 1 - x, H - 1 - y, -1, 0};
    case 4: return {x, H - 1 - y, 1, 0};
    case 5: return {y, x, 0, 1};
    case 6: return {y, H - 1 - x, 0, -1};
    case 7: return {W - 1 - y, H - 1 - x, 0, -1};
    case 8: return {W - 1 - y, x, 0, 1};
  }
}

// The slots of upright row y, columns cx0 .. cx1-1, into three planes: Y, Cb and Cr (from
// grey, YCbCr and CMYK files) or red, green and blue (from an RGB file). A file row that was not
// decoded gives grey.
void gather_slots(const JpegSamples& s, int y, int cx0, int cx1, float* a, float* b, float* c) {
  const SlotTables& t = slot_tables;
  const int bpp = sample_bytes(s.kind);
  FileWalk f = walk_at(s, y, cx0);
  const int64_t step = ((int64_t)f.di + (int64_t)f.dj * s.w) * bpp;
  const unsigned char* p = s.bytes + (f.j * s.w + f.i) * bpp;
  const float grey_colour = s.kind == SAMPLES_RGB ? 0.5f : 0.0f;
  int64_t j = f.j;
  for (int n = 0; n < cx1 - cx0; n++, p += step, j += f.dj) {
    if (j >= s.rows) {
      a[n] = 0.5f, b[n] = grey_colour, c[n] = grey_colour;
      continue;
    }
    switch (s.kind) {
      case SAMPLES_GREY:
        a[n] = t.level[p[0]], b[n] = 0.0f, c[n] = 0.0f;
        break;
      case SAMPLES_YCBCR:
        a[n] = t.level[p[0]], b[n] = t.centred[p[1]], c[n] = t.centred[p[2]];
        break;
      case SAMPLES_RGB:
        a[n] = t.level[p[0]], b[n] = t.level[p[1]], c[n] = t.level[p[2]];
        break;
      default: {
        double k = p[3] / 256.0;
        float r = (float)(p[0] / 256.0 * k), g = (float)(p[1] / 256.0 * k), bl = (float)(p[2] / 256.0 * k);
        a[n] = (float)(0.299 * r + 0.587 * g + 0.114 * bl);
        b[n] = (float)(-0.1687 * r - 0.3313 * g + 0.5 * bl);
        c[n] = (float)(0.5 * r - 0.4187 * g - 0.0813 * bl);
        break;
      }
    }
  }
}

// Upright row y to its converted form `out` (ROW_PLANES planes of pl floats): the squares for
// columns cx0 .. cx1-1 at 0 .. cx1-cx0-1, the horizontal sums for columns x0 .. x1-1 (which lie
// inside, with the two columns on each side that they read) at x - cx0.
void convert_row(const SmoothJob& job, int y, int cx0, int cx1, int x0, int x1, float* out, int64_t pl) {
  const int n = cx1 - cx0;
  float *r = out, *g = out + pl, *b = out + 2 * pl;
  // The slots go where the horizontal sums will be, which are made last.
  float *s0 = out + 3 * pl, *s1 = out + 4 * pl, *s2 = out + 5 * pl;
  gather_slots(job.src, y, cx0, cx1, s0, s1, s2);
  if (job.src.kind == SAMPLES_RGB) {
    for (int x = 0; x < n; x++) {
      r[x] = squared(s0[x]);
      g[x] = squared(s1[x]);
      b[x] = squared(s2[x]);
    }
  } else {
    int x = 0;
#if JPEG_POST_SSE2
    const __m128 c0 = _mm_set1_ps(0.0000368213f), c1 = _mm_set1_ps(1.40199f),
                 c2 = _mm_set1_ps(1.00003f), c3 = _mm_set1_ps(0.344125f),
                 c4 = _mm_set1_ps(0.714128f), c5 = _mm_set1_ps(0.999823f),
                 c6 = _mm_set1_ps(1.77204f), c7 = _mm_set1_ps(0.00000804142f);
    for (; x + 4 <= n; x += 4) {
      __m128 Y = _mm_loadu_ps(s0 + x), cb = _mm_loadu_ps(s1 + x), cr = _mm_loadu_ps(s2 + x);
      __m128 R = _mm_add_ps(_mm_sub_ps(Y, _mm_mul_ps(c0, cb)), _mm_mul_ps(c1, cr));
      __m128 G = _mm_sub_ps(_mm_sub_ps(_mm_mul_ps(c2, Y), _mm_mul_ps(c3, cb)), _mm_mul_ps(c4, cr));
      __m128 B = _mm_sub_ps(_mm_add_ps(_mm_mul_ps(c5, Y), _mm_mul_ps(c6, cb)), _mm_mul_ps(c7, cr));
      _mm_storeu_ps(r + x, squared4(R));
      _mm_storeu_ps(g + x, squared4(G));
      _mm_storeu_ps(b + x, squared4(B));
    }
#endif
    for (; x < n; x++) {
      float Y = s0[x], cb = s1[x], cr = s2[x];
      r[x] = squared(Y - 0.0000368213f * cb + 1.40199f * cr);
      g[x] = squared(1.00003f * Y - 0.344125f * cb - 0.714128f * cr);
      b[x] = squared(0.999823f * Y + 1.77204f * cb - 0.00000804142f * cr);
    }
  }
  // Horizontal sums; taps outside the picture are left out.
  const int w = job.w;
  const float w0 = bartlett5[0], w1 = bartlett5[1], w2 = bartlett5[2], w3 = bartlett5[3],
              w4 = bartlett5[4];
  const float wt[5] = {w0, w1, w2, w3, w4};
  const int inner0 = x0 > 2 ? x0 : 2, inner1 = x1 < w - 2 ? x1 : w - 2;
  for (int c = 0; c < 3; c++) {
    // Indexed by picture column less cx0.
    const float* s = out + c * pl;
    float* h = out + (3 + c) * pl;
    for (int x = inner0; x < inner1; x++) {
      const int i = x - cx0;
      h[i] = w0 * s[i - 2] + w1 * s[i - 1] + w2 * s[i] + w3 * s[i + 1] + w4 * s[i + 2];
    }
    auto edge = [&](int x) {
      float a = 0;
      for (int d = -2; d <= 2; d++)
        if (x + d >= 0 && x + d < w) a += wt[d + 2] * s[x + d - cx0];
      h[x - cx0] = a;
    };
    for (int x = x0; x < x1 && x < inner0; x++) edge(x);
    for (int x = inner1 > inner0 ? inner1 : inner0; x < x1; x++)
      if (x >= x0) edge(x);
  }
}

float column_weight(int x, int w) {
  float a = 0;
  for (int d = -2; d <= 2; d++)
    if (x + d >= 0 && x + d < w) a += bartlett5[d + 2];
  return a;
}

// Rows b0 .. b1-1, columns x0 .. x1-1 of the picture. Every row of the window is converted from
// the file's bytes when first needed; a ring keeps the last five.
//
// The 5 x 5 weights are (1 2 3 2 1) down times (1 2 3 2 1) across with the centre raised from 9,
// so the weighted sum of a window is the vertical 1 2 3 2 1 sum of the rows' horizontal sums
// plus (centre - 9) times the pixel itself: ten products a value instead of 25. Taps outside the
// picture drop out of both sums, and the weights that remain form the divisor.
void smooth_band_rows(const SmoothJob& job, int b0, int b1, int x0, int x1, float* band) {
  const int w = job.w, h = job.h;
  const int cx0 = x0 - 2 > 0 ? x0 - 2 : 0, cx1 = x1 + 2 < w ? x1 + 2 : w;
  const int64_t pl = w + 4;
  float* ring = band;
  float* div = ring + 5 * ROW_PLANES * pl;
  const float centre = bartlett5[12];
  const float centre_extra = centre - bartlett5[2] * bartlett5[2];
  const double limit = m0;

  const float* rows[5] = {};  // converted row r at rows[r % 5], column x at index x - cx0
  int next = b0 - 2 > 0 ? b0 - 2 : 0;
  float last_row_weight = -1;
  for (int y = b0; y < b1; y++) {
    int need = y + 2 < h ? y + 2 : h - 1;
    for (; next <= need; next++) {
      float* slot = ring + (next % 5) * ROW_PLANES * pl;
      convert_row(job, next, cx0, cx1, x0, x1, slot, pl);
      rows[next % 5] = slot;
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
      for (int x = x0; x < x1; x++)
        div[x - x0] = (row_weight * column_weight(x, w) - bartlett5[2] * bartlett5[2]) + centre;
      last_row_weight = row_weight;
    }
    const float* srow = rows[y % 5];
    float* p = job.img + 4 * ((int64_t)y * w);
    int x = x0;
#if JPEG_POST_SSE2
    // The same steps as below, four pixels at a time; the limits are applied in double.
    {
      const __m128 e4 = _mm_set1_ps(centre_extra);
      const __m128d l2 = _mm_set1_pd(limit);
      const __m128 v0 = _mm_set1_ps(vw[0]), v1 = _mm_set1_ps(vw[1]), v2 = _mm_set1_ps(vw[2]),
                   v3 = _mm_set1_ps(vw[3]), v4 = _mm_set1_ps(vw[4]);
      for (; x + 4 <= x1; x += 4) {
        __m128 out[4];
        __m128 d4 = _mm_loadu_ps(div + (x - x0));
        for (int c = 0; c < 3; c++) {
          const int64_t o = c * pl + (x - cx0);
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
    for (; x < x1; x++) {
      for (int c = 0; c < 3; c++) {
        const int64_t o = c * pl + (x - cx0);
        float a = vw[0] * hrow[0][o];
        for (int k = 1; k < 5; k++) a += vw[k] * hrow[k][o];
        float v = srow[o];
        // The mean of the window, kept within m0 of the pixel's own squared value.
        float mean = (a + centre_extra * v) / div[x - x0];
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

bool smooth_begin(SmoothJob& job, float* img, const JpegSamples& src, int slots) {
  job.img = img;
  job.src = src;
  upright_size(src.orientation, src.w, src.h, &job.w, &job.h);
  job.slots = slots < 1 ? 1 : slots;
  job.x0 = job.x1 = job.y0 = job.y1 = 0;
  // Every ring row is converted before it is read: the scratch needs no clearing, and a job
  // that is used again keeps its block.
  try {
    job.scratch.resize((size_t)job.slots * BAND_PLANES * ((size_t)job.w + 4));
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

int smooth_rows_needed(const SmoothJob& job, int f1) { return f1 + 2 < job.src.h ? f1 + 2 : job.src.h; }

void smooth_prepare(SmoothJob& job, int f0, int f1) {
  const int H = job.src.h;
  if (f0 < 0) f0 = 0;
  if (f1 > H) f1 = H;
  if (f1 < f0) f1 = f0;
  // The file rows f0 .. f1-1 are upright rows or columns, from one end or the other.
  const int o = job.src.orientation;
  const bool reversed = o == 3 || o == 4 || o == 6 || o == 7;
  const int a = reversed ? H - f1 : f0, b = reversed ? H - f0 : f1;
  if (o >= 5) {
    job.x0 = a, job.x1 = b, job.y0 = 0, job.y1 = job.h;
  } else {
    job.x0 = 0, job.x1 = job.w, job.y0 = a, job.y1 = b;
  }
}

namespace {
// A chunk is a run of the piece's rows or, where the piece is a run of upright columns (whose
// rows are file columns), a run of its columns down all its rows: then the rows of a chunk read
// few file rows, which stay in the cache from one row to the next. Small enough that the workers
// share the last piece evenly, large enough that the two window rows or columns converted again
// on each side cost little.
constexpr int CHUNK = 48;

bool chunks_are_columns(const SmoothJob& job) { return job.src.orientation >= 5; }
}  // namespace

int smooth_chunk_count(const SmoothJob& job) {
  const int rows = job.y1 - job.y0, cols = job.x1 - job.x0;
  if (rows <= 0 || cols <= 0) return 0;
  return ((chunks_are_columns(job) ? cols : rows) + CHUNK - 1) / CHUNK;
}

void smooth_chunk(SmoothJob& job, int chunk, int slot) {
  int b0 = job.y0, b1 = job.y1, x0 = job.x0, x1 = job.x1;
  if (chunks_are_columns(job)) {
    x0 += chunk * CHUNK;
    x1 = x0 + CHUNK < x1 ? x0 + CHUNK : x1;
  } else {
    b0 += chunk * CHUNK;
    b1 = b0 + CHUNK < b1 ? b0 + CHUNK : b1;
  }
  if (b0 < b1 && x0 < x1 && slot >= 0 && slot < job.slots)
    smooth_band_rows(job, b0, b1, x0, x1, job.scratch.data() + slot * BAND_PLANES * ((int64_t)job.w + 4));
}

void smooth_rows(SmoothJob& job, int f0, int f1) {
  smooth_prepare(job, f0, f1);
  const int n = smooth_chunk_count(job);
  std::atomic<int> next{0};
  run_bands(job.slots, [&](int k) {
    for (int c; (c = next.fetch_add(1)) < n;) smooth_chunk(job, c, k);
  });
}

namespace {

// Row y of the w x h image img: slot c of each pixel from the 3 x 3 weighted mean of slot 3,
// weights (1 2 1) down times (1 2 1) across with the centre k, over the taps inside the image.
void smooth3_row(float* img, int w, int h, int y, int c, float k) {
  static const float side[3] = {1, 2, 1};
  for (int x = 0; x < w; x++) {
    float sum = 0, weights = 0;
    for (int dy = -1; dy <= 1; dy++) {
      if (y + dy < 0 || y + dy >= h) continue;
      const float* row = img + 4 * ((int64_t)(y + dy) * w);
      for (int dx = -1; dx <= 1; dx++) {
        if (x + dx < 0 || x + dx >= w) continue;
        float wt = dy == 0 && dx == 0 ? k : side[dy + 1] * side[dx + 1];
        sum += wt * row[4 * (x + dx) + 3];
        weights += wt;
      }
    }
    img[4 * ((int64_t)y * w + x) + c] = std::sqrt(sum / weights);
  }
}

}  // namespace

int smooth_comp3(void* arg) {
  if (!arg) return 0;
  const int band = ((const int*)arg)[0], bands = ((const int*)arg)[1];
  if (bands < 1 || band < 0 || band >= bands) return 0;
  const int component = do_component;
  const double k_on_entry = k0;
  if (component == 1) k0 /= 1.1;
  if (component == 2) k0 /= 1.4;

  const int64_t rows = image_yres;
  const int y0 = (int)(band * rows / bands), y1 = (int)((band + 1) * rows / bands);
  const int half = y0 + (y1 - y0) / 2;
  float* img = img_content;
  int w = image_xres, h = image_yres, c = component;
  float k = (float)k0;
  bool usable = loaded_image_valid();
  for (int y = y0; y < y1 && usable && c >= 0 && c <= 2; y++) {
    if (y == half) {
      // The toolkit's events may open another file: the image, its size and the pass are
      // taken again, and rows the image no longer has are left out.
      do_wait();
      img = img_content, w = image_xres, h = image_yres;
      usable = loaded_image_valid();
      k = (float)k0;
      c = do_component;
      if (!usable || c < 0 || c > 2) break;
    }
    if (y >= h) break;
    smooth3_row(img, w, h, y, c, k);
  }
  // The restore pairs with the division on entry, whichever channel the toolkit's turn left.
  if (component == 2) k0 = (float)k_on_entry;
  return 0;
}
