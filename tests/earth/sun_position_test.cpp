// calc_sun_pos against PyEphem, at the North Pole, and outside the tables.
#include <gtest/gtest.h>

#include <cmath>

#include "earth/sg2.h"
#include "earth/sun_times.h"
#include "sun_reference.h"

namespace {

const double kDeg = M_PI / 180.0;

// Topocentric elevation and azimuth for a few hundred random moments 1980-2030, places and
// heights, PyEphem with pressure 0 at the same height.
TEST(SunPosition, AgainstPyEphem) {
  auto rows = sun_reference("positions 400 11");
  ASSERT_EQ(rows.size(), 400u);
  double worst_el = 0, worst_az = 0;
  for (const auto& r : rows) {
    double jd = r[0], lon = r[1], lat = r[2], h = r[3], el_ref = r[4], az_ref = r[5];
    double az, el;
    ASSERT_EQ(calc_sun_pos(jd, lon * kDeg, lat * kDeg, h, &az, &el), 0) << jd;
    ASSERT_GE(az, 0.0);
    ASSERT_LE(az, 2 * M_PI);
    double del = std::fabs(el / kDeg - el_ref);
    // An azimuth error shows on the sky shrunk by the cosine of the elevation.
    double daz = std::fabs(std::remainder(az / kDeg - az_ref, 360.0)) * std::cos(el);
    EXPECT_LT(del, 0.005) << "jd " << jd << " lon " << lon << " lat " << lat << " h " << h;
    EXPECT_LT(daz, 0.005) << "jd " << jd << " lon " << lon << " lat " << lat << " h " << h;
    worst_el = std::fmax(worst_el, del);
    worst_az = std::fmax(worst_az, daz);
  }
  RecordProperty("worst_elevation_deg", std::to_string(worst_el));
  RecordProperty("worst_azimuth_deg", std::to_string(worst_az));
}

// At the North Pole the azimuth is the Sun's Greenwich hour angle plus pi and the elevation its
// declination, up to the parallax (below 9"); the globe relies on it. The latitude the globe
// passes lies a rounding step beyond pi/2 and must give the same answer as pi/2 itself.
TEST(SunPosition, NorthPoleGivesHourAngleAndDeclination) {
  for (double jd = 2444300.3; jd < 2462800; jd += 731.37) {
    tabjd date = {jd, 0, 0};
    helioc hc;
    geoc gc;
    int err = 0;
    SG2_date_set_tabjd_tt(nullptr, &date, &err);
    SG2_heliocentric_set_helioc_data(&date, &hc, &err);
    SG2_geocentric_set_geoc_data(&date, &hc, &gc, &err);
    ASSERT_EQ(err, 0);
    double az, el, az2, el2;
    ASSERT_EQ(calc_sun_pos(jd, 0.0, M_PI / 2, 0.0, &az, &el), 0);
    ASSERT_EQ(calc_sun_pos(jd, 0.0, 1.570796326794897, 0.0, &az2, &el2), 0);
    EXPECT_NEAR(std::remainder(az - (gc.nu - gc.r_alpha + M_PI), 2 * M_PI), 0.0, 1e-9) << jd;
    EXPECT_NEAR(el, gc.delta, 9.0 / 206265) << jd;
    EXPECT_NEAR(el2, el, 1e-12) << jd;
    EXPECT_NEAR(std::remainder(az2 - az, 2 * M_PI), 0.0, 1e-9) << jd;
  }
}

// Outside the tables no direction is invented: a negative code and NaN angles, at both ends,
// and the last moment inside still gives a direction.
TEST(SunPosition, OutsideTheTablesFailsVisibly) {
  struct Case {
    const char* name;
    double jd;
    int code;
  } cases[] = {
      {"before the Delta T table", 2444208.9, SG2_ERR_DATE_DELTA_TT},
      {"inside Delta T, before the daily tables (TT still before day 0)", 2444209.0, SG2_ERR_HELIOC_RANGE},
      {"past the nutation tables", 2462884.5, SG2_ERR_GEOC_RANGE},
      {"a year past the end", 2463250.0, SG2_ERR_DATE_DELTA_TT},
      {"NaN", NAN, SG2_ERR_DATE_DELTA_TT},
      {"zero", 0.0, SG2_ERR_DATE_DELTA_TT},
  };
  for (const Case& c : cases) {
    double az = 1.0, el = 1.0;
    EXPECT_EQ(calc_sun_pos(c.jd, 0.1, 0.7, 100.0, &az, &el), c.code) << c.name;
    EXPECT_TRUE(std::isnan(az)) << c.name;
    EXPECT_TRUE(std::isnan(el)) << c.name;
  }
  double az, el;
  EXPECT_EQ(calc_sun_pos(2444209.5, 0.1, 0.7, 100.0, &az, &el), 0);
  EXPECT_FALSE(std::isnan(el));
  EXPECT_EQ(calc_sun_pos(2462884.4, 0.1, 0.7, 100.0, &az, &el), 0);  // 2031-01-17, TT still in range
  EXPECT_FALSE(std::isnan(el));
}

}  // namespace
