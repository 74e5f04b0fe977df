// Placeholder until the adjustments land.
#include "view/adjust.h"

void cb_contr(Fl_Widget*, void*) {}
void cb_Contr(Fl_Widget*, void*) {}
void cb_bright(Fl_Widget*, void*) {}
void cb_Bright(Fl_Widget*, void*) {}
