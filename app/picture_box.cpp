#include "app/picture_box.h"

#include <FL/Fl.H>

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "app/open_file.h"
#include "app/panel.h"
#include "app/sun_report.h"
#include "app/window_layout.h"
#include "earth/constants.h"
#include "earth/globe.h"
#include "platform/dialogs.h"
#include "scene3d/navigate.h"
#include "view/canvas.h"
#include "view/compose.h"
#include "view/pan.h"
#include "view/screen.h"
#include "view/zoom.h"

int left_button = 0, right_button = 0;
int x_last = 0, y_last = 0;
int x_last_drag = 0, y_last_drag = 0;
int current_mouse_mode = 0;
int mouse_mode = 0;
double fg_r = 1.0, fg_g = 1.0, fg_b = 1.0;
void (*drop_open)(int fit) = do_open;

void cb_mode(Fl_Widget*, long value) { mouse_mode = (int)value; }

void cb_color(Fl_Widget*, void*) { plat_color_chooser("color", &fg_r, &fg_g, &fg_b, -1); }

static int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int decode_dropped_name(const char* text, int len, char* out, int size) {
  if (!text || len < 1 || len > 399 || size < 1) return 0;
  // Several dropped files arrive one URI a line; the first is opened.
  int end = 0;
  while (end < len && text[end] != '\n' && text[end] != 0) end++;
  if (end < len && text[end] == '\n' && end > 0 && text[end - 1] == '\r') end--;
  int i = 0;
  if (end >= 7 && strncmp(text, "file://", 7) == 0) i = 7;
  int n = 0;
  for (; i < end && n < size - 1; i++) {
    char c = text[i];
    if (c == '%' && i + 2 < end) {
      int hi = hex_digit(text[i + 1]), lo = hex_digit(text[i + 2]);
      if (hi >= 0 && lo >= 0) {
        c = (char)(hi * 16 + lo);
        // A NUL would cut the name short and open some other file.
        if (c == 0) return 0;
        i += 2;
      }
    }
    out[n++] = c;
  }
  out[n] = 0;
  return n > 0;
}

void globe_point_under(int X, int Y, double* lon, double* lat) {
  // A drag zoom composes the globe picture at another step; the point is the one drawn there.
  double ix, iy;
  if (canvas_to_image(X, Y, &ix, &iy))
    globe_point(ix, iy, image_xres, image_yres, lon, lat);
  else
    globe_point(X, Y, width, height, lon, lat);
}

static int canvas_x() { return Fl::event_x() - (WB + WW / 2); }
static int canvas_y() { return Fl::event_y() - (HM + HH / 2); }
static bool over_canvas(int X, int Y) { return X >= 0 && X < width && Y >= 0 && Y < height; }

static void store_position() {
  x_last = Fl::event_x();
  y_last = Fl::event_y();
}

static void redraw_now() {
  upd_rgb(0);
  Fl::flush();
}

// One zoom step of a drag, with the picture's size and scale in the status line.
static void drag_zoom(int to, bool recentre_fitting) {
  zoom_to_step(to, recentre_fitting);
  char text[80];
  snprintf(text, sizeof text, "%d x %d  (%d%%)", image_xres, image_yres, zoom_percent(zoom));
  set_status(text);
}

// Colour pick: the shown bytes under the pointer become the paint colour.
static void pick_colour(int X, int Y) {
  if (!over_canvas(X, Y) || !uimage) return;
  const unsigned char* p = uimage + 3 * ((int64_t)Y * width + X);
  char text[64];
  snprintf(text, sizeof text, "%d %d: %d %d %d\n", X, Y, p[0], p[1], p[2]);
  set_status(text);
  Fl::flush();
  fg_r = p[0] / 255.0, fg_g = p[1] / 255.0, fg_b = p[2] / 255.0;
}

// Paint: the loaded-image pixel drawn at canvas position (X, Y) takes the paint colour.
static void paint_at(int X, int Y) {
  if (!loaded_image_valid()) return;
  const zoom_step& z = zooms[zoom];
  int64_t ix = (X - (width - (int64_t)image_xres * z.num / z.den) / 2 - shiftx) * z.den / z.num;
  int64_t iy = (Y - (height - (int64_t)image_yres * z.num / z.den) / 2 - shifty) * z.den / z.num;
  if (ix < 0 || iy < 0 || ix >= image_xres || iy >= image_yres) return;
  float* p = img_content + 4 * (iy * image_xres + ix);
  p[0] = (float)fg_r, p[1] = (float)fg_g, p[2] = (float)fg_b;
}

static void on_push() {
  int button = Fl::event_button();
  int X = canvas_x(), Y = canvas_y();
  if (button == FL_LEFT_MOUSE) {
    left_button = 1;
    right_button = 0;
    store_position();
    if (mouse_mode == 1) pick_colour(X, Y);
    if (mouse_mode == 2) {
      paint_at(X, Y);
      redraw_now();
    }
  } else if (button == FL_RIGHT_MOUSE) {
    right_button = 1;
    left_button = 0;
    store_position();
    if (is_content_vglobe()) {
      double lon, lat;
      globe_point_under(X, Y, &lon, &lat);
      sun_report_at(lon, lat);
    }
  }
}

static int on_left_drag() {
  const int dx = Fl::event_x() - x_last, dy = Fl::event_y() - y_last;
  if (mouse_mode == 1) {
    pick_colour(canvas_x(), canvas_y());
    store_position();
    return 1;
  }
  if (mouse_mode == 2) {
    if (dx == 0 && dy == 0) return 1;
    int X = canvas_x(), Y = canvas_y();
    paint_at(X, Y);
    if (dx > 2 || dx < -2 || dy != 0)
      paint_at((x_last - (WB + WW / 2) + X) / 2, (y_last - (HM + HH / 2) + Y) / 2);
    store_position();
    redraw_now();
    return 1;
  }
  if (is_content_3d()) {
    if (dx || dy) scene3d::srtm3_rotate(dx, dy);
    store_position();
    redraw_now();
    return 1;
  }
  if (is_content_rasmol()) return 1;
  if (Fl::event_state() & FL_CTRL) {
    if (dy < -2 && zoom > 0)
      drag_zoom(zoom - 1, true);
    else if (dy > 2 && zoom <= n_zooms - 2)
      drag_zoom(zoom + 1, false);
    store_position();
    redraw_now();
    return 1;
  }
  if (is_content_vglobe()) {
    globe_dx += dx * globe_zoom * 0.006;
    globe_dy -= dy * globe_zoom * 0.006;
    store_position();
    load_globe2d();
    Fl::flush();
    return 0;
  }
  shiftx = limit_pan(shiftx + dx, image_xres, width);
  shifty = limit_pan(shifty + dy, image_yres, height);
  store_position();
  redraw_now();
  return 1;
}

static int on_right_drag() {
  if (!is_content_3d() && !is_content_vglobe() && !is_content_rasmol()) {
    const int y = Fl::event_y();
    if (y < y_last && zoom > 0)
      drag_zoom(zoom - 1, true);
    else if (y > y_last && zoom <= n_zooms - 2)
      drag_zoom(zoom + 1, true);
  }
  store_position();
  redraw_now();
  return 1;
}

static void on_move() {
  if (current_mouse_mode != 1) return;
  int X = canvas_x(), Y = canvas_y();
  bool moved = X != x_last_drag || Y != y_last_drag;
  x_last_drag = X;
  y_last_drag = Y;
  if (!over_canvas(X, Y)) {
    set_status("");
  } else if (is_content_vglobe()) {
    if (!moved) return;
    double lon, lat;
    globe_point_under(X, Y, &lon, &lat);
    char text[80];
    snprintf(text, sizeof text, "long: %.2f, lat: %.2f", lon * 180 / PI_8,
             lat * 180 / PI_8);
    set_status(text);
  } else {
    set_status("-");
  }
}

static void on_drop() {
  if (do_open_busy()) return;  // one file at a time: the running reader keeps its name
  char name[400];
  if (!decode_dropped_name(Fl::event_text(), Fl::event_length(), name, sizeof name)) return;
  snprintf(openfilename, sizeof openfilename, "%s", name);
  drop_open(1);
}

int MyBox::handle(int event) {
  switch (event) {
    case FL_PUSH:
      on_push();
      return 1;
    case FL_RELEASE:
      left_button = right_button = 0;
      return 1;
    case FL_DRAG:
      if (left_button) return on_left_drag();
      if (right_button) return on_right_drag();
      return 1;
    case FL_MOVE:
      on_move();
      return 1;
    case FL_ENTER:
      return 1;
    case FL_LEAVE:
      set_status("");
      return 1;
    case FL_MOUSEWHEEL:
      if (Fl::event_dy() > 0) cb_zoom_out(nullptr, nullptr);
      if (Fl::event_dy() < 0) cb_zoom_in(nullptr, nullptr);
      return 1;
    case FL_DND_ENTER:
    case FL_DND_DRAG:
    case FL_DND_RELEASE:
      return 1;
    case FL_PASTE:
      on_drop();
      return 1;
    default:
      return 0;
  }
}
