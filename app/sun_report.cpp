#include "app/sun_report.h"

#include <cmath>

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
