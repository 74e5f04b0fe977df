// Test pictures at canvas size. Each quantises the canvas as it stands into the screen bytes and
// has the window redrawn; the canvas itself is repainted from the new picture at the next redraw
// of the view. Nothing in the window calls them.
#pragma once

class Fl_Widget;

// Three horizontal bands, blue, green and red from the top, each a ramp from black at the left
// (test_image(0)), posted recentred.
void cb_test1(Fl_Widget* w = nullptr, void* data = nullptr);
// Three vertical bands, blue, green and red from the left, each a ramp from black at the top
// (test_image(1)), posted recentred.
void cb_test2(Fl_Widget* w = nullptr, void* data = nullptr);
// Sizes the loaded image's block to the canvas, keeping the picture size. A block that had to be
// renewed is cleared (transparent black), so the picture shows the background, not stale memory.
void cb_test3(Fl_Widget* w = nullptr, void* data = nullptr);
