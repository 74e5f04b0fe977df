// A built but never shown main window, so tests can drive the whole viewer without a display.
#pragma once

// Builds the window once (canvas w x h, true colour, error rows allocated) and returns the
// viewer to a known state: empty kind, background view, status "Ready", no loaded image change.
// Later calls with another size resize the canvas as the window's resize would.
void headless_viewer(int w = 800, int h = 500);

// Puts the globe's zoom and pan back as the program starts with them.
void reset_globe_view();

#include <string>

// The status line's whole text.
std::string status_text();

// Records what went to the message box.
extern char last_message[4096];
extern int message_count;
