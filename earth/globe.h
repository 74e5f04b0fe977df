// The virtual globe: an equirectangular map of the Earth coloured from the elevation model and
// the day texture, shaded by the relief and by the Sun of the present moment, with a soft
// day-night boundary, city lights on the night side and, in the "moon" view, the Moon's disc.
#pragma once

#include "platform/clock.h"

// The globe's view state, for the whole process. globe_zoom is the scale (one canvas pixel spans
// 0.35 x globe_zoom degrees), globe_dx and globe_dy the pan in radians, subtracted from every
// pixel's longitude and latitude; look_at_laenge and look_at_breite are the longitude and
// latitude of the view centre in radians; v_night is the night brightness knob and v_contrast
// the weight of the sunlight.
extern double globe_zoom;
extern double globe_dx, globe_dy;
extern double look_at_laenge, look_at_breite;
extern float v_night, v_contrast;

// The scale the globe starts at and returns to on 1:1.
constexpr double GLOBE_ZOOM_START = 0.6561;

// Render state, written by globe_render before the band workers start and only read by them.
// xres x yres is the size of the picture (the canvas's at the start of the render); JD the
// moment (Julian date UT); sol_phi_northpole and sol_theta_northpole the Sun's azimuth and
// elevation for an observer at the North Pole (radians), and SOLX, SOLY, SOLZ the sunlight's
// direction made from them: the unit vector towards the Sun in Earth-fixed coordinates (X to
// 0 E on the equator, Y to 90 E, Z to the North Pole) is (SOLY, -SOLX, -SOLZ). moon_azimuth and
// moon_altitude are the sub-lunar point (east longitude and latitude, degrees); moon_phase is 0.
extern int xres, yres;
extern double JD;
extern double sol_phi_northpole, sol_theta_northpole;
extern double SOLX, SOLY, SOLZ;
extern double moon_azimuth, moon_altitude, moon_phase;
// Parameters of the colour-model tuning tool, all 1.0 after every render.
extern double opti[100];
// The view choice as the render read it, once, on the calling thread: 1 draws the Moon's disc.
extern int globe_moon_view;
// 0 when the moment lies outside the solar tables: no direction of the Sun exists and the whole
// globe shows its night side.
extern int globe_sun_known;

// The render hands its rows out this many at a time to globe_workers band workers (0: one a
// processor); the picture is the same for every split.
constexpr int GLOBE_ROWS_A_PIECE = 8;
extern int globe_workers;

// One band worker's share: rows band x yres / nbands up to (band + 1) x yres / nbands - 1.
// Only the low 16 bits of each field count.
struct globe_band {
  int band, nbands;
};

// The point (radians) that the view puts at position x, y of a globe picture w x h: the
// longitude wrapped by whole turns into lon_low..lon_low + 2 pi (the render takes 0..2 pi, the
// pointer readout -pi..pi), the latitude folded into -pi/2..pi/2. A pan of many turns is first
// reduced exactly, so the wrapping stays a few steps.
double globe_longitude_at(double x, double w, double lon_low);
double globe_latitude_at(double y, double h);
// Both, with the longitude in -pi..pi.
void globe_point(double x, double y, double w, double h, double* lon, double* lat);

// Renders the globe for the present moment into the loaded image and posts and shows it.
void load_globe2d();

// The render alone (load_globe2d without posting and redrawing): sizes the loaded image to the
// canvas, takes the clock, the Sun and the Moon, and paints the picture on band workers.
// Returns 0, or -1 when there is no canvas or no memory for the picture ("memory error (init
// img)" on the console; nothing painted).
int globe_render();

// The band worker; `band` points to a globe_band. Returns 0.
int globe2d_comp(void* band);

// The globe's own HSV to RGB step (hue 0..1), single precision, with its own treatment of the
// top of the hue circle (from 6 hue > 5.99 the colour stays at the end of the last sextant).
void globe_hsv2rgb(float h, float s, float v, float* r, float* g, float* b);

// The day texture at a point (longitude 0..2 pi east or -pi..pi, latitude, radians): bilinear,
// channels 0..1. The texture's first and last columns are never read.
void globe_rgb_pape(double lon, double lat, float* r, float* g, float* b);
// The night lights at a point, 0..255/256, written to all three outputs.
void night_function(double lon, double lat, float* r, float* g, float* b);
// The 4 x 4 reduced day texture at a point (outputs 0.5 first, then the sample).
void globe_rgb(double lon, double lat, float* r, float* g, float* b);

// The bilinear rule of globe_rgb_pape and night_function on any image of W x H pixels of
// `channels` bytes (rows from 90 N, column 0 at 180 W), each channel divided by `divisor`.
void globe_texture_sample(const unsigned char* pixels, int W, int H, int channels, float divisor,
                          double lon, double lat, float* out);
