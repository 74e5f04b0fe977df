// The SG2 chain: its error boundaries, calendar conversions and geocentric results.
#include <erfa.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

#include "earth/sg2.h"
#include "earth/sg2_tables.h"
#include "sun_reference.h"

namespace {

const double kSentinel = -12345.678;
const int kErrSentinel = 777;

double wrap_pi(double a) { return std::remainder(a, 2 * M_PI); }

// The TT stage at its boundaries: the nearest UT day must lie inside the Delta T table.
TEST(Sg2Chain, TtDateBoundaries) {
  const double last_day = SG2_TABLE_JD0 + (SG2_DAILY_COUNT - 1);
  struct Case {
    const char* name;
    double jd_ut;
    int err;
  } cases[] = {
      {"half a day before day 0 takes entry 0", 2444209.0, kErrSentinel},
      {"just over half a day before", 2444208.9, SG2_ERR_DATE_DELTA_TT},
      {"a microday before the rounding edge", 2444208.999999, SG2_ERR_DATE_DELTA_TT},
      {"the last day", last_day, kErrSentinel},
      {"just under half past the last day", last_day + 0.4999, kErrSentinel},
      {"half past the last day rounds out", last_day + 0.5, SG2_ERR_DATE_DELTA_TT},
      {"NaN", NAN, SG2_ERR_DATE_DELTA_TT},
      {"huge", 1e300, SG2_ERR_DATE_DELTA_TT},
      {"hugely negative", -1e300, SG2_ERR_DATE_DELTA_TT},
  };
  for (const Case& c : cases) {
    tabjd jd = {c.jd_ut, 0, kSentinel};
    int err = kErrSentinel;
    SG2_date_set_tabjd_tt(nullptr, &jd, &err);
    EXPECT_EQ(err, c.err) << c.name;
    if (c.err == kErrSentinel) {
      EXPECT_EQ(jd.tt_set, 1) << c.name;
      int day = static_cast<int>(std::floor(c.jd_ut - SG2_TABLE_JD0 + 0.5));
      EXPECT_EQ(jd.jd_tt, c.jd_ut + SG2_precomputed_delta_tt[day] / 86400.0) << c.name;
    } else {
      EXPECT_EQ(jd.tt_set, 0) << c.name;
      EXPECT_EQ(jd.jd_tt, kSentinel) << c.name;
    }
  }
  // A given Delta T is used as it is, whatever the date.
  tabjd jd = {2400000.5, 0, kSentinel};
  double dt = 32.184;
  int err = kErrSentinel;
  SG2_date_set_tabjd_tt(&dt, &jd, &err);
  EXPECT_EQ(err, kErrSentinel);
  EXPECT_EQ(jd.tt_set, 1);
  EXPECT_DOUBLE_EQ(jd.jd_tt, 2400000.5 + 32.184 / 86400.0);
}

// The heliocentric and geocentric stages at their boundaries, each with its own error code
// preset to a sentinel, on records prefilled with sentinels.
TEST(Sg2Chain, StageBoundaries) {
  const double day0 = SG2_TABLE_JD0;
  const double nut_end = day0 + (SG2_NUTATION_COUNT - 0.5) * SG2_NUTATION_STEP;  // 2462884.5
  EXPECT_EQ(nut_end, 2462884.5);
  struct Case {
    const char* name;
    int tt_set;
    double jd_tt;
    int helioc_err, geoc_err;
  } cases[] = {
      {"TT not set", 0, day0 + 100, SG2_ERR_HELIOC_TT_NOT_SET, SG2_ERR_GEOC_TT_NOT_SET},
      {"day 0", 1, day0, kErrSentinel, kErrSentinel},
      {"just before day 0", 1, day0 - 1e-6, SG2_ERR_HELIOC_RANGE, kErrSentinel},
      {"half a step before day 0 rounds to entry 0", 1, day0 - 15.0, SG2_ERR_HELIOC_RANGE, kErrSentinel},
      {"past half a step before day 0", 1, day0 - 15.001, SG2_ERR_HELIOC_RANGE, SG2_ERR_GEOC_RANGE},
      {"just before the nutation end", 1, nut_end - 1e-6, kErrSentinel, kErrSentinel},
      {"the nutation end: daily tables still succeed", 1, nut_end, kErrSentinel, SG2_ERR_GEOC_RANGE},
      {"the last daily interval", 1, day0 + (SG2_DAILY_COUNT - 1) - 1e-6, kErrSentinel, SG2_ERR_GEOC_RANGE},
      {"the last daily entry has no successor", 1, day0 + (SG2_DAILY_COUNT - 1), SG2_ERR_HELIOC_RANGE,
       SG2_ERR_GEOC_RANGE},
      {"NaN", 1, NAN, SG2_ERR_HELIOC_RANGE, SG2_ERR_GEOC_RANGE},
      {"infinity", 1, INFINITY, SG2_ERR_HELIOC_RANGE, SG2_ERR_GEOC_RANGE},
  };
  for (const Case& c : cases) {
    tabjd jd = {c.jd_tt, static_cast<uint8_t>(c.tt_set), c.jd_tt};
    static const tabjd other_date = {};
    const tabjd* const stale = &other_date;
    helioc hc = {stale, kSentinel, kSentinel};
    int herr = kErrSentinel;
    SG2_heliocentric_set_helioc_data(&jd, &hc, &herr);
    EXPECT_EQ(herr, c.helioc_err) << c.name;
    if (c.helioc_err == kErrSentinel) {
      EXPECT_EQ(hc.jd, &jd) << c.name;
      EXPECT_GT(hc.R, 0.98) << c.name;
    } else {
      EXPECT_EQ(hc.R, kSentinel) << c.name;
      EXPECT_EQ(hc.L, kSentinel) << c.name;
      if (c.helioc_err == SG2_ERR_HELIOC_TT_NOT_SET) EXPECT_EQ(hc.jd, stale) << c.name;
    }

    helioc input = {&jd, 1.0, 1.0};
    geoc gc;
    gc.jd = stale;
    gc.helioc = nullptr;
    gc.Delta_psi = gc.epsilon = gc.Theta_a = gc.r_alpha = gc.delta = gc.nu = gc.EoT = kSentinel;
    int gerr = kErrSentinel;
    SG2_geocentric_set_geoc_data(&jd, &input, &gc, &gerr);
    EXPECT_EQ(gerr, c.geoc_err) << c.name;
    if (c.geoc_err == kErrSentinel) {
      EXPECT_EQ(gc.jd, &jd) << c.name;
      EXPECT_EQ(gc.helioc, &input) << c.name;
      EXPECT_NE(gc.delta, kSentinel) << c.name;
    } else {
      for (double v : {gc.Delta_psi, gc.epsilon, gc.Theta_a, gc.r_alpha, gc.delta, gc.nu, gc.EoT})
        EXPECT_EQ(v, kSentinel) << c.name;
      if (c.geoc_err == SG2_ERR_GEOC_TT_NOT_SET) EXPECT_EQ(gc.jd, stale) << c.name;
    }
  }
}

// The nutation entries are taken at the nearest entry: they change at k + 0.5 steps, while R and
// L move smoothly and L never jumps by a turn.
TEST(Sg2Chain, NearestNutationAndSmoothDailyTables) {
  for (int k = 1; k < SG2_NUTATION_COUNT; k += 61) {
    double edge = SG2_TABLE_JD0 + (k - 0.5) * SG2_NUTATION_STEP;
    tabjd before = {0, 1, edge - 1e-6}, after = {0, 1, edge};
    helioc hc = {nullptr, 1.0, 1.0};
    geoc g0, g1;
    int err = 0;
    SG2_geocentric_set_geoc_data(&before, &hc, &g0, &err);
    SG2_geocentric_set_geoc_data(&after, &hc, &g1, &err);
    ASSERT_EQ(err, 0);
    EXPECT_EQ(g0.Delta_psi, SG2_precomputed_geocentric_Delta_psi[k - 1]) << k;
    EXPECT_EQ(g1.Delta_psi, SG2_precomputed_geocentric_Delta_psi[k]) << k;
    EXPECT_EQ(g1.epsilon, SG2_precomputed_geocentric_epsilon[k]) << k;
  }
  double last_l = 0, last_r = 0;
  for (double x = 0; x < SG2_DAILY_COUNT - 1; x += 0.37) {
    tabjd jd = {0, 1, SG2_TABLE_JD0 + x};
    helioc hc;
    int err = 0;
    SG2_heliocentric_set_helioc_data(&jd, &hc, &err);
    ASSERT_EQ(err, 0) << x;
    if (x > 0) {
      EXPECT_GT(hc.L - last_l, 0.37 * 0.0166) << x;
      EXPECT_LT(hc.L - last_l, 0.37 * 0.0179) << x;
      EXPECT_LT(std::fabs(hc.R - last_r), 0.37 * 3e-4) << x;
    }
    last_l = hc.L;
    last_r = hc.R;
  }
}

// With the Sun in the zenith the sine of the elevation can round to a hair above 1; the
// elevation must still be pi/2, not NaN. A parallax factor of almost 0 keeps the topocentric
// declination and hour angle exactly at the geocentric ones, so the latitude can match them.
TEST(Sg2Chain, SunInTheZenithIsNotNaN) {
  double dec = 0.1;
  while (std::sin(dec) * std::sin(dec) + std::cos(dec) * std::cos(dec) * 1.0 <= 1.0) dec += 0.001;
  ASSERT_LT(dec, 0.4);
  tabjd jd = {2451545.0, 1, 2451545.0};
  helioc hc = {&jd, 1.0, 1.0};
  geoc gc = {&jd, &hc, 0, 0.4, 0, 1.0, dec, 1.0, 0};  // nu = r_alpha: hour angle 0 at longitude 0
  tabgeopoint gp = {};
  gp.a = 1e-300;
  gp.f = 0.0;
  SG2_topocecentric_set_tabgeopoint(0.0, dec, 0.0, &gp);
  topoc tp;
  SG2_topocentric_set_topoc_data(&gc, &gp, &tp);
  EXPECT_EQ(tp.delta_topo, dec);
  EXPECT_EQ(tp.elevation, M_PI / 2);
}

// Julian date and calendar date both ways, against ERFA, from year 1 to the 16-bit limit.
TEST(Sg2Chain, CalendarAgainstErfa) {
  std::mt19937 rng(12);
  std::uniform_int_distribution<int> year(1, 32767), month(1, 12), day(1, 31);
  std::uniform_real_distribution<double> hour(0.0, 24.0);
  int checked = 0;
  for (int n = 0; n < 20000; n++) {
    tabymdh in = {static_cast<int16_t>(year(rng)), static_cast<int16_t>(month(rng)), static_cast<int16_t>(day(rng)),
                  hour(rng)};
    if (n < 4) in.year = static_cast<int16_t>(n == 0 ? 1 : n == 1 ? 32767 : n == 2 ? 1900 : 2000);
    double djm0, djm;
    if (eraCal2jd(in.year, in.month, in.day, &djm0, &djm) != 0) continue;  // no such day
    tabjd jd = {0, 1, 0};
    SG2_date_tabymdh_to_tabjd(&in, &jd);
    ASSERT_NEAR(jd.jd_ut, djm0 + djm + in.hour / 24.0, 1e-8) << in.year << "-" << in.month << "-" << in.day;
    EXPECT_EQ(jd.tt_set, 0);

    tabymdh back;
    SG2_date_tabjd_to_tabymdh(&jd, &back);
    int ey, em, ed;
    double fd;
    ASSERT_EQ(eraJd2cal(jd.jd_ut, 0.0, &ey, &em, &ed, &fd), 0);
    ASSERT_EQ(back.year, ey) << jd.jd_ut;
    ASSERT_EQ(back.month, em) << jd.jd_ut;
    ASSERT_EQ(back.day, ed) << jd.jd_ut;
    ASSERT_NEAR(back.hour, 24.0 * fd, 2e-6) << jd.jd_ut;
    checked++;
  }
  EXPECT_GT(checked, 15000);
  // Midnight exactly, where the day changes.
  tabjd midnight = {2451544.5, 0, 0};
  tabymdh ymdh;
  SG2_date_tabjd_to_tabymdh(&midnight, &ymdh);
  EXPECT_EQ(ymdh.year, 2000);
  EXPECT_EQ(ymdh.month, 1);
  EXPECT_EQ(ymdh.day, 1);
  EXPECT_EQ(ymdh.hour, 0.0);
}

// Day of the year both ways for every day of leap, common and century years, counted by ERFA.
TEST(Sg2Chain, DayOfYearBothWays) {
  for (int y : {1900, 2000, 2023, 2024, 2100}) {
    double m0, jan1;
    ASSERT_EQ(eraCal2jd(y, 1, 1, &m0, &jan1), 0);
    int days = 0;
    for (int m = 1; m <= 12; m++) {
      for (int d = 1; d <= 31; d++) {
        double mjd;
        if (eraCal2jd(y, m, d, &m0, &mjd) != 0) continue;
        int expected = static_cast<int>(mjd - jan1) + 1;
        tabymdh ymdh = {static_cast<int16_t>(y), static_cast<int16_t>(m), static_cast<int16_t>(d), 7.25};
        tabydoyh doy;
        SG2_date_tabymdh_to_tabydoyh(&ymdh, &doy);
        ASSERT_EQ(doy.day_of_year, expected) << y << "-" << m << "-" << d;
        EXPECT_EQ(doy.year, y);
        EXPECT_EQ(doy.hour, 7.25);
        tabymdh back;
        SG2_date_tabydoyh_to_tabymdh(&doy, &back);
        ASSERT_EQ(back.month, m) << y << " day " << expected;
        ASSERT_EQ(back.day, d) << y << " day " << expected;
        EXPECT_EQ(back.year, y);
        EXPECT_EQ(back.hour, 7.25);
        days++;
      }
    }
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    EXPECT_EQ(days, leap ? 366 : 365) << y;
  }
}

// The geocentric stage against PyEphem: the Sun's apparent right ascension and declination, the
// apparent sidereal time, and the equation of time that those give at Greenwich.
TEST(Sg2Chain, GeocentricAgainstPyEphem) {
  auto rows = sun_reference("geocentric 300 5");
  ASSERT_FALSE(rows.empty());
  double worst_ra = 0, worst_dec = 0, worst_nu = 0, worst_eot = 0;
  for (const auto& r : rows) {
    ASSERT_EQ(r.size(), 4u);
    double jd_ut = r[0], ra = r[1], dec = r[2], gast = r[3];
    tabjd jd = {jd_ut, 0, 0};
    helioc hc;
    geoc gc;
    int err = 0;
    SG2_date_set_tabjd_tt(nullptr, &jd, &err);
    SG2_heliocentric_set_helioc_data(&jd, &hc, &err);
    SG2_geocentric_set_geoc_data(&jd, &hc, &gc, &err);
    ASSERT_EQ(err, 0) << jd_ut;
    worst_ra = std::fmax(worst_ra, std::fabs(wrap_pi(gc.r_alpha - ra)) * std::cos(dec));
    worst_dec = std::fmax(worst_dec, std::fabs(gc.delta - dec));
    worst_nu = std::fmax(worst_nu, std::fabs(wrap_pi(gc.nu - gast)));
    // Apparent solar time minus mean solar time at Greenwich.
    double ut_angle = 2 * M_PI * (jd_ut - 0.5 - std::floor(jd_ut - 0.5));
    double eot = wrap_pi(gast - ra + M_PI - ut_angle);
    worst_eot = std::fmax(worst_eot, std::fabs(wrap_pi(gc.EoT - eot)));
  }
  const double deg = M_PI / 180;
  EXPECT_LT(worst_ra, 0.002 * deg);
  EXPECT_LT(worst_dec, 0.002 * deg);
  // The sidereal time carries the nutation terms that the tables leave out (up to 2.03").
  EXPECT_LT(worst_nu, 2.2 / 206265);
  EXPECT_LT(worst_eot, 1.0 * 2 * M_PI / 86400);  // one second of time
}

}  // namespace
