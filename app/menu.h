// The menu commands.
#pragma once
class Fl_Widget;

// The chooser's title and filter for "Open SRTM...".
extern const char* const open_chooser_title;
extern const char* const open_chooser_filter;

// "Open SRTM...": asks for a file and opens it as a hex dump unless its reader gives it a kind.
void cb_open(Fl_Widget* w = nullptr, void* data = nullptr);
// "Virtual Globe 2D": the globe for the present moment.
void cb_globe2d(Fl_Widget* w = nullptr, void* data = nullptr);
// "Quit": ends the process with status 0 at once.
void cb_exit(Fl_Widget* w = nullptr, void* data = nullptr);
// No command invokes it; it does nothing.
void cb_globe3d(Fl_Widget* w = nullptr, void* data = nullptr);
