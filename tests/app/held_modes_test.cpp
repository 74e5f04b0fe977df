// The pointer tool and paint colour switches, and the full-screen view under the private X server
// (1280 x 1024).
#include <gtest/gtest.h>

#include <FL/Fl.H>
#include <FL/Fl_Menu_Bar.H>
#include <FL/Fl_Text_Display.H>

#include <string>

#include "app/full_screen.h"
#include "app/picture_box.h"
#include "app/window.h"
#include "platform/dialogs.h"
#include "platform/display.h"
#include "support/headless.h"
#include "view/canvas.h"

namespace {

std::string chooser_title;
int chooser_mode = 0;
int chooser_answer = 1;
int scripted_chooser(const char* title, double* r, double* g, double* b, int mode) {
  chooser_title = title;
  chooser_mode = mode;
  if (chooser_answer) *r = 0.1, *g = 0.2, *b = 0.3;
  return chooser_answer;
}

TEST(PointerTools, ModeAndColour) {
  headless_viewer();
  for (long m : {2L, 1L, 0L}) {
    cb_mode(nullptr, m);
    EXPECT_EQ(mouse_mode, m);
  }
  fg_r = fg_g = fg_b = 1;
  plat_color_script = scripted_chooser;
  chooser_answer = 0;
  cb_color();
  EXPECT_EQ(chooser_title, "color");
  EXPECT_EQ(chooser_mode, -1);
  EXPECT_EQ(fg_r + fg_g + fg_b, 3.0) << "a cancelled chooser changes nothing";
  chooser_answer = 1;
  cb_color();
  EXPECT_EQ(fg_r, 0.1);
  EXPECT_EQ(fg_g, 0.2);
  EXPECT_EQ(fg_b, 0.3);
  plat_color_script = nullptr;
  fg_r = fg_g = fg_b = 1;
}

TEST(FullScreen, TwiceReturnsToTheWindow) {
  headless_viewer(640, 400);
  plat_screen_override = 0;  // the private X server's own screen
  int sw, sh;
  plat_screen_size(&sw, &sh);
  ASSERT_EQ(sw, 1280);
  ASSERT_EQ(sh, 1024);
  window->resize(30, 40, 640 + 108, 400 + 48);
  const int menu_x = menubar->x(), menu_y = menubar->y(), menu_w = menubar->w();

  cb_FullScreen();
  EXPECT_EQ(fullscreen_mode, 1);
  EXPECT_EQ(save_xres, 640);
  EXPECT_EQ(save_yres, 400);
  // The canvas is one row higher than the screen: the window's layout takes it as the window
  // less the panel and bars it kept room for.
  EXPECT_EQ(width, 1280);
  EXPECT_EQ(height, 1025);
  EXPECT_EQ(window->x(), -104);
  EXPECT_EQ(window->y(), -25);
  EXPECT_EQ(window->w(), 1280 + 108);
  EXPECT_EQ(window->h(), 1024 + 49);
  EXPECT_EQ(p_image_box->x() + window->x(), 0);
  EXPECT_EQ(p_image_box->y() + window->y(), -1);
  EXPECT_FALSE(statusbar->visible());
  EXPECT_EQ(menubar->x(), -300);
  EXPECT_EQ(menubar->y(), 50);
  EXPECT_EQ(fl_temp->w(), 1280);
  EXPECT_EQ(fl_temp->h(), 1025);

  cb_FullScreen();
  EXPECT_EQ(fullscreen_mode, 0);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 400);
  EXPECT_EQ(window->x(), 12);
  EXPECT_EQ(window->y(), 24);
  EXPECT_EQ(window->w(), 640 + 108);
  EXPECT_EQ(window->h(), 400 + 48);
  EXPECT_TRUE(statusbar->visible());
  EXPECT_EQ(menubar->x(), menu_x);
  EXPECT_EQ(menubar->y(), menu_y);
  EXPECT_EQ(menubar->w(), menu_w);
  EXPECT_EQ(fl_temp->w(), 640);
  EXPECT_EQ(p_image_box->image(), fl_temp);
  plat_screen_override = 1;
}

}  // namespace
