#include "app/full_screen.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Text_Display.H>

#include <cstdio>

#include "app/window.h"
#include "platform/display.h"
#include "view/canvas.h"

int fullscreen_mode = 0;
int save_xres = 0, save_yres = 0;

namespace {

// A canvas of w x h painted with the present view and shown.
void canvas_of(int w, int h) {
  if (realloc_canvas(w, h) != 0) printf("memory error (canvas %d x %d)\n", w, h);
  do_draw();
  replace_shown_image();
}

}  // namespace

void cb_FullScreen(Fl_Widget*, void*) {
  if (!window) return;
  if (fullscreen_mode == 0) {
    save_xres = width;
    save_yres = height;
    int w, h;
    plat_screen_size(&w, &h);
    canvas_of(w, h);
    window->resize(-(WW / 2) - WB, -HM - 1 - HH / 2, width + WB + WW, height + HH + HM + HS + 1);
    statusbar->hide();
    menubar->resize(-300, 50, 100, 10);
  } else {
    canvas_of(save_xres, save_yres);
    // The window's layout puts the menu bar back where it was built.
    window->resize(12, 24, width + WB + WW, height + HH + HM + HS);
    statusbar->show();
    window->redraw();
    Fl::check();
  }
  fullscreen_mode = !fullscreen_mode;
}
