// Placeholder until the picture widget's event handling lands.
#include "app/picture_box.h"

int MyBox::handle(int event) { return Fl_Box::handle(event); }
