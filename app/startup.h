// Start-up: canvas size for the screen, the error rows, the platform probes, the window, the
// command-line file, the globe, and the event loop.
#pragma once
#include <FL/Enumerations.H>

// The whole program; main() only calls this.
int sun_calculator_main(int argc, char** argv);

// Sets is9xline from the operating system family, once per process (never set here).
void InWinNT();

// Colour bits a pixel of the screen: 15 for 5-5-5, 16 for 5-6-5, else the bit count.
int DisplayBits();

// Pure pieces of the start-up, testable without a display.
void canvas_for_screen(int sw, int sh, int* w, int* h);
Fl_Color sys_color_to_fl(unsigned char r, unsigned char g, unsigned char b);
void set_depth_class(int bits);  // col_high for 15/16, col_palette for 8

// Floats each error row gets at start for a screen `sw` wide and a canvas `cw` wide: the
// screen's 3 x width + 240, but never fewer than the canvas's rows need.
int err_rows_at_start(int sw, int cw);
