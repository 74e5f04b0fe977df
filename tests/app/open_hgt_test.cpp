// The terrain tile loader behind the real file opener: bare and zipped tiles open to the same
// terrain and heights, and every refused file leaves the picture, the kind, the scene and the
// globe's heights as they were, with the reason on the status line.
#include "app/open_hgt.h"

#include <gtest/gtest.h>

#include <FL/Fl_Window.H>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/open_file.h"
#include "app/window.h"
#include "earth/globe.h"
#include "earth/srtm.h"
#include "scene3d/frame_state.h"
#include "scene3d/navigate.h"
#include "scene3d/scene.h"
#include "scene3d/synthetic_scenes.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/terrain_fixtures.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

std::string tile(const std::string& name) { return terrain_fixtures("real") + "/" + name; }

void open(const std::string& path) {
  snprintf(openfilename, sizeof openfilename, "%s", path.c_str());
  start_stdout_capture();
  do_open(1);
  stop_stdout_capture();
}

// What the window shows and what the scene and the globe's heights hold.
struct Shown {
  int kind;
  std::string title;
  std::vector<float> picture;
  std::vector<scene3d::point3> points;
  int have, cols, south, west;
  std::vector<int16_t> heights;

  static Shown now() {
    Shown s;
    s.kind = content;
    s.title = window->label() ? window->label() : "";
    s.picture.assign(img_content, img_content + 4 * (size_t)image_xres * image_yres);
    s.points.assign(scene3d::at_r, scene3d::at_r + scene3d::n_atoms);
    s.have = have_hgt, s.cols = n_cols, s.south = theta_ext, s.west = phi_ext;
    if (have_hgt) s.heights.assign(height_hgt, height_hgt + (size_t)n_cols * n_rows);
    return s;
  }
  void expect_same(const char* what) const {
    Shown s = now();
    EXPECT_EQ(s.kind, kind) << what;
    EXPECT_EQ(s.title, title) << what;
    EXPECT_TRUE(s.picture == picture) << what;
    EXPECT_EQ(s.points.size(), points.size()) << what;
    EXPECT_TRUE(s.points.size() == points.size() &&
                !memcmp(s.points.data(), points.data(), points.size() * sizeof(points[0])))
        << what;
    EXPECT_EQ(s.have, have);
    EXPECT_EQ(s.cols, cols);
    EXPECT_EQ(s.south, south);
    EXPECT_EQ(s.west, west);
    EXPECT_TRUE(s.heights == heights) << what;
  }
};

class OpenHgt : public ::testing::Test {
 protected:
  void SetUp() override {
    headless_viewer(400, 300);
    ASSERT_FALSE(terrain_fixtures("real").empty());
  }
  void TearDown() override {
    have_hgt = 0;
    headless_viewer(400, 300);
  }
};

TEST_F(OpenHgt, BareAndZippedTilesGiveTheSameTerrainAndHeights) {
  open(tile("N57E011.hgt"));
  ASSERT_EQ(content, CONTENT_SRTM3) << status_text();
  EXPECT_EQ(std::string(window->label()), tile("N57E011.hgt"));
  ASSERT_EQ(scene3d::n_atoms, 1201 * 1201);
  EXPECT_EQ(scene3d::rot_x, 70);
  EXPECT_EQ(image_xres, 400);
  EXPECT_EQ(image_yres, 300);
  const Shown bare = Shown::now();
  ASSERT_EQ(bare.have, 1);
  EXPECT_EQ(bare.south, 57);
  EXPECT_EQ(bare.west, 11);

  set_content_vglobe();  // another view in between, so the zipped tile must show itself
  load_globe2d();
  open(tile("N57E011.hgt.zip"));
  ASSERT_EQ(content, CONTENT_SRTM3) << status_text();
  EXPECT_EQ(std::string(window->label()), tile("N57E011.hgt.zip"));
  EXPECT_EQ(bin_allocated, 2884802);  // the entry took the archive's place
  const Shown zipped = Shown::now();
  EXPECT_TRUE(zipped.points.size() == bare.points.size() &&
              !memcmp(zipped.points.data(), bare.points.data(),
                      bare.points.size() * sizeof(bare.points[0])));
  EXPECT_TRUE(zipped.heights == bare.heights);
  EXPECT_TRUE(zipped.picture == bare.picture);
}

// A central directory record's declared size, and a byte of the deflated data, changed.
Bytes zip_declaring(const Bytes& zip, uint32_t size) {
  Bytes b = zip;
  const unsigned char* end = b.data() + b.size() - 22;
  size_t cd = end[16] | end[17] << 8 | end[18] << 16 | (size_t)end[19] << 24;
  for (int k = 0; k < 4; k++) b[cd + 24 + k] = (unsigned char)(size >> (8 * k));
  return b;
}

TEST_F(OpenHgt, RefusedFilesKeepWhatWasShown) {
  const std::string d = fixture("refused");
  sh("mkdir -p '" + d + "'");
  const Bytes zip = read_file(tile("N57E011.hgt.zip"));
  Bytes gzip(2884802, 0);
  gzip[0] = 0x1F, gzip[1] = 0x8B;
  Bytes empty = {'P', 'K', 5, 6};
  empty.resize(22, 0);
  Bytes damaged = zip;
  damaged[damaged.size() / 2] ^= 0x55;
  const std::string text = "lat lon height\n57.5 11.5 12\n";
  struct Case {
    const char* name;
    Bytes bytes;
    const char* reason;
  } cases[] = {
      {"N57E012.hgt", Bytes(2884800, 0), "short file"},
      {"N58E011.hgt", gzip, "gzip data"},
      {"N58E012.hgt.zip", empty, "empty archive"},
      {"N56E011.hgt.zip", zip_declaring(zip, 100000000), "archive entry of 100000000 bytes"},
      {"N56E012.hgt.zip", damaged, "damaged archive entry"},
      {"N56E010.hgt", Bytes(text.begin(), text.end()), "not a terrain tile"},
      {"W020N90.dem", read_file(tile("N57E011.hgt")), "short file"},
  };
  for (const Case& c : cases) write_file(d + "/" + c.name, c.bytes);

  open(tile("N57E011.hgt"));  // the globe's heights come from this tile
  ASSERT_EQ(have_hgt, 1);
  // A grid scene (a short tile after one once left its quads to be drawn from points never
  // read) and the globe.
  std::vector<float> z(40 * 30);
  for (size_t k = 0; k < z.size(); k++) z[k] = (float)(k % 40) * (float)(k / 40) * 0.1f;
  struct {
    const char* what;
    std::function<void()> show;
  } shown[] = {
      {"after a grid scene",
       [&z] {
         ASSERT_EQ(scene3d::show_grid(40, 30, 1, 1, z, false), 0);
         set_content_sdf();
         set_title("grid.sdf");
       }},
      {"after the globe",
       [] {
         set_content_vglobe();
         load_globe2d();
         set_title("sun calculator");
       }},
  };
  for (const auto& s : shown) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(s.what) + ": " + c.name);
      s.show();
      const Shown before = Shown::now();
      open(d + "/" + c.name);
      EXPECT_NE(status_text().find(c.reason), std::string::npos) << status_text();
      EXPECT_NE(status_text().find(c.name), std::string::npos) << status_text();
      before.expect_same(c.name);
      if (is_content_3d()) {
        // The kept scene goes on turning.
        scene3d::srtm3_rotate(12, -7);
        EXPECT_FALSE(Shown::now().picture == before.picture);
      }
    }
  }
}

// The frame writes the whole canvas: a tile in a canvas of more pixels than the tile has, then a
// larger canvas still.
TEST_F(OpenHgt, ACanvasLargerThanTheTile) {
  headless_viewer(1600, 1000);
  open(tile("N57E011.hgt"));
  ASSERT_EQ(content, CONTENT_SRTM3) << status_text();
  EXPECT_EQ(image_xres, 1600);
  EXPECT_EQ(image_yres, 1000);
  EXPECT_GE(img_allocated, 1600 * 1000);
  window->resize(window->x(), window->y(), 1700 + 108, 1100 + 48);
  EXPECT_EQ(image_xres, 1700);
  EXPECT_EQ(image_yres, 1100);
  EXPECT_GE(img_allocated, 1700 * 1100);
}

}  // namespace
