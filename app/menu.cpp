#include "app/menu.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/open_file.h"
#include "earth/globe.h"
#include "platform/dialogs.h"
#include "view/screen.h"

const char* const open_chooser_title = "Choose file";
const char* const open_chooser_filter = "Srtm3/1\t*.{hgt,hgt.zip}\nSrtm30\t*.{dem,dem.zip}";

// Longest chosen path that is taken; longer ones are ignored.
static const size_t MAX_CHOSEN_NAME = 400;

void cb_open(Fl_Widget*, void*) {
  // While a reader lets the toolkit run, the name and the buffers are that reader's.
  if (do_open_busy()) return;
  openfilename[0] = 0;
  char name[sizeof openfilename];
  name[0] = 0;
  int r = plat_choose_file(open_chooser_title, open_chooser_filter, name, sizeof name);
  if (r == 1) return;
  if (r == 0) {
    name[sizeof name - 1] = 0;
    if (strlen(name) > MAX_CHOSEN_NAME) return;
    memcpy(openfilename, name, strlen(name) + 1);
  } else if (r != -1) {
    return;
  }
  // Hex first, so a file that gets no kind of its own (a ".zip") shows as a dump; a scene that
  // could not be read leaves the view as it was, its kind included.
  open_kind_before = content;
  set_content_hex();
  do_open(1);
}

void cb_globe2d(Fl_Widget*, void*) {
  // The globe sizes the loaded image, which a running reader is still filling.
  if (do_open_busy()) return;
  set_content_vglobe();
  load_globe2d();
}

void cb_exit(Fl_Widget*, void*) { exit(0); }

void cb_globe3d(Fl_Widget*, void*) {}
