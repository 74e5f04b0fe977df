// Placeholder menu commands until file opening lands: enough for the window to run.
#include "app/menu.h"

#include <cstdlib>

void cb_open(Fl_Widget*, void*) {}
void cb_globe2d(Fl_Widget*, void*) {}
void cb_exit(Fl_Widget*, void*) { exit(0); }
void cb_close(Fl_Widget*, void*) {}
void cb_globe3d(Fl_Widget*, void*) {}
