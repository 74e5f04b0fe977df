// Which reader a name reaches, the kind it leaves, the GIF sequence and titles, the reader
// failure paths, and the zip row's reader that reads nothing.
#include <FL/Fl_Choice.H>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/open_file.h"
#include "app/panel.h"
#include "app/window.h"
#include "open_fixture.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/ocr.h"
#include "view/canvas.h"
#include "view/screen.h"

// Every name is opened relative to the test's folder, so the characters before the extension
// are the name's own.
TEST_F(OpenTest, DispatchByName) {
  struct {
    const char* name;
    const char* reader;  // "" when none runs
    int kind;            // -1: the kind before the open stays
  } cases[] = {
      {"ab.jpg", "jpeg", CONTENT_IMAGE},
      {"ab.JPG", "jpeg", CONTENT_IMAGE},
      {"ab.Jpg", "", CONTENT_HEX},
      {"ab.jpeg", "jpeg", CONTENT_IMAGE},
      {"ab.bmp", "bmp", CONTENT_IMAGE},
      {"ab.sun", "sun", CONTENT_IMAGE},
      {"ab.ras", "sun", CONTENT_IMAGE},
      {"ab.tga", "targa", CONTENT_IMAGE},
      {"ab.gif", "gif", CONTENT_IMAGE},
      {"a.gif", "", CONTENT_HEX},
      {"ab.pcx", "pcx", CONTENT_IMAGE},
      {"ab.x3f", "x3f", CONTENT_IMAGE},
      {"ab.stl", "stl", CONTENT_STL},
      {"ab.sdf", "sdf", CONTENT_SDF},
      {"ab.hgt", "hgt", CONTENT_SRTM3},
      {"ab.DEM", "hgt", CONTENT_SRTM3},
      {"ab.hgt.zip", "hgt", CONTENT_SRTM3},
      {"abdem.zip", "hgt", CONTENT_SRTM3},
      {"ab.pdb", "pdb", CONTENT_PDB},
      {"ab.pdb.gz", "pdb", CONTENT_PDB},
      {"ab.zip", "", -1},
      {"ab.mac", "mac", CONTENT_IMAGE},
      {"ab.hqx", "hqx", CONTENT_IMAGE},
      {"ab.pbm", "pbm", CONTENT_IMAGE},
      {"ab.ppm", "ppm", CONTENT_IMAGE},
      {"ab.xbm", "xbm", CONTENT_IMAGE},
      {"ab.xpm", "xpm", CONTENT_IMAGE},
      {"ab.htm", "", CONTENT_HTML},
      {"ab.HTML", "", CONTENT_HTML},
      {"ab.png", "", CONTENT_HEX},
      {"ab.tif", "", CONTENT_HEX},
      {"ab.nef", "", CONTENT_HEX},
      {"ab.ico", "", CONTENT_HEX},
      {"ab.gz", "", CONTENT_HEX},
      {"README", "", CONTENT_HEX},
      {"ab.jpg.txt", "", CONTENT_HEX},
  };
  for (auto& c : cases) {
    write(c.name, "some bytes");
    set_content_vglobe();
    ran.clear();
    open(c.name);
    std::vector<std::string> want;
    if (*c.reader) want.push_back(c.reader);
    EXPECT_EQ(ran, want) << c.name;
    EXPECT_EQ(content, c.kind == -1 ? CONTENT_VGLOBE : c.kind) << c.name;
    EXPECT_EQ(title(), c.name);
  }
}

TEST_F(OpenTest, FlagsDescribeEveryEndingOfTheName) {
  write("ab.hgt.zip", "x");
  open("ab.hgt.zip");
  EXPECT_EQ(hgt_extension, 1);
  EXPECT_EQ(zip_extension, 1);
  EXPECT_EQ(gif_extension, 0);
  write("ab.pdb.gz", "x");
  open("ab.pdb.gz");
  EXPECT_EQ(pdb_extension, 1);
  EXPECT_EQ(hgt_extension, 0);
  EXPECT_EQ(zip_extension, 0);
}

TEST_F(OpenTest, ZipOnlyRenamesTheWindowOverTheUnchangedView) {
  write("pic.bmp", "BMbytes");
  open("pic.bmp");
  ASSERT_EQ(content, CONTENT_IMAGE);
  int view = contentview;
  write("archive.zip", "PK\x03\x04");
  open("archive.zip");
  EXPECT_TRUE(ran == std::vector<std::string>{"bmp"});
  EXPECT_EQ(content, CONTENT_IMAGE);
  EXPECT_EQ(contentview, view);
  EXPECT_EQ(title(), "archive.zip");
  EXPECT_EQ(bin_allocated, 4);
}

TEST_F(OpenTest, GifSequenceAndTitles) {
  struct {
    int frames;
    const char* title;
  } cases[] = {{5, "ab.gif (1 of 5)"}, {1, "ab.gif"}, {2, "ab.gif (1 of 2)"}};
  write("ab.gif", "GIF89a");
  for (auto& c : cases) {
    gif_calls.clear();
    gif_frames = c.frames;
    current_subimage = 3;
    open("ab.gif");
    std::vector<gif_call> want = {{1, 1, 1}, {1, 1, 0}, {-1, 0, 0}, {1, 1, 0}};
    EXPECT_EQ(gif_calls, want);
    EXPECT_EQ(current_subimage, 0);
    EXPECT_EQ(n_img, c.frames);
    EXPECT_EQ(is_content_image(), c.frames);
    EXPECT_EQ(title(), c.title);
  }
}

TEST_F(OpenTest, GifWhoseFirstFrameFailsKeepsTheKind) {
  write("ab.gif", "GIF89a");
  set_content_hex();
  gif_failing_decode = 1;
  testing::internal::CaptureStdout();
  open("ab.gif");
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("no file in gif"), std::string::npos) << out;
  std::vector<gif_call> want = {{1, 1, 1}, {1, 1, 0}};
  EXPECT_EQ(gif_calls, want);
  EXPECT_EQ(content, CONTENT_HEX);
  EXPECT_EQ(status(), "error reading ab.gif\n");
  EXPECT_EQ(contentview, 0);
  EXPECT_EQ(title(), "ab.gif");
  EXPECT_EQ(choice_items(), (std::vector<std::string>{"none", "auto"}));
}

TEST_F(OpenTest, GifWhoseSecondDecodeFailsIsAnImageOfItsFrames) {
  write("ab.gif", "GIF89a");
  set_content_hex();
  gif_frames = 5;
  gif_failing_decode = 2;
  open("ab.gif");
  EXPECT_EQ(content, CONTENT_IMAGE);
  EXPECT_EQ(n_images, 5);
  EXPECT_EQ(status(), "error reading ab.gif\n");
  EXPECT_EQ(title(), "ab.gif (1 of 5)");
  EXPECT_EQ(contentview, 0);
}

TEST_F(OpenTest, ReaderFailurePaths) {
  struct {
    const char* name;
    int result;
    const char* status;
  } cases[] = {
      {"ab.jpg", 1, "error reading ab.jpg\n"},
      {"ab.jpg", 999, "memory error reading ab.jpg\n"},
      {"ab.x3f", 1, "error reading ab.x3f\n"},
      {"ab.x3f", 999, "memory error reading ab.x3f\n"},
  };
  for (auto& c : cases) {
    write(c.name, "bytes");
    set_content_pdb();
    int r = c.result;
    result = [r](const std::string&) { return r; };
    open(c.name);
    EXPECT_EQ(status(), c.status) << c.name;
    EXPECT_EQ(content, CONTENT_PDB) << c.name;
    EXPECT_EQ(contentview, 0) << c.name;
    EXPECT_EQ(title(), c.name);
    EXPECT_EQ(choice_items(), (std::vector<std::string>{"none", "auto"}));
    EXPECT_EQ(choice_selected(), "auto");
  }
}

TEST_F(OpenTest, FailingPortableAndBitmapReadersShowTheErrorCanvas) {
  for (const char* name : {"ab.ppm", "ab.xbm", "ab.xpm"}) {
    write(name, "P6\n");
    set_content_hex();
    contentview = 0;
    image_xres = image_yres = 0;
    result = [](const std::string&) { return 1; };
    open(name);
    EXPECT_EQ(content, CONTENT_IMAGE) << name;
    EXPECT_EQ(n_images, 1);
    EXPECT_EQ(contentview, 1) << name;
    EXPECT_EQ(image_xres, 800);
    EXPECT_EQ(image_yres, 600);
    EXPECT_EQ(ocr_image_text(1, 1, 5), "Error") << name;
    EXPECT_EQ(ocr_image_text(3, 1, 3), "   ") << name;
    EXPECT_EQ(title(), name);
  }
}

// After a failed open the empty list stands over the image kind; picking its "auto" (index 1)
// must not become the image kind's "hex" (also index 1).
TEST_F(OpenTest, PickAfterFailedOpenIsNotStoredForTheKind) {
  write("ok.bmp", "BM");
  open("ok.bmp");
  ASSERT_EQ(content, CONTENT_IMAGE);
  write("bad.jpg", "\xff\xd8");
  result = [](const std::string& row) { return row == "jpeg" ? 1 : 0; };
  open("bad.jpg");
  ASSERT_EQ(choice_items(), (std::vector<std::string>{"none", "auto"}));
  choice->value(1);
  choice_cb(choice, nullptr);
  EXPECT_EQ(choice_image, 3);
  EXPECT_FALSE(view_is_hex());
  open("ok.bmp");
  EXPECT_EQ(choice_selected(), "auto");
  EXPECT_FALSE(view_is_hex());
}

TEST_F(OpenTest, HtmlShowsItsTextAndSwitchesToHexAndBack) {
  write("page.html", "<p>hi</p>\r\n<b>x</b>\n");
  open("page.html");
  ASSERT_EQ(content, CONTENT_HTML);
  EXPECT_EQ(choice_selected(), "auto");
  EXPECT_EQ(ocr_canvas_text(0, 0, 11), "<p>hi</p>  ");
  EXPECT_EQ(ocr_canvas_text(1, 0, 9), "<b>x</b> ");

  choice->value(1);  // "hex"
  choice_cb(choice, nullptr);
  EXPECT_EQ(choice_htm, 1);
  EXPECT_EQ(ocr_canvas_text(0, 0, 8), "87654321");
  EXPECT_EQ(ocr_canvas_text(1, 0, 14), "00000000: 3C70");

  choice->value(4);  // "auto"
  choice_cb(choice, nullptr);
  EXPECT_EQ(choice_htm, 4);
  EXPECT_EQ(ocr_canvas_text(0, 0, 9), "<p>hi</p>");
}

TEST_F(OpenTest, UnknownBinaryFileShowsItsDump) {
  write("blob.dat", std::string("\x00\x41\xab\x7f MZ", 7));
  open("blob.dat");
  EXPECT_EQ(content, CONTENT_HEX);
  EXPECT_TRUE(view_is_hex());
  EXPECT_EQ(ocr_canvas_text(1, 0, 67),
            "00000000: 0041 AB7F 204D 5A" + std::string(24, ' ') + " A   MZ" + std::string(9, ' '));
  EXPECT_EQ(title(), "blob.dat");
}

TEST_F(OpenTest, SameLengthReusesTheBufferWithTheNewBytes) {
  write("one.bin", "12345678");
  write("two.bin", "abcdefgh");
  write("three.bin", "abc");
  open("one.bin");
  unsigned char* block = bin_content;
  open("two.bin");
  EXPECT_EQ(bin_content, block);
  EXPECT_EQ(std::string((char*)bin_content, 8), "abcdefgh");
  open("three.bin");
  EXPECT_EQ(bin_allocated, 3);
  EXPECT_EQ(std::string((char*)bin_content, 3), "abc");
}

// Zip files are recognised by name only: their reader reads nothing and changes nothing, neither
// the file buffer, the loaded image, the canvas, the kind nor the status line.
TEST(Zip, TheReaderChangesNothing) {
  headless_viewer(40, 30);
  put_file_buffer(std::string("PK\x03\x04 the start of an archive"));
  ASSERT_EQ(resize_loaded_image(3, 2), 0);
  image_xres = 3, image_yres = 2;
  for (int i = 0; i < 24; i++) img_content[i] = i / 24.0f;
  set_content_image(1);
  set_status("kept");
  const Bytes file(bin_content, bin_content + bin_allocated);
  const std::vector<float> image(img_content, img_content + 24), canvas(fimage, fimage + 4 * 40 * 30);
  const float* block = img_content;
  load_zip();
  EXPECT_EQ(Bytes(bin_content, bin_content + bin_allocated), file);
  EXPECT_EQ(img_content, block);
  EXPECT_EQ(std::vector<float>(img_content, img_content + 24), image);
  EXPECT_EQ(image_xres * image_yres, 6);
  EXPECT_TRUE(std::vector<float>(fimage, fimage + 4 * 40 * 30) == canvas);
  EXPECT_EQ(is_content_image(), 1);
  EXPECT_EQ(status_text(), "kept");
  set_content_empty();
}
