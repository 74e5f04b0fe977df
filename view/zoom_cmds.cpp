// Placeholder until the zoom and pan commands land.
#include "view/zoom_cmds.h"

void cb_zoom_in(Fl_Widget*, void*) {}
void cb_zoom_out(Fl_Widget*, void*) {}
void cb_zoom_1_1(Fl_Widget*, void*) {}
void cb_left(Fl_Widget*, void*) {}
void cb_right(Fl_Widget*, void*) {}
void cb_up(Fl_Widget*, void*) {}
void cb_down(Fl_Widget*, void*) {}
