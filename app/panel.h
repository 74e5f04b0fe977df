// The tool panel's commands: zoom, pan, brightness and contrast, the quarter turns and the view
// choice. Each turns the press into the action of the current content kind (the globe, the 3D
// view or the loaded image); the kind-free arithmetic they use lives in view/.
#pragma once
class Fl_Widget;

void cb_zoom_in(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_zoom_out(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_zoom_1_1(Fl_Widget* w = nullptr, void* data = nullptr);
// The arrows are named for the way the view moves over the picture: cb_left moves the picture
// right, cb_down (the top arrow) moves it down.
void cb_left(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_right(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_up(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_down(Fl_Widget* w = nullptr, void* data = nullptr);

// On the globe they step v_night (b/B) or v_contrast (c/C) within fixed bounds and render it
// anew; on an image they rewrite every pixel's HSV value in place, so presses accumulate.
void cb_contr(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_Contr(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_bright(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_Bright(Fl_Widget* w = nullptr, void* data = nullptr);

// Turn the loaded image 90 degrees to the left (counter-clockwise) or to the right.
void cb_L(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_R(Fl_Widget* w = nullptr, void* data = nullptr);

// The view choice: remembers the pick for the current kind and shows that kind's view.
void choice_cb(Fl_Widget* w, void* data);
