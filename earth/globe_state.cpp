#include "earth/globe.h"

double globe_zoom = GLOBE_ZOOM_START;
double globe_dx = 0.0;
// The first view looks a little north: the pan is set once from the starting scale.
double globe_dy = -0.3 * GLOBE_ZOOM_START;
double look_at_laenge = 0.0, look_at_breite = 0.0;
float v_night = 0.55f, v_contrast = 1.0f;
