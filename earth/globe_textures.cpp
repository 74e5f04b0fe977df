// The globe's embedded images and their samplers.
#include <cmath>

#include "data/blob.h"
#include "earth/constants.h"
#include "earth/globe.h"
#include "earth/globe_texture_sizes.h"

SUNCALC_BLOB(rgb_data);        // day texture, GLOBE_DAY_W x GLOBE_DAY_H RGB
SUNCALC_BLOB(rgb_data_small);  // its 4 x 4 reduction, GLOBE_SMALL_W x GLOBE_SMALL_H RGB
SUNCALC_BLOB(night);           // night lights, GLOBE_NIGHT_W x GLOBE_NIGHT_H bytes

namespace {


inline double unit(double f) { return f < 0 ? 0 : f > 1 ? 1 : f; }

}  // namespace

void globe_texture_sample(const unsigned char* pixels, int W, int H, int channels, float divisor,
                          double lon, double lat, float* out) {
  double x = (lon + PI) * W / (2 * PI), y = (PI / 2 - lat) * H / PI;
  // Positions far outside the map (a NaN included) are taken at its west edge or top row; the
  // pair and row rules below bring every other index inside.
  if (!(x > -W && x < 2.0 * W)) x = 0;
  if (!(y > -2.0 * H && y < 2.0 * H)) y = 0;
  int i = (int)x, j = (int)y;
  double fx = unit(x - i), fy = unit(y - j);
  // One step of W brings the column into the map; then the outermost columns, which the source
  // pictures leave unreliable at the seam, are never read: (1, 1) at the west edge, (W-2, 1)
  // across the seam, (W-2, W-2) at the east edge.
  if (i < 0) i += W;
  if (i > W - 1) i -= W;
  int i2 = i + 1 > W - 1 ? 0 : i + 1;
  if (i == W - 1) i = W - 2;
  if (i2 == W - 1) i2 = 1;
  if (i == 0) i = 1;
  if (i2 == 0) i2 = W - 2;
  int j1, j2;
  if (j < 0)
    j1 = 0, j2 = 1;
  else if (j <= H - 2)
    j1 = j, j2 = j + 1;
  else
    j1 = j2 = H - 1;
  const unsigned char* a = pixels + ((long)j1 * W + i) * channels;
  const unsigned char* b = pixels + ((long)j1 * W + i2) * channels;
  const unsigned char* c = pixels + ((long)j2 * W + i) * channels;
  const unsigned char* d = pixels + ((long)j2 * W + i2) * channels;
  for (int k = 0; k < channels; k++) {
    double top = a[k] * (1 - fx) + b[k] * fx, bottom = c[k] * (1 - fx) + d[k] * fx;
    out[k] = (float)((top * (1 - fy) + bottom * fy) / divisor);
  }
}

void globe_rgb_pape(double lon, double lat, float* r, float* g, float* b) {
  float v[3];
  globe_texture_sample(rgb_data, GLOBE_DAY_W, GLOBE_DAY_H, 3, 255.0f, lon, lat, v);
  *r = v[0], *g = v[1], *b = v[2];
}

void night_function(double lon, double lat, float* r, float* g, float* b) {
  float v;
  globe_texture_sample(night, GLOBE_NIGHT_W, GLOBE_NIGHT_H, 1, 256.0f, lon, lat, &v);
  *r = *g = *b = v;
}

void globe_rgb(double lon, double lat, float* r, float* g, float* b) {
  *r = *g = *b = 0.5f;
  const int W = GLOBE_SMALL_W, H = GLOBE_SMALL_H;
  double x = (lon - 0.005 + PI) * W / (2 * PI), y = (PI / 2 - (lat - 0.001)) * H / PI;
  if (!(x > -W && x < 2.0 * W) || !(y > -2.0 * H && y < 2.0 * H)) return;
  int i = (int)x, j = (int)y;
  double fx = unit(x - i), fy = unit(y - j);
  if (i < 0) i += W;
  if (i > W - 1) i -= W;
  // Across the seam column 510 is blended with column 1, with these weights for column 1.
  int c1 = i, c2 = i + 1;
  double w2 = fx;
  if (i == 510) {
    c2 = 1, w2 = fx / 3;
  } else if (i == 511) {
    c1 = 510, c2 = 1, w2 = 0.5 * fx + 0.25;
  } else if (i == 0) {
    c1 = 510, c2 = 1, w2 = fx / 3 + 2.0 / 3;
  }
  int j1, j2;
  if (j <= 1)
    j1 = 2, j2 = 3;
  else if (j <= 253)
    j1 = j, j2 = j + 1;
  else
    j1 = 253, j2 = 254;
  const unsigned char* t = rgb_data_small;
  float* out[3] = {r, g, b};
  for (int k = 0; k < 3; k++) {
    double top = t[(j1 * W + c1) * 3 + k] * (1 - w2) + t[(j1 * W + c2) * 3 + k] * w2;
    double bottom = t[(j2 * W + c1) * 3 + k] * (1 - w2) + t[(j2 * W + c2) * 3 + k] * w2;
    *out[k] = (float)((top * (1 - fy) + bottom * fy) / 255.0);
  }
}
