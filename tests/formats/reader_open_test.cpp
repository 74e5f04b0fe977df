// The readers behind the real file opener: a file of each kind opens to its picture and title.
#include <gtest/gtest.h>

#include <cstdio>

#include "app/open_file.h"
#include "app/window.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

void open(const std::string& path) {
  snprintf(openfilename, sizeof openfilename, "%s", path.c_str());
  start_stdout_capture();
  do_open(1);
  stop_stdout_capture();
}

}  // namespace

TEST(OpenReaders, EachKindOpensToItsPictureAndTitle) {
  headless_viewer();
  std::string im = imagemagick();
  std::string d = fixture("open");
  sh("mkdir -p '" + d + "'");
  ASSERT_EQ(sh(im + " -seed 3 -size 6x4 xc: +noise Random '" + d + "/pic.ppm' && " + im + " '" + d +
               "/pic.ppm' '" + d + "/pic.bmp' && " + im + " '" + d + "/pic.ppm' -threshold 50% '" + d +
               "/pic.pbm' && " + im + " -delay 10 '" + d + "/pic.ppm' -flip '" + d + "/pic.ppm' -flop '" + d +
               "/pic.ppm' +dither -colors 64 -loop 0 '" + d + "/pic.gif' 2>/dev/null"),
            0);
  for (const char* f : {"pic.ppm", "pic.bmp", "pic.pbm"}) {
    open(d + "/" + f);
    EXPECT_TRUE(is_content_image()) << f;
    EXPECT_EQ(image_xres, 6) << f;
    EXPECT_EQ(image_yres, 4) << f;
    EXPECT_EQ(compare_loaded(imagemagick_rgba(d + "/" + f), 1), "") << f;
  }
  open(d + "/pic.gif");
  EXPECT_EQ(n_img, 3);
  EXPECT_EQ(std::string(window->label()), d + "/pic.gif (1 of 3)");
  EXPECT_EQ(compare_loaded(imagemagick_rgba(d + "/pic.gif", 0), 0), "");
  step_gif_frame(1);
  EXPECT_EQ(std::string(window->label()), d + "/pic.gif (2 of 3)");
  EXPECT_EQ(compare_loaded(imagemagick_rgba(d + "/pic.gif", 1), 0), "");
  gif_extension = 0;
}
