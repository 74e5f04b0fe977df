// The sun report of a right click on the globe, and the clock arithmetic it is built from.
#pragma once
#include "platform/clock.h"

#include "earth/sun_times.h"  // julian_date_local

// A time of day without a date.
struct clock_time {
  int hour, minute, second;
};

// The time of day `hours` before (past) or after the local time of day `now`: the distance is cut
// into whole hours, minutes and seconds and taken from (or added to) now's with borrow (carry)
// from the seconds into the minutes and from the minutes into the hours; the hour wraps around
// midnight. A negative distance counts the other way. Returns 0, or -1 (result untouched) when
// the distance is not a finite number.
int clock_shift(clock_time now, double hours, bool past, clock_time* out);

// Shows the sun report for the globe point at longitude lon and latitude lat (radians) in a
// message box: the sun's elevation and direction there and the last and next horizon crossings.
void sun_report_at(double lon, double lat);
