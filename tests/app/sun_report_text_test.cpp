// The sun report's text at fixed moments, zones and places, read back line by line and compared
// with PyEphem: the Sun's angle and direction, and the crossings as clock times or days.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/sun_report.h"
#include "earth/elevation.h"
#include "earth/globe.h"
#include "picture_box_events.h"
#include "platform/clock.h"
#include "support/headless.h"
#include "support/python_reference.h"
#include "support/time_zone.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

const double kRad = 3.141592653589793 / 180;

class SunReportText : public ::testing::Test {
 protected:
  void SetUp() override {
    headless_viewer(800, 500);
  }
  void TearDown() override {
    plat_fixed_now = 0;
    set_content_empty();
  }
  ScopedTimeZone zone_;
};

std::vector<std::string> lines_of(const char* text) {
  std::vector<std::string> out(1);
  for (const char* p = text; *p; p++) {
    if (*p == '\n')
      out.emplace_back();
    else
      out.back() += *p;
  }
  return out;
}

// Seconds of the day of a clock text "hh:mm:ss", or -1 for "--:--:--".
int clock_seconds(const std::string& t) {
  int h, m, s;
  if (t == "--:--:--") return -1;
  if (sscanf(t.c_str(), "%2d:%2d:%2d", &h, &m, &s) != 3) return -2;
  return 3600 * h + 60 * m + s;
}

// Distance of two times of day in seconds, round the clock.
double clock_distance(double a, double b) {
  double d = std::fmod(std::fabs(a - b), 86400.0);
  return std::fmin(d, 86400.0 - d);
}

struct Case {
  const char* what;
  const char* zone;
  time_t moment;
  double lon, lat;  // degrees
};

void check_report(const Case& c) {
  SCOPED_TRACE(c.what);
  setenv("TZ", c.zone, 1);
  tzset();
  plat_fixed_now = c.moment;
  message_count = 0;
  sun_report_at(c.lon * kRad, c.lat * kRad);
  ASSERT_EQ(message_count, 1);
  std::vector<std::string> lines = lines_of(last_message);
  ASSERT_EQ(lines.size(), 4u) << last_message;

  double h = geographic2altitude(c.lon * kRad, c.lat * kRad);
  if (!(h > 0)) h = 0;
  const double jd = 2440587.5 + c.moment / 86400.0;
  char args[200];
  snprintf(args, sizeof args, "%.10f %.10f %.10f %.3f", jd, c.lon, c.lat, h);
  std::vector<std::vector<double>> ref;
  std::string err;
  ASSERT_TRUE(python_rows("app/sun_report_reference.py", args, &ref, &err)) << err;
  const double alt = ref[0][0], az = ref[0][1], last0 = ref[0][2], next0 = ref[0][3],
               last50 = ref[0][4], next50 = ref[0][5];

  char want[80];
  snprintf(want, sizeof want, "long=%.1f lat=%.1f", c.lon, c.lat);
  EXPECT_EQ(lines[0], want);
  double angle, direction;
  ASSERT_EQ(sscanf(lines[1].c_str(), "sun angle=%lf, sun direction=%lf", &angle, &direction), 2)
      << lines[1];
  EXPECT_NEAR(angle, alt, 0.06);
  EXPECT_NEAR(direction, az, 0.06);

  const bool day = alt > 0;
  const char* last_name = day ? "dawn" : "dusk";
  const char* next_name = day ? "dusk" : "dawn";
  const double tol_s = 15 + 1;  // the seconds are cut, not rounded
  if (24 * (jd - last0) < 20 && 24 * (next0 - jd) < 20) {
    // Clock times: now's time of day shifted by the distances.
    struct tm local;
    localtime_r(&c.moment, &local);
    const double now_s = 3600 * local.tm_hour + 60 * local.tm_min + local.tm_sec;
    char a[16], b[16], name1[8], name2[8], tail[16];
    for (int k = 0; k < 2; k++) {
      const std::string& line = lines[2 + k];
      ASSERT_EQ(sscanf(line.c_str(), "last %7s %15[-:0-9], next %7s %15[-:0-9] %15s", name1, a,
                       name2, b, tail),
                5)
          << line;
      EXPECT_STREQ(name1, last_name);
      EXPECT_STREQ(name2, next_name);
      EXPECT_STREQ(tail, k == 0 ? "(0\xC2\xB0)" : "(50')");
      const double last = k == 0 ? last0 : last50, next = k == 0 ? next0 : next50;
      const double near_last = k == 0 ? jd : last0, near_next = k == 0 ? jd : next0;
      // The 50' crossings are looked for within 0.02 day of the horizon's.
      bool has_last = !std::isnan(last) && (k == 0 || std::fabs(last - near_last) < 0.02);
      bool has_next = !std::isnan(next) && (k == 0 || std::fabs(next - near_next) < 0.02);
      if (has_last)
        EXPECT_LT(clock_distance(clock_seconds(a), now_s - (jd - last) * 86400), tol_s) << line;
      else
        EXPECT_STREQ(a, "--:--:--") << line;
      if (has_next)
        EXPECT_LT(clock_distance(clock_seconds(b), now_s + (next - jd) * 86400), tol_s) << line;
      else
        EXPECT_STREQ(b, "--:--:--") << line;
    }
  } else {
    double d1, d2;
    char name1[8], name2[8];
    ASSERT_EQ(
        sscanf(lines[2].c_str(), "last %7s %lf days, next %7s %lf days.", name1, &d1, name2, &d2),
        4)
        << lines[2];
    EXPECT_STREQ(name1, last_name);
    EXPECT_STREQ(name2, next_name);
    EXPECT_NEAR(d1, jd - last0, 0.05 + tol_s / 86400);
    EXPECT_NEAR(d2, next0 - jd, 0.05 + tol_s / 86400);
    EXPECT_EQ(lines[3], "");
  }
}

// 2026-03-10 12:00, 2026-07-15 03:00, 2026-06-21 10:00 and 2026-06-15 03:30 UTC.
TEST_F(SunReportText, LinesAgreeWithPyEphem) {
  const Case cases[] = {
      {"day in Zurich, standard time", "Europe/Zurich", 1773144000, 8.54, 47.37},
      {"night in New York, daylight saving time", "America/New_York", 1784084400, -74.0, 40.7},
      {"night in Sydney just after midnight", "Australia/Sydney", 1784039400, 151.2, -33.9},
      {"polar day on Svalbard", "Arctic/Longyearbyen", 1782036000, 15.6, 78.2},
      {"polar night at McMurdo", "Antarctica/McMurdo", 1782036000, 166.7, -77.8},
      {"Reykjavik after dawn: the dusk is 20 hours off", "Atlantic/Reykjavik", 1781494200, -21.9,
       64.1},
      {"Lapland at noon: no 50' crossing", "Europe/Helsinki", 1782036000, 25.0, 66.0},
      {"high in the Andes", "America/La_Paz", 1773144000, -68.1, -16.5},
  };
  for (const Case& c : cases) check_report(c);
}

// The forms themselves, so that the table above cannot pass by taking one road for all.
TEST_F(SunReportText, EachFormWhereItBelongs) {
  struct {
    Case c;
    const char* line2_start;
    const char* line3;  // nullptr: not checked
  } cases[] = {
      {{"day", "Europe/Zurich", 1773144000, 8.54, 47.37}, "last dawn ", nullptr},
      {{"night", "America/New_York", 1784084400, -74.0, 40.7}, "last dusk ", nullptr},
      {{"polar day", "Arctic/Longyearbyen", 1782036000, 15.6, 78.2}, "last dawn ", ""},
      {{"polar night", "Antarctica/McMurdo", 1782036000, 166.7, -77.8}, "last dusk ", ""},
      {{"20 hours", "Atlantic/Reykjavik", 1781494200, -21.9, 64.1},
       "last dawn 0.0 days, next dusk 0.",
       ""},
      {{"no 50'", "Europe/Helsinki", 1782036000, 25.0, 66.0},
       "last dawn ",
       "last dawn --:--:--, next dusk --:--:-- (50')"},
  };
  for (auto& k : cases) {
    setenv("TZ", k.c.zone, 1);
    tzset();
    plat_fixed_now = k.c.moment;
    sun_report_at(k.c.lon * kRad, k.c.lat * kRad);
    std::vector<std::string> lines = lines_of(last_message);
    ASSERT_EQ(lines.size(), 4u) << k.c.what;
    EXPECT_EQ(lines[2].rfind(k.line2_start, 0), 0u) << k.c.what << ": " << lines[2];
    if (k.line3) EXPECT_EQ(lines[3], k.line3) << k.c.what;
    // The degree sign is UTF-8, never the lone Latin-1 byte.
    EXPECT_EQ(strchr(last_message, '\xB0') != nullptr, strstr(last_message, "\xC2\xB0") != nullptr);
  }
}

TEST_F(SunReportText, NoSolarDataOutsideTheTables) {
  setenv("TZ", "UTC", 1);
  tzset();
  for (time_t moment : {(time_t)1970006400 /* 2032-06-05 */, (time_t)157766400 /* 1975-01-01 */}) {
    plat_fixed_now = moment;
    sun_report_at(10 * kRad, 50 * kRad);
    struct tm t;
    gmtime_r(&moment, &t);
    char want[120];
    snprintf(want, sizeof want, "long=10.0 lat=50.0\nno solar data exists for %04d-%02d-%02d",
             t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    EXPECT_STREQ(last_message, want);
  }
}

// A right push over the globe reports the place drawn under the pointer.
TEST_F(SunReportText, RightPushReportsThePlaceUnderThePointer) {
  setenv("TZ", "Europe/Zurich", 1);
  tzset();
  plat_fixed_now = 1773144000;
  set_content_vglobe();
  load_globe2d();
  message_count = 0;
  EXPECT_EQ(push(620, 140, FL_RIGHT_MOUSE), 1);
  release(620, 140);
  ASSERT_EQ(message_count, 1);
  double lon, lat;
  globe_point_under(620, 140, &lon, &lat);
  char want[80];
  snprintf(want, sizeof want, "long=%.1f lat=%.1f\n", lon / kRad, lat / kRad);
  EXPECT_EQ(std::string(last_message).rfind(want, 0), 0u) << last_message;
  // A left push gives no report.
  push(620, 140, FL_LEFT_MOUSE);
  release(620, 140);
  EXPECT_EQ(message_count, 1);
}

}  // namespace
