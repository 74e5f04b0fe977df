#include "view/zoom_cmds.h"

#include <FL/Fl.H>

#include "earth/globe.h"
#include "scene3d/view3d.h"
#include "view/canvas.h"
#include "view/screen.h"
#include "view/zoom.h"

// Scales a pan offset by new/old shown size; a picture that was shown 0 pixels wide has no
// position to carry over, so it starts centred.
static int rescale(int shift, int64_t now, int64_t before) {
  if (before == 0) return 0;
  return (int)((int64_t)shift * now / before);
}

static int within_overflow(int shift, int64_t shown, int canvas) {
  int64_t half = (shown - canvas) / 2;
  if (half > 0) {
    if (shift > half) return (int)half;
    if (shift < -half) return (int)-half;
  }
  return shift;
}

void zoom_to_step(int to, bool recentre_fitting) {
  int64_t ow = zoom_shown(image_xres, zoom), oh = zoom_shown(image_yres, zoom);
  zoom = to;
  int64_t nw = zoom_shown(image_xres, zoom), nh = zoom_shown(image_yres, zoom);
  if (recentre_fitting) {
    if (nw <= width) shiftx = 0;
    if (nh <= height) shifty = 0;
  }
  shiftx = within_overflow(rescale(shiftx, nw, ow), nw, width);
  shifty = within_overflow(rescale(shifty, nh, oh), nh, height);
}

int limit_pan(int shift, int image_side, int canvas_side) {
  const zoom_step& z = zooms[zoom];
  int64_t m = (canvas_side - (int64_t)image_side * z.num / z.den) / 2;
  if (m >= 0) return 0;
  if (shift < m - 10) return (int)(m - 10);
  if (shift > 10 - m) return (int)(10 - m);
  return shift;
}

enum zoom_cmd { Z_IN, Z_OUT, Z_1_1 };

static void zoom_cmd(zoom_cmd cmd) {
  if (is_content_3d()) {
    if (cmd == Z_IN) srtm3_zoom_in();
    if (cmd == Z_OUT) srtm3_zoom_out();
    if (cmd == Z_1_1) srtm3_zoom_1_1();
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
    if (cmd == P_LEFT) srtm3_left();
    if (cmd == P_RIGHT) srtm3_right();
    if (cmd == P_UP) srtm3_up();
    if (cmd == P_DOWN) srtm3_down();
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
