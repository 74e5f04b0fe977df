#include "earth/globe_tools.h"

#include <cmath>
#include <cstdio>

#include "earth/constants.h"
#include "earth/elevation.h"
#include "earth/globe.h"
#include "earth/globe_shade.h"
#include "earth/wgs84.h"
#include "view/colour.h"

double fast_atan(double x) {
  if (x > 1) return GLOBE_HALF_PI;
  // The curve below only fits -1..1; on the negative side it would rise again.
  if (x < -1) return -GLOBE_HALF_PI;
  return 0.7853981633974485 * x - (std::fabs(x) - 1) * x * (0.0663 * std::fabs(x) + 0.2447);
}

int test_globe() {
  const double lon = 0.122173047639601, lat = 0.820304748437321;  // 7 E, 47 N
  printf("altitude30 (7,47) = %f\n", geographic2altitude_30(lon, lat));
  printf("altitude20 (7,47) = %f\n", geographic2altitude_20(lon, lat));
  printf("altitude15 (7,47) = %f\n", geographic2altitude_15(lon, lat));
  printf("altitude10 (7,47) = %f\n", geographic2altitude_10(lon, lat));
  double h = geographic2altitude(lon, lat);
  printf("altitude (7,47) = %f\n", h);

  double sx, sy, sz;
  geographic2surface(lon, lat, &sx, &sy, &sz);
  printf("surface point: %f %f %f\n", sx, sy, sz);

  double nx, ny, nz, px, py, pz;
  geographic2normal(lon, lat, &nx, &ny, &nz);
  normal2wgs84(nx, ny, nz, h, &px, &py, &pz);
  printf("space point: %f %f %f\n", px, py, pz);

  double gx, gy, gz;
  wgs84_to_geocentric(px, py, pz, &gx, &gy, &gz);
  printf("delta (geocentric): %f %f %f\n", gx - sx, gy - sy, gz - sz);

  double ph, th;
  wgs84_to_geographic0(sx, sy, sz, &ph, &th);
  printf("ph=%f th=%f\n", ph * DEG_PER_RAD, th * DEG_PER_RAD);

  double fx, fy, fz;
  wgs84_to_geographic(px, py, pz, &fx, &fy, &fz);
  return printf("delta (geographic): %e %e %e\n", fx - sx, fy - sy, fz - sz);
}

double compute_merit() {
  double sum = 0;
  for (int i = 0; i < 300; i++) {
    double lat = (i * 180.0 / 300 - 90) * GLOBE_RAD_PER_DEG;
    globe_row row;
    globe_row_at(lat, &row);
    for (int j = 0; j < 600; j++) {
      double lon = j * 360.0 / 600 * GLOBE_RAD_PER_DEG;
      float hue, sat, val;
      globe_base_hsv(row, geographic2altitude(lon, lat), &hue, &sat, &val);
      float r, g, b, th, ts, tv;
      globe_rgb_pape(lon, lat, &r, &g, &b);
      rgb2hsv(r, g, b, &th, &ts, &tv);
      double dv = val - tv, ds = sat - ts, dh = hue - th;
      sum += dv * dv + ds * ds + dh * dh;
    }
  }
  return sum / 540000;
}

double (*opt_merit_function)() = compute_merit;

void opt_merit() {
  const int n = 28;
  double best[n];
  for (int k = 0; k < n; k++) best[k] = opti[k];
  double best_merit = opt_merit_function();
  double step = 0.01;
  for (int pass = 0; pass < 40; pass++) {
    int improved = 0;
    for (int k = 0; k < n; k++) {
      opti[k] = best[k] + step;
      double m = opt_merit_function();
      if (!(m < best_merit)) {
        opti[k] = best[k] - step;
        m = opt_merit_function();
      }
      if (m < best_merit) {
        best[k] = opti[k];
        best_merit = m;
        improved++;
      } else {
        opti[k] = best[k];
      }
    }
    printf("%d: %f\n", pass, best_merit);
    if (improved == 0) step *= 0.6;
  }
  printf("lambda=%f\n", step);
  for (int k = 0; k < n; k++) printf("%d: %f\n", k, best[k]);
}
