// The present moment as local civil time, with the standard-time bias of the zone.
#pragma once
#include <ctime>

struct plat_local_time {
  int year, month, day;      // calendar date, month 1..12
  int hour, minute, second;  // local time of day
  int isdst;                 // 1 while daylight-saving time is in force
  int bias_minutes;          // minutes to add to local *standard* time to get UTC (west positive)
};

// Test hook: when non-zero, the clock reads this moment (seconds since 1970 UTC) instead of now.
// The zone is whatever TZ says (tests set TZ and call tzset()).
extern time_t plat_fixed_now;

// Fills *t for the present moment (or plat_fixed_now) in the process's time zone.
void plat_now(plat_local_time* t);

// The same for an explicit moment.
void plat_local(time_t moment, plat_local_time* t);
