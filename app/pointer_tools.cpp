#include "app/pointer_tools.h"

#include "app/picture_box.h"
#include "platform/dialogs.h"

void cb_mode(Fl_Widget*, long value) { mouse_mode = (int)value; }

void cb_color(Fl_Widget*, void*) { plat_color_chooser("color", &fg_r, &fg_g, &fg_b, -1); }
