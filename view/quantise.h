// The display quantiser: the float canvas to packed 8-bit RGB by error diffusion, the three colour
// channels side by side on the calling thread.
#pragma once
#include <functional>

// Error rows of the diffusion, one per channel, err_alloc floats each (allocated at start-up and
// grown by the window's resize; the quantiser never allocates). They must hold at least
// err_rows_needed(width) floats.
extern float* err_lines_r;
extern float* err_lines_g;
extern float* err_lines_b;
extern int err_alloc;

// Allocates the three error rows of n floats each; 0 on success, 1 on failure (nothing kept).
int alloc_err_rows(int n);

// Test hook: when set, allocations of the error rows fail.
extern int fail_err_rows_alloc;

// Display depth class, fixed at start: 15/16-bit displays get 32 levels a channel, 8-bit
// displays 16, all others 256.
extern int col_high;
extern int col_palette;

// Test hook: at most this instruction set is used (1 SSE2, 2 SSE4.1, 3 AVX-512; 0 the best the
// processor has). All give the same bytes.
extern int quant_isa_limit;

// Floats each error row needs for a canvas `w` pixels wide: the three errors of each pixel plus a
// margin of two zero pixels at each end, so the diffusion reads its neighbours without edge tests,
// and one float more for reading a pixel's three errors as four.
inline int err_rows_needed(int w) { return 3 * (w + 4) + 1; }

// Quantises the whole canvas into dest (width*height*3 bytes). always8bit lifts the error clamp of
// true-colour displays (for writing files). Nothing is written when height is 0.
void quant_display(unsigned char* dest, int always8bit);

// quant_display while the canvas is still being painted: before row y is read, wait_row(y)
// returns once that row is final. The bytes are those of quant_display on the finished canvas.
void quant_display_following(unsigned char* dest, int always8bit,
                             const std::function<void(int)>& wait_row);

// The channel worker, usable as a thread body: quantises one channel into dest on that channel's
// own error row (err_rows_needed floats hold it as three rows of width + 4); arg points to an int
// holding the channel (0 red, 1 green, 2 blue). quant_display does not need it.
int quant_display_comp(void* arg);
