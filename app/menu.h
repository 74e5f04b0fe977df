// The menu commands.
#pragma once
class Fl_Widget;

void cb_open(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_globe2d(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_exit(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_close(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_globe3d(Fl_Widget* w = nullptr, void* data = nullptr);
