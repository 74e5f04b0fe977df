// The picture widget: shows the canvas and takes every mouse event over it and file drops.
#pragma once
#include <FL/Fl_Box.H>

class MyBox : public Fl_Box {
 public:
  MyBox(int x, int y, int w, int h, const char* l = nullptr) : Fl_Box(x, y, w, h, l) {}
  int handle(int event) override;
};

// Drag state: which button started the drag (a push of one clears the other, a release clears
// both), the pointer position in window coordinates at the last push or handled drag, and the
// canvas position of the last pointer move (for the readout).
extern int left_button, right_button;
extern int x_last, y_last;
extern int x_last_drag, y_last_drag;

// The pointer readout switch, 1 once the window is built.
extern int current_mouse_mode;

// The pointer tool: 0 normal, 1 colour pick, 2 paint; fg_r/g/b is the paint colour, 0..1.
extern int mouse_mode;
extern double fg_r, fg_g, fg_b;

// The tool and the colour switched from outside the widget; nothing in the window calls these.
// cb_mode sets mouse_mode to value, and nothing else.
void cb_mode(Fl_Widget* w, long value);

// Lets the user edit the paint colour fg_r, fg_g, fg_b in the toolkit's colour chooser, titled
// "color"; a cancelled chooser leaves them as they were.
void cb_color(Fl_Widget* w = nullptr, void* data = nullptr);

// Opens a dropped file once its name is in openfilename (do_open; tests replace it).
extern void (*drop_open)(int fit);

// The file name in a dropped text of len bytes: 1 to 399 bytes are taken, of them the first line
// without its "\r\n" or "\n", without a leading "file://", with percent escapes decoded (the
// toolkit hands over URIs). Returns 1 with the name in out (size bytes, terminated), or 0 when
// the text holds no name: empty, too long, or a name with an encoded NUL.
int decode_dropped_name(const char* text, int len, char* out, int size);

// The globe point (globe_point, earth/globe.h) under canvas position (X, Y), through the composition's zoom and pan when the
// globe picture is composed, else straight from the canvas.
void globe_point_under(int X, int Y, double* lon, double* lat);
