// The globe's state: the view, and what a render hands its band workers. Kept apart from the
// render (globe.cpp), which calls the row shading (globe_shade.cpp) that reads this state.
#include "earth/globe.h"

double globe_zoom = GLOBE_ZOOM_START;
double globe_dx = 0.0;
// The first view looks a little north: the pan is set once from the starting scale.
double globe_dy = -0.3 * GLOBE_ZOOM_START;
double look_at_laenge = 0.0, look_at_breite = 0.0;
float v_night = 0.55f, v_contrast = 1.0f;

// Written by a render before its band workers start.
int xres = 0, yres = 0;
double JD = 0;
double sol_phi_northpole = 0, sol_theta_northpole = 0;
double SOLX = 0, SOLY = 0, SOLZ = 0;
double moon_azimuth = 0, moon_altitude = 0, moon_phase = 0;
double opti[100];
int globe_moon_view = 0;
int globe_sun_known = 0;
