// Composition of the loaded image onto the canvas at a zoom step, over the background gradient,
// on band workers.
#pragma once
#include "view/zoom.h"

// Composer state, written by image2frame before any band starts and only read by the bands:
// the reduction and magnification of the step (both 1 when copying or replicating), 1/magnify,
// the replication flag and factor, the canvas position of the image's top-left corner before the
// pan, and the number of bands.
extern int reduce, magnify;
extern float inv_magnify;
extern unsigned char special_zoom;
extern int zm;
extern int xx0, yy0;
extern int n_threads;

// Composes the loaded image into the whole canvas at zoom step `step` with the pan shiftx,
// shifty; returns when every band is done. Without a valid loaded image the canvas shows the
// background gradient.
void image2frame(int step);

// image2frame in parts, for a caller that composes rows as they become ready: the set-up for
// step `step` (false when there is no picture to compose, and nothing was set up), then any rows
// y0 .. y1-1 in any order, on any threads. frame_rows_are_image_rows tells, after the set-up,
// whether each canvas row shows the loaded image's row of the same number and nothing else
// (the picture fills the canvas at 1:1).
bool image2frame_begin(int step);
void image2frame_rows(int y0, int y1);
bool frame_rows_are_image_rows();

// The band worker: `band` points to an int holding the band's index.
int image2frame_comp(void* band);

// Bilinear sample of one channel (0..3) of the loaded image at (x, y), pixel (i, j) at x = i,
// y = j. A missing right or lower neighbour is replaced by the top-left sample. Positions below 0
// count as 0, and those beyond the last pixel as the last pixel.
float get_img(float x, float y, int channel);
// The same for red, green and blue, each squared, into out[0..2].
void get_img_rgb(float x, float y, float* out);

// The loaded-image position that canvas pixel (x, y) shows at the current zoom and pan, in image
// pixels (the centre of the averaged block when reducing). False when no picture is composed.
bool canvas_to_image(int x, int y, double* ix, double* iy);
