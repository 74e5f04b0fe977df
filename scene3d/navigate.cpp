#include "scene3d/navigate.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <algorithm>

#include "scene3d/frame.h"
#include "scene3d/frame_state.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace scene3d {

namespace {

// One frame of the changed view, posted and shown; a frame that could not be painted leaves
// the picture as it was (its reason is on the status line). While a reader runs, the loaded
// image is its own: the changed view shows at the next step after it.
void show_step() {
  if (do_open_busy()) return;
  UpdateAngles();
  if (UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0) != 0) return;
  image_post(width, height, 1);
  upd_rgb(0);
}

void zoom_by(float f) {
  magn = std::min(kMagnMax, std::max(kMagnMin, magn * f));
  show_step();
}

}  // namespace

void srtm3_rotate(int dx, int dy) {
  rot_x += 0.15f * dy;
  rot_z -= 0.15f * dx;
  show_step();
}

void srtm3_left() {
  rot_z += 5;
  show_step();
}

void srtm3_right() {
  rot_z -= 5;
  show_step();
}

void srtm3_up() {
  rot_x += 5;
  show_step();
}

void srtm3_down() {
  rot_x -= 5;
  show_step();
}

void srtm3_zoom_in() { zoom_by(1.05f); }
void srtm3_zoom_out() { zoom_by(0.95f); }

void srtm3_zoom_1_1() {
  magn = 1;
  show_step();
}

void old_resize(int w, int h) {
  if (w == 0 || h == 0 || (w == ClientX && h == ClientY)) return;
  screen_x = ClientX = w;
  screen_y = ClientY = h;
  ClientXzoom = w / 2;
  ClientYzoom = h / 2;
  ClientX24 = w - w % 8 + 8;
  // A reader running owns the loaded image; the canvas still has to be filled at its new size.
  if (!do_open_busy() && UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0) == 0)
    image_post(width, height, 1);
  upd_rgb(1);
  // Pending events are handled only when there is a window to take them.
  if (screen_window && screen_window->shown()) Fl::check();
}

}  // namespace scene3d
