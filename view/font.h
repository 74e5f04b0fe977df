// The built-in 8 x 16 bitmap font (code page 437) and glyph drawing into 9 x 18 pixel text cells.
#pragma once

// 256 glyphs of 16 bytes: byte r of glyph c is bx_vgafont[16*c + r], row r from the top; bit b
// (value 2^b) is pixel column b from the left. Generated at build time (tools/gen_font.cpp).
extern "C" const unsigned char bx_vgafont[4096];

// Draws glyph c (only 33..127) at text cell (col, row) of the canvas in black; pixels outside the
// canvas are skipped one by one.
void print_char(int col, int row, int c);

// The same into the loaded image, in the error canvas's ink (0.9, 0.9, 0.5, 1).
void print_char_img(int col, int row, int c);

// Draws glyph c (33..127) with its top-left pixel at (x, y) into a float RGBA picture of w x h.
void draw_glyph(float* pic, int w, int h, int x, int y, int c, const float ink[4]);
