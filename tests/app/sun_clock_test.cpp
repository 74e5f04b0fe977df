#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "app/sun_report.h"
#include "platform/clock.h"
#include "support/time_zone.h"

TEST(SunClock, ShiftBorrowsAndCarries) {
  struct {
    clock_time now;
    double hours;
    bool past;
    clock_time expect;
  } cases[] = {
      {{23, 50, 30}, 0.25, false, {0, 5, 30}},
      {{0, 5, 0}, 0.5, true, {23, 35, 0}},
      // 1/64 hour is 56.25 s: both borrows, then both carries.
      {{10, 0, 30}, 0.015625, true, {9, 59, 34}},
      {{22, 59, 30}, 1.015625, false, {0, 0, 26}},
      {{12, 0, 0}, 0.0, true, {12, 0, 0}},
      {{0, 0, 0}, 19.75, true, {4, 15, 0}},
      {{23, 59, 59}, 19.75, false, {19, 44, 59}},
      // A negative distance counts the other way.
      {{12, 0, 0}, -0.5, true, {12, 30, 0}},
  };
  for (auto& c : cases) {
    clock_time t{-1, -1, -1};
    ASSERT_EQ(clock_shift(c.now, c.hours, c.past, &t), 0);
    EXPECT_EQ(t.hour, c.expect.hour) << c.hours;
    EXPECT_EQ(t.minute, c.expect.minute) << c.hours;
    EXPECT_EQ(t.second, c.expect.second) << c.hours;
  }
  clock_time t{7, 7, 7};
  EXPECT_EQ(clock_shift({1, 2, 3}, NAN, true, &t), -1);
  EXPECT_EQ(clock_shift({1, 2, 3}, INFINITY, false, &t), -1);
  EXPECT_EQ(t.hour, 7);
}

// The local-time formula must give the Julian date of the moment in every zone, with and
// without daylight saving: JD = seconds since 1970 / 86400 + 2440587.5.
TEST(SunClock, JulianDateOfLocalTime) {
  ScopedTimeZone zone;
  struct {
    const char* tz;
    time_t moment;
    int isdst;
  } cases[] = {
      {"UTC", 946728000, 0},                  // 2000-01-01 12:00 UTC
      {"Europe/Berlin", 946728000, 0},
      {"Europe/Berlin", 962453045, 1},        // 2000-07-01 12:04:05 UTC
      {"America/New_York", 962453045, 1},
      {"America/New_York", 946684799, 0},     // 1999-12-31 23:59:59 UTC, local 18:59:59
      {"Asia/Kolkata", 1700000000, 0},
      {"Australia/Adelaide", 1700000000, 1},  // half-hour zone in summer
      {"Pacific/Kiritimati", 1234567890, 0},
  };
  for (auto& c : cases) {
    setenv("TZ", c.tz, 1);
    tzset();
    plat_local_time t;
    plat_local(c.moment, &t);
    EXPECT_EQ(t.isdst, c.isdst) << c.tz;
    double expect = c.moment / 86400.0 + 2440587.5;
    EXPECT_NEAR(julian_date_local(t), expect, 1e-8) << c.tz << " " << c.moment;
  }

  // The parts of the day are fractions, not whole-number quotients.
  plat_local_time t{2000, 1, 1, 13, 30, 45, 0, 0};
  EXPECT_NEAR(julian_date_local(t), 2451545.0 + 1.5 / 24 + 45 / 86400.0, 1e-9);
  plat_local_time noon{2000, 1, 1, 12, 0, 0, 0, 0};
  EXPECT_EQ(julian_date_local(noon), 2451545.0);
}
