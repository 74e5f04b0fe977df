#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Display.H>
#include <FL/x.H>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "app/open_file.h"
#include "app/picture_box.h"
#include "app/startup.h"
#include "app/window.h"
#include "platform/bands.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/quantise.h"
#include "view/screen.h"

namespace {

// Waits a while for the window system to map or unmap the window.
bool shown_after_a_while(Fl_Window* w, bool shown) {
  for (int k = 0; k < 100 && (w->shown() != 0) != shown; k++) Fl::wait(0.02);
  return (w->shown() != 0) == shown;
}

// A widget that counts its destructions.
int tracked_destroyed = 0;
class Tracked : public Fl_Box {
 public:
  Tracked(int x, int y, int w, int h) : Fl_Box(x, y, w, h) {}
  ~Tracked() override { tracked_destroyed++; }
};

}  // namespace

TEST(Window, LayoutAroundTheCanvas) {
  headless_viewer(800, 500);
  EXPECT_EQ(window->w(), 908);
  EXPECT_EQ(window->h(), 548);
  EXPECT_STREQ(window->label(), "sun calculator");
  EXPECT_EQ(CANVAS_X, WB + WW / 2);
  EXPECT_EQ(CANVAS_Y, HM + HH / 2);
}

TEST(Window, EscapeIsSwallowedOtherKeysGoOnAsShortcuts) {
  headless_viewer();
  Fl::e_keysym = FL_Escape;
  EXPECT_EQ(window->handle(FL_KEYDOWN), 1);
  EXPECT_EQ(window->handle(FL_SHORTCUT), 1);
  Fl::e_keysym = 'q';
  EXPECT_EQ(window->handle(FL_KEYDOWN), 0);
  EXPECT_EQ(window->handle(FL_DRAG), 0);
}

TEST(Window, ResizeGrowsTheErrorRowsWithTheCanvas) {
  headless_viewer(800, 500);
  window->resize(window->x(), window->y(), 1700 + 108, 600 + 48);
  EXPECT_EQ(width, 1700);
  EXPECT_GE(err_alloc, 3 * 1700 + 60);
  EXPECT_EQ(status_text(), "1808 x 648");
  window->resize(window->x(), window->y(), 908, 548);
}

// The tool panel is furniture: however the window is sized, each control keeps the size and place
// it was built with, and only the picture (with the bars along it) follows the window.
TEST(Window, ThePanelKeepsItsControlsAsTheWindowIsResized) {
  headless_viewer(800, 500);
  struct Placed {
    const char* what;
    Fl_Widget* widget;
    int x, y, w, h;
  } panel[] = {
      {"+", b1, 5, 86, 26, 26},         {"1:1", b0, 5, 114, 26, 26},
      {"-", b2, 5, 142, 26, 26},        {"left", b3, 39, 119, 26, 26},
      {"right", b4, 75, 119, 26, 26},   {"down", b5, 57, 92, 26, 26},
      {"up", b6, 57, 146, 26, 26},      {"c", b_contr, 15, 220, 35, 26},
      {"C", b_Contr, 55, 220, 35, 26},  {"b", b_bright, 15, 250, 35, 26},
      {"B", b_Bright, 55, 250, 35, 26}, {"view choice", choice, 8, 50, 80, 22},
  };
  ASSERT_EQ(grp_main->children(), (int)(sizeof panel / sizeof panel[0]));
  const struct {
    int w, h;
  } sizes[] = {{908, 400}, {300, 120}, {1280, 1000}, {2000, 260}, {908, 548}};
  for (const auto& size : sizes) {
    window->resize(window->x(), window->y(), size.w, size.h);
    for (const Placed& p : panel) {
      EXPECT_EQ(p.widget->parent(), grp_main) << p.what;
      EXPECT_EQ(p.widget->x(), p.x) << p.what << " at " << size.w << " x " << size.h;
      EXPECT_EQ(p.widget->y(), p.y) << p.what << " at " << size.w << " x " << size.h;
      EXPECT_EQ(p.widget->w(), p.w) << p.what << " at " << size.w << " x " << size.h;
      EXPECT_EQ(p.widget->h(), p.h) << p.what << " at " << size.w << " x " << size.h;
    }
    EXPECT_EQ(grp_main->x(), 0);
    EXPECT_EQ(grp_main->w(), WB);
    EXPECT_EQ(grp_main->h(), size.h);
    EXPECT_EQ(p_image_box->x(), CANVAS_X);
    EXPECT_EQ(p_image_box->y(), CANVAS_Y);
    EXPECT_EQ(p_image_box->w(), size.w - 108);
    EXPECT_EQ(p_image_box->h(), size.h - 48);
    EXPECT_EQ(width, size.w - 108);
    EXPECT_EQ(menubar->w(), size.w);
    EXPECT_EQ(menubar->h(), HM);
    EXPECT_EQ(statusbar->y(), size.h - HS);
    EXPECT_EQ(statusbar->h(), HS);
  }
}

// Moving the window (as the window system does once when it first shows it) leaves the picture
// and the status line alone; a new size redraws.
TEST(Window, AMoveAloneDrawsNothing) {
  headless_viewer(300, 200);
  set_content_vglobe();
  set_status("kept");
  std::fill(uimage, uimage + 3 * 300 * 200, 9);
  window->resize(window->x() + 7, window->y() + 10, window->w(), window->h());
  EXPECT_EQ(status_text(), "kept");
  EXPECT_EQ(uimage[0], 9);
  EXPECT_EQ(uimage[3 * 300 * 200 - 1], 9);
  window->resize(window->x(), window->y(), 308 + 108, 200 + 48);
  EXPECT_EQ(width, 308);
  EXPECT_EQ(status_text(), "");  // the globe was drawn anew and posted
  set_content_empty();
  window->resize(window->x() - 7, window->y() - 10, 300 + 108, 200 + 48);
}

TEST(Window, FrameSteppingWrapsAndTitles) {
  headless_viewer();
  strcpy(openfilename, "f.gif");
  gif_extension = 1;
  n_img = 5;
  current_subimage = 4;
  Fl::e_keysym = FL_Page_Down;
  window->handle(FL_KEYUP);
  EXPECT_EQ(current_subimage, 0);
  EXPECT_STREQ(window->label(), "f.gif (1 of 5)");
  Fl::e_keysym = FL_Page_Up;
  window->handle(FL_KEYUP);
  EXPECT_EQ(current_subimage, 4);
  EXPECT_STREQ(window->label(), "f.gif (5 of 5)");
  gif_extension = 0;
  window->handle(FL_KEYUP);
  EXPECT_EQ(current_subimage, 4);
  n_img = 1;
  current_subimage = 0;
  set_title("sun calculator");
}

TEST(Window, AboutVersionFromTheBuildDate) {
  struct Case {
    const char* date;
    const char* version;
  } cases[] = {{"Dec 10 2016", "2016.4"}, {"Jan  1 2020", "2020.1"}, {"Apr 30 2021", "2021.2"},
               {"Sep  9 2022", "2022.3"}, {"Xyz 12 2023", "2023.?"}};
  for (const Case& k : cases) {
    char v[32];
    about_version(k.date, v, sizeof v);
    EXPECT_STREQ(v, k.version) << k.date;
  }
  char text[2048];
  about_text("Dec 10 2016", text, sizeof text);
  std::string t(text);
  EXPECT_NE(t.find("   ver 2016.4"), std::string::npos);
  char fltk[64];
  snprintf(fltk, sizeof fltk, ") version %d.%d.%d\n", FL_MAJOR_VERSION, FL_MINOR_VERSION, FL_PATCH_VERSION);
  EXPECT_NE(t.find(std::string("\n * GUI: This software is based in part on the work of the FLTK project (")), std::string::npos);
  EXPECT_NE(t.find(fltk), std::string::npos);
  EXPECT_NE(t.find(" * This software is based in part on the work of zlib."), std::string::npos);
  const std::string usage = "\n\nusage:\n   Right-click on map to calculate sun data.";
  EXPECT_EQ(t.substr(t.size() - usage.size()), usage);
  cb_about();
  EXPECT_EQ(message_count, 1);
  EXPECT_NE(std::string(last_message).find("ver "), std::string::npos);
}

// Showing and hiding the main window on the private X server. The window is shown as the start
// shows it: an empty argument list would make the toolkit send a property the X server refuses.
TEST(Window, ShowAndHideTheMainWindow) {
  headless_viewer();
  ASSERT_FALSE(window->shown());
  testing::internal::CaptureStderr();
  show_window();
  EXPECT_TRUE(shown_after_a_while(window, true));
  XSync(fl_display, False);  // any error the server has for the requests comes back now
  std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(errors.find("BadValue"), std::string::npos) << errors;
  EXPECT_TRUE(window->visible());
  hide_window();
  EXPECT_TRUE(shown_after_a_while(window, false));
  EXPECT_FALSE(window->visible());
  hide_window();  // hiding a hidden window changes nothing
  EXPECT_FALSE(window->shown());
}

// delete_window runs the window's destructor in place, which destroys its widgets but returns no
// memory (here the window lives in the test's own storage, which must not be freed); afterwards
// no pointer of the program names the destroyed window or its widgets, so that the other held
// operations do nothing. The main window of the other tests is put back.
TEST(Window, DeleteWindowDestroysInPlaceAndForgetsTheWindow) {
  headless_viewer();
  MyWindow* const main_window = window;
  Fl_Group* const main_group = grp_main;
  Fl_Menu_Bar* const main_menubar = menubar;
  Fl_Text_Display* const main_statusbar = statusbar;
  MyBox* const main_box = p_image_box;
  Fl_Choice* const main_choice = choice;
  Fl_Widget* const main_picture = picture_widget;
  Fl_Window* const main_screen = screen_window;

  // A window of the same shape: the panel group with the view choice, menu bar, status bar and
  // picture box.
  alignas(MyWindow) static unsigned char storage[sizeof(MyWindow)];
  window = new (storage) MyWindow(0, 0, 300, 200, "held");
  screen_window = window;
  grp_main = new Fl_Group(0, 0, 100, 200);
  choice = new Fl_Choice(5, 50, 60, 20);
  new Tracked(5, 90, 20, 20);
  grp_main->end();
  menubar = new Fl_Menu_Bar(0, 0, 300, 20);
  statusbar = new Fl_Text_Display(0, 180, 300, 20);
  p_image_box = new MyBox(104, 24, 190, 150);
  picture_widget = p_image_box;
  new Tracked(100, 20, 4, 4);
  window->end();
  tracked_destroyed = 0;

  delete_window();
  EXPECT_EQ(tracked_destroyed, 2) << "the destructor destroyed the widgets, nested ones too";
  EXPECT_EQ(window, nullptr);
  EXPECT_EQ(screen_window, nullptr);
  EXPECT_EQ(grp_main, nullptr);
  EXPECT_EQ(choice, nullptr);
  EXPECT_EQ(menubar, nullptr);
  EXPECT_EQ(statusbar, nullptr);
  EXPECT_EQ(p_image_box, nullptr);
  EXPECT_EQ(picture_widget, nullptr);
  show_window();
  hide_window();
  delete_window();
  EXPECT_EQ(tracked_destroyed, 2);
  // The shared state goes on without the widgets.
  set_content_image(1);
  set_status("still here");
  EXPECT_EQ(status_text(), "still here");

  window = main_window, grp_main = main_group, menubar = main_menubar;
  statusbar = main_statusbar, p_image_box = main_box, choice = main_choice;
  picture_widget = main_picture, screen_window = main_screen;
  set_content_empty();
}

TEST(Startup, CanvasForTheScreen) {
  struct Case {
    int sw, sh, w, h;
  } cases[] = {{1000, 750, 800, 500},  {1001, 751, 920, 684},  {1201, 901, 1000, 800},
               {1201, 751, 920, 684},  {1280, 1024, 1000, 800}, {640, 480, 800, 500},
               {1200, 900, 920, 684}};
  for (const Case& k : cases) {
    int w, h;
    canvas_for_screen(k.sw, k.sh, &w, &h);
    EXPECT_EQ(w, k.w) << k.sw << "x" << k.sh;
    EXPECT_EQ(h, k.h) << k.sw << "x" << k.sh;
  }
}

TEST(Startup, ErrorRowsNeverShorterThanTheCanvasNeeds) {
  // A 640-pixel screen keeps the 800-pixel canvas; rows from the screen alone would be short.
  EXPECT_EQ(err_rows_at_start(640, 800), 3 * 800 + 60);
  EXPECT_GE(err_rows_at_start(640, 800), err_rows_needed(800));
  EXPECT_EQ(err_rows_at_start(1280, 1000), 3 * 1280 + 240);
  fail_err_rows_alloc = 1;
  float* before = err_lines_r;
  EXPECT_EQ(alloc_err_rows(100), 1);
  EXPECT_EQ(err_lines_r, before);  // a failure keeps what was there
  fail_err_rows_alloc = 0;
}

static void start_without_error_rows() {
  fail_err_rows_alloc = 1;
  char prog[] = "sun-calculator";
  char* argv[] = {prog, nullptr};
  sun_calculator_main(1, argv);
}

TEST(Startup, ErrorRowsThatCannotBeAllocatedEndTheStart) {
  EXPECT_EXIT(start_without_error_rows(), testing::ExitedWithCode(1), "");
}

TEST(Startup, WindowColourAndDepthClass) {
  EXPECT_EQ(sys_color_to_fl(0, 0, 0), (Fl_Color)FL_BLACK);
  EXPECT_EQ(sys_color_to_fl(1, 2, 3), (Fl_Color)0x01020300);
  EXPECT_EQ(sys_color_to_fl(192, 192, 192), (Fl_Color)0xC0C0C000);
  struct Case {
    int bits, high, palette;
  } cases[] = {{15, 1, 0}, {16, 1, 0}, {8, 0, 1}, {24, 0, 0}, {32, 0, 0}, {4, 0, 0}};
  for (const Case& k : cases) {
    set_depth_class(k.bits);
    EXPECT_EQ(col_high, k.high) << k.bits;
    EXPECT_EQ(col_palette, k.palette) << k.bits;
  }
  set_depth_class(24);
  InWinNT();
  EXPECT_EQ(is9xline, 0);
}
