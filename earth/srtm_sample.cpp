// The samplers of the terrain tile's height copy.
#include <cmath>

#include "earth/interp.h"
#include "earth/srtm.h"
#include "view/colour.h"

namespace {

// One-degree tiles of N intervals a degree, N + 1 samples a side with both edges included.
double one_degree(double lat, double lon, int south, int west, const int16_t* g, int N) {
  if (!std::isfinite(lat) || !std::isfinite(lon)) return NAN;
  if (west < 0) west += 360;
  double y = limit((1 - (lat - south)) * N, 0, N);  // rows from the north edge
  double x = limit((lon - west) * N, 0, N);
  return bilinear(g, N + 1, N + 1, x, y);
}

}  // namespace

double srtm3(double lat, double lon, int south, int west, const int16_t* grid) {
  return one_degree(lat, lon, south, west, grid, 1200);
}

double srtm1(double lat, double lon, int south, int west, const int16_t* grid) {
  return one_degree(lat, lon, south, west, grid, 3600);
}

double srtm30(double lat, double lon, int south, int west, const int16_t* grid) {
  if (!std::isfinite(lat) || !std::isfinite(lon)) return NAN;
  if (west < 0) west += 360;
  if (west > 330 && lon < 30) lon += 360;  // a tile across 0 E
  double y = n_rows * (1 - (lat - south) / 50);
  double x = n_cols * (lon - west) / 40;
  if (n_cols < 1 || n_rows < 1 || y < 0 || x < 0 || y > n_rows || x > n_cols) return 1000;
  // The grid has no closing edge sample: the last row and column stand for the strip beyond them.
  return bilinear(grid, n_cols, n_rows, limit(x, 0, n_cols - 1), limit(y, 0, n_rows - 1));
}

double elevation_extern(double lon, double lat) {
  if (!srtm_tile_usable()) return NAN;
  if (is_srtm1) return srtm1(lat, lon, theta_ext, phi_ext, height_hgt);
  if (is_srtm30) return srtm30(lat, lon, theta_ext, phi_ext, height_hgt);
  return srtm3(lat, lon, theta_ext, phi_ext, height_hgt);
}

void height2rgb(float h, float* r, float* g, float* b) {
  float hue = (float)(0.001 * h), saturation = (float)(0.001 * h);
  float value = (float)(0.0001 * h + 0.5);
  hsv2rgb(hue, saturation, value, r, g, b);
}
