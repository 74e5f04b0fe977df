// The coarse grids of 10, 15, 20 and 30 degrees, for the globe's geometry test tool. Row k lies
// at latitude -90 + step (k + 1), column j at longitude step j; the poles close the grid.
#include <cmath>
#include <cstdio>

#include "earth/constants.h"
#include "earth/elevation.h"

namespace {

template <typename T>
double coarse(const T* grid, int step, int rows, bool print, double lon, double lat) {
  if (lat >= 1.5704821675295375) return height_north_pole;
  if (lat <= -1.5704821675295375) return height_south_pole;
  if (!std::isfinite(lon) || !std::isfinite(lat)) return NAN;
  const int cols = 360 / step;
  lon = std::fmod(lon * DEG_PER_RAD, 360.0);
  if (lon < 0) lon += 360;
  lat *= DEG_PER_RAD;
  double y = (lat + 90) / step;
  int c = (int)y;
  if (c < 0) c = 0;
  if (c > rows) c = rows;
  double x = lon / step;
  int j = (int)x;
  if (j >= cols) j = cols - 1;  // a longitude that rounded up to 360
  double fx = x - j;
  int j2 = j + 1 < cols ? j + 1 : 0;
  if (print) printf("th0,th1=%d,%d\n", c, c + 1);
  double lower = c == 0 ? height_south_pole
                        : grid[(c - 1) * cols + j] * (1 - fx) + grid[(c - 1) * cols + j2] * fx;
  double upper =
      c == rows ? height_north_pole : grid[c * cols + j] * (1 - fx) + grid[c * cols + j2] * fx;
  double fy = y - c;
  return (1 - fy) * lower + fy * upper;
}

}  // namespace

double geographic2altitude_10(double lon, double lat) {
  return coarse(elevation_data->grid10, 10, 17, false, lon, lat);
}
double geographic2altitude_15(double lon, double lat) {
  return coarse(elevation_data->grid15, 15, 11, false, lon, lat);
}
double geographic2altitude_20(double lon, double lat) {
  return coarse(elevation_data->grid20, 20, 9, true, lon, lat);
}
double geographic2altitude_30(double lon, double lat) {
  return coarse(elevation_data->grid30, 30, 5, true, lon, lat);
}
