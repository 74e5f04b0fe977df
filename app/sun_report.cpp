#include "app/sun_report.h"

#include <cmath>

double julian_date_local(const plat_local_time& t) {
  int a = (14 - t.month) / 12;
  int y = t.year + 4800 - a;
  int m = t.month + 12 * a - 3;
  long jdn = t.day + (153 * m + 2) / 5 + 365L * y + y / 4 - y / 100 + y / 400 - 32045;
  double jd = jdn + (t.hour - 12) / 24.0 + t.minute / 1440.0 + t.second / 86400.0 +
              t.bias_minutes / 60.0 / 24.0;
  if (t.isdst) jd -= 0.041666666666666664;
  return jd;
}

int clock_shift(clock_time now, double hours, bool past, clock_time* out) {
  if (!std::isfinite(hours)) return -1;
  if (hours < 0) {
    hours = -hours;
    past = !past;
  }
  // Whole days do not show on a clock.
  double H = std::fmod(hours, 24.0);
  int h = (int)H;
  double rest = (H - h) * 60.0;
  int m = (int)rest;
  int s = (int)((rest - m) * 60.0);
  clock_time r;
  if (past) {
    r.second = now.second - s;
    int borrow = r.second < 0;
    if (borrow) r.second += 60;
    r.minute = now.minute - borrow - m;
    borrow = r.minute < 0;
    if (borrow) r.minute += 60;
    r.hour = now.hour - borrow - h;
    if (r.hour < 0) r.hour += 24;
  } else {
    r.second = now.second + s;
    int carry = r.second > 59;
    if (carry) r.second -= 60;
    r.minute = now.minute + carry + m;
    carry = r.minute > 59;
    if (carry) r.minute -= 60;
    r.hour = now.hour + carry + h;
    if (r.hour >= 24) r.hour -= 24;
  }
  *out = r;
  return 0;
}
