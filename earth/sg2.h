// SG2 solar geometry in its table-driven form: the Sun's apparent geocentric position, the
// apparent sidereal time and the equation of time for a UT Julian date, and the observer data
// for a topocentric correction. No series is evaluated at run time; the tables of
// earth/sg2_tables.h are interpolated linearly (R, L) or read at the nearest entry (Delta T,
// Delta psi, epsilon).
//
// Conventions: angles in radians, distances in astronomical units unless a field says metres,
// dates as Julian dates in days. The functions keep no state and allocate nothing; they work on
// records that the caller owns, linked by pointers to the records they were computed from. A
// failure writes one of the negative codes below through `err` and leaves the output record as it
// was; success leaves `err` untouched, so the caller sets it to 0 beforehand.
//
// Reference: "The SG2 algorithm for a fast and accurate computation of the position of the Sun
// for multi-decadal time period", Solar Energy 86 (2012) 3072-3083.
#pragma once
#include <cstdint>

// A date.
struct tabjd {
  double jd_ut;    // Julian date, UT, days
  uint8_t tt_set;  // 1 once jd_tt holds the date in TT
  double jd_tt;    // Julian date, Terrestrial Time, days
};

// A calendar date (Gregorian).
struct tabymdh {
  int16_t year;
  int16_t month;  // 1..12
  int16_t day;    // 1..31
  double hour;    // decimal hours of the day
};

// A day of the year.
struct tabydoyh {
  int16_t year;
  int16_t day_of_year;  // 1..366
  double hour;
};

// Heliocentric data.
struct helioc {
  const struct tabjd* jd;
  double R;  // Sun-Earth distance, au
  double L;  // heliocentric longitude of the Earth, unwrapped (grows by a turn a year)
};

// Geocentric data.
struct geoc {
  const struct tabjd* jd;
  const struct helioc* helioc;
  double Delta_psi;  // nutation in longitude
  double epsilon;    // obliquity of the ecliptic
  double Theta_a;    // apparent geocentric longitude of the Sun
  double r_alpha;    // geocentric right ascension
  double delta;      // geocentric declination
  double nu;         // apparent sidereal time at Greenwich, not reduced to one turn
  double EoT;        // equation of time, not reduced to one turn
};

// An observer on an ellipsoid; the caller sets a and f before the record is filled.
struct tabgeopoint {
  int ellipsoid_code;  // a tag beside a and f; nothing reads it
  double a;            // semi-major axis, metres
  double f;            // flattening
  double phi;          // geodetic latitude, north positive
  double lambda;       // longitude, east positive
  double h;            // height above the ellipsoid, metres
  double cos_phi, sin_phi;
  double u;     // reduced latitude
  double x, y;  // parallax terms
};

// Topocentric position of the Sun.
struct topoc {
  const struct tabjd* jd;
  const struct helioc* helioc;
  const struct geoc* geoc;
  const struct tabgeopoint* geopoint;
  double r_alpha_topo;  // topocentric right ascension
  double delta_topo;    // topocentric declination
  double omega_topo;    // topocentric hour angle
  double elevation;     // above the horizon, no refraction
  double azimuth;       // from north through east, 0..2 pi
};

// Failure codes.
enum {
  SG2_ERR_DATE_DELTA_TT = -401,      // the nearest UT day lies outside the Delta T table
  SG2_ERR_HELIOC_TT_NOT_SET = -510,  // the date record holds no TT
  SG2_ERR_HELIOC_RANGE = -511,       // the TT day (and the next) lies outside the daily tables
  SG2_ERR_GEOC_TT_NOT_SET = -610,    // the date record holds no TT
  SG2_ERR_GEOC_RANGE = -611,         // the nearest 30-day entry lies outside the nutation tables
};

// Constants of the module.
constexpr double SG2_AU_METRES = 149597870691.0;
constexpr double SG2_ABERRATION = 9.93373536319817e-5;  // radians

// Calendar conversions (Fliegel and Van Flandern; the day of the year as in Meeus, Astronomical
// Algorithms, chapter 7). Valid for the proleptic Gregorian calendar from year 1 to 32767.
// Julian date (jd_ut) to calendar date; year, month and day are kept in 16 bits.
void SG2_date_tabjd_to_tabymdh(const tabjd* jd, tabymdh* ymdh);
// Calendar date to jd_ut; clears tt_set.
void SG2_date_tabymdh_to_tabjd(const tabymdh* ymdh, tabjd* jd);
// Month and day to day of the year; year and hour copied.
void SG2_date_tabymdh_to_tabydoyh(const tabymdh* ymdh, tabydoyh* ydoyh);
// Day of the year to month and day; year and hour copied.
void SG2_date_tabydoyh_to_tabymdh(const tabydoyh* ydoyh, tabymdh* ymdh);

// Sets jd_tt and tt_set from jd_ut and delta_tt (seconds, TT - UT) or, when delta_tt is null,
// from the daily Delta T table at the nearest UT day. Error -401.
void SG2_date_set_tabjd_tt(const double* delta_tt, tabjd* jd, int* err);

// Sets jd, R and L, interpolated linearly between the two 0 h TT entries around jd_tt.
// Errors -510, -511.
void SG2_heliocentric_set_helioc_data(const tabjd* jd, helioc* hc, int* err);

// Sets every field of gc from the date, the heliocentric data and the nearest 30-day nutation
// entry. Errors -610, -611. Succeeds for 2444209.5 <= jd_tt < 2462884.5 (1979-12-02 0 h to
// 2031-01-18 0 h TT).
void SG2_geocentric_set_geoc_data(const tabjd* jd, const helioc* hc, geoc* gc, int* err);

// Fills the observer record (phi, lambda, h and the derived terms) from the a and f it holds.
// lon, lat in radians, h in metres.
void SG2_topocecentric_set_tabgeopoint(double lon, double lat, double h, tabgeopoint* gp);

// Fills the topocentric record from filled geocentric and observer records: hour angle,
// parallax in right ascension and declination (factor a / 1 au, not divided by R), elevation
// without refraction and azimuth from north through east.
void SG2_topocentric_set_topoc_data(const geoc* gc, const tabgeopoint* gp, topoc* tp);
