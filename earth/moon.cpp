// The Moon's position from mean orbital elements, a Kepler equation and its twelve largest
// perturbations in longitude and five in latitude (the low-precision method of the widely
// published tutorial "How to compute planetary positions").
#include "earth/moon.h"

#include <cmath>

#include "earth/constants.h"

// Short names keep the series below readable.
const double d2r = RAD_PER_DEG, r2d = DEG_PER_RAD;

double rev(double x) {
  double r = x - std::floor(x / 360.0) * 360.0;
  return r < 360.0 ? r : 0.0;  // a tiny negative x rounds to 360 itself
}
double sind(double x) { return std::sin(x * d2r); }
double cosd(double x) { return std::cos(x * d2r); }

void compute_moon(int test, int reserved, double JD, double longitude, double latitude, double* azimuth,
                  double* altitude, double* phase, double reserved2, double reserved3) {
  // Days from 1999-12-31 0 h UT and the hours of the day; for a negative d the hours are
  // negative too, which differs from counting from the previous midnight by whole days only.
  double d = JD - 2451543.5;
  double ut = 24.0 * (d - std::trunc(d));
  if (test) {
    d = -3543.0;  // 1990-04-19 0 h UT
    ut = 0.0;
    longitude = 15.0;
    latitude = 60.0;
  }

  // The Sun.
  double ms = rev(356.047 + 0.9856002585 * d);
  double ws = 282.9404 + 4.70935e-5 * d;
  double ls = rev(ws + ms);
  double ecl = 23.4393 - 3.563e-7 * d;
  double lst = (180.0 + ls) / 15.0 + ut + longitude / 15.0;  // local sidereal time, hours

  // The Moon's elements.
  double n = 125.1228 - 0.0529538083 * d;
  const double incl = 5.145396;
  double w = rev(318.0634 + 0.1643573223 * d);
  const double a = 60.2666, e = 0.0549;
  double m = rev(115.3654 + 13.0649929509 * d);

  // Eccentric anomaly: a start value and two Newton steps.
  double ea = m + r2d * e * std::sin(m * d2r) * (1.0 + e * std::cos(m * d2r));
  for (int i = 0; i < 2; i++)
    ea = ea - (ea - r2d * e * std::sin(ea * d2r) - m) / (1.0 - e * std::cos(ea * d2r));

  // True anomaly in the orbit, then ecliptic longitude and latitude.
  double x = a * (std::cos(ea * d2r) - e);
  double y = 60.175709394486006 * std::sin(ea * d2r);  // a sqrt(1 - e^2)
  double v = std::atan2(y, x) * r2d;
  double u = v + w;
  double cos_n = std::cos(n * d2r), sin_n = std::sin(n * d2r);
  double cos_u = std::cos(u * d2r), sin_u = std::sin(u * d2r);
  double cos_i = std::cos(incl * d2r), sin_i = std::sin(incl * d2r);
  double lon = rev(std::atan2(cos_u * sin_n + cos_n * sin_u * cos_i, cos_n * cos_u - sin_n * sin_u * cos_i) * r2d);
  double lat = std::asin(sin_u * sin_i) * r2d;

  // Perturbations.
  double lm = rev(w + n + m);  // the Moon's mean longitude
  double dd = lm - ls;         // mean elongation
  double f = lm - n;           // argument of latitude
  lon += -1.274 * std::sin((m - 2 * dd) * d2r) + 0.658 * std::sin(2 * dd * d2r) - 0.186 * std::sin(ms * d2r) -
         0.059 * std::sin((2 * m - 2 * dd) * d2r) - 0.057 * std::sin((m - 2 * dd + ms) * d2r) +
         0.053 * std::sin((m + 2 * dd) * d2r) + 0.046 * std::sin((2 * dd - ms) * d2r) +
         0.041 * std::sin((m - ms) * d2r) - 0.035 * std::sin(dd * d2r) - 0.031 * std::sin((m + ms) * d2r) -
         0.015 * std::sin((2 * f - 2 * dd) * d2r) + 0.011 * std::sin((m - 4 * dd) * d2r);
  lat += -0.173 * std::sin((f - 2 * dd) * d2r) - 0.055 * std::sin((m - f - 2 * dd) * d2r) -
         0.046 * std::sin((m + f - 2 * dd) * d2r) + 0.033 * std::sin((f + 2 * dd) * d2r) +
         0.017 * std::sin((2 * m + f) * d2r);

  // Equatorial position.
  double cos_lon = std::cos(lon * d2r), sin_lon = std::sin(lon * d2r);
  double cos_lat = std::cos(lat * d2r), sin_lat = std::sin(lat * d2r);
  double cos_ecl = std::cos(ecl * d2r), sin_ecl = std::sin(ecl * d2r);
  double ra = rev(std::atan2(sin_lon * cos_lat * cos_ecl - sin_lat * sin_ecl, cos_lon * cos_lat) * r2d);
  double dec = std::asin(sin_lon * cos_lat * sin_ecl + sin_lat * cos_ecl) * r2d;

  // 180 degrees minus the hour angle goes into the horizontal formulas: at the North Pole this
  // gives the sub-lunar point, elsewhere not the true azimuth and altitude.
  double hh = 180.0 - 15.0 * (lst - ra / 15.0);
  double cos_h = std::cos(hh * d2r), sin_h = std::sin(hh * d2r);
  double cos_d = std::cos(dec * d2r), sin_d = std::sin(dec * d2r);
  double cos_p = std::cos(latitude * d2r), sin_p = std::sin(latitude * d2r);
  *azimuth = rev(std::atan2(cos_d * sin_h, cos_h * cos_d * sin_p - sin_d * cos_p) * r2d + 180.0);
  *altitude = std::asin(cos_h * cos_d * cos_p + sin_p * sin_d) * r2d;
  *phase = 0.0;
}
