// The picture widget's pointer tool and paint colour, switched from outside the widget. Nothing
// in the window calls them.
#pragma once

class Fl_Widget;

// Sets mouse_mode (0 normal, 1 colour pick, 2 paint) to value, and nothing else.
void cb_mode(Fl_Widget* w, long value);

// Lets the user edit the paint colour fg_r, fg_g, fg_b in the toolkit's colour chooser, titled
// "color"; a cancelled chooser leaves them as they were.
void cb_color(Fl_Widget* w = nullptr, void* data = nullptr);
