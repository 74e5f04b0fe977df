// Brightness, contrast and rotation of the loaded image (and the globe's night knobs).
#pragma once
class Fl_Widget;

// On the globe they step v_night (b/B) or v_contrast (c/C) within fixed bounds and render it
// anew; on an image they rewrite every pixel's HSV value in place, so presses accumulate.
void cb_contr(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_Contr(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_bright(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_Bright(Fl_Widget* w = nullptr, void* data = nullptr);

// Turn the loaded image 90 degrees to the left (counter-clockwise) or to the right.
void cb_L(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_R(Fl_Widget* w = nullptr, void* data = nullptr);

// The steeper and the flatter contrast curve for a value v in 0..1; both keep 0 and 1.
double s_shape_plus(double v);
double s_shape_minus(double v);
