// Brightness, contrast and rotation of the loaded image (and the globe's night knobs).
#pragma once
class Fl_Widget;

void cb_contr(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_Contr(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_bright(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_Bright(Fl_Widget* w = nullptr, void* data = nullptr);
