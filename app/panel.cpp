#include "app/panel.h"

#include <FL/Fl.H>
#include <FL/Fl_Choice.H>

#include <cstdint>

#include "earth/globe.h"
#include "scene3d/navigate.h"
#include "view/adjust.h"
#include "view/canvas.h"
#include "view/pan.h"
#include "view/screen.h"
#include "view/zoom.h"

enum zoom_cmd { Z_IN, Z_OUT, Z_1_1 };

static void zoom_cmd(zoom_cmd cmd) {
  if (is_content_3d()) {
    if (cmd == Z_IN) scene3d::srtm3_zoom_in();
    if (cmd == Z_OUT) scene3d::srtm3_zoom_out();
    if (cmd == Z_1_1) scene3d::srtm3_zoom_1_1();
    return;
  }
  if (is_content_vglobe()) {
    if (cmd == Z_1_1) globe_zoom = GLOBE_ZOOM_START;
    if (cmd == Z_IN) globe_zoom = 0.9 * globe_zoom;
    if (cmd == Z_OUT) {
      globe_zoom = globe_zoom / 0.9;
      if (globe_zoom > 1.4) globe_zoom = 1.4;
    }
    load_globe2d();
    Fl::flush();
    return;
  }
  if (!is_content_rasmol()) {
    if (cmd == Z_IN && zoom >= n_zooms - 1) return;
    if (cmd == Z_OUT && zoom <= 0) return;
    int to = cmd == Z_1_1 ? zoom_step_1_1() : cmd == Z_IN ? zoom + 1 : zoom - 1;
    set_status("");
    zoom_to_step(to, cmd == Z_OUT);
  }
  upd_rgb(0);
  // 1:1 shows at once; stepping in or out is drawn when the toolkit next waits for events.
  if (cmd == Z_1_1)
    Fl::flush();
  else
    Fl::ready();
}

void cb_zoom_in(Fl_Widget*, void*) { zoom_cmd(Z_IN); }
void cb_zoom_out(Fl_Widget*, void*) { zoom_cmd(Z_OUT); }
void cb_zoom_1_1(Fl_Widget*, void*) { zoom_cmd(Z_1_1); }

enum pan_cmd { P_LEFT, P_RIGHT, P_UP, P_DOWN };

static void pan_cmd(pan_cmd cmd) {
  if (is_content_3d()) {
    if (cmd == P_LEFT) scene3d::srtm3_left();
    if (cmd == P_RIGHT) scene3d::srtm3_right();
    if (cmd == P_UP) scene3d::srtm3_up();
    if (cmd == P_DOWN) scene3d::srtm3_down();
    return;
  }
  if (is_content_vglobe()) {
    double step = 0.1 * globe_zoom;
    if (cmd == P_LEFT) globe_dx += step;
    if (cmd == P_RIGHT) globe_dx -= step;
    if (cmd == P_UP) globe_dy += step;
    if (cmd == P_DOWN) globe_dy -= step;
    load_globe2d();
    Fl::flush();
    return;
  }
  bool vertical = cmd == P_UP || cmd == P_DOWN;
  // The hex dump does not scroll: up and down only redraw it.
  if (!is_content_rasmol() && !(vertical && view_is_hex())) {
    if (vertical) {
      int64_t shown = zoom_shown(image_yres, zoom);
      int step = (int)((shown < height ? shown : height) / 7);
      shifty += cmd == P_DOWN ? step : -step;
      shifty = limit_pan(shifty, image_yres, height);
    } else {
      int step = width / 7;
      shiftx += cmd == P_LEFT ? step : -step;
      shiftx = limit_pan(shiftx, image_xres, width);
    }
  }
  upd_rgb(0);
  Fl::flush();
}

void cb_left(Fl_Widget*, void*) { pan_cmd(P_LEFT); }
void cb_right(Fl_Widget*, void*) { pan_cmd(P_RIGHT); }
void cb_up(Fl_Widget*, void*) { pan_cmd(P_UP); }
void cb_down(Fl_Widget*, void*) { pan_cmd(P_DOWN); }

// One press on a globe knob: the step in single precision, the bound compared in double.
static void step_knob(float* knob, double delta, double bound) {
  float v = (float)(*knob + delta);
  if (delta < 0 ? v < bound : v > bound) v = (float)bound;
  *knob = v;
}

static void adjust(adjust_op op) {
  // While a reader fills the loaded image (it lets the toolkit run part-way) nothing else may
  // rewrite it.
  if (do_open_busy()) return;
  if (is_content_vglobe()) {
    if (op == DARKER) step_knob(&v_night, -0.05, 0.05);
    if (op == BRIGHTER) step_knob(&v_night, 0.05, 0.7);
    if (op == FLATTER) step_knob(&v_contrast, -0.05, 0.8);
    if (op == STEEPER) step_knob(&v_contrast, 0.05, 1.2);
    load_globe2d();
    Fl::flush();
    return;
  }
  if (!is_content_image() && !is_content_rasmol()) return;
  if (!adjust_loaded_image(op)) return;
  upd_rgb(0);
  Fl::flush();
}

void cb_bright(Fl_Widget*, void*) { adjust(DARKER); }
void cb_Bright(Fl_Widget*, void*) { adjust(BRIGHTER); }
void cb_contr(Fl_Widget*, void*) { adjust(FLATTER); }
void cb_Contr(Fl_Widget*, void*) { adjust(STEEPER); }

static void rotate(bool left) {
  if (do_open_busy()) return;  // a reader is filling the block
  if (is_content_rasmol()) {
    upd_rgb(0);
    Fl::flush();
    return;
  }
  if (!is_content_image() || !turn_loaded_image(left)) return;
  upd_rgb(0);
  Fl::flush();
}

void cb_L(Fl_Widget*, void*) { rotate(true); }
void cb_R(Fl_Widget*, void*) { rotate(false); }

void choice_cb(Fl_Widget*, void*) {
  int idx = choice ? choice->value() : -1;
  bool over_kind = empty_choices_shown();
  set_choice(idx);
  if (choice) choice->value(idx);
  // While the empty view's list stands over another kind, the kind's own view is not shown.
  if (is_content_vglobe() && !over_kind)
    load_globe2d();
  else
    upd_rgb(0);
  Fl::flush();
}
