#include "earth/wgs84.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr double A = WGS84_A, B = WGS84_B, A2 = WGS84_A2, B2 = WGS84_B2;

}  // namespace

void geographic2normal(double lon, double lat, double* nx, double* ny, double* nz) {
  *nx = std::cos(lon) * std::cos(lat);
  *ny = std::sin(lon) * std::cos(lat);
  *nz = std::sin(lat);
}

double geographic2surface(double lon, double lat, double* x, double* y, double* z) {
  double nx, ny, nz;
  geographic2normal(lon, lat, &nx, &ny, &nz);
  double e = std::sqrt((A * nx) * (A * nx) + (A * ny) * (A * ny) + (B * nz) * (B * nz));
  *x = A2 * nx / e;
  *y = A2 * ny / e;
  *z = B2 * nz / e;
  return *z;
}

void normal2wgs84(double nx, double ny, double nz, double h, double* x, double* y, double* z) {
  double g = std::sqrt((A * nx) * (A * nx) + (A * ny) * (A * ny) + (B * nz) * (B * nz));
  *x = nx * (A2 / g + h);
  *y = ny * (A2 / g + h);
  *z = nz * (B2 / g + h);
}

double get_normal_s(double x, double y, double z, double* nx, double* ny, double* nz) {
  double a = x / A2, b = y / A2, c = z / B2;
  double d = std::sqrt(a * a + b * b + c * c);
  *nx = a / d;
  *ny = b / d;
  *nz = c / d;
  return *nz;
}

void wgs84_to_geographic0(double x, double y, double z, double* lon, double* lat) {
  double a = x / A2, b = y / A2, c = z / B2;
  double d = std::sqrt(a * a + b * b + c * c);
  // On the axis every meridian passes; 0/0 would give no longitude at all.
  *lon = a == 0 && b == 0 ? 0 : std::atan(b / a);
  *lat = std::asin(c / d);
}

void wgs84_to_geocentric(double x, double y, double z, double* gx, double* gy, double* gz) {
  double g = std::sqrt((x / A) * (x / A) + (y / A) * (y / A) + (z / B) * (z / B));
  *gx = x / g;
  *gy = y / g;
  *gz = z / g;
}

void wgs84_to_geographic(double x, double y, double z, double* fx, double* fy, double* fz) {
  // The foot point F satisfies P = F + t (Fx/A^2, Fy/A^2, Fz/B^2), so F = (x/p, y/p, z/q) with
  // p = 1 + t/A^2, q = 1 + t/B^2, and t is the root of |F|_ellipsoid^2 - 1. The geocentric point
  // lies close to F, and its distance from P starts the search.
  double g = std::sqrt((x / A) * (x / A) + (y / A) * (y / A) + (z / B) * (z / B));
  *fx = x / g;
  *fy = y / g;
  *fz = z / g;
  double m = std::sqrt(x * x + y * y + z * z);
  double t = (1 - 1 / g) * m;
  for (int step = 0; step < 10; step++) {
    double p = t / A2 + 1, q = t / B2 + 1;
    double u = x / A / p, v = y / A / p, w = z / B / q;
    double r = u * u + v * v + w * w - 1;
    printf("%d: %e\n", step, r);
    if (std::fabs(r) < 1e-14) break;
    double D = -2 * (x * x / (WGS84_A4 * p * p * p) + y * y / (WGS84_A4 * p * p * p) +
                     z * z / (WGS84_B4 * q * q * q));
    if (std::fabs(D) < 1e-14) break;
    t -= r / D;
    p = t / A2 + 1;
    q = t / B2 + 1;
    *fx = x / p;
    *fy = y / p;
    *fz = z / q;
  }
}
