// The panel's zoom and pan buttons, and the zoom and pan rules the picture widget shares.
#pragma once
#include <cstdint>
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

// Moves the loaded image's view to zoom step `to`, carrying the pan along about the canvas
// centre: when `recentre_fitting`, the pan is first cleared on each axis where the picture then
// fits; the rest is scaled by new/old shown size (0 when the old size is 0) and kept within
// half the overflow where the picture is larger than the canvas.
void zoom_to_step(int to, bool recentre_fitting);

// The pan along one axis after a move: 0 when the picture side (at the current step's scale,
// without the rounding term) fits the canvas side, else `shift` kept within 10 pixels beyond
// the picture's edges.
int limit_pan(int shift, int image_side, int canvas_side);
