// Writes the five SG2 tables (layout in earth/sg2_tables.h) as raw little-endian arrays.
//
// Sources, all evaluated here, nothing read from files:
// - Delta T: the polynomials of Espenak and Meeus ("Five Millennium Canon of Solar Eclipses",
//   NASA/TP-2006-214141, section on Delta T), for the ranges 1961-1986, 1986-2005 and 2005-2050,
//   evaluated at the middle of each calendar month (y = year + (month - 0.5) / 12). Every day of a
//   month carries its month's value, so the table steps on the 1st.
// - R and L: ERFA eraEpv00 (the Earth's heliocentric position, a fit to VSOP2000A), rotated into
//   the mean ecliptic and equinox of date by eraEcm06 (IAU 2006 precession with the frame bias).
//   L is unwrapped: one turn is added each time atan2 wraps, so it grows by a turn a year and a
//   linear interpolation between two days never crosses a seam.
// - Delta psi and epsilon: the long-period terms of the IAU 1980 theory of nutation (P. K.
//   Seidelmann, Celest. Mech. 27, 79, 1982; Explanatory Supplement to the Astronomical Almanac,
//   1992, table 3.222.1), those with periods beyond five years, with the IAU 1980 fundamental
//   arguments; epsilon is the IAU 1980 mean obliquity (eraObl80) plus the nutation in obliquity.
//   The table holds one entry every 30 days, read at the nearest entry without interpolation, so
//   it carries the slow nodal part only; the terms left out sum to under 2.1" in longitude
//   and 0.8" in obliquity, about 0.0006 degrees of solar position.
// Every date is TT, except the Delta T table, which is indexed by the UT day.
//
// The values are checked before anything is written: the table length against the calendar
// range, the daily growth of L, the range of R and the size of the nutation.
//
// usage: gen_sg2 <delta_tt.bin> <R.bin> <L.bin> <delta_psi.bin> <epsilon.bin>
#include <erfa.h>

#include <cmath>
#include <cstdio>
#include <vector>

#include "earth/sg2_tables.h"
#include "tools/gen_file_io.h"

namespace {

const double kArcsec = M_PI / (180.0 * 3600.0);
const double kTurnArcsec = 1296000.0;

// Espenak-Meeus Delta T in seconds for a decimal year y inside 1961..2050.
double delta_t_polynomial(double y) {
  if (y < 1986.0) {
    double t = y - 1975.0;
    return 45.45 + 1.067 * t - t * t / 260.0 - t * t * t / 718.0;
  }
  if (y < 2005.0) {
    double t = y - 2000.0;
    return 63.86 + t * (0.3345 + t * (-0.060374 + t * (0.0017275 + t * (0.000651814 + t * 0.00002373599))));
  }
  double t = y - 2000.0;
  return 62.92 + 0.32217 * t + 0.005589 * t * t;
}

// One term of the IAU 1980 series: multipliers of l, l', F, D, Omega; coefficients in 0.0001".
struct NutationTerm {
  int nl, nlp, nf, nd, nom;
  double sp, spt, ce, cet;  // psi: sp + spt T; epsilon: ce + cet T (T in Julian centuries)
};

// The terms of the IAU 1980 series whose periods exceed five years: the 18.6-year term of the
// Moon's node, its 9.3-year harmonic and two small terms of 8.9 and 18.6 years, in the series'
// order. They alone keep |Delta psi| within 8.35e-5 rad; the semi-annual term (1.32") would take
// it to 9.0e-5.
const NutationTerm kLongPeriod[] = {
    {0, 0, 0, 0, 1, -171996.0, -174.2, 92025.0, 8.9},  // 6798.4 d
    {0, 0, 0, 0, 2, 2062.0, 0.2, -895.0, 0.5},         // 3399.2 d
    {1, -1, 0, -1, 0, -3.0, 0.0, 0.0, 0.0},            // 3232.9 d
    {0, -2, 2, -2, 1, -2.0, 0.0, 1.0, 0.0},            // 6786.3 d
};

// Long-period nutation in longitude and obliquity (radians) at a TT Julian date.
void nutation_long_period(double jd_tt, double* dpsi, double* deps) {
  double t = (jd_tt - 2451545.0) / 36525.0;
  // IAU 1980 fundamental arguments, arc seconds: the Moon's and the Sun's mean anomalies, the
  // Moon's argument of latitude, its mean elongation and the longitude of its ascending node.
  double l = 485866.733 + (715922.633 + (31.310 + 0.064 * t) * t) * t + std::fmod(1325.0 * t, 1.0) * kTurnArcsec;
  double lp = 1287099.804 + (1292581.224 + (-0.577 - 0.012 * t) * t) * t + std::fmod(99.0 * t, 1.0) * kTurnArcsec;
  double f = 335778.877 + (295263.137 + (-13.257 + 0.011 * t) * t) * t + std::fmod(1342.0 * t, 1.0) * kTurnArcsec;
  double d = 1072261.307 + (1105601.328 + (-6.891 + 0.019 * t) * t) * t + std::fmod(1236.0 * t, 1.0) * kTurnArcsec;
  double om = 450160.280 + (-482890.539 + (7.455 + 0.008 * t) * t) * t - std::fmod(5.0 * t, 1.0) * kTurnArcsec;
  double sp = 0.0, se = 0.0;
  for (const NutationTerm& k : kLongPeriod) {
    double arg = (k.nl * l + k.nlp * lp + k.nf * f + k.nd * d + k.nom * om) * kArcsec;
    sp += (k.sp + k.spt * t) * std::sin(arg);
    se += (k.ce + k.cet * t) * std::cos(arg);
  }
  *dpsi = sp * 1e-4 * kArcsec;
  *deps = se * 1e-4 * kArcsec;
}

// Heliocentric distance (au) and ecliptic longitude of date (radians, in -pi..pi) of the Earth.
void earth_heliocentric(double jd_tt, double* r, double* lon) {
  double pvh[2][3], pvb[2][3], rm[3][3], e[3];
  eraEpv00(jd_tt, 0.0, pvh, pvb);
  eraEcm06(jd_tt, 0.0, rm);
  eraRxp(rm, pvh[0], e);
  *r = eraPm(pvh[0]);
  *lon = std::atan2(e[1], e[0]);
}

int fail(const char* what, int index, double value) {
  fprintf(stderr, "gen_sg2: %s at entry %d (%.17g)\n", what, index, value);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    fprintf(stderr, "usage: gen_sg2 <delta_tt.bin> <R.bin> <L.bin> <delta_psi.bin> <epsilon.bin>\n");
    return 2;
  }

  // The daily range is fixed by its calendar dates; the layout header must agree with them.
  double mjd0, first, last, nut_last;
  if (eraCal2jd(1979, 12, 2, &mjd0, &first) || eraCal2jd(2031, 1, 31, &mjd0, &last) ||
      eraCal2jd(2031, 1, 3, &mjd0, &nut_last)) {
    fprintf(stderr, "gen_sg2: calendar conversion failed\n");
    return 1;
  }
  if (mjd0 + first != SG2_TABLE_JD0 || static_cast<int>(last - first) + 1 != SG2_DAILY_COUNT ||
      static_cast<int>(nut_last - first) != (SG2_NUTATION_COUNT - 1) * SG2_NUTATION_STEP) {
    fprintf(stderr, "gen_sg2: the layout of earth/sg2_tables.h does not match its dates\n");
    return 1;
  }

  std::vector<float> delta_tt(SG2_DAILY_COUNT), radius(SG2_DAILY_COUNT);
  std::vector<double> lon(SG2_DAILY_COUNT), dpsi(SG2_NUTATION_COUNT), eps(SG2_NUTATION_COUNT);

  for (int i = 0; i < SG2_DAILY_COUNT; i++) {
    int y, m, d;
    double fd;
    if (eraJd2cal(SG2_TABLE_JD0, i, &y, &m, &d, &fd)) return fail("calendar date", i, 0);
    delta_tt[i] = static_cast<float>(delta_t_polynomial(y + (m - 0.5) / 12.0));
  }

  double turns = 0.0, previous = 0.0;
  for (int i = 0; i < SG2_DAILY_COUNT; i++) {
    double r, l;
    earth_heliocentric(SG2_TABLE_JD0 + i, &r, &l);
    if (l < 0) l += 2 * M_PI;  // day 0 starts in 0..2 pi
    if (i > 0 && l + turns < previous) turns += 2 * M_PI;
    lon[i] = l + turns;
    radius[i] = static_cast<float>(r);
    if (i > 0) {
      double step = lon[i] - previous;
      if (step < 0.0166 || step > 0.0179) return fail("daily step of L out of 0.0166..0.0179", i, step);
    }
    if (r < 0.983 || r > 1.017) return fail("R out of 0.983..1.017", i, r);
    previous = lon[i];
  }

  for (int k = 0; k < SG2_NUTATION_COUNT; k++) {
    double jd = SG2_TABLE_JD0 + static_cast<double>(k) * SG2_NUTATION_STEP;
    double de;
    nutation_long_period(jd, &dpsi[k], &de);
    eps[k] = eraObl80(jd, 0.0) + de;
    // The full series differs from the kept terms by the terms left out only.
    double full_psi, full_eps;
    eraNut80(jd, 0.0, &full_psi, &full_eps);
    if (std::fabs(dpsi[k] - full_psi) > 1.1e-5) return fail("Delta psi far from the full series", k, dpsi[k]);
    if (std::fabs(de - full_eps) > 4.5e-6) return fail("Delta epsilon far from the full series", k, de);
    if (std::fabs(dpsi[k]) > 8.35e-5) return fail("Delta psi beyond 8.35e-5", k, dpsi[k]);
  }

  if (!write_file_atomic(argv[1], delta_tt.data(), delta_tt.size() * sizeof(float)) ||
      !write_file_atomic(argv[2], radius.data(), radius.size() * sizeof(float)) ||
      !write_file_atomic(argv[3], lon.data(), lon.size() * sizeof(double)) ||
      !write_file_atomic(argv[4], dpsi.data(), dpsi.size() * sizeof(double)) ||
      !write_file_atomic(argv[5], eps.data(), eps.size() * sizeof(double)))
    return 1;
  return 0;
}
