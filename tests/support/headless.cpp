#include "support/headless.h"

#include <FL/Fl_Text_Buffer.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/startup.h"
#include "app/window.h"
#include "earth/globe.h"
#include "platform/dialogs.h"
#include "platform/display.h"
#include "view/canvas.h"
#include "view/quantise.h"
#include "view/screen.h"

char last_message[4096];
int message_count = 0;

std::string status_text() {
  char* t = status_line->text();
  std::string s(t);
  free(t);
  return s;
}

static void record_message(const char* text) {
  snprintf(last_message, sizeof last_message, "%s", text);
  message_count++;
}

void headless_viewer(int w, int h) {
  plat_screen_override = 1;
  plat_message_sink = record_message;
  col_high = col_palette = 0;
  if (!window) {
    width = w;
    height = h;
    alloc_err_rows(err_rows_at_start(1280, w));
    build_window();
  } else if (w != width || h != height) {
    window->resize(window->x(), window->y(), w + 108, h + 48);
  }
  set_content_empty();
  contentview = 0;
  zoom = 31;
  shiftx = shifty = 0;
  set_status("Ready");
  last_message[0] = 0;
  message_count = 0;
}

void reset_globe_view() {
  globe_zoom = GLOBE_ZOOM_START;
  globe_dx = 0;
  globe_dy = -0.3 * GLOBE_ZOOM_START;
}
