// Edits of the loaded image in place: mirrors, gamma, smoothing, halving, inverting, grey and
// cropping. Each leaves a picture that is missing or smaller than image_xres x image_yres (after
// a failed reader) alone, does nothing while a file is being opened, and ends with the picture
// redrawn. Nothing in the window calls them.
#pragma once

class Fl_Widget;

// Mirrors left to right (column j and image_xres - 1 - j) or top to bottom (row i and
// image_yres - 1 - i). Red, green and blue change places; alpha stays where it was.
void cb_mirror_vert(Fl_Widget* w = nullptr, void* data = nullptr);
void cb_mirror_hor(Fl_Widget* w = nullptr, void* data = nullptr);

// Red, green and blue to the power 1.1 when value is 1, else 0.9.
void cb_gamma(Fl_Widget* w, long value);

// Every channel (alpha too) becomes the root of the weighted mean square of its 3 x 3
// neighbourhood: weight 4 for the pixel, 2 for the four beside it, 1 for the diagonal ones, over
// the neighbours inside the picture. Needs a second block; without one nothing changes. Zoom, pan
// and status line stay, as for the other edits that keep the size.
void cb_smooth(Fl_Widget* w = nullptr, void* data = nullptr);

// Halves the picture (an odd last column or row is dropped) by averaging 2 x 2 blocks of each
// channel in linear light, and posts it recentred. A picture of one column or row stays.
void cb_half(Fl_Widget* w = nullptr, void* data = nullptr);

// Red, green and blue v become sqrt(1 - v^2), or 1 - v^2 itself where that is not above 0.
void cb_invert(Fl_Widget* w = nullptr, void* data = nullptr);

// Grey: sqrt(0.22 r^2 + 0.7 g^2 + 0.08 b^2) into red, green and blue.
void cb_bw(Fl_Widget* w = nullptr, void* data = nullptr);

// For pictures of at least 32 x 32: value 0 keeps the picture (a fresh copy), 1 drops the 8
// leftmost columns, 2 the 8 rightmost, 3 the 8 top rows, 4 the 8 bottom rows, 9 takes the canvas
// as the new picture; other values do nothing. The result is posted recentred. When the new block
// cannot be had nothing changes.
void cb_crop(Fl_Widget* w, long value);
