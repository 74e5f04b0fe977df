// The Sun for an observer: its direction at a moment, the moment it crosses an angle below the
// horizon, and the last and next dawn and dusk around a moment (what the right-click sun report
// shows). Pure functions of their arguments and the read-only SG2 tables.
//
// Angles are radians (longitude east positive, latitude north positive, azimuth from north
// through east), heights metres above the ellipsoid, moments Julian dates in UT. No refraction.
#pragma once
#include "platform/clock.h"

// Julian date (UT) of the local civil time t: the Gregorian day number of the local date plus
// the time of day, corrected to UTC by the zone's standard-time bias and by one hour while
// daylight saving is in force. The globe and the sun report both take the present moment so.
double julian_date_local(const plat_local_time& t);

// The Sun's azimuth (0..2 pi) and elevation at jd for an observer at lon, lat, h (ellipsoid
// a = 6378140 m, f = 0.00335281). Returns 0. Outside the SG2 tables (1979-12-02 0 h to
// 2031-01-18 0 h TT) nothing can be computed: the result is the failing stage's negative code
// (-401, -511 or -611) and both outputs are NaN, never a made-up direction.
int calc_sun_pos(double jd, double lon, double lat, double h, double* azimuth, double* elevation);

// Offsets of find_zero_sun, degrees below the horizon.
constexpr double SUN_OFFSET_HORIZON = 0.0;                // the Sun's centre on the horizon
constexpr double SUN_OFFSET_50_ARCMIN = 0.8333333333333334;  // 50 minutes of arc below it

// The moment between t0 and t1 at which the Sun's elevation at lon, lat, h equals -offset
// degrees, found by a weighted bisection of at most ten steps (down to a bracket of 0.1 s).
// Returns -1, which is no moment, when the elevations at the two ends lie on the same side of
// -offset, or when an end or a trial moment lies outside the SG2 tables.
double find_zero_sun(double t0, double t1, double lon, double lat, double h, double offset);

// The search that find_zero_sun runs, on any function f(t, ctx): f exactly 0 at an end returns
// that end; the same sign at both ends, or a NaN value, returns -1; otherwise up to ten trial
// moments, each nearer the end of smaller |f|, and the midpoint of the last bracket.
double find_zero_crossing(double t0, double t1, double (*f)(double t, void* ctx), void* ctx);

// One event of the dawn and dusk search.
struct sun_crossing {
  int found;  // 1 when jd holds the moment; 0 when no crossing was bracketed within reach
  double jd;  // Julian date UT of the crossing (-1 when not found)
};

// The Sun now and the horizon crossings around now.
struct sun_day_night {
  double azimuth, elevation;  // at the moment asked for
  int daytime;                // 1 Sun above the horizon, 0 below, -1 exactly on it (no search)
  // By day: last0 the last dawn, next0 the next dusk. By night: last0 the last dusk, next0 the
  // next dawn. All for the Sun's centre on the horizon.
  sun_crossing last0, next0;
  // The same events for the Sun 50' below the horizon, searched within 0.02 day of last0 and
  // next0 on the night side; not found when that window holds no crossing (common beyond 65
  // degrees of latitude) or when last0 or next0 was not found.
  sun_crossing last50, next50;
};

// Fills *out for the moment jd at lon, lat, h. Each horizon crossing is bracketed by one 0.05-day
// step and found by find_zero_sun. The search steps away from jd 18 times by 0.05 day while the
// Sun stays on the side of the horizon where it is at jd; when that finds no crossing (polar day
// or night, or one coming in more than 0.9 day), it walks the culminations day by day: every night
// holds a lower culmination below the horizon and every day an upper one above it, so the first
// culmination on the other side marks the night (or day) that ends the run, and 0.05-day steps
// from it back towards jd bracket the crossing. The walk reaches about 261 days; a crossing
// further away, or beyond the end of the SG2 tables, is not found.
// The 50' crossings are searched within 0.02 day of the horizon crossings on the night side;
// when the Sun is less than 50' below the horizon at jd, last50 (by night) lies after jd or
// next50 before it.
// Returns 0, or calc_sun_pos's negative code when jd itself lies outside the tables; then
// daytime is -1, nothing is found and both angles are NaN.
int find_dawn_dusk(double jd, double lon, double lat, double h, sun_day_night* out);
