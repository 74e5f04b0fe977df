// compute_moon: its fixed test case, the sub-lunar point at the pole, and PyEphem's Moon.
#include <gtest/gtest.h>

#include <cmath>

#include "earth/moon.h"
#include "sun_reference.h"

namespace {

// Test mode ignores the date and place it is given; the phase is always 0.
TEST(Moon, TestModeIgnoresItsInputs) {
  double az0, alt0, ph0 = 5;
  compute_moon(1, 0, 0.0, 0.0, 0.0, &az0, &alt0, &ph0, 0, 0);
  EXPECT_EQ(ph0, 0.0);
  EXPECT_GE(az0, 0.0);
  EXPECT_LT(az0, 360.0);
  struct Case {
    double jd, lon, lat;
  } cases[] = {{2451545.0, 15, 60}, {2460000.25, -120, -45}, {2440000.9, 179, 90}, {NAN, NAN, NAN}};
  for (const Case& c : cases) {
    double az, alt, ph = 7;
    compute_moon(1, 1, c.jd, c.lon, c.lat, &az, &alt, &ph, 3, 4);
    EXPECT_EQ(az, az0) << c.jd;
    EXPECT_EQ(alt, alt0) << c.jd;
    EXPECT_EQ(ph, 0.0) << c.jd;
  }
  // The fixed case is 1990-04-19 0 h UT at 15 E, 60 N: the same as asking for it.
  double az, alt, ph;
  compute_moon(0, 0, 2451543.5 - 3543, 15, 60, &az, &alt, &ph, 0, 0);
  EXPECT_NEAR(az, az0, 1e-9);
  EXPECT_NEAR(alt, alt0, 1e-9);
}

// At the North Pole the outputs are the sub-lunar point: within 0.3 degrees of PyEphem's
// (its apparent geocentric right ascension less the apparent sidereal time, and its declination).
// The dates span 1980-2030, so the negative hours of the day before 1999-12-31 are covered.
TEST(Moon, SubLunarPointAgainstPyEphem) {
  auto rows = sun_reference("moon 400 31");
  ASSERT_EQ(rows.size(), 400u);
  double worst_lon = 0, worst_lat = 0;
  for (const auto& r : rows) {
    double az, alt, ph = 1;
    compute_moon(0, 1, r[0], 0.0, 90.0, &az, &alt, &ph, 0, 0);
    ASSERT_GE(az, 0.0);
    ASSERT_LT(az, 360.0);
    EXPECT_EQ(ph, 0.0);
    double dlon = std::fabs(std::remainder(az - r[1], 360.0)), dlat = std::fabs(alt - r[2]);
    EXPECT_LT(dlon, 0.3) << r[0];
    EXPECT_LT(dlat, 0.3) << r[0];
    worst_lon = std::fmax(worst_lon, dlon);
    worst_lat = std::fmax(worst_lat, dlat);
  }
  RecordProperty("worst_lon_deg", std::to_string(worst_lon));
  RecordProperty("worst_lat_deg", std::to_string(worst_lat));
}

TEST(Moon, RevStaysBelow360) {
  struct Case {
    double x, r;
  } cases[] = {{0, 0}, {360, 0}, {-90, 270}, {725, 5}, {-1e-15, 0}, {-720, 0}, {359.5, 359.5}};
  for (const Case& c : cases) {
    double r = rev(c.x);
    EXPECT_GE(r, 0.0) << c.x;
    EXPECT_LT(r, 360.0) << c.x;
    EXPECT_NEAR(r, c.r, 1e-12) << c.x;
  }
  EXPECT_NEAR(sind(30), 0.5, 1e-15);
  EXPECT_NEAR(cosd(60), 0.5, 1e-15);
}

}  // namespace
