#include "view/display_modes.h"

#include <FL/Fl.H>

#include "view/canvas.h"
#include "view/colour.h"

int reduce_blue = 0;

namespace {

void redraw() {
  upd_rgb(0);
  Fl::flush();
}

void set_rgb_mode(int mode) {
  rgb_mode = mode;
  redraw();
}

}  // namespace

void temp5000_cb(Fl_Widget*, void*) {
  reduce_blue = 1;
  redraw();
}
void temp6000_cb(Fl_Widget*, void*) {
  reduce_blue = 0;
  redraw();
}

void rgb_std_cb(Fl_Widget*, void*) { set_rgb_mode(0); }
void rgb_adobe_cb(Fl_Widget*, void*) { set_rgb_mode(1); }
void rgb_mac_cb(Fl_Widget*, void*) { set_rgb_mode(2); }
void rgb_adobe_original_cb(Fl_Widget*, void*) { set_rgb_mode(3); }
void rgb_scratch_cb(Fl_Widget*, void*) { set_rgb_mode(4); }
void rgb_sgi_cb(Fl_Widget*, void*) { set_rgb_mode(5); }
void rgb_cinema_cb(Fl_Widget*, void*) { set_rgb_mode(11); }
void rgb_cinema_original_cb(Fl_Widget*, void*) { set_rgb_mode(13); }
