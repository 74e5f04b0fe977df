#include "view/screen.h"

#include <FL/Fl_Choice.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Window.H>

#include <cstdlib>

#include "view/stores.h"

Fl_Window* screen_window = nullptr;
Fl_Choice* choice = nullptr;
Fl_Widget* picture_widget = nullptr;

// The status buffer must exist before anything can report, and lives until exit.
Fl_Text_Buffer* status_line = [] {
  Fl_Text_Buffer* b = new Fl_Text_Buffer(0, 1024);
  atexit([] {
    delete status_line;
    status_line = nullptr;
  });
  return b;
}();

void set_status(const char* text) {
  if (!status_line) return;
  status_line->remove(0, 9999);
  status_line->insert(0, text ? text : "");
}

void set_title(const char* text) {
  if (screen_window) screen_window->copy_label(text);
}

static bool wait_cursor_on = false;

void show_wait_cursor(bool on) {
  wait_cursor_on = on;
  if (screen_window) screen_window->cursor(on ? FL_CURSOR_WAIT : FL_CURSOR_DEFAULT);
}

bool wait_cursor_shown() { return wait_cursor_on; }

static int open_busy = 0;
int do_open_busy() { return open_busy; }
void set_open_busy(int busy) { open_busy = busy ? 1 : 0; }

int content = CONTENT_EMPTY;
int n_images = 1, n_jpeg = 1;
int choice_empty = 1, choice_image = 3, choice_jpeg = 4, choice_text = 3, choice_htm = 4,
    choice_hex = 2, choice_vglobe = 0, choice_pdb = 3, choice_srtm3 = 3, choice_sdf = 3,
    choice_stl = 3;

// Set while the empty list is shown over another kind (after a failed or empty open): a pick
// there must not be stored as that kind's selection.
static bool empty_list_over_kind = false;

static Fl_Menu_Item choices_empty[] = {{"none"}, {"auto"}, {0}};
static Fl_Menu_Item choices_img[] = {{"none"}, {"hex"}, {"img"}, {"auto"}, {0}};
static Fl_Menu_Item choices_jpeg[] = {{"none"}, {"hex"}, {"img"}, {"smooth"}, {"auto"}, {0}};
static Fl_Menu_Item choices_text[] = {{"none"}, {"hex"}, {"text"}, {"auto"}, {0}};
static Fl_Menu_Item choices_htm[] = {{"none"}, {"hex"}, {"source"}, {"html"}, {"auto"}, {0}};
static Fl_Menu_Item choices_hex[] = {{"none"}, {"hex"}, {"auto"}, {0}};
static Fl_Menu_Item choices_globe[] = {{"std"}, {"moon"}, {0}};
static Fl_Menu_Item choices_pdb[] = {{"none"}, {"hex"}, {"3d"}, {"auto"}, {0}};
static Fl_Menu_Item choices_srtm3[] = {{"none"}, {"hex"}, {"3d"}, {"auto"}, {0}};
static Fl_Menu_Item choices_sdf[] = {{"none"}, {"hex"}, {"3d"}, {"auto"}, {0}};
static Fl_Menu_Item choices_stl[] = {{"none"}, {"hex"}, {"3d"}, {"auto"}, {0}};

static void install(int kind, Fl_Menu_Item* items, int selected) {
  content = kind;
  empty_list_over_kind = false;
  if (choice) {
    choice->menu(items);
    choice->value(selected);
  }
}

void set_content_empty() { install(CONTENT_EMPTY, choices_empty, choice_empty); }
void set_content_image(int n) {
  n_images = n;
  install(CONTENT_IMAGE, choices_img, choice_image);
}
void set_content_jpeg(int n) {
  n_jpeg = n;
  install(CONTENT_JPEG, choices_jpeg, choice_jpeg);
}
void set_content_text() { install(CONTENT_TEXT, choices_text, choice_text); }
void set_content_html() { install(CONTENT_HTML, choices_htm, choice_htm); }
void set_content_hex() { install(CONTENT_HEX, choices_hex, choice_hex); }
void set_content_rasmol() { content = CONTENT_RASMOL; }
void set_content_mbfract() { content = CONTENT_MBFRACT; }
void set_content_vglobe() { install(CONTENT_VGLOBE, choices_globe, choice_vglobe); }
void set_content_pdb() { install(CONTENT_PDB, choices_pdb, choice_pdb); }
void set_content_srtm3() { install(CONTENT_SRTM3, choices_srtm3, choice_srtm3); }
void set_content_sdf() { install(CONTENT_SDF, choices_sdf, choice_sdf); }
void set_content_stl() { install(CONTENT_STL, choices_stl, choice_stl); }

void set_content_kind(int k) {
  switch (k) {
    case CONTENT_IMAGE: return set_content_image(n_images);
    case CONTENT_JPEG: return set_content_jpeg(n_jpeg);
    case CONTENT_TEXT: return set_content_text();
    case CONTENT_HTML: return set_content_html();
    case CONTENT_HEX: return set_content_hex();
    case CONTENT_RASMOL: return set_content_rasmol();
    case CONTENT_MBFRACT: return set_content_mbfract();
    case CONTENT_VGLOBE: return set_content_vglobe();
    case CONTENT_PDB: return set_content_pdb();
    case CONTENT_SRTM3: return set_content_srtm3();
    case CONTENT_SDF: return set_content_sdf();
    case CONTENT_STL: return set_content_stl();
    default: return set_content_empty();
  }
}

void show_empty_choices() {
  if (choice) {
    choice->menu(choices_empty);
    choice->value(1);
  }
  empty_list_over_kind = content != CONTENT_EMPTY;
}

int empty_choices_shown() { return empty_list_over_kind; }

void show_hex_choices() {
  if (choice) {
    choice->menu(choices_hex);
    choice->value(1);
  }
}

ContentState save_content() {
  return {content, n_images, n_jpeg, choice ? choice->menu() : nullptr,
          choice ? choice->value() : -1, empty_list_over_kind};
}

void restore_content(const ContentState& s) {
  content = s.content;
  n_images = s.n_images;
  n_jpeg = s.n_jpeg;
  empty_list_over_kind = s.empty_list_over_kind;
  if (choice && s.items) {
    choice->menu(s.items);
    choice->value(s.value);
  }
}

int is_content_empty() { return content == CONTENT_EMPTY; }
int is_content_image() { return content == CONTENT_IMAGE ? n_images : 0; }
int is_content_jpeg() { return content == CONTENT_JPEG ? n_jpeg : 0; }
int is_content_text() { return content == CONTENT_TEXT; }
int is_content_html() { return content == CONTENT_HTML; }
int is_content_hex() { return content == CONTENT_HEX; }
int is_content_rasmol() { return content == CONTENT_RASMOL; }
int is_content_mbfract() { return content == CONTENT_MBFRACT; }
int is_content_vglobe() { return content == CONTENT_VGLOBE; }
int is_content_pdb() { return content == CONTENT_PDB; }
int is_content_srtm3() { return content == CONTENT_SRTM3; }
int is_content_sdf() { return content == CONTENT_SDF; }
int is_content_stl() { return content == CONTENT_STL; }
int is_content_3d() {
  return content == CONTENT_PDB || content == CONTENT_SRTM3 || content == CONTENT_SDF ||
         content == CONTENT_STL;
}

void set_choice(int i) {
  if (empty_list_over_kind) return;
  switch (content) {
    case CONTENT_EMPTY: choice_empty = i; break;
    case CONTENT_IMAGE:
      if (n_images != 0) choice_image = i;
      break;
    case CONTENT_TEXT: choice_text = i; break;
    case CONTENT_HTML: choice_htm = i; break;
    case CONTENT_HEX: choice_hex = i; break;
    case CONTENT_VGLOBE: choice_vglobe = i; break;
    case CONTENT_PDB: choice_pdb = i; break;
    case CONTENT_SRTM3: choice_srtm3 = i; break;
    case CONTENT_SDF: choice_sdf = i; break;
    case CONTENT_STL: choice_stl = i; break;
    default: break;
  }
}

int view_is_hex() {
  switch (content) {
    case CONTENT_HEX: return choice_hex > 0;
    case CONTENT_IMAGE: return n_images != 0 && choice_image == 1;
    case CONTENT_RASMOL: return choice_image == 1;
    case CONTENT_HTML: return choice_htm == 1;
    case CONTENT_PDB: return choice_pdb == 1;
    case CONTENT_SRTM3: return choice_srtm3 == 1;
    case CONTENT_SDF: return choice_sdf == 1;
    case CONTENT_STL: return choice_stl == 1;
    default: return 0;
  }
}

int get_view_val() { return choice ? choice->value() : -1; }

int view_is_none() { return 0; }

int view_is_auto() {
  int v = get_view_val();
  if (v < 0) return 0;
  switch (contentview) {
    case 0: return v == 1;
    case 1: return v == 3;
    case 3: return v == 2;
    default: return 0;
  }
}

int view_is_text() { return is_content_html() || is_content_text(); }
