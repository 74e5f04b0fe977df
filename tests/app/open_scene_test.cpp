// The 3D rows of the opener: a scene that could not be read changes nothing that is shown, the
// file buffer the text and hex views draw from included (its reader has said why on the status
// line); one that was read sets the 3D kind and the title.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include <FL/Fl.H>

#include "app/open_hgt.h"
#include "app/window.h"
#include "formats/gif.h"
#include "open_fixture.h"
#include "scene3d/file_openers.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"
#include "support/image_fixtures.h"
#include "support/ocr.h"
#include "support/terrain_fixtures.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

TEST_F(OpenTest, FailedSceneKeepsTitleKindAndPicture) {
  struct {
    const char* good;
    const char* bad;
    int kind;
  } cases[] = {{"ab.stl", "cd.stl", CONTENT_STL},
               {"ab.sdf", "cd.sdf", CONTENT_SDF},
               {"ab.hgt", "cd.hgt", CONTENT_SRTM3},
               {"ab.pdb", "cd.pdb.gz", CONTENT_PDB}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.good);
    write(c.good, "scene");
    write(c.bad, "damaged scene");
    result = [](const std::string&) { return 0; };
    open(c.good);
    EXPECT_EQ(content, c.kind);
    EXPECT_EQ(title(), c.good);
    long posts = image_posts;
    set_status("the reader's reason");
    result = [](const std::string&) { return 1; };
    open(c.bad);
    EXPECT_EQ(content, c.kind);
    EXPECT_EQ(title(), c.good);
    EXPECT_EQ(status(), "the reader's reason");
    EXPECT_EQ(image_posts, posts);
  }
}

bool buffer_holds(const std::string& bytes) {
  return bin_allocated == (int)bytes.size() && memcmp(bin_content, bytes.data(), bytes.size()) == 0;
}

int real_stl(int) { return load_stl(openfilename); }
int real_pdb(int) { return load_mypdb(openfilename); }
int real_hgt(int) { return load_hgt(); }

// The text and hex views draw from the file buffer: after a refused scene, a redraw of the kept
// view must show the kept file's bytes, also when the refused file has the same length.
TEST_F(OpenTest, RefusedSceneKeepsTheBytesOfTheViewShown) {
  for (int i = 0; i < open_table_rows; i++) {
    const std::string row = open_table[i].name;
    if (row == "stl") open_table[i].read = real_stl;
    if (row == "pdb") open_table[i].read = real_pdb;
    if (row == "hgt") open_table[i].read = real_hgt;
  }
  const std::string text = "the shown file, 32 bytes long..\n";
  ASSERT_EQ(text.size(), 32u);
  struct {
    const char* name;
    std::string bytes;
  } refused[] = {
      {"note.stl", "This is a note, not a mesh.\n"},
      {"same.stl", std::string(32, 'x')},
      {"note.pdb", "This is a note, not a molecule.\n"},
      {"same.pdb", std::string(32, ' ')},
      {"notes.hgt", "57.5 11.5 12 m\n"},
      {"N57E011.hgt", std::string(32, '\0')},
  };
  struct {
    const char* name;
    int kind;
    int row;
    const char* reads;
  } shown[] = {{"shown.dat", CONTENT_HEX, 1, "00000000: 7468 6520"},
               {"shown.html", CONTENT_HTML, 0, "the shown file, 32 bytes long.."}};
  for (const auto& v : shown) {
    write(v.name, text);
    for (const auto& c : refused) {
      SCOPED_TRACE(std::string(v.name) + ", then " + c.name);
      write(c.name, c.bytes);
      open(v.name);
      ASSERT_EQ(content, v.kind);
      const int n = (int)strlen(v.reads);
      ASSERT_EQ(ocr_canvas_text(v.row, 0, n), v.reads);
      std::vector<float> canvas(fimage, fimage + 4L * width * height);
      open(c.name);
      EXPECT_NE(status().find(c.name), std::string::npos) << status();
      EXPECT_EQ(content, v.kind);
      EXPECT_EQ(title(), v.name);
      EXPECT_TRUE(buffer_holds(text)) << bin_allocated << " bytes";
      do_draw();
      EXPECT_EQ(ocr_canvas_text(v.row, 0, n), v.reads);
      EXPECT_TRUE(canvas == std::vector<float>(fimage, fimage + 4L * width * height));
    }
  }

  // The terrain loader puts an archive's entry in the buffer's place before it builds the scene:
  // a scene that then cannot be allocated hands back the shown file's bytes all the same.
  const std::string tiles = terrain_fixtures("real");
  ASSERT_FALSE(tiles.empty());
  open("shown.dat");
  scene3d::fail_alloc_at = 1;
  open(tiles + "/N57E011.hgt.zip");
  scene3d::fail_alloc_at = 0;
  EXPECT_NE(status().find("memory error"), std::string::npos) << status();
  EXPECT_EQ(title(), "shown.dat");
  EXPECT_TRUE(buffer_holds(text)) << bin_allocated << " bytes";
}

// What a refused scene leaves is the view of the file shown before, and a GIF's frames are
// stepped by its name and the opener's flags: those stay the shown file's too.
TEST_F(OpenTest, RefusedSceneLeavesTheShownGifSteppable) {
  for (int i = 0; i < open_table_rows; i++) {
    const std::string row = open_table[i].name;
    if (row == "gif") open_table[i].frames = load_gif;
    if (row == "stl") open_table[i].read = real_stl;
  }
  // Three 8 x 8 frames: red, green, blue.
  ASSERT_EQ(sh(std::string(python()) +
               " -c \"from PIL import Image; f=[Image.new('RGB',(8,8),c) for c in "
               "((255,0,0),(0,255,0),(0,0,255))]; f[0].save('anim.gif',save_all=True,"
               "append_images=f[1:],duration=50)\""),
            0);
  write("note.stl", "This is a note, not a mesh.\n");
  auto frame_colour = [] {
    return std::vector<int>{(int)(img_content[0] * 255 + 0.5f), (int)(img_content[1] * 255 + 0.5f),
                            (int)(img_content[2] * 255 + 0.5f)};
  };
  auto page = [](int key) {
    Fl::e_keysym = key;
    window->handle(FL_KEYUP);
  };

  open("anim.gif");
  ASSERT_EQ(n_img, 3);
  ASSERT_EQ(title(), "anim.gif (1 of 3)");
  open("note.stl");
  EXPECT_NE(status().find("note.stl"), std::string::npos) << status();
  EXPECT_EQ(title(), "anim.gif (1 of 3)");
  EXPECT_STREQ(openfilename, "anim.gif");

  page(FL_Page_Down);
  EXPECT_EQ(title(), "anim.gif (2 of 3)");
  EXPECT_EQ(frame_colour(), (std::vector<int>{0, 255, 0}));
  page(FL_Page_Up);
  page(FL_Page_Up);
  EXPECT_EQ(title(), "anim.gif (3 of 3)");
  EXPECT_EQ(frame_colour(), (std::vector<int>{0, 0, 255}));
  gif_extension = 0;
}

}  // namespace
