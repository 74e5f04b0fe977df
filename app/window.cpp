#include "app/window.h"

#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/menu.h"
#include "app/open_file.h"
#include "app/panel.h"
#include "app/picture_box.h"
#include "earth/globe.h"
#include "formats/gif.h"
#include "platform/dialogs.h"
#include "scene3d/navigate.h"
#include "view/canvas.h"
#include "view/quantise.h"

Fl_Color c = FL_BACKGROUND_COLOR;
MyWindow* window = nullptr;
Fl_Group* grp_main = nullptr;
Fl_Button *b0, *b1, *b2, *b3, *b4, *b5, *b6, *b_contr, *b_Contr, *b_bright, *b_Bright;
Fl_Menu_Bar* menubar = nullptr;
Fl_Text_Display* statusbar = nullptr;
MyBox* p_image_box = nullptr;

static Fl_Menu_Item menutable[] = {
    {"File", 0, nullptr, nullptr, FL_SUBMENU},
    {"Open SRTM...", 0, cb_open},
    {"Virtual Globe 2D", 0, cb_globe2d},
    {"Quit", FL_CTRL + 'q', cb_exit},
    {0},
    {"Help", 0, nullptr, nullptr, FL_SUBMENU},
    {"About", 0, cb_about},
    {0},
    {0}};

static Fl_Button* make_button(int x, int y, int w, int h, const char* label, Fl_Callback* cb,
                              const char* tip = nullptr) {
  Fl_Button* b = new Fl_Button(x, y, w, h, label);
  b->callback(cb);
  b->labelsize(11);
  if (tip) b->tooltip(tip);
  return b;
}

void build_window() {
  window = new MyWindow(10, 10, width + WB + WW, height + HH + HM + HS, "sun calculator");
  window->color(c);
  screen_window = window;
  // A canvas below this would have no pixels to show.
  window->size_range(WB + WW + 16, HH + HM + HS + 16);

  grp_main = new Fl_Group(0, 0, WB, height + HH + HM + HS);
  // The group would scale its controls with the window's height; they keep their size and place.
  grp_main->resizable(nullptr);
  b1 = make_button(5, 86, 26, 26, "+", cb_zoom_in);
  b0 = make_button(5, 114, 26, 26, "1:1", cb_zoom_1_1);
  b2 = make_button(5, 142, 26, 26, "-", cb_zoom_out);
  b3 = make_button(39, 119, 26, 26, "@#<", cb_left);
  b4 = make_button(75, 119, 26, 26, "@#$<", cb_right);
  b5 = make_button(57, 92, 26, 26, "@#%2<", cb_down);
  b6 = make_button(57, 146, 26, 26, "@#8<", cb_up);
  b_contr = make_button(15, 220, 35, 26, "c", cb_contr, "decrease contrast");
  b_Contr = make_button(55, 220, 35, 26, "C", cb_Contr, "increase contrast");
  b_bright = make_button(15, 250, 35, 26, "b", cb_bright, "decrease brightness");
  b_Bright = make_button(55, 250, 35, 26, "B", cb_Bright, "increase brightness");

  choice = new Fl_Choice(8, 50, 80, 22, " ");
  set_content_empty();
  choice->callback(choice_cb);
  choice->value(1);
  set_choice(1);
  current_mouse_mode = 1;
  grp_main->end();

  menubar = new Fl_Menu_Bar(0, 0, width + WB + WW, HM);
  menubar->menu(menutable);
  menubar->callback(menubar_cb);
  menubar->textsize(12);

  statusbar = new Fl_Text_Display(0, height + HM + HH, width + WB + WW, HS);
  statusbar->textsize(12);
  statusbar->textcolor(FL_BLACK);
  statusbar->color(FL_BACKGROUND_COLOR);
  statusbar->scrollbar_width(0);
  statusbar->box(FL_DOWN_BOX);
  set_status("Ready");
  statusbar->buffer(status_line);

  p_image_box = new MyBox(WB + WW / 2, HM + HH / 2, width, height);
  picture_widget = p_image_box;
  window->resizable(p_image_box);

  if (alloc_fimage(width, height) != 0)
    printf("memory error (canvas)\n");
  uimage = (unsigned char*)malloc((size_t)width * height * 3);
  if (!fimage || !uimage) {
    printf("memory error (canvas)\n");
    free(fimage);
    free(uimage);
    fimage = nullptr;
    uimage = nullptr;
    width = height = 0;
  }
  test_image(-1);
  fl_temp = new Fl_RGB_Image(uimage, width, height, 3, 0);
  p_image_box->image(fl_temp);
  window->end();
}

void show_main_window() {
  // One (empty) argument, not none: the toolkit stores the arguments as the window's command for
  // session managers, and for none it sends a property of length -1, which the X server refuses
  // with "X_ChangeProperty: BadValue" on every start.
  static char empty[] = "";
  static char* argv[] = {empty, nullptr};
  window->show(1, argv);
}

void init_window() {
  build_window();
  quant_display(uimage, 0);
  show_main_window();
}

void MyWindow::resize(int x, int y, int w, int h) {
  int cw = w - (WB + WW), ch = h - (HH + HM + HS);
  if (cw < 1) cw = 1;
  if (ch < 1) ch = 1;
  if (cw != width || ch != height) {
    if (realloc_canvas(cw, ch) != 0) printf("memory error (canvas %d x %d)\n", cw, ch);
  }
  if (3 * width + 60 > err_alloc && alloc_err_rows(3 * width + 60) != 0) {
    printf("mem err\n");
    exit(1);
  }
  const bool moved_only = w == this->w() && h == this->h();
  Fl_Double_Window::resize(x, y, w, h);
  // Where the window goes changes nothing in it: the window system moves it once as it first
  // appears, and that must not draw the picture twice more.
  if (moved_only) return;
  char text[64];
  snprintf(text, sizeof text, "%d x %d", w, h);
  set_status(text);
  if (is_content_vglobe()) {
    upd_rgb(1);
    load_globe2d();
  } else if (is_content_3d()) {
    scene3d::old_resize(width, height);
  } else if (!is_content_mbfract()) {
    upd_rgb(1);
  }
}

void step_gif_frame(int delta) {
  if (do_open_busy()) return;  // the file being read owns the loaded image
  current_subimage += delta;
  if (current_subimage >= n_img) current_subimage = 0;
  if (current_subimage < 0) current_subimage = n_img - 1;
  if (load_gif(current_subimage + 1, 0, 0) != 0) printf("error reading %d\n", current_subimage);
  title_gif_frame(openfilename);
  upd_rgb(0);
}

int MyWindow::handle(int event) {
  switch (event) {
    case FL_KEYDOWN:
      return Fl::event_key() == FL_Escape ? 1 : 0;
    case FL_SHORTCUT:
      // With no widget focused the toolkit offers Escape as a shortcut and would close the
      // window; it is swallowed here too.
      if (Fl::event_key() == FL_Escape) return 1;
      return Fl_Double_Window::handle(event);
    case FL_KEYUP:
      if (gif_extension && (Fl::event_key() == FL_Page_Down || Fl::event_key() == FL_Page_Up)) {
        step_gif_frame(Fl::event_key() == FL_Page_Down ? 1 : -1);
        return 0;
      }
      return Fl_Double_Window::handle(event);
    case FL_DRAG:
      return 0;
    default:
      return Fl_Double_Window::handle(event);
  }
}

void menubar_cb(Fl_Widget*, void*) {}

void about_version(const char* build_date, char* out, int size) {
  static const char* months[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int q = 0;
  for (int m = 0; m < 12; m++)
    if (strncmp(build_date, months[m], 3) == 0) q = m / 3 + 1;
  const char* year = strlen(build_date) >= 11 ? build_date + 7 : "";
  if (q)
    snprintf(out, size, "%.4s.%d", year, q);
  else
    snprintf(out, size, "%.4s.?", year);
}

void about_text(const char* build_date, char* out, int size) {
  char ver[32];
  about_version(build_date, ver, sizeof ver);
  snprintf(out, size,
           "sun calculator\n"
           "A globe lit by the sun for this moment, with a viewer for terrain tiles,\n"
           "molecules, meshes and pictures.\n"
           "   ver %s\n"
           "\n * Solar positions: SG2 tables generated from ERFA (BSD licence).\n"
           " * Elevation: ETOPO5, NOAA National Geophysical Data Center (public domain).\n"
           " * Earth texture: NASA Visible Earth; night lights: NOAA NGDC, NASA.\n"
           "\n * GUI: This software is based in part on the work of the FLTK project "
           "(https://www.fltk.org) version %d.%d.%d\n"
           " * This software is based in part on the work of zlib."
           "\n\nusage:\n   Right-click on map to calculate sun data.",
           ver, FL_MAJOR_VERSION, FL_MINOR_VERSION, FL_PATCH_VERSION);
}

void cb_about(Fl_Widget*, void*) {
  char text[2048];
  about_text(__DATE__, text, sizeof text);
  plat_message(text);
}

void set_mouse(int mode) { current_mouse_mode = mode; }
void show_window() {
  // As the start shows it: with no argument at all the X server refuses the toolkit's property.
  if (window) show_main_window();
}
void hide_window() {
  if (window) window->hide();
}
void delete_window() {
  // The destructor runs in place and the window's memory stays reserved. The pointers to the
  // window and its widgets are dropped with them: whatever runs later finds no window rather
  // than a destroyed one.
  if (!window) return;
  window->~MyWindow();
  window = nullptr;
  screen_window = nullptr;
  grp_main = nullptr;
  b0 = b1 = b2 = b3 = b4 = b5 = b6 = b_contr = b_Contr = b_bright = b_Bright = nullptr;
  choice = nullptr;
  menubar = nullptr;
  statusbar = nullptr;
  p_image_box = nullptr;
  picture_widget = nullptr;
}
