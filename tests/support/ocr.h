// Reads text back from a picture drawn with the bitmap font: a 9 x 18 text cell is matched
// against every glyph that the font drawing puts down (codes 33 to 127).
#pragma once
#include <string>

// Results besides a character code.
constexpr int OCR_BLANK = ' ';     // no ink anywhere in the cell
constexpr int OCR_UNKNOWN = -1;    // ink that is no glyph, or ink on the cell's spacing pixels
constexpr int OCR_AMBIGUOUS = -2;  // a cut cell whose visible part fits more than one glyph

// Reads cell (col, row) of a float RGBA picture of w x h. A pixel is ink when its red, green and
// blue equal ink's within 1e-6. Only pixels inside the picture are compared, so a cell cut by the
// edge still reads when its visible part fits one glyph alone.
int ocr_cell(const float* pic, int w, int h, int col, int row, const float ink[3]);

// The same on packed 8-bit RGB (the quantised canvas, a screenshot): a pixel is ink when each
// channel is within `tolerance` of ink (0..255).
int ocr_cell_rgb(const unsigned char* rgb, int w, int h, int col, int row, const int ink[3],
                 int tolerance);

// The canvas (black ink) and the loaded image (the error canvas's ink).
int ocr_canvas_cell(int col, int row);
int ocr_image_cell(int col, int row);

// Cells col0 .. col0+n-1 of a row as a string: blanks as ' ', unknown and ambiguous cells as '?'.
std::string ocr_canvas_text(int row, int col0, int n);
std::string ocr_image_text(int row, int col0, int n);
