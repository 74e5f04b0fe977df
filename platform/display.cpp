#include "platform/display.h"

#include <FL/Fl.H>
#include <FL/x.H>

int plat_screen_override = 0;
int plat_screen_w = 1280, plat_screen_h = 1024, plat_display_bits_override = 24;

void plat_screen_size(int* w, int* h) {
  if (plat_screen_override) {
    *w = plat_screen_w;
    *h = plat_screen_h;
    return;
  }
  int x, y;
  Fl::screen_work_area(x, y, *w, *h);
}

int display_bits_from_visual(int depth, unsigned long red_mask, unsigned long green_mask,
                             unsigned long blue_mask) {
  unsigned long m = red_mask | green_mask | blue_mask;
  if (m) return __builtin_popcountl(m);
  return depth;
}

int plat_display_bits() {
  if (plat_screen_override) return plat_display_bits_override;
  fl_open_display();
  if (!fl_visual) return 24;
  return display_bits_from_visual(fl_visual->depth, fl_visual->visual->red_mask,
                                  fl_visual->visual->green_mask, fl_visual->visual->blue_mask);
}

void plat_button_face(unsigned char* r, unsigned char* g, unsigned char* b) {
  *r = 192;
  *g = 192;
  *b = 192;
}
