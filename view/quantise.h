// The display quantiser: the float canvas to packed 8-bit RGB by error diffusion, one worker per
// colour channel.
#pragma once

// Error rows of the diffusion, one per channel, err_alloc floats each (allocated at start-up and
// grown by the window's resize; the quantiser never allocates). They must hold at least
// err_rows_needed(width) floats.
extern float* err_lines_r;
extern float* err_lines_g;
extern float* err_lines_b;
extern int err_alloc;

// Display depth class, fixed at start: 15/16-bit displays get 32 levels a channel, 8-bit
// displays 16, all others 256.
extern int col_high;
extern int col_palette;

// Test hook: when set, the code path for processors without a one-instruction truncation runs
// even where the processor has one (both give the same bytes).
extern int quant_portable_path;

// Floats each error row needs for a canvas `w` pixels wide: three rows plus a margin of two zero
// cells on each side of each row, so the diffusion reads its neighbours without edge tests.
inline int err_rows_needed(int w) { return 3 * (w + 4); }

// Quantises the whole canvas into dest (width*height*3 bytes). always8bit lifts the error clamp of
// true-colour displays (for writing files). Nothing is written when height is 0.
void quant_display(unsigned char* dest, int always8bit);

// The channel worker; arg points to an int holding the channel (0 red, 1 green, 2 blue).
int quant_display_comp(void* arg);
