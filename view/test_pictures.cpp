#include "view/test_pictures.h"

#include <FL/Fl_Widget.H>
#include <FL/Fl_Window.H>

#include <cstdint>
#include <cstring>

#include "view/canvas.h"
#include "view/quantise.h"
#include "view/screen.h"

namespace {

void show_canvas_as_it_stands() {
  quant_display(uimage, 0);
  replace_shown_image();
  if (picture_widget && picture_widget->window()) picture_widget->window()->redraw();
}

void pattern(int mode) {
  if (do_open_busy()) return;  // the reader running owns the loaded image
  test_image(mode);
  if (img_allocated == -1) return;  // no block: test_image has said so
  image_post(width, height, 1);
  show_canvas_as_it_stands();
}

}  // namespace

void cb_test1(Fl_Widget*, void*) { pattern(0); }
void cb_test2(Fl_Widget*, void*) { pattern(1); }

void cb_test3(Fl_Widget*, void*) {
  if (do_open_busy()) return;
  const bool renewed = !img_content || (int64_t)img_allocated != (int64_t)width * height;
  test_image(2);
  if (img_allocated == -1) return;
  // A renewed block holds whatever memory held, and the next redraw would show it; a reused one
  // still holds the picture.
  if (renewed) memset(img_content, 0, (size_t)img_allocated * 16);
  show_canvas_as_it_stands();
}
