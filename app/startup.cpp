#include "app/startup.h"

#include <FL/Fl.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/menu.h"
#include "app/open_file.h"
#include "app/window.h"
#include "platform/bands.h"
#include "platform/display.h"
#include "view/canvas.h"
#include "view/quantise.h"

void InWinNT() {
  static bool probed = false;
  if (probed) return;
  probed = true;
  is9xline = 0;  // no system this runs on has the old single-processor family
}

int DisplayBits() { return plat_display_bits(); }

void canvas_for_screen(int sw, int sh, int* w, int* h) {
  *w = 800;
  *h = 500;
  if (sh > 750 && sw > 1000) {
    *w = 920;
    *h = 684;
    if (sh > 900 && sw > 1200) {
      *w = 1000;
      *h = 800;
    }
  }
}

Fl_Color sys_color_to_fl(unsigned char r, unsigned char g, unsigned char b) {
  if (r == 0 && g == 0 && b == 0) return FL_BLACK;
  return ((Fl_Color)r << 24) | ((Fl_Color)g << 16) | ((Fl_Color)b << 8);
}

void set_depth_class(int bits) {
  col_high = (bits == 15 || bits == 16) ? 1 : 0;
  col_palette = bits == 8 ? 1 : 0;
}

int err_rows_at_start(int sw, int cw) {
  int n = 3 * sw + 240;
  // The canvas is at least 800 wide whatever the screen; rows sized from a narrow screen alone
  // would let the quantiser run past their end.
  if (n < 3 * cw + 60) n = 3 * cw + 60;
  return n;
}

int sun_calculator_main(int argc, char** argv) {
  width = 800;
  height = 500;
  int sw, sh;
  plat_screen_size(&sw, &sh);
  int cw, ch;
  canvas_for_screen(sw, sh, &cw, &ch);
  if (alloc_err_rows(err_rows_at_start(sw, cw)) != 0) {
    printf("mem err\n");
    exit(1);
  }
  width = cw;
  height = ch;
  InWinNT();
  set_depth_class(DisplayBits());
  unsigned char r, g, b;
  plat_button_face(&r, &g, &b);
  c = sys_color_to_fl(r, g, b);
  if (argc > 1) {
    init_window();
    if (strlen(argv[1]) >= sizeof openfilename) {
      printf("file name too long (%zu characters): not opened\n", strlen(argv[1]));
    } else {
      strcpy(openfilename, argv[1]);
      do_open(1);
    }
    cb_globe2d();
  } else {
    // With no file to open first, the globe is made before the window is shown: the window's
    // first picture is the globe, after one render and one pass of composition and quantiser.
    build_window();
    cb_globe2d();
    show_main_window();
  }
  while (Fl::wait()) {
  }
  free(err_lines_r);
  free(err_lines_g);
  free(err_lines_b);
  err_lines_r = err_lines_g = err_lines_b = nullptr;
  return 0;
}
