// The colours of the globe's pixels, a row at a time, for the band workers of earth/globe.cpp.
#pragma once

// What a row of the picture shares: its latitude phi and the one a step north (phi + delta), with
// the terms of the ellipsoid there.
struct globe_row {
  double phi;
  double cos_phi, sin_phi, ra, rb;                  // at phi: a^2 / R and b^2 / R
  double cos_north, sin_north, ra_north, rb_north;  // at phi + delta
  double phi_deg;                                   // phi x 180 / 3.14159265, for the Moon's disc
  float arctic;  // the sea's saturation factor (1 south of the equator)
  float phi2;    // phi^2 for the land's saturation
};

// What a column shares: its longitude lambda (0..2 pi) and the one a step east.
struct globe_column {
  double lambda;
  double cos_lambda, sin_lambda, cos_east, sin_east;
  double lambda_deg;  // lambda x 180 / 3.14159265
};

// Step to the neighbouring heights that give the surface normal: 0.003 degree, about 330 m at
// the equator.
constexpr double GLOBE_DELTA = 5.2359877559829e-5;

void globe_row_at(double phi, globe_row* r);
void globe_column_at(double lambda, globe_column* c);

// The colour a height h0 (metres) gives in row r before texture, light and relief: the sea by
// depth, paler towards the North Pole, the land by height and latitude. HSV, hue 0..1.
void globe_base_hsv(const globe_row& r, double h0, float* hue, float* sat, float* val);

// Writes the n RGBA pixels (alpha 1) of row r at columns c[0..n) into out, from the render
// state (earth/globe.h): the heights from the elevation model (here and one step east and north,
// for the surface normal), the colour model, the Sun's light and the Moon's disc.
void globe_paint_row(const globe_row& r, const globe_column* c, int n, float* out);
