// The full-screen view: the canvas takes the whole screen, with the panel, the menu bar and the
// status bar pushed outside it, and back. Nothing in the window calls it.
#pragma once

class Fl_Widget;

// 1 while the full-screen view is on; save_xres x save_yres is the canvas size to return to.
extern int fullscreen_mode;
extern int save_xres, save_yres;

// Toggles the full-screen view. On: the canvas takes the size of the screen's work area and the
// window moves to (-104, -25) so that only the canvas is on the screen (the window's layout makes
// it one row higher than the screen); the status bar is hidden and the menu bar moved off. Off:
// the saved canvas size at window position (12, 24), the status bar shown again and the menu bar
// back in its place.
void cb_FullScreen(Fl_Widget* w = nullptr, void* data = nullptr);
