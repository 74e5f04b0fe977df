// The virtual globe.
#pragma once

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

// Renders the globe for the present moment into the loaded image and posts it.
void load_globe2d();
