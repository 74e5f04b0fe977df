// HSV and RGB conversions for the whole program, and the display colour-space conversions.
#pragma once

// Colour mode of the frame composer: 0 none, 1 srgb2adobe, 5 power 1.467, 11 srgb2cinema; the
// other values (2, 3, 4, 13) change nothing. Stays 0 unless a mode operation sets it.
extern int rgb_mode;

// Hue in 0..1 (one turn: 0 red, 1/3 green, 2/3 blue); saturation and value 0..1.
void hsv2rgb(double h, double s, double v, float* r, float* g, float* b);
void rgb2hsv(float r, float g, float b, float* h, float* s, float* v);

// sRGB to the colours of particular displays; out may alias the input pixel.
void srgb2cinema(float r, float g, float b, float* out);
void srgb2adobe(float r, float g, float b, float* out);
void srgb2apple(float r, float g, float b, float* ro, float* go, float* bo);

// The 9 x 9 x 9 node tables behind srgb2cinema and srgb2adobe: node (i, j, k) for the input
// (i/8, j/8, k/8) at float ((k*9 + j)*9 + i)*3, red index fastest.
extern const float* const cinema_lut;
extern const float* const adobe_lut;
