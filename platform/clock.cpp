#include "platform/clock.h"

time_t plat_fixed_now = 0;

void plat_local(time_t moment, plat_local_time* t) {
  tzset();
  struct tm tmv;
  localtime_r(&moment, &tmv);
  t->year = tmv.tm_year + 1900;
  t->month = tmv.tm_mon + 1;
  t->day = tmv.tm_mday;
  t->hour = tmv.tm_hour;
  t->minute = tmv.tm_min;
  t->second = tmv.tm_sec;
  t->isdst = tmv.tm_isdst > 0 ? 1 : 0;
  // `timezone` is the standard-time offset in seconds west of UTC, which is the sign and meaning
  // of the bias the sun calculations expect; daylight saving is applied separately via isdst.
  t->bias_minutes = (int)(timezone / 60);
}

void plat_now(plat_local_time* t) { plat_local(plat_fixed_now ? plat_fixed_now : time(nullptr), t); }
