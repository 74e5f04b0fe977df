// The menu commands with a scripted file chooser.
#include <FL/Fl_Choice.H>
#include <FL/Fl_RGB_Image.H>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <string>

#include "app/menu.h"
#include "app/panel.h"
#include "app/picture_box.h"
#include "app/window.h"
#include "open_fixture.h"
#include "platform/dialogs.h"
#include "support/headless.h"
#include "support/ocr.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

struct Chooser {
  static int answer;
  static std::string chosen, title, filter;
  static int calls;
  static int script(const char* t, const char* f, char* name, int size) {
    calls++;
    title = t;
    filter = f;
    if (answer == 0) snprintf(name, size, "%s", chosen.c_str());
    return answer;
  }
};
int Chooser::answer = 1;
std::string Chooser::chosen, Chooser::title, Chooser::filter;
int Chooser::calls = 0;

class MenuTest : public OpenTest {
 protected:
  void SetUp() override {
    OpenTest::SetUp();
    Chooser::calls = 0;
    Chooser::answer = 1;
    plat_chooser_script = Chooser::script;
  }
  void TearDown() override {
    plat_chooser_script = nullptr;
    OpenTest::TearDown();
  }
};

// An absolute path of exactly n characters ending in `tail`, with its folders made.
std::string path_of_length(const std::string& dir, size_t n, const std::string& tail) {
  std::string p = dir;
  while (n - p.size() > 150) {
    p += "/" + std::string(99, 'd');
    mkdir(p.c_str(), 0755);
  }
  size_t len = n - p.size() - 1;
  return p + "/" + std::string(len - tail.size(), 'f') + tail;
}

}  // namespace

TEST_F(MenuTest, ChooserTitleAndFilter) {
  cb_open();
  EXPECT_EQ(Chooser::calls, 1);
  EXPECT_EQ(Chooser::title, "Choose file");
  EXPECT_EQ(Chooser::filter, "Srtm3/1\t*.{hgt,hgt.zip}\nSrtm30\t*.{dem,dem.zip}");
}

TEST_F(MenuTest, CancelChangesNothingButTheName) {
  write("shown.dat", "shown");
  open("shown.dat");
  std::vector<float> canvas(fimage, fimage + 4L * width * height);
  Chooser::answer = 1;
  message_count = 0;
  cb_open();
  EXPECT_STREQ(openfilename, "");
  EXPECT_EQ(title(), "shown.dat");
  EXPECT_EQ(content, CONTENT_HEX);
  EXPECT_EQ(message_count, 0);
  EXPECT_TRUE(canvas == std::vector<float>(fimage, fimage + 4L * width * height));
}

TEST_F(MenuTest, FailedChooserOpensTheEmptyName) {
  set_content_vglobe();
  Chooser::answer = -1;
  cb_open();
  EXPECT_EQ(content, CONTENT_HEX);
  EXPECT_EQ(std::string(last_message), "error opening file: ><\n");
}

TEST_F(MenuTest, ChosenFileOpensOverTheHexKind) {
  struct {
    const char* name;
    int kind;
    const char* reader;
  } cases[] = {
      {"N47E008.hgt", CONTENT_SRTM3, "hgt"},
      {"bundle.zip", CONTENT_HEX, ""},  // no kind of its own: shown as a dump
      {"notes.txt", CONTENT_HEX, ""},
      {"bad.jpg", CONTENT_HEX, "jpeg"},  // a failed reader leaves the hex kind
  };
  result = [](const std::string& row) { return row == "jpeg" ? 1 : 0; };
  for (auto& c : cases) {
    write(c.name, "PK\x03\x04zip");
    set_content_vglobe();
    ran.clear();
    Chooser::answer = 0;
    Chooser::chosen = dir_ + "/" + c.name;
    cb_open();
    EXPECT_STREQ(openfilename, Chooser::chosen.c_str());
    EXPECT_EQ(content, c.kind) << c.name;
    EXPECT_EQ(ran, *c.reader ? std::vector<std::string>{c.reader} : std::vector<std::string>{});
    EXPECT_EQ(title(), Chooser::chosen);
  }
  // the zip's bytes as a dump
  Chooser::chosen = dir_ + "/bundle.zip";
  cb_open();
  EXPECT_EQ(ocr_canvas_text(1, 0, 18), "00000000: 504B 030");
}

TEST_F(MenuTest, ChosenPathOf401CharactersIsIgnored) {
  std::string ok = path_of_length(dir_, 400, ".bin");
  std::string too_long = path_of_length(dir_, 401, ".bin");
  ASSERT_EQ(ok.size(), 400u);
  ASSERT_EQ(too_long.size(), 401u);
  write(ok, "ok");
  write(too_long, "no");
  Chooser::answer = 0;
  Chooser::chosen = ok;
  cb_open();
  EXPECT_EQ(title(), ok);
  EXPECT_EQ(bin_allocated, 2);

  set_title("before");
  Chooser::chosen = too_long;
  message_count = 0;
  cb_open();
  EXPECT_STREQ(openfilename, "");
  EXPECT_EQ(title(), "before");
  EXPECT_EQ(message_count, 0);
}

TEST_F(MenuTest, GlobeCommandKeepsTheFileBuffer) {
  write("shown.dat", "shown");
  open("shown.dat");
  unsigned char* buffer = bin_content;
  choice_vglobe = 1;
  cb_globe2d();
  EXPECT_EQ(content, CONTENT_VGLOBE);
  EXPECT_EQ(choice_items(), (std::vector<std::string>{"std", "moon"}));
  EXPECT_EQ(choice_selected(), "moon");
  EXPECT_EQ(bin_content, buffer);
  EXPECT_EQ(bin_allocated, 5);
}

TEST_F(MenuTest, CloseShowsTheEmptyViewAndKeepsTheKind) {
  write("shown.dat", "shown");
  open("shown.dat");
  Fl_RGB_Image* before = fl_temp;
  set_status("something");
  cb_close();
  EXPECT_EQ(contentview, 0);
  EXPECT_EQ(content, CONTENT_HEX);
  EXPECT_EQ(choice_items(), (std::vector<std::string>{"none", "auto"}));
  EXPECT_EQ(choice_selected(), "auto");
  EXPECT_EQ(title(), "Preview");
  EXPECT_EQ(status(), "Ready");
  EXPECT_NE(fl_temp, before);
  EXPECT_EQ(p_image_box->image(), fl_temp);
  EXPECT_EQ(fl_temp->w(), width);
  EXPECT_EQ(fl_temp->h(), height);
  // background gradient in the canvas and its quantised copy
  EXPECT_FLOAT_EQ(fimage[0], 0.5f);
  EXPECT_FLOAT_EQ(fimage[1], 0.55f);
  EXPECT_NEAR(uimage[0], 128, 1);
  EXPECT_NEAR(uimage[2], 153, 1);
  EXPECT_EQ(ocr_canvas_cell(0, 1), OCR_BLANK);
  // a pick in that list is no pick for the hex kind
  choice->value(0);
  choice_cb(choice, nullptr);
  EXPECT_EQ(choice_hex, 2);
}

TEST_F(MenuTest, Globe3dDoesNothing) {
  set_content_html();
  set_title("kept");
  set_status("kept");
  int view = contentview;
  cb_globe3d();
  EXPECT_EQ(content, CONTENT_HTML);
  EXPECT_EQ(title(), "kept");
  EXPECT_EQ(status(), "kept");
  EXPECT_EQ(contentview, view);
}

TEST(MenuExit, QuitEndsWithStatusZero) {
  headless_viewer();
  EXPECT_EXIT(cb_exit(), testing::ExitedWithCode(0), "");
}
