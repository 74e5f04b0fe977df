// The readers behind the real file opener: a file of each kind opens to its picture and title.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "app/open_file.h"
#include "app/window.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/ocr.h"
#include "support/reader_checks.h"
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

TEST(OpenReaders, RefusedPortablePixmapsAndBitmapsNameTheReasonOnTheErrorCanvas) {
  headless_viewer();
  std::string d = fixture("refused");
  sh("mkdir -p '" + d + "'");
  // A grey picture written by netpbm but named as a pixmap.
  ASSERT_EQ(sh("pgmramp -lr 5 3 > '" + d + "/grey.ppm'"), 0);
  write_file(d + "/huge.ppm", Bytes{'P', '6', '\n', '1', '0', '0', '0', '0', '0', ' ', '1', '0', '0', '0', '0',
                                    '0', '\n', '2', '5', '5', '\n', 0, 0, 0});
  write_file(d + "/cut.ppm", Bytes{'P', '6', '\n', '4', ' '});
  std::string xpm = "/* XPM */\nstatic char *x[] = {\n\"70000 70000 1 1\",\n};\n";
  write_file(d + "/huge.xpm", Bytes(xpm.begin(), xpm.end()));
  std::string xbm = "#define x_width 8\n#define x_height\n";
  write_file(d + "/cut.xbm", Bytes(xbm.begin(), xbm.end()));
  struct Case {
    const char* file;
    const char* reason;
  } cases[] = {
      {"grey.ppm", "not supported"},
      {"huge.ppm", "PPM size not supported: 100000 x 100000"},
      {"cut.ppm", "damaged PPM header"},
      {"huge.xpm", "XPM size not supported: 70000 x 70000"},
      {"cut.xbm", "damaged XBM header"},
  };
  for (const Case& k : cases) {
    open_as_user(d + "/" + k.file);
    EXPECT_TRUE(shows_error_canvas()) << k.file;
    EXPECT_EQ(ocr_image_text(1, 1, 5), "Error") << k.file;
    const int n = (int)strlen(k.reason);
    EXPECT_EQ(ocr_image_text(3, 1, n + 1), std::string(k.reason) + " ") << k.file;
  }
}
