#include "view/hex_view.h"

#include <FL/Fl_Group.H>
#include <FL/Fl_RGB_Image.H>

#include "view/font.h"
#include "view/quantise.h"
#include "view/screen.h"
#include "view/stores.h"

static const char lower_hex[] = "0123456789abcdef";
static const char upper_hex[] = "0123456789ABCDEF";

// Cells of a line: the line number in 0..7, ":" in 8, the bytes from 10, the characters from 51.
static const int COLON_CELL = 8, BYTES_CELL = 10, CHARS_CELL = 51;

int hex_digit_cell(int k) { return BYTES_CELL + 2 * k + k / 2; }

static void draw_header() {
  for (int c = 0; c < 8; c++) print_char(c, 0, '0' + (8 - c));
  for (int k = 0; k < 16; k++) {
    print_char(hex_digit_cell(k), 0, lower_hex[k]);
    print_char(hex_digit_cell(k) + 1, 0, lower_hex[k]);
    print_char(CHARS_CELL + k, 0, lower_hex[k]);
  }
}

static void draw_line_number(int row, unsigned n) {
  for (int d = 0; d < 8; d++) print_char(7 - d, row, lower_hex[(n >> (4 * d)) & 15]);
  print_char(COLON_CELL, row, ':');
}

// Lines whose glyphs would fall wholly below the canvas are not walked: the dump shows the lines
// that fit, whatever the length of the file.
static void draw_bytes(const unsigned char* bytes, long n) {
  for (long o = 0; o < n; o++) {
    unsigned line = (unsigned)(o / 16);
    int k = (int)(o % 16);
    int row = (int)line + 1;
    if (18 * row + 1 >= height) return;
    if (k == 0) draw_line_number(row, line);
    unsigned char b = bytes[o];
    print_char(hex_digit_cell(k), row, upper_hex[b >> 4]);
    print_char(hex_digit_cell(k) + 1, row, upper_hex[b & 15]);
    if (b >= 33 && b <= 126) print_char(CHARS_CELL + k, row, b);
  }
}

void do_hexview() {
  do_clear_text();
  draw_header();
  if (bin_content && bin_allocated > 0) draw_bytes(bin_content, bin_allocated);
  quant_display(uimage, 0);
  if (picture_widget) {
    picture_widget->image(fl_temp);
    if (picture_widget->parent()) picture_widget->parent()->redraw();
  }
}
