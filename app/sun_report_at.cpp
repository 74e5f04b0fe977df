// The sun report of a right click on the globe: the place, the Sun's elevation and direction
// there now, and by day the last dawn and the next dusk (by night the last dusk and the next
// dawn), for the Sun's centre on the horizon and 50' below it, as clock times of today or, when
// a crossing lies 20 hours or more away, as days.
#include <cmath>
#include <cstdio>

#include "app/sun_report.h"
#include "earth/constants.h"
#include "earth/elevation.h"
#include "earth/sun_times.h"
#include "platform/dialogs.h"

namespace {


// The toolkit shows UTF-8; a lone Latin-1 byte 0xB0 would not be a degree sign.
const char kDegreeSign[] = "\xC2\xB0";

// A crossing as a clock time: now's time of day shifted by the distance from jd. A crossing that
// was not found has no time.
void clock_text(clock_time now, double jd, const sun_crossing& c, bool past, char* out,
                size_t size) {
  clock_time t;
  double hours = 24 * (past ? jd - c.jd : c.jd - jd);
  if (!c.found || clock_shift(now, hours, past, &t) != 0) {
    snprintf(out, size, "--:--:--");
    return;
  }
  snprintf(out, size, "%02d:%02d:%02d", t.hour, t.minute, t.second);
}

void days_text(double days, bool found, char* out, size_t size) {
  if (found)
    snprintf(out, size, "%.1f", days);
  else
    snprintf(out, size, "--");
}

}  // namespace

void sun_report_at(double lon, double lat) {
  plat_local_time now;
  plat_now(&now);
  const double jd = julian_date_local(now);
  // The observer stands on the ground, or on the sea's surface.
  double h = geographic2altitude(lon, lat);
  if (!(h > 0)) h = 0;

  char text[512];
  sun_day_night s;
  if (find_dawn_dusk(jd, lon, lat, h, &s) != 0) {
    snprintf(text, sizeof text, "long=%.1f lat=%.1f\nno solar data exists for %04d-%02d-%02d",
             lon * DEG_PER_RAD, lat * DEG_PER_RAD, now.year, now.month, now.day);
    plat_message(text);
    return;
  }

  char line1[160] = "", line2[160] = "";
  if (s.daytime >= 0) {
    const char* last = s.daytime ? "dawn" : "dusk";
    const char* next = s.daytime ? "dusk" : "dawn";
    // A crossing that was not found does not make the report switch to days.
    bool far = (s.last0.found && 24 * (jd - s.last0.jd) >= 20) ||
               (s.next0.found && 24 * (s.next0.jd - jd) >= 20);
    if (!far) {
      clock_time c = {now.hour, now.minute, now.second};
      char a[16], b[16];
      clock_text(c, jd, s.last0, true, a, sizeof a);
      clock_text(c, jd, s.next0, false, b, sizeof b);
      snprintf(line1, sizeof line1, "last %s %s, next %s %s (0%s)", last, a, next, b, kDegreeSign);
      clock_text(c, jd, s.last50, true, a, sizeof a);
      clock_text(c, jd, s.next50, false, b, sizeof b);
      snprintf(line2, sizeof line2, "last %s %s, next %s %s (50')", last, a, next, b);
    } else {
      char a[32], b[32];
      days_text(jd - s.last0.jd, s.last0.found, a, sizeof a);
      days_text(s.next0.jd - jd, s.next0.found, b, sizeof b);
      snprintf(line1, sizeof line1, "last %s %s days, next %s %s days.", last, a, next, b);
    }
  }
  snprintf(text, sizeof text, "long=%.1f lat=%.1f\nsun angle=%.1f, sun direction=%.1f\n%s\n%s",
           lon * DEG_PER_RAD, lat * DEG_PER_RAD, s.elevation * DEG_PER_RAD,
           s.azimuth * DEG_PER_RAD, line1, line2);
  plat_message(text);
}
