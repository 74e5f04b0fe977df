// Bad names and files, files too large for the buffer, and opens that arrive while a reader is
// still running: each leaves what is shown as it was or says what went wrong, and never ends
// the program.
#include <gtest/gtest.h>
#include <FL/Fl_Choice.H>
#include <FL/Fl.H>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "app/menu.h"
#include "app/open_file.h"
#include "app/panel.h"
#include "app/window.h"
#include "open_fixture.h"
#include "picture_box_events.h"
#include "platform/dialogs.h"
#include "scene3d/frame_state.h"
#include "scene3d/synthetic_scenes.h"
#include "support/headless.h"
#include "support/ocr.h"
#include "view/adjust.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

// What a failed open must leave alone.
struct Shown {
  unsigned char* buffer;
  int length;
  int kind, view;
  std::string title, flags;
  std::vector<float> canvas;

  static Shown now(const std::string& title) {
    Shown s{bin_content, bin_allocated, content, contentview, title, "", {}};
    for (int i = 0; i < open_table_rows; i++) s.flags += (char)('0' + *open_table[i].flag);
    s.canvas.assign(fimage, fimage + 4L * width * height);
    return s;
  }
};

void expect_same(const Shown& a, const Shown& b, const std::string& what) {
  EXPECT_EQ(a.buffer, b.buffer) << what;
  EXPECT_EQ(a.length, b.length) << what;
  EXPECT_EQ(a.kind, b.kind) << what;
  EXPECT_EQ(a.view, b.view) << what;
  EXPECT_EQ(a.title, b.title) << what;
  EXPECT_EQ(a.flags, b.flags) << what;
  EXPECT_TRUE(a.canvas == b.canvas) << what << ": the picture changed";
}

}  // namespace

TEST_F(OpenTest, NamesThatCannotBeOpenedKeepThePicture) {
  write("shown.jpg.dat", "shown bytes");
  write("plain.txt", "x");
  ASSERT_EQ(mkdir("folder.jpg", 0755), 0);
  ASSERT_EQ(symlink("gone.bin", "dangling.bin"), 0);
  ASSERT_EQ(mkfifo("pipe.gif", 0644), 0);
  const std::string long_component(300, 'n');
  const char* names[] = {"missing.bin",
                         "dangling.bin",
                         "folder.jpg",
                         "plain.txt/child.bmp",
                         long_component.c_str(),
                         "",
                         "pipe.gif"};
  open("shown.jpg.dat");
  ASSERT_EQ(content, CONTENT_HEX);
  for (const char* name : names) {
    Shown before = Shown::now(title());
    message_count = 0;
    open(name);
    EXPECT_EQ(message_count, 1) << name;
    EXPECT_EQ(std::string(last_message), "error opening file: >" + std::string(name) + "<\n");
    expect_same(Shown::now(title()), before, name);
    EXPECT_TRUE(ran.empty()) << name;
  }
  // The opener is free again afterwards.
  open("plain.txt");
  EXPECT_EQ(title(), "plain.txt");
}

TEST_F(OpenTest, UnreadableFileKeepsThePicture) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  write("shown.dat", "shown");
  write("locked.bmp", "BM");
  ASSERT_EQ(chmod("locked.bmp", 0), 0);
  open("shown.dat");
  Shown before = Shown::now(title());
  open("locked.bmp");
  EXPECT_EQ(std::string(last_message), "error opening file: >locked.bmp<\n");
  expect_same(Shown::now(title()), before, "locked.bmp");
}

// The buffer's length is an int: 2 GiB would turn negative, 4 GiB + 5 would read as 5 bytes.
TEST_F(OpenTest, FilesOf2GiBOrMoreAreRefusedOnTheStatusLine) {
  write("shown.dat", "shown");
  open("shown.dat");
  for (long long size : {2147483648LL, 4294967301LL}) {
    std::string name = "huge" + std::to_string(size) + ".jpg";
    write(name, "");
    ASSERT_EQ(truncate(name.c_str(), (off_t)size), 0);
    Shown before = Shown::now(title());
    message_count = 0;
    open(name);
    EXPECT_EQ(message_count, 0);
    EXPECT_NE(status().find("2 GiB or more"), std::string::npos) << status();
    EXPECT_NE(status().find(name), std::string::npos) << status();
    expect_same(Shown::now(title()), before, name);
    EXPECT_TRUE(ran.empty());
  }
}

TEST_F(OpenTest, EmptyFileGivesTheEmptyView) {
  write("shown.bmp", "BM");
  open("shown.bmp");
  ASSERT_EQ(content, CONTENT_IMAGE);
  for (const char* name : {"empty.jpg", "empty.html", "empty.bin"}) {
    write(name, "");
    ran.clear();
    open(name);
    EXPECT_TRUE(ran.empty()) << name;
    EXPECT_EQ(title(), "Preview");
    EXPECT_EQ(status(), "file is empty: " + std::string(name) + "\n");
    EXPECT_EQ(contentview, 0);
    EXPECT_EQ(content, CONTENT_IMAGE) << name;
    EXPECT_EQ(bin_allocated, 0);
    EXPECT_EQ(choice_items(), (std::vector<std::string>{"none", "auto"}));
    // the background gradient's top row
    EXPECT_FLOAT_EQ(fimage[0], 0.5f);
    EXPECT_FLOAT_EQ(fimage[2], 0.6f);
  }
}

// A file system file whose real length is below the one it reports: what the read did not
// deliver is not handed to a reader.
TEST_F(OpenTest, FileShorterThanItsLengthIsAnErrorReading) {
  const char* name = "/sys/kernel/mm/transparent_hugepage/enabled";
  struct stat st;
  if (stat(name, &st) != 0 || st.st_size <= 100) GTEST_SKIP() << "no such file here";
  open(name);
  EXPECT_EQ(status(), "error reading " + std::string(name) + "\n");
  EXPECT_EQ(title(), name);
  EXPECT_EQ(bin_allocated, (int)st.st_size);
  EXPECT_EQ(bin_content[bin_allocated - 1], 0);
}

// A reader that lets the toolkit handle events sees a drop, "Open SRTM..." and "Virtual Globe
// 2D" arrive; none of them may touch the name, the buffer or the loaded image under it.
TEST_F(OpenTest, OpensWhileAReaderRunsAreIgnored) {
  write("first.jpg", "first file bytes");
  write("second.bin", "other");
  static int chooser_calls;
  chooser_calls = 0;
  plat_chooser_script = [](const char*, const char*, char* name, int size) {
    chooser_calls++;
    snprintf(name, size, "second.bin");
    return 0;
  };
  struct Seen {
    unsigned char* buffer;
    int length;
    float* image;
    int image_count;
    std::string name;
  };
  std::vector<Seen> seen;
  auto look = [&] {
    seen.push_back({bin_content, bin_allocated, img_content, img_allocated, openfilename});
  };
  during_read = [&](const std::string& row) {
    if (row != "jpeg") return;
    EXPECT_EQ(do_open_busy(), 1);
    look();
    snprintf(openfilename, sizeof openfilename, "second.bin");  // what a drop writes first
    do_open(1);
    look();
    cb_open();
    look();
    cb_globe2d();
    look();
  };
  open("first.jpg");
  plat_chooser_script = nullptr;

  ASSERT_EQ(seen.size(), 4u);
  for (const Seen& s : seen) {
    EXPECT_EQ(s.buffer, seen[0].buffer);
    EXPECT_EQ(s.length, 16);
    EXPECT_EQ(s.image, seen[0].image);
    EXPECT_EQ(s.image_count, seen[0].image_count);
    EXPECT_EQ(s.name, "first.jpg");
  }
  EXPECT_EQ(chooser_calls, 0);
  EXPECT_EQ(ran, std::vector<std::string>{"jpeg"});
  EXPECT_EQ(content, CONTENT_IMAGE);
  EXPECT_EQ(title(), "first.jpg");
  EXPECT_EQ(do_open_busy(), 0);

  during_read = nullptr;
  open("second.bin");
  EXPECT_EQ(title(), "second.bin");
  EXPECT_EQ(bin_allocated, 5);
}

// The reader owns the loaded image until it returns: whatever the toolkit handles meanwhile on
// the globe or on a picture must neither reallocate nor rewrite it.
TEST_F(OpenTest, NothingRewritesThePictureWhileAReaderRuns) {
  write("photo.jpg", "photo bytes");
  set_content_vglobe();
  ASSERT_EQ(resize_loaded_image(37, 41), 0);  // a count no render of the canvas would keep
  image_post(37, 41, 1);
  for (int i = 0; i < 4 * 37 * 41; i++) img_content[i] = 0.25f;
  float* block = img_content;
  int calls = 0;
  during_read = [&](const std::string&) {
    auto unchanged = [&](const char* what) {
      calls++;
      EXPECT_EQ(img_content, block) << what;
      EXPECT_EQ(img_allocated, 37 * 41) << what;
      for (int i = 0; i < 4 * 37 * 41; i++)
        if (img_content[i] != 0.25f) {
          ADD_FAILURE() << what << " rewrote the picture";
          break;
        }
    };
    window->resize(window->x(), window->y(), window->w() + 8, window->h());
    unchanged("a resize on the globe");
    choice->value(1);
    choice_cb(choice, nullptr);
    unchanged("the view choice");
    cb_zoom_in();
    unchanged("zoom in on the globe");
    cb_Bright();
    unchanged("the night knob");
    set_content_image(1);
    cb_bright();
    unchanged("brightness on a picture");
    cb_R();
    unchanged("a quarter turn");
    gif_extension = 1;
    n_img = 3;
    Fl::e_keysym = FL_Page_Down;
    window->handle(FL_KEYUP);
    gif_extension = 0;
    n_img = 1;
    unchanged("a frame step");
    set_content_vglobe();
  };
  open("photo.jpg");
  during_read = nullptr;
  EXPECT_EQ(calls, 7);
  window->resize(window->x(), window->y(), window->w() - 8, window->h());
  choice_vglobe = 0;
  current_subimage = 0;
}

// The same over a 3D scene: a zoom, an arrow, a drag on the picture or a resize of the window
// while a picture reader runs must not draw a frame into (or reallocate) the block the reader is
// filling, nor change the size it will post.
TEST_F(OpenTest, NoFrameOfA3DSceneIsDrawnWhileAReaderRuns) {
  write("pic.jpg", "picture bytes");
  std::vector<scene3d::Ball> balls;
  for (int i = 0; i < 60; i++)
    balls.push_back({4 * std::cos(i * 0.4), 4 * std::sin(i * 0.4), i * 0.1, 0.8, 6});
  ASSERT_EQ(scene3d::show_spheres(balls), 0);
  set_content_pdb();
  const int xres = image_xres, yres = image_yres;
  ASSERT_GT((int64_t)xres * yres, 64 * 48);
  int calls = 0;
  during_read = [&](const std::string& row) {
    if (row != "jpeg") return;
    // What the JPEG reader holds when it lets the toolkit run: its own block, smaller than the
    // canvas, not yet posted.
    ASSERT_EQ(resize_loaded_image(64, 48), 0);
    float* block = img_content;
    const long frames = scene3d::frames_painted;
    auto unchanged = [&](const char* what) {
      calls++;
      EXPECT_EQ(img_content, block) << what;
      EXPECT_EQ(img_allocated, 64 * 48) << what;
      EXPECT_EQ(image_xres, xres) << what;
      EXPECT_EQ(image_yres, yres) << what;
      EXPECT_EQ(scene3d::frames_painted, frames) << what;
    };
    cb_zoom_in();
    unchanged("zoom in");
    cb_left();
    unchanged("an arrow");
    push(200, 150, FL_LEFT_MOUSE);
    drag(230, 140);
    release(230, 140);
    unchanged("a drag");
    window->resize(window->x(), window->y(), window->w() + 8, window->h());
    unchanged("a resize");
  };
  open("pic.jpg");
  during_read = nullptr;
  EXPECT_EQ(calls, 4);
  window->resize(window->x(), window->y(), window->w() - 8, window->h());
}

TEST_F(OpenTest, NoMemoryForTheBufferLeavesNoBufferAndNoRedraw) {
  write("shown.dat", "shown");
  write("next.jpg", "next file");
  open("shown.dat");
  std::vector<float> canvas(fimage, fimage + 4L * width * height);
  fail_bin_alloc = 1;
  testing::internal::CaptureStdout();
  open("next.jpg");
  std::string out = testing::internal::GetCapturedStdout();
  fail_bin_alloc = 0;
  EXPECT_NE(out.find("memory error (bin)"), std::string::npos) << out;
  EXPECT_EQ(bin_allocated, -1);
  EXPECT_EQ(bin_content, nullptr);
  EXPECT_EQ(jpeg_extension, 1);
  EXPECT_TRUE(ran.empty());
  EXPECT_EQ(title(), "shown.dat");
  EXPECT_EQ(content, CONTENT_HEX);
  EXPECT_TRUE(canvas == std::vector<float>(fimage, fimage + 4L * width * height));
  // a later redraw of the dump has no bytes to show, and the next open allocates afresh
  do_draw();
  EXPECT_EQ(ocr_canvas_text(1, 0, 9), std::string(9, ' '));
  open("next.jpg");
  EXPECT_EQ(bin_allocated, 9);
  EXPECT_EQ(ran, std::vector<std::string>{"jpeg"});
}
