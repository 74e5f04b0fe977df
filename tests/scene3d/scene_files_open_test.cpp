// Meshes and surface grids opened as a user opens them (the file opener, then the shared scene
// flow): the picture against the reference projection, the shading of a cube without normals,
// the grid's description and colours, failures that leave the view alone, and scenes that do not
// inherit what the scene before them set.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "app/menu.h"
#include "platform/dialogs.h"
#include "render_fixture.h"
#include "scene3d/colour_schemes.h"
#include "scene3d/colour_surface.h"
#include "scene3d/elements.h"
#include "scene3d/frame.h"
#include "scene3d/frame_state.h"
#include "scene3d/grid.h"
#include "scene3d/read_surface_grid.h"
#include "scene3d/scene.h"
#include "scene_files.h"
#include "scene_view.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "view/canvas.h"
#include "view/screen.h"

using scene3d::at_r;
using scene3d::n_atoms;

namespace {

const char* kHeader = "'SURFMT=1;L;B;{rows};{cols};{w};{h}'";

// The reference's polygons from the points drawn: triangles of three points each, or the quads
// of a grid of nx points a row.
std::vector<Polygon> point_triangles() {
  std::vector<Polygon> p;
  for (int k = 0; k + 2 < n_atoms; k += 3) {
    Polygon q;
    for (int j = 0; j < 3; j++)
      q.xyz.insert(q.xyz.end(), {at_r[k + j].x, at_r[k + j].y, at_r[k + j].z});
    p.push_back(q);
  }
  return p;
}
std::vector<Polygon> point_quads(int nx, int ny) {
  std::vector<Polygon> p;
  auto add = [&](Polygon* q, int i, int j) {
    const scene3d::point3& a = at_r[(size_t)i * nx + j];
    q->xyz.insert(q->xyz.end(), {a.x, a.y, a.z});
  };
  for (int i = 1; i < ny; i++)
    for (int j = 0; j + 1 < nx; j++) {
      Polygon q;
      add(&q, i - 1, j), add(&q, i - 1, j + 1), add(&q, i, j + 1), add(&q, i, j);
      p.push_back(q);
    }
  return p;
}

class SceneFiles : public ::testing::Test {
 protected:
  static constexpr int kW = 320, kH = 240;
  void SetUp() override {
    renderer_at(kW, kH);
    std::string error;
    root = debian_fixture_root(&error);
    ASSERT_FALSE(root.empty()) << error;
  }
  void TearDown() override { renderer_at(kW, kH); }

  std::string scad(const std::string& p) const {
    return root + "/usr/share/openscad/testdata/" + p;
  }
  std::string cube(const std::string& p) const {
    return root + "/usr/lib/uranium/plugins/FileHandlers/STLReader/tests/" + p;
  }
  static std::string grid(const std::string& name, int rows, int cols, double w, double h,
                          const std::string& options = "", const char* header = kHeader) {
    std::string path = fixture(name);
    char sizes[128];
    snprintf(sizes, sizeof sizes, " %d %d %.17g %.17g ", rows, cols, w, h);
    EXPECT_EQ(run_scene_script("sdf_write.py", "'" + path + "' " + header + sizes + options), 0);
    return path;
  }
  // The scene's object cells against the reference projection of its polygons.
  static void expect_silhouette(const std::vector<Polygon>& polygons, double least) {
    std::string error;
    std::vector<uint8_t> ref = reference_mask({}, polygons, &error);
    ASSERT_FALSE(ref.empty()) << error;
    std::vector<uint8_t> got = object_mask();
    EXPECT_GE(iou(got, ref), least);
    expect_fitted_and_centred(got);
  }

  std::string root;
};

TEST_F(SceneFiles, MeshesAreShownFittedAndCentred) {
  for (std::string path : {std::string("/usr/share/doc/admesh/examples/block.stl"),
                           scad("scad/misc/bad-stl-tardis.stl")}) {
    SCOPED_TRACE(path);
    for (float turn : {0.0f, 35.0f}) {
      scene3d::rot_x = 90 - turn, scene3d::rot_z = turn;
      scene3d::UpdateAngles();
      open_as_user(path);
      EXPECT_EQ(content, CONTENT_STL);
      EXPECT_EQ(window_title(), path);
      EXPECT_EQ(scene3d::colSelection, 410);
      expect_silhouette(point_triangles(), 0.97);
    }
  }
}

// All normals of the uranium cubes are 0 0 0: turned towards the viewer, the cube still shows
// three faces of three brightnesses.
TEST_F(SceneFiles, CubeWithoutNormalsShowsDistinctFaces) {
  for (const char* name : {"simpleTestCubeASCII.stl", "simpleTestCubeBinary.stl"}) {
    SCOPED_TRACE(name);
    scene3d::rot_x = 55, scene3d::rot_z = 35;
    scene3d::UpdateAngles();
    open_as_user(cube(name));
    ASSERT_EQ(content, CONTENT_STL);
    // The colours that fill at least 1 % of the picture, the background among them.
    std::map<std::vector<int>, int> counts;
    for (int i = 0; i < image_xres * image_yres; i++) {
      const float* p = img_content + 4 * (size_t)i;
      counts[{(int)lrintf(p[0] * 255), (int)lrintf(p[1] * 255), (int)lrintf(p[2] * 255)}]++;
    }
    int large = 0;
    for (const auto& c : counts) large += c.second >= image_xres * image_yres / 100;

    EXPECT_GE(large, 4) << "three faces and the background";
  }
}

// A file cut after some of its records shows those, and the status line says how many are missing.
TEST_F(SceneFiles, CutMeshShowsItsWholeRecords) {
  Bytes b = read_file(scad("scad/misc/bad-stl-tardis.stl"));
  b.resize(84 + 50 * 1000 + 20);
  std::string path = fixture("cut.stl");
  write_file(path, b);
  open_as_user(path);
  EXPECT_EQ(content, CONTENT_STL);
  EXPECT_EQ(window_title(), path);
  EXPECT_NE(status_text().find("2636 of 3636 facets are missing"), std::string::npos)
      << status_text();
  EXPECT_EQ(n_atoms % 3, 0);
}

TEST_F(SceneFiles, FailuresKeepTheViewAndSayWhy) {
  std::string block = "/usr/share/doc/admesh/examples/block.stl";
  Bytes count0(84, ' ');
  count0[80] = count0[81] = count0[82] = count0[83] = 0;
  Bytes part = read_file(block);
  part.resize(60);
  Bytes cut_record = read_file(scad("scad/3D/features/import_bin.stl"));
  cut_record.resize(84 + 30);
  std::string text = "This is a note, not a mesh.\n";
  std::string chemistry = fixture("ethanol.sdf");
  ASSERT_EQ(sh("obabel -:CCO -osdf -O '" + chemistry + "' >/dev/null 2>&1"), 0);
  std::string grid_file = grid("g.sdf", 6, 6, 5, 5);
  std::string gzipped = fixture("g.sdf.gz.sdf");
  ASSERT_EQ(sh("gzip -c '" + grid_file + "' > '" + gzipped + "'"), 0);
  const std::vector<RefusedFile> cases = {
      {"count 0", fixture("count0.stl"), count0, "no facet"},
      {"cut inside its first record", fixture("cut1.stl"), cut_record, "no facet"},
      {"openscad's empty2.stl", scad("stl/empty2.stl"), {}, "no facet"},
      {"a text named .stl", fixture("note.stl"), Bytes(text.begin(), text.end()), "no facet"},
      {"the start of an ASCII mesh", fixture("part.stl"), part, "no facet"},
      {"gzip named .sdf", gzipped, {}, "zip format not supported"},
      {"a chemistry SD file", chemistry, {}, "not a surface grid"},
      {"a refused grid header", grid("r.sdf", 3, 6, 5, 5), {}, "header refused"},
      {"a grid of 3 rows", grid("s.sdf", 6, 6, 5, 5, "--write-rows 3"), {}, "3 complete rows"},
  };
  open_as_user(block);
  ASSERT_EQ(content, CONTENT_STL);
  expect_refused(cases);
  // The view is still live: a turn renders the same scene anew.
  scene3d::rot_z += 20;
  scene3d::UpdateAngles();
  EXPECT_EQ(scene3d::UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  expect_silhouette(point_triangles(), 0.97);
}

std::string chosen_file;
int choose_file(const char*, const char*, char* name, int size) {
  snprintf(name, size, "%s", chosen_file.c_str());
  return 0;
}

// The menu's opener puts the hex kind in force before it opens; a file that cannot be shown
// still leaves the scene, its kind included.
TEST_F(SceneFiles, FailureFromTheMenuKeepsTheView) {
  open_as_user("/usr/share/doc/admesh/examples/block.stl");
  ASSERT_EQ(content, CONTENT_STL);
  ShownScene before = ShownScene::now();
  chosen_file = fixture("not-a-grid.sdf");
  write_file(chosen_file, Bytes(100, 'x'));
  plat_chooser_script = choose_file;
  start_stdout_capture();
  cb_open(nullptr, nullptr);
  stop_stdout_capture();
  plat_chooser_script = nullptr;
  EXPECT_NE(status_text().find("not a surface grid"), std::string::npos) << status_text();
  EXPECT_TRUE(ShownScene::now().same_as(before));
}

// Four rows of five over 10 x 8: the points, the grid description and the radius rule.
TEST_F(SceneFiles, SmallGridTakesItsDescriptionFromTheRows) {
  open_as_user(grid("small.sdf", 4, 5, 10, 8));
  ASSERT_EQ(content, CONTENT_SDF);
  EXPECT_EQ(n_atoms, 20);
  EXPECT_EQ(scene3d::isXYZ2d, 2);
  EXPECT_EQ(scene3d::isXYZ2d_mat, 1);
  EXPECT_EQ(scene3d::zmat_nx, 5);
  EXPECT_EQ(scene3d::zmat_ny, 4);
  EXPECT_DOUBLE_EQ(scene3d::zmat_delta, 2.5);
  EXPECT_DOUBLE_EQ(scene3d::grid_delta_y(), 8.0 / 3);
  EXPECT_FLOAT_EQ(scene3d::at[0].rad, 1.6f) << "the radius rule from width / columns";
  EXPECT_EQ(scene3d::colSelection, 412);
  EXPECT_FLOAT_EQ(scene3d::ElemRad[6], 0.8f);
}

// Six of eight rows: the surface is the six rows read, and the status line says so.
TEST_F(SceneFiles, ShortGridIsDrawnFromItsRows) {
  scene3d::rot_x = 60, scene3d::rot_z = 20;
  scene3d::UpdateAngles();
  open_as_user(grid("short.sdf", 8, 10, 30, 20, "--write-rows 6 --shape cap"));
  ASSERT_EQ(content, CONTENT_SDF);
  EXPECT_EQ(scene3d::zmat_ny, 6);
  EXPECT_EQ(n_atoms, 60);
  EXPECT_NE(status_text().find("6 of 8 rows read"), std::string::npos) << status_text();
  expect_silhouette(point_quads(10, 6), 0.95);
}

// A sphere cap has the same curvature in every direction. On cells of 0.76 x 0.68 the analysis
// must use each axis's own step: one spacing for both would read it as astigmatic.
TEST_F(SceneFiles, SphereCapOnOblongCellsIsNotAstigmatic) {
  open_as_user(grid("cap.sdf", 60, 80, 60, 40, "--shape cap --digits 6"));
  ASSERT_EQ(content, CONTENT_SDF);
  EXPECT_LT(scene3d::a_max, 0.5) << "astigmatism over the middle of the cap";
  // Mean curvature of a sphere of radius 50, in the analysis's units of 1/1000.
  EXPECT_LT(scene3d::h_min, -19.5);
  EXPECT_GT(scene3d::h_max, -20.5);
}

// A scene opened after a surface grid looks as it does when opened first: the grid's carbon
// radius and grid radius do not reach it.
TEST_F(SceneFiles, ScenesDoNotInheritTheGridsRadii) {
  std::string block = "/usr/share/doc/admesh/examples/block.stl";
  open_as_user(block);
  ShownScene first = ShownScene::now();
  float camera = scene3d::camera_pos, magn = scene3d::magn;
  open_as_user(grid("small.sdf", 4, 5, 10, 8));
  ASSERT_EQ(content, CONTENT_SDF);
  EXPECT_FLOAT_EQ(scene3d::ElemRad[100], 70);
  open_as_user(block);
  EXPECT_FLOAT_EQ(scene3d::ElemRad[6], scene3d::ElemRadBack[6]);
  EXPECT_EQ(scene3d::camera_pos, camera);
  EXPECT_EQ(scene3d::magn, magn);
  EXPECT_TRUE(ShownScene::now().same_as(first));
}

}  // namespace
