// The 63 zoom steps of the image view and the choice of the step at which a picture fits.
#pragma once
#include <cstdint>

// One zoom step: the scale num/den (not always in lowest terms), the rounding term of the shown
// size, and the composition code. Code 0 marks the 1:1 step; codes 14 and 58 mark the two steps
// that replicate pixels instead of interpolating.
struct zoom_step {
  int num, den, adj, code;
};

extern const zoom_step zooms[];
extern const int n_zooms;  // 63; the first and last rows are the zoom limits

// How a step composes the picture, from its reduction r and magnification m (the scale num/den
// in lowest terms is m/r).
enum zoom_mode { ZM_COPY, ZM_BOX, ZM_BILINEAR, ZM_FIVE_POINT, ZM_REPLICATE };
zoom_mode zoom_mode_of(int step, int* reduce = nullptr, int* magnify = nullptr);

// The step whose code is 0 (1:1), found by searching the table.
int zoom_step_1_1();

// Shown size of an image side of n pixels at `step`: (n*num + adj)/den, truncating toward zero.
// Taken in 64 bits, so no picture size can overflow it.
int64_t zoom_shown(int64_t n, int step);

// The step's percentage, num*100/den truncated (1 at step 0, 100 at 1:1, 4000 at the last step).
int zoom_percent(int step);

// The step at which a w x h picture fits a cw x ch canvas: the largest enlargement that still
// fits a smaller picture, 1:1 for one that touches the canvas, else the largest reduction that
// fits, or the strongest reduction when none does.
int find_best_zoom(int w, int h, int cw, int ch);
