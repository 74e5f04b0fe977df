// A view of the Mandelbrot set painted into the loaded image at the size of the canvas. It has
// nothing to do with the Earth, but it also sets the globe's render size, which view/ may not
// touch: so it stands up here, beside the other operations no control reaches.
#pragma once

// The view: mb_zoom is its width in complex units per canvas width; mb_dx and mb_dy are
// subtracted from the real and the imaginary coordinate of every pixel.
extern double mb_zoom;
extern double mb_dx, mb_dy;

// Smooth escape value of c = x + iy under z -> z^2 + c from z = 0, about 0..1: the escape step
// (|z|^2 > 100) over 500, less a fraction for how far past the bound z landed. A point that does
// not escape within 501 steps gives 1.002.
double mb_funct(double x, double y);

// The colour of c = x + iy: black in the set (and at the very edge of it), otherwise bands from
// red far out to green and blue near the set.
void mb_col(double x, double y, float* r, float* g, float* b);

// Paints the view into the loaded image at canvas size on the calling thread, with the real axis
// on the bottom row and two thirds of the width left of the imaginary axis, and shows it. Sets the
// globe's xres and yres to the canvas size. On a failed allocation prints "memory error (init
// img)" and shows nothing new.
void load_mb();
