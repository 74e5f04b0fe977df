// The clamp and the bilinear mix the height samplers share. Tests compare heights exactly, so
// every sampler must do the same arithmetic in the same order: keep it in this one place.
#pragma once
#include <cstdint>

inline double limit(double v, double lo, double hi) { return v < lo ? lo : v > hi ? hi : v; }

// The mix of the four samples around a point at fractions fx, fy: a, b on the first row, c, d on
// the next.
inline double mix(double a, double b, double c, double d, double fx, double fy) {
  return (1 - fy) * (a * (1 - fx) + b * fx) + fy * (c * (1 - fx) + d * fx);
}

// Bilinear mix over a row-major table of cols x rows at (x, y), already limited to 0..cols-1 and
// 0..rows-1; the last row and column stand in for their missing neighbours.
template <typename T>
inline double bilinear(const T* t, int cols, int rows, double x, double y) {
  int i = (int)x, j = (int)y;
  int i2 = i + 1 < cols ? i + 1 : cols - 1;
  int j2 = j + 1 < rows ? j + 1 : rows - 1;
  const T* r1 = t + (int64_t)j * cols;
  const T* r2 = t + (int64_t)j2 * cols;
  return mix(r1[i], r1[i2], r2[i], r2[i2], x - i, y - j);
}
