// The terrain scene: heights and voids of the grid points, their order and places, the view and
// scheme a tile starts with, real tiles against gdal, and the terrain palette in the picture.
#include "scene3d/terrain_scene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "render_fixture.h"
#include "scene3d/colour_map.h"
#include "scene3d/colour_schemes.h"
#include "scene3d/frame_state.h"
#include "scene3d/grid.h"
#include "scene3d/navigate.h"
#include "scene3d/scene.h"
#include "scene3d/scene_open.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/terrain_fixtures.h"
#include "view/canvas.h"

using namespace scene3d;

namespace {

Bytes big_endian(const std::vector<int>& v) {
  Bytes b;
  for (int x : v) {
    b.push_back((unsigned char)((x >> 8) & 0xFF));
    b.push_back((unsigned char)(x & 0xFF));
  }
  return b;
}

int show_tile(const Bytes& b, int cols, int rows, double spacing) {
  const TerrainGrid g{b.data(), (int64_t)b.size(), cols, rows, spacing};
  return scene_open([&g] { return terrain_scene(g); });
}

std::vector<float> heights() {
  std::vector<float> z;
  for (int i = 0; i < n_atoms; i++) z.push_back(at_r[i].z);
  return z;
}

class TerrainScene : public ::testing::Test {
 protected:
  void SetUp() override {
    renderer_at(160, 120);
    ASSERT_EQ(show_spheres(ball_cloud(20, 4, 10, 1.5)), 0);
  }
  void TearDown() override { renderer_at(160, 120); }
};

const int V = -32768;

TEST_F(TerrainScene, VoidsAndTheSeaInTheirOrder) {
  // File rows north first; expected heights south row first.
  struct {
    const char* what;
    std::vector<int> file;
    std::vector<float> expected;
  } cases[] = {
      {"a void at the first point (south-west corner) becomes 0",
       {1, 1, 1, 1, /**/ 1, 1, 1, 1, /**/ V, 5, 5, 5},
       {0, 5, 5, 5, /**/ 1, 1, 1, 1, /**/ 1, 1, 1, 1}},
      {"a void takes its western neighbour, filled ones too, and negative ones",
       {1, 1, 1, 1, /**/ 1, 1, 1, 1, /**/ -3, V, V, 9000},
       {-3, -3, -3, -3, /**/ 1, 1, 1, 1, /**/ 1, 1, 1, 1}},
      {"a void in the first column takes the point south of it",
       {1, 1, 1, 1, /**/ V, 2, 2, 2, /**/ 9, 3, 3, 3},
       {9, 3, 3, 3, /**/ 9, 2, 2, 2, /**/ 1, 1, 1, 1}},
      {"8990 is a height but no fill value; 8991 is a void",
       {1, 8990, 8991, 1, /**/ 4, 4, 4, 4, /**/ 8990, V, 7, 7},
       {8990, 0, 7, 7, /**/ 4, 4, 4, 4, /**/ 1, 8990, 4, 1}},
      {"-9999 is the sea: 0 m; other depths stay",
       {-9999, -9999, -430, -1, /**/ 0, 0, 0, 0, /**/ 0, 0, 0, 0},
       {0, 0, 0, 0, /**/ 0, 0, 0, 0, /**/ 0, 0, -430, -1}},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(show_tile(big_endian(c.file), 4, 3, 90), 0) << c.what;
    EXPECT_EQ(heights(), c.expected) << c.what;
  }
}

TEST_F(TerrainScene, PointsRunFromTheSouthRowAroundTheMiddleNode) {
  std::vector<int> file(5 * 4);
  for (int k = 0; k < 20; k++) file[k] = k;
  ASSERT_EQ(show_tile(big_endian(file), 5, 4, 30), 0);
  ASSERT_EQ(n_atoms, 20);
  for (int i = 0; i < 4; i++)
    for (int j = 0; j < 5; j++) {
      const int l = 3 - i;  // the file row
      const point3& p = at_r[i * 5 + j];
      EXPECT_EQ(p.x, (j - 2) * 30) << i << " " << j;
      EXPECT_EQ(p.y, -(l - 2) * 30) << i << " " << j;
      EXPECT_EQ(p.z, l * 5 + j) << i << " " << j;
      EXPECT_EQ(at_el[i * 5 + j], 100);
    }
  EXPECT_EQ(isHgt, 1);
  EXPECT_EQ(zmat_nx, 5);
  EXPECT_EQ(zmat_ny, 4);
  EXPECT_EQ(zmat_delta, 30);
  EXPECT_EQ(isXYZ2d, 2);
  EXPECT_EQ(isXYZ2d_mat, 1);
  EXPECT_EQ(show_surface, 1);
  EXPECT_EQ(show_triangles, 0);
}

TEST_F(TerrainScene, SpacingIsTheSampleDistanceOfEachKind) {
  struct {
    const char* name;
    int64_t size;
    double spacing;
  } cases[] = {{"N47E008.hgt", 2884802, 90}, {"N47E008.hgt", 25934402, 30},
               {"E020N40.dem", 57600000, 900}};
  for (const auto& c : cases) {
    TerrainGrid g = terrain_grid(srtm_classify(c.name, c.size), nullptr, c.size);
    EXPECT_EQ(g.spacing, c.spacing) << c.name << " " << c.size;
  }
}

TEST_F(TerrainScene, ATileAfterATileKeepsTheUsersViewAndScheme) {
  const Bytes flat = big_endian(std::vector<int>(16 * 16, 10));
  ASSERT_EQ(show_tile(flat, 16, 16, 90), 0);
  EXPECT_EQ(rot_x, 70);
  EXPECT_EQ(rot_y, 0);
  EXPECT_EQ(rot_z, 0);
  EXPECT_EQ(colSelection, 415);
  srtm3_rotate(20, -40);  // the user turns the view
  srtm3_left();
  colSelection = 411;
  const float rx = rot_x, rz = rot_z;
  ASSERT_EQ(show_tile(flat, 16, 16, 90), 0);
  EXPECT_EQ(rot_x, rx);
  EXPECT_EQ(rot_z, rz);
  EXPECT_EQ(colSelection, 411);
  ASSERT_EQ(show_spheres(ball_cloud(10, 2, 5, 1)), 0);
  ASSERT_EQ(show_tile(flat, 16, 16, 90), 0);
  EXPECT_EQ(rot_x, 70);
  EXPECT_EQ(rot_z, 0);
  EXPECT_EQ(colSelection, 415);
}

TEST_F(TerrainScene, SamplesShortOfTheGridShowNothingNew) {
  const Bytes b = big_endian(std::vector<int>(16 * 16, 10));
  const int points = n_atoms;
  const std::vector<float> picture(img_content, img_content + 4 * (size_t)width * height);
  start_stdout_capture();
  EXPECT_EQ(show_tile(Bytes(b.begin(), b.end() - 1), 16, 16, 90), 1);
  std::string console = stop_stdout_capture();
  EXPECT_EQ(console.rfind("error loading hgt", 0), 0u) << console;
  EXPECT_NE(status_text().find("error loading hgt: 511 bytes, a 16 x 16 tile needs 512"),
            std::string::npos)
      << status_text();
  EXPECT_EQ(n_atoms, points);
  EXPECT_EQ(isHgt, 0);
  EXPECT_TRUE(std::vector<float>(img_content, img_content + picture.size()) == picture);
}

// The scene's heights at a spread of nodes and at every node below sea level are gdal's values at
// the same pixel and line, the south row first.
TEST_F(TerrainScene, RealTilesHeightsEqualGdals) {
  struct {
    const char* set;
    const char* name;
  } tiles[] = {{"real", "N57E011.hgt"}, {"etopo", "N31E035.hgt"}};
  const int n = 1201;
  for (const auto& t : tiles) {
    const std::string path = terrain_fixtures(t.set) + "/" + t.name;
    const Bytes b = read_file(path);
    ASSERT_EQ(b.size(), 2884802u) << t.name;
    ASSERT_EQ(show_tile(b, n, n, 90), 0) << t.name;
    ASSERT_EQ(n_atoms, n * n);
    std::vector<int> nodes;  // scene point indices
    for (int k = 0; k < n * n; k += 997) nodes.push_back(k);
    nodes.push_back(n * n - 1);
    int below = 0;
    for (int k = 0; k < n * n; k++)
      if (at_r[k].z < 0) nodes.push_back(k), below++;
    EXPECT_GT(below, 500) << t.name;
    std::vector<std::pair<int, int>> at;
    for (int k : nodes) at.push_back({k % n, n - 1 - k / n});
    std::vector<int> ref = gdal_values(path, at);
    ASSERT_EQ(ref.size(), at.size()) << t.name;
    int diffs = 0;
    for (size_t q = 0; q < nodes.size(); q++)
      if (at_r[nodes[q]].z != ref[q] && diffs++ < 5)
        ADD_FAILURE() << t.name << " node " << nodes[q] << ": " << at_r[nodes[q]].z << ", gdal "
                      << ref[q];
    EXPECT_EQ(diffs, 0) << t.name;
  }
}

// Pixels of the picture by the palette colour they show: the shading keeps the hue. The edges,
// blended with the background, count as other.
struct Palette {
  int background = 0, blue = 0, grey = 0, green = 0, other = 0;
  int shown() const { return blue + grey + green + other; }
};

Palette palette_of_picture() {
  Palette p;
  const float* bg = img_content;  // a corner: the 3D background
  for (int64_t k = 0; k < (int64_t)width * height; k++) {
    const float* c = img_content + 4 * k;
    const float r = c[0], g = c[1], b = c[2];
    if (std::fabs(r - bg[0]) + std::fabs(g - bg[1]) + std::fabs(b - bg[2]) < 0.02f)
      p.background++;
    else if (b > 1.5f * r && b > 1.5f * g)
      p.blue++;
    else if (std::fabs(r - g) < 0.04f && std::fabs(g - b) < 0.04f)
      p.grey++;
    else if (g > 1.5f * r && g > 1.5f * b)
      p.green++;
    else
      p.other++;
  }
  return p;
}

TEST(TerrainPicture, PlanesAndConesShowThePalette) {
  renderer_at(200, 150);
  const int n = 64;
  // Sea level: all dark blue. A 30 degree plane: all steep grey rock. A low gentle cone in the
  // sea: green land in blue sea.
  std::vector<int> sea(n * n, 0), slope(n * n), hill(n * n);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) {
      slope[i * n + j] = (int)std::lround(std::tan(M_PI / 6) * 90 * j);
      hill[i * n + j] = (int)std::lround(cone(n, 60)[(size_t)i * n + j]);
    }
  ASSERT_EQ(show_tile(big_endian(sea), n, n, 90), 0);
  Palette p = palette_of_picture();
  EXPECT_GT(p.shown(), 5000);
  EXPECT_GT(p.blue, 0.95 * p.shown());
  ASSERT_EQ(show_tile(big_endian(slope), n, n, 90), 0);
  p = palette_of_picture();
  EXPECT_GT(p.grey, 0.9 * p.shown());
  ASSERT_EQ(show_tile(big_endian(hill), n, n, 90), 0);
  p = palette_of_picture();
  EXPECT_GT(p.green, 0.6 * p.shown());
  EXPECT_GT(p.blue, 0.05 * p.shown());
  EXPECT_LT(p.grey, 0.1 * p.shown());
  renderer_at(160, 120);
}

// Thirty-arc-second samples lie about 900 m apart: a grid rising 5 degrees between them is
// gentle land, coloured by its height, not steep rock.
TEST(TerrainPicture, ThirtyArcSecondSlopesAreTrue) {
  renderer_at(200, 150);
  const int n = 20;
  std::vector<int> ramp(n * n);
  for (int i = 0; i < n; i++)
    for (int j = 0; j < n; j++) ramp[i * n + j] = (int)std::lround(std::tan(5 * M_PI / 180) * 900 * j);
  const Bytes b = big_endian(ramp);
  SrtmTile t = {n, n, 0, 0, 1, 0};
  TerrainGrid g = terrain_grid(t, b.data(), (int64_t)b.size());
  ASSERT_EQ(scene_open([&g] { return terrain_scene(g); }), 0);
  int steep = 0;
  for (int k = 0; k < n_atoms; k++) {
    const int e = at[k].col - startCharge;
    steep += e == 1 || e == 2;
  }
  EXPECT_EQ(steep, 0);
  Palette p = palette_of_picture();
  EXPECT_GT(p.green, 0.85 * p.shown());
  renderer_at(160, 120);
}

}  // namespace
