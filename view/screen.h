// The screen state every folder shares, on the lowest floor so that readers, views and renderers
// report and ask without reaching up into app/: the status line, the window title, the content
// kind (what the window holds) with the view choice's item lists and the item each kind
// remembers, the view predicates, the opener's busy flag, the wait cursor and the picture's
// redraw hook. The widgets are built by app/ (app/window.cpp) and handed over here; until then
// every function works without them, as the headless tests run.
#pragma once

class Fl_Choice;
struct Fl_Menu_Item;
class Fl_Text_Buffer;
class Fl_Widget;
class Fl_Window;

// The widgets app/ connects: the main window (title, cursor), the view choice and the picture
// widget, which is the redraw hook of view/ (it shows the canvas image and is redrawn after each
// change). Null until the window is built.
extern Fl_Window* screen_window;
extern Fl_Choice* choice;
extern Fl_Widget* picture_widget;

// The status line's text buffer: exists from static initialisation until the process ends.
extern Fl_Text_Buffer* status_line;
void set_status(const char* text);

// Sets the window title to a copy of `text` (the window keeps its own copy).
void set_title(const char* text);

// The wait cursor over the window while a long decode runs (on) and the default one after (off).
void show_wait_cursor(bool on);
// Whether the wait cursor is up (the last show_wait_cursor call said on).
bool wait_cursor_shown();

// 1 while the opener runs (a reader lets the toolkit handle events part-way): callers that would
// change openfilename or the loaded image first (the menu's chooser, the globe, the adjustments)
// hold off. The opener alone sets it.
int do_open_busy();
void set_open_busy(int busy);

enum {
  CONTENT_EMPTY = 0,
  CONTENT_IMAGE = 1,
  CONTENT_JPEG = 2,
  CONTENT_TEXT = 3,
  CONTENT_HTML = 4,
  CONTENT_HEX = 5,
  CONTENT_RASMOL = 6,
  CONTENT_MBFRACT = 7,
  CONTENT_VGLOBE = 9,
  CONTENT_PDB = 10,
  CONTENT_SRTM3 = 11,
  CONTENT_SDF = 12,
  CONTENT_STL = 13,
};

extern int content;
extern int n_images, n_jpeg;
extern int choice_empty, choice_image, choice_jpeg, choice_text, choice_htm, choice_hex,
    choice_vglobe, choice_pdb, choice_srtm3, choice_sdf, choice_stl;

void set_content_empty();
void set_content_image(int n);
void set_content_jpeg(int n);
void set_content_text();
void set_content_html();
void set_content_hex();
void set_content_rasmol();
void set_content_mbfract();
void set_content_vglobe();
void set_content_pdb();
void set_content_srtm3();
void set_content_sdf();
void set_content_stl();
// Sets the kind k (one of the CONTENT_ values) as its own setter would, the frame counts kept.
void set_content_kind(int k);

int is_content_empty();
int is_content_image();
int is_content_jpeg();
int is_content_text();
int is_content_html();
int is_content_hex();
int is_content_rasmol();
int is_content_mbfract();
int is_content_vglobe();
int is_content_pdb();
int is_content_srtm3();
int is_content_sdf();
int is_content_stl();

// True for the four 3D kinds (pdb, srtm3, sdf, stl), whose events go to the 3D view.
int is_content_3d();

void set_choice(int i);

// Installs the empty kind's items ("none", "auto", with "auto" selected) without changing the
// kind, as the return to the empty view does. Until a setter installs a kind's own list again,
// picks in that list belong to no kind and are not remembered.
void show_empty_choices();
// True while that list stands over another kind.
int empty_choices_shown();

// Installs the hex kind's items with "hex" selected, without changing the kind (the page fetch
// shows its bytes so before its caller names the kind).
void show_hex_choices();

// The content kind with the view choice's list and selection, as a whole: an operation that sets
// a kind for its run puts it all back when it fails.
struct ContentState {
  int content, n_images, n_jpeg;
  const Fl_Menu_Item* items;  // the choice's list (null without the widget)
  int value;                  // its selected item
  bool empty_list_over_kind;
};
ContentState save_content();
void restore_content(const ContentState& s);

// The view predicates over the view choice: its selected item (-1 without the widget), and
// whether it selects the hex dump, the text view or the "auto" item of what the canvas shows.
int get_view_val();
int view_is_none();
int view_is_auto();
int view_is_text();
int view_is_hex();
