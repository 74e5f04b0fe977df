// The main window, its tool panel, menu bar, status bar and picture widget; building it connects
// the widgets to the shared screen state (view/screen.h).
#pragma once
#include <FL/Fl_Double_Window.H>
#include <FL/Fl.H>

#include "app/window_layout.h"
#include "view/screen.h"

class Fl_Group;
class Fl_Button;
class Fl_Menu_Bar;
class Fl_Text_Display;
class Fl_Widget;
class MyBox;

class MyWindow : public Fl_Double_Window {
 public:
  MyWindow(int x, int y, int w, int h, const char* l) : Fl_Double_Window(x, y, w, h, l) {}
  int handle(int event) override;
  void resize(int x, int y, int w, int h) override;
};

// The window's background colour: the toolkit's default until sun_calculator_main sets it from
// the system's button colour, before the window is built.
extern Fl_Color c;

extern MyWindow* window;
extern Fl_Group* grp_main;
extern Fl_Button *b0, *b1, *b2, *b3, *b4, *b5, *b6, *b_contr, *b_Contr, *b_bright, *b_Bright;
extern Fl_Menu_Bar* menubar;
extern Fl_Text_Display* statusbar;
extern MyBox* p_image_box;

// Builds the window and its widgets without showing it (tests use this alone), then shows it.
void build_window();
void init_window();
// The window on the screen (the last step of init_window), for a start that fills the canvas
// before showing it.
void show_main_window();
void menubar_cb(Fl_Widget* w, void* data);
void cb_about(Fl_Widget* w = nullptr, void* data = nullptr);
void set_mouse(int mode);
void show_window();
void hide_window();
void delete_window();

// The About box's text, assembled from the build date "Mmm dd yyyy" (the compiler's __DATE__).
void about_text(const char* build_date, char* out, int size);
// "yyyy.q" from such a date: the year and the quarter of the month, "?" for an unknown month.
void about_version(const char* build_date, char* out, int size);

// Shows the frame `current_subimage` of the open GIF and titles the window (Page Up/Down).
void step_gif_frame(int delta);
