// The generated SG2 tables against their sources: the Delta T polynomials, PyEphem's Earth
// (an independent planetary theory) and ERFA's full IAU 1980 nutation.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>

#include "earth/sg2_tables.h"
#include "sun_reference.h"

namespace {

const double kArcsec = M_PI / 648000.0;

template <typename T, size_t N>
bool blob_matches(const T (&table)[N], const unsigned char* end) {
  return reinterpret_cast<const unsigned char*>(table) + sizeof table == end;
}

TEST(Sg2Tables, LinkedBlobsHaveTheDeclaredSizes) {
  EXPECT_TRUE(blob_matches(SG2_precomputed_delta_tt, SG2_precomputed_delta_tt_end));
  EXPECT_TRUE(blob_matches(SG2_precomputed_heliocentric_R, SG2_precomputed_heliocentric_R_end));
  EXPECT_TRUE(blob_matches(SG2_precomputed_heliocentric_L, SG2_precomputed_heliocentric_L_end));
  EXPECT_TRUE(blob_matches(SG2_precomputed_geocentric_Delta_psi, SG2_precomputed_geocentric_Delta_psi_end));
  EXPECT_TRUE(blob_matches(SG2_precomputed_geocentric_epsilon, SG2_precomputed_geocentric_epsilon_end));
  // The daily range ends on 2031-01-31, the 30-day range on 2031-01-03.
  double m0, last, nut_last;
  eraCal2jd(2031, 1, 31, &m0, &last);
  eraCal2jd(2031, 1, 3, &m0, &nut_last);
  EXPECT_EQ(SG2_TABLE_JD0 + (SG2_COUNT(SG2_precomputed_delta_tt) - 1), m0 + last);
  EXPECT_EQ(SG2_TABLE_JD0 + (SG2_COUNT(SG2_precomputed_geocentric_epsilon) - 1) * SG2_NUTATION_STEP, m0 + nut_last);
}

// Espenak and Meeus, NASA/TP-2006-214141: Delta T for a decimal year in 1961..2050.
double espenak_meeus(double y) {
  if (y < 1986) {
    double t = y - 1975;
    return 45.45 + 1.067 * t - std::pow(t, 2) / 260 - std::pow(t, 3) / 718;
  }
  if (y < 2005) {
    double t = y - 2000;
    return 63.86 + 0.3345 * t - 0.060374 * std::pow(t, 2) + 0.0017275 * std::pow(t, 3) +
           0.000651814 * std::pow(t, 4) + 0.00002373599 * std::pow(t, 5);
  }
  double t = y - 2000;
  return 62.92 + 0.32217 * t + 0.005589 * std::pow(t, 2);
}

// Every day carries its calendar month's value, taken at mid-month; it steps on the 1st only.
// Against the measured Earth rotation (TT - UTC from ERFA's leap seconds, |UT1 - UTC| < 0.9 s)
// the polynomials stay within 2.5 s up to 2016.
TEST(Sg2Tables, DeltaTByCalendarMonth) {
  int months = 0;
  for (int i = 0; i < SG2_DAILY_COUNT; i++) {
    int y, m, d;
    double fd;
    ASSERT_EQ(eraJd2cal(SG2_TABLE_JD0, i, &y, &m, &d, &fd), 0);
    float v = SG2_precomputed_delta_tt[i];
    ASSERT_NEAR(v, espenak_meeus(y + (m - 0.5) / 12.0), 1e-4) << y << "-" << m << "-" << d;
    if (i > 0) {
      if (d == 1) {
        EXPECT_NE(v, SG2_precomputed_delta_tt[i - 1]) << y << "-" << m;
        months++;
      } else {
        ASSERT_EQ(v, SG2_precomputed_delta_tt[i - 1]) << y << "-" << m << "-" << d;
      }
    }
    if (y < 2017 && d == 15) {
      double tai_utc;
      ASSERT_EQ(eraDat(y, m, d, 0.0, &tai_utc), 0);
      EXPECT_NEAR(v, 32.184 + tai_utc, 2.5) << y << "-" << m;
    }
  }
  EXPECT_EQ(months, 613);  // December 1979 to January 2031
}

// R and L at 0 h TT against PyEphem's heliocentric Earth (VSOP87), which takes UT: the script
// shifts each day by its own Delta T. L is unwrapped, starts in 0..2 pi and grows steadily.
TEST(Sg2Tables, HeliocentricAgainstPyEphem) {
  auto rows = sun_reference("earth 7");
  ASSERT_GT(rows.size(), 2600u);
  double worst_l = 0, worst_r = 0;
  for (const auto& r : rows) {
    ASSERT_EQ(r.size(), 4u);
    int day = static_cast<int>(r[0]);
    double l = SG2_precomputed_heliocentric_L[day];
    worst_l = std::fmax(worst_l, std::fabs(std::remainder(l - r[1], 2 * M_PI)));
    worst_r = std::fmax(worst_r, std::fabs(SG2_precomputed_heliocentric_R[day] - r[2]));
  }
  EXPECT_LT(worst_l, 1.0 * kArcsec);
  EXPECT_LT(worst_r, 1e-6);

  EXPECT_GE(SG2_precomputed_heliocentric_L[0], 0.0);
  EXPECT_LT(SG2_precomputed_heliocentric_L[0], 2 * M_PI);
  for (int i = 1; i < SG2_DAILY_COUNT; i++) {
    double step = SG2_precomputed_heliocentric_L[i] - SG2_precomputed_heliocentric_L[i - 1];
    ASSERT_GT(step, 0.01663) << i;
    ASSERT_LT(step, 0.01781) << i;
  }
}

// Least-squares fit of y = c0 + c1 sin x + c2 cos x + c3 sin 2x + c4 cos 2x.
void fit_nodal(const std::vector<double>& x, const std::vector<double>& y, double c[5]) {
  double a[5][6] = {};
  for (size_t k = 0; k < x.size(); k++) {
    double b[5] = {1, std::sin(x[k]), std::cos(x[k]), std::sin(2 * x[k]), std::cos(2 * x[k])};
    for (int i = 0; i < 5; i++) {
      for (int j = 0; j < 5; j++) a[i][j] += b[i] * b[j];
      a[i][5] += b[i] * y[k];
    }
  }
  for (int i = 0; i < 5; i++)
    for (int r = i + 1; r < 5; r++) {
      double f = a[r][i] / a[i][i];
      for (int j = i; j < 6; j++) a[r][j] -= f * a[i][j];
    }
  for (int i = 4; i >= 0; i--) {
    double s = a[i][5];
    for (int j = i + 1; j < 5; j++) s -= a[i][j] * c[j];
    c[i] = s / a[i][i];
  }
}

// The nutation tables hold the long-period (nodal) part of IAU 1980: against ERFA's full series
// the difference is bounded by the terms left out and has no 18.6- or 9.3-year part or offset
// left, and |Delta psi| stays within the range the tables are meant to cover.
TEST(Sg2Tables, NutationIsTheNodalPartOfIau1980) {
  std::vector<double> node, rpsi, reps;
  for (int k = 0; k < SG2_NUTATION_COUNT; k++) {
    double jd = SG2_TABLE_JD0 + k * SG2_NUTATION_STEP;
    double dpsi, deps;
    eraNut80(jd, 0.0, &dpsi, &deps);
    double psi = SG2_precomputed_geocentric_Delta_psi[k];
    double eps = SG2_precomputed_geocentric_epsilon[k];
    EXPECT_LE(std::fabs(psi), 8.35e-5) << k;
    EXPECT_NEAR(psi, dpsi, 2.1 * kArcsec) << k;
    EXPECT_NEAR(eps, eraObl80(jd, 0.0) + deps, 0.8 * kArcsec) << k;
    double t = (jd - 2451545.0) / 36525.0;
    // Longitude of the Moon's ascending node (Meeus, Astronomical Algorithms, 22).
    double om = (125.04452 - 1934.136261 * t + 0.0020708 * t * t + t * t * t / 450000.0) * M_PI / 180.0;
    node.push_back(om);
    rpsi.push_back(dpsi - psi);
    reps.push_back(eraObl80(jd, 0.0) + deps - eps);
  }
  double c[5];
  fit_nodal(node, rpsi, c);
  for (int i = 0; i < 5; i++) EXPECT_LT(std::fabs(c[i]), 0.02 * kArcsec) << "Delta psi residual term " << i;
  fit_nodal(node, reps, c);
  for (int i = 0; i < 5; i++) EXPECT_LT(std::fabs(c[i]), 0.02 * kArcsec) << "epsilon residual term " << i;
}

}  // namespace
