#include "view/text_view.h"

#include <FL/Fl_Group.H>
#include <FL/Fl_RGB_Image.H>

#include <cstring>

#include "view/font.h"
#include "view/quantise.h"
#include "view/screen.h"
#include "view/stores.h"

// Cells whose glyphs would land wholly outside the canvas draw nothing, so the walk skips them:
// the rest of a line past the right edge, and every line below the bottom edge. The picture is
// the same as walking every byte.
static void draw_text(const unsigned char* text, long n) {
  long i = 0;
  int row = 0;
  while (i < n) {
    if (18 * row + 1 >= height) return;
    int col = 0;
    for (; i < n && text[i] != '\n'; i++, col++) {
      if (9 * col + 1 >= width) {
        const void* lf = memchr(text + i, '\n', (size_t)(n - i));
        i = lf ? (const unsigned char*)lf - text : n;
        break;
      }
      print_char(col, row, text[i]);
    }
    i++;  // the line feed
    row++;
  }
}

void do_textview() {
  do_clear_text();
  if (bin_content && bin_allocated > 0) draw_text(bin_content, bin_allocated);
  quant_display(uimage, 0);
  if (picture_widget) {
    picture_widget->image(fl_temp);
    if (picture_widget->parent()) picture_widget->parent()->redraw();
  }
}
