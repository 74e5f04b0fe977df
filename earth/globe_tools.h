// Development tools of the globe, for the console: a test of the elevation model and the
// ellipsoid geometry at one place, a measure of how well the colour model matches the day
// texture with a search that tries to tune it, and a fast arctangent. Nothing in the window
// calls them.
#pragma once

// An arctangent within 0.0016 rad of atan on -1..1 (a quadratic correction of the line pi/4 x);
// beyond, plus or minus pi/2.
double fast_atan(double x);

// Prints the coarse grids' and the cascade's heights at 7 E, 47 N, the surface and space points
// there, how far the geocentric and the foot-point projections land from the surface point, and
// the place recovered from it. Returns what the last printf returned.
int test_globe();

// The mean squared difference between the colour model's base colour (from the height alone)
// and the day texture, in hue, saturation and value, over 300 x 600 points of the whole globe.
double compute_merit();

// The merit opt_merit minimises; compute_merit unless a caller puts another here. The search
// changes opti[0..27] and expects the merit to read them.
extern double (*opt_merit_function)();

// Coordinate search on opti[0..27]: 40 passes, each trying every parameter a step up, then a
// step down, keeping what lowers the merit; the step shrinks by 0.6 after a pass without gain.
// Prints "%d: %f\n" (pass, best merit) after each pass, then "lambda=%f\n" with the final step
// and the 28 parameters as "%d: %f\n". compute_merit does not read opti, so with it nothing
// changes (and each of its ~2,240 calls takes a noticeable fraction of a second).
void opt_merit();
