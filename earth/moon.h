// Where the Moon stands: a low-precision method of orbital elements that grow linearly with
// time, a Kepler equation and the largest perturbation terms (accuracy a fraction of a degree).
// Degrees throughout, unlike the rest of the Earth and sky model.
#pragma once

extern const double d2r;  // degrees to radians
extern const double r2d;  // radians to degrees

// The Moon for the UT Julian date JD and an observer at longitude (east positive) and latitude,
// degrees. The horizontal formulas are fed 180 degrees minus the hour angle, so *azimuth and
// *altitude are the Moon's true horizontal coordinates only at the North Pole; there (latitude
// 90, longitude 0) *azimuth is the east longitude of the sub-lunar point (0 <= az < 360) and
// *altitude its latitude, the Moon's declination, which is how the globe uses it.
// *phase is always 0. With test non-zero, JD, longitude and latitude are ignored and the fixed
// case 1990-04-19 0 h UT at 15 E, 60 N is computed. reserved, reserved2 and reserved3 are unused.
void compute_moon(int test, int reserved, double JD, double longitude, double latitude, double* azimuth,
                  double* altitude, double* phase, double reserved2, double reserved3);

// x reduced into 0 <= x < 360.
double rev(double x);
// Sine and cosine of an angle in degrees.
double sind(double x);
double cosd(double x);
