// Display settings for particular screens: the colour-temperature switch and the display
// profiles that the frame composer applies (view/colour.h, rgb_mode). Each redraws the picture.
// Nothing in the window calls them.
#pragma once

class Fl_Widget;

// Set by the colour-temperature switch (1 for 5000 K, 0 for 6000 K); nothing reads it.
extern int reduce_blue;

void temp5000_cb(Fl_Widget* w = nullptr, void* data = nullptr);
void temp6000_cb(Fl_Widget* w = nullptr, void* data = nullptr);

// rgb_mode 0, 1, 2, 3, 4, 5, 11 and 13 in this order; the composer converts for 1 (adobe table),
// 5 (power 1.467) and 11 (cinema table) and shows the others unchanged.
void rgb_std_cb(Fl_Widget* w = nullptr, void* data = nullptr);
void rgb_adobe_cb(Fl_Widget* w = nullptr, void* data = nullptr);
void rgb_mac_cb(Fl_Widget* w = nullptr, void* data = nullptr);
void rgb_adobe_original_cb(Fl_Widget* w = nullptr, void* data = nullptr);
void rgb_scratch_cb(Fl_Widget* w = nullptr, void* data = nullptr);
void rgb_sgi_cb(Fl_Widget* w = nullptr, void* data = nullptr);
void rgb_cinema_cb(Fl_Widget* w = nullptr, void* data = nullptr);
void rgb_cinema_original_cb(Fl_Widget* w = nullptr, void* data = nullptr);
