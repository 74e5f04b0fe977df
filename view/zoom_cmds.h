// The panel's zoom and pan buttons.
#pragma once
class Fl_Widget;

void cb_zoom_in(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_zoom_out(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_zoom_1_1(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_left(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_right(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_up(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_down(Fl_Widget* w = nullptr, void* data = nullptr);
