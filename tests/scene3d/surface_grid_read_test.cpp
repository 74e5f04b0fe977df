// The surface grid reader on its own: the header and its limits, row lines, line ends, and what
// a short, damaged or foreign file leaves. The files are written by sdf_write.py.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "scene3d/colour_map.h"
#include "scene3d/colour_schemes.h"
#include "scene3d/elements.h"
#include "scene3d/grid.h"
#include "scene3d/read_surface_grid.h"
#include "scene3d/scene.h"
#include "scene_files.h"
#include "support/image_fixtures.h"

using namespace scene3d;

namespace {

const char* kHeader = "'SURFMT=1;L;B;{rows};{cols};{w};{h}'";

class GridRead : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CMap) ASSERT_EQ(InitColorMap(), 0);
    default_radii();
    start();
  }
  void TearDown() override { SetContent(0); }
  static void start() { ASSERT_EQ(InitMolData(), 1); }
  static int read(const std::string& text, const char** why, int mode = 0) {
    return read_surface_grid((const unsigned char*)text.data(), (int64_t)text.size(), mode, why);
  }
  static int read(const Bytes& b, const char** why) {
    return read_surface_grid(b.data(), (int64_t)b.size(), 0, why);
  }
  // A file written by the script: header, rows, columns, width, height, then its options.
  static Bytes written(const std::string& name, const std::string& header, int rows, int cols,
                       double w, double h, const std::string& options = "") {
    std::string path = fixture(name);
    char sizes[128];
    snprintf(sizes, sizeof sizes, " %d %d %.17g %.17g ", rows, cols, w, h);
    EXPECT_EQ(run_scene_script("sdf_write.py", "'" + path + "' " + header + sizes + options), 0);
    return read_file(path);
  }
};

TEST_F(GridRead, FourRowsOfFiveMakeTwentyPoints) {
  const char* why;
  EXPECT_EQ(read(written("small.sdf", kHeader, 4, 5, 10, 8, "--shape index"), &why), 4);
  EXPECT_EQ(sdf_nrow, 4);
  EXPECT_EQ(sdf_ncol, 5);
  EXPECT_EQ(sdf_width, 10);
  EXPECT_EQ(sdf_height, 8);
  ASSERT_EQ(n_atoms, 20);
  for (int r = 0; r < 4; r++)
    for (int i = 0; i < 5; i++) {
      const point3& p = at_r[5 * r + i];
      EXPECT_EQ(p.x, (float)(-5 + 2.5 * i)) << r << " " << i;
      EXPECT_FLOAT_EQ(p.y, (float)((r - 2) * 8.0 / 3)) << r << " " << i;
      EXPECT_EQ(p.z, 1000 * r + i);
      EXPECT_EQ(at_el[5 * r + i], 100);
    }
  EXPECT_FLOAT_EQ(at_r[0].y, -5.333333f);
  EXPECT_FLOAT_EQ(at_r[19].y, 2.666667f);
}

// Each way of ending lines, comments, and a row line before the header give the same grid.
TEST_F(GridRead, LineEndsAndCommentsReadAlike) {
  const char* why;
  ASSERT_EQ(read(written("lf.sdf", kHeader, 5, 6, 20, 10, "--shape index"), &why), 5);
  std::vector<point3> want(at_r, at_r + n_atoms);
  for (const char* options : {"--eol CRLF", "--eol LFCR", "--eol CR", "--comment --eol CRLF",
                              "--comment --eol LFCR", "--no-final-eol"}) {
    SCOPED_TRACE(options);
    start();
    Bytes b = written("eol.sdf", kHeader, 5, 6, 20, 10, std::string("--shape index ") + options);
    EXPECT_EQ(read(b, &why), 5);
    ASSERT_EQ(n_atoms, 30);
    for (int i = 0; i < 30; i++)
      ASSERT_TRUE(at_r[i].x == want[i].x && at_r[i].y == want[i].y && at_r[i].z == want[i].z)
          << "point " << i;
  }
}

TEST_F(GridRead, RefusedHeadersAddNothing) {
  struct Case {
    const char* name;
    std::string header;
  } cases[] = {
      {"3 rows", "SURFMT=1;L;B;3;5;10;8"},
      {"2001 columns", "SURFMT=1;R;F;4;2001;10;8"},
      {"a letter that is not L or R", "SURFMT=1;X;B;4;5;10;8"},
      {"a letter that is not B or F", "SURFMT=1;L;L;4;5;10;8"},
      {"no ; after the rows", "SURFMT=1;L;B;4,5;10;8"},
      {"no width", "SURFMT=1;L;B;4;5"},
      {"no height", "SURFMT=1;L;B;4;5;10"},
      {"width 0", "SURFMT=1;L;B;4;5;0;8"},
      {"height not a number", "SURFMT=1;L;B;4;5;10;nan"},
      {"ends after the letters", "SURFMT=1;L;B"},
      {"rows beyond any int", "SURFMT=1;L;B;99999999999999999999;5;10;8"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start();
    std::string text = c.header + "\n";
    for (int r = 0; r < 4; r++) text += "ZZ=1;2;3;4;5\n";
    const char* why = nullptr;
    EXPECT_EQ(read(text, &why), SDF_REFUSED);
    EXPECT_NE(why, nullptr);
    EXPECT_EQ(n_atoms, 0);
  }
}

// handle_sdf_line's states, one line at a time.
TEST_F(GridRead, LineStates) {
  int unused = 0;
  EXPECT_EQ(handle_sdf_line("# comment", SDF_WAITING, 0, &unused), SDF_WAITING);
  EXPECT_EQ(handle_sdf_line("ZZ=1;2;3;4", SDF_WAITING, 0, &unused), SDF_WAITING);
  EXPECT_EQ(handle_sdf_line("SURFMT=1", SDF_WAITING, 0, &unused), SDF_WAITING);
  EXPECT_EQ(handle_sdf_line("SURFMT=1;L;B;4;4;3;3", SDF_REFUSED, 0, &unused), SDF_REFUSED);
  EXPECT_EQ(handle_sdf_line("SURFMT=1;L;B;4;4;3;3", -5, 0, &unused), -5);
  ASSERT_EQ(handle_sdf_line("SURFMT=1;L;B; 4; 4;3;3", SDF_WAITING, 0, &unused), 0);
  EXPECT_EQ(handle_sdf_line("# not a row", 0, 0, &unused), 0);
  int state = 0;
  for (int r = 0; r < 4; r++) state = handle_sdf_line("ZZ=1;2;3;4", state, 0, &unused);
  EXPECT_EQ(state, 4);
  EXPECT_EQ(n_atoms, 16);
  EXPECT_EQ(handle_sdf_line("ZZ=1;2;3;4", 4, 0, &unused), SDF_REFUSED);
  EXPECT_EQ(n_atoms, 16);
}

// Missing values read as 0, and so do values no float can hold.
TEST_F(GridRead, MissingAndUnusableValuesReadZero) {
  std::string text = "SURFMT=1;L;B;4;4;3;3\n";
  text += "ZZ=1;;3;4\n";
  text += "ZZ=1;2\n";
  text += "ZZ=nan;inf;1e999;-7.5e1\n";
  text += "ZZ=x1;2x;3;4\n";
  const char* why;
  ASSERT_EQ(read(text, &why), 4);
  float want[16] = {1, 0, 3, 4, 1, 2, 0, 0, 0, 0, 0, -75, 0, 2, 3, 4};
  for (int i = 0; i < 16; i++) EXPECT_EQ(at_r[i].z, want[i]) << i;
}

// The rows present are kept: the reader's caller decides on a short grid.
TEST_F(GridRead, ShortAndCutFilesKeepTheirWholeRows) {
  const char* why;
  EXPECT_EQ(read(written("short.sdf", kHeader, 6, 5, 10, 10, "--write-rows 5"), &why), 5);
  EXPECT_EQ(n_atoms, 25);

  // Cut in the middle of its last row: that row is not read.
  start();
  Bytes b = written("cut.sdf", kHeader, 6, 5, 10, 10, "--no-final-eol");
  b.resize(b.size() - 10);
  EXPECT_EQ(read(b, &why), 5);
  EXPECT_EQ(n_atoms, 25);
}

TEST_F(GridRead, FilesWithoutAHeaderAreNoGrid) {
  const char* why;
  EXPECT_EQ(read(written("none.sdf", "none", 5, 5, 10, 10), &why), SDF_WAITING);
  EXPECT_EQ(n_atoms, 0);

  // A chemistry SD file, which shares the ending.
  start();
  std::string sd = fixture("ethanol.sdf");
  ASSERT_EQ(sh("obabel -:CCO -osdf -O '" + sd + "' >/dev/null 2>&1"), 0);
  Bytes b = read_file(sd);
  ASSERT_GT(b.size(), 50u);
  EXPECT_EQ(read(b, &why), SDF_WAITING);
  EXPECT_EQ(n_atoms, 0);
}

// A row line may be as long as its columns need: 2000 values of 7 characters or more.
TEST_F(GridRead, LargestGridReadsWhole) {
  const char* why;
  Bytes b = written("large.sdf", kHeader, 2000, 2000, 1000, 500, "--shape index --digits 2");
  ASSERT_EQ(read(b, &why), 2000) << (why ? why : "");
  ASSERT_EQ(n_atoms, 4000000);
  EXPECT_EQ(at_r[0].z, 0);
  EXPECT_EQ(at_r[1999].z, 1999);
  EXPECT_EQ(at_r[3999999].z, 1999 * 1000 + 1999);
  EXPECT_EQ(at_r[1999].x, (float)(999 * 1000.0 / 1999));
}

// A line longer than any row could need ends the reading, keeping the rows before it.
TEST_F(GridRead, OverlongLineEndsTheReading) {
  std::string text =
      "SURFMT=1;L;B;4;4;3;3\nZZ=1;2;3;4\nZZ=1;2;3;4\nZZ=" + std::string(kSdfLineMax + 1, '1') +
      "\nZZ=1;2;3;4\nZZ=1;2;3;4\n";
  const char* why = nullptr;
  EXPECT_EQ(read(text, &why), 2);
  EXPECT_NE(why, nullptr);
  EXPECT_EQ(n_atoms, 8);

  // Before the header the limit is 8996 characters.
  start();
  std::string comment(kSdfLineMax, '#');
  text = comment + "\nSURFMT=1;L;B;4;4;3;3\nZZ=1\nZZ=1\nZZ=1\nZZ=1\n";
  EXPECT_EQ(read(text, &why), 4);
  start();
  EXPECT_EQ(read("#" + text, &why), SDF_WAITING);
}

// Mode 2 takes each height off the point at the same place instead of adding points.
TEST_F(GridRead, ModeTwoSubtractsFromThePointsPresent) {
  const char* why;
  std::string grid = "SURFMT=1;L;B;4;4;3;3\nZZ=5;5;5;5\nZZ=5;5;5;5\nZZ=5;5;5;5\nZZ=5;5;5;5\n";
  ASSERT_EQ(read(grid, &why), 4);
  std::string change = "SURFMT=1;L;B;4;4;3;3\nZZ=1;2;3;4\nZZ=0;0;0;0\nZZ=0;0;0;0\nZZ=0;0;0;0\n";
  EXPECT_EQ(read(change, &why, 2), 4);
  ASSERT_EQ(n_atoms, 16);
  EXPECT_EQ(at_r[0].z, 4);
  EXPECT_EQ(at_r[3].z, 1);
  EXPECT_EQ(at_r[4].z, 5);
}

// The reader of the file buffer in its three modes: a surface with its grid description, the
// points alone with the next free group number, and the heights taken off the points present,
// of which a new scene has none.
TEST_F(GridRead, OpenSdfFileInEachMode) {
  const std::string grid = "SURFMT=1;L;B;4;5;8;6\n" + std::string("ZZ=1;2;3;4;5\n") +
                           "ZZ=1;2;3;4;5\nZZ=1;2;3;4;5\nZZ=1;2;3;4;5\n";
  put_file_buffer(grid);
  struct {
    int mode, points, grid_kind, nx, ny;
  } modes[] = {{0, 20, 2, 5, 4}, {1, 20, 0, 0, 0}, {2, 0, 0, 0, 0}};
  for (auto m : modes) {
    SCOPED_TRACE(m.mode);
    SetContent(0);
    isXYZ2d = zmat_nx = zmat_ny = 0;
    sdf_group = -1;
    ASSERT_EQ(OpenSdfFile("g.sdf", m.mode), 0);
    EXPECT_EQ(n_atoms, m.points);
    EXPECT_EQ(isXYZ2d, m.grid_kind);
    EXPECT_EQ(zmat_nx, m.nx);
    EXPECT_EQ(zmat_ny, m.ny);
    EXPECT_EQ(sdf_group, m.mode == 1 ? 1 : -1);
    EXPECT_EQ(colSelection, 412);
    EXPECT_STREQ(sdf_note, "");
  }
  struct {
    const char* what;
    std::string text;
  } refused[] = {
      {"no header", "ZZ=1;2;3;4\n"},
      {"refused header", "SURFMT=1;L;B;3;4;1;1\nZZ=1;2;3;4\n"},
      {"three rows", "SURFMT=1;L;B;4;4;1;1\nZZ=1;2;3;4\nZZ=1;2;3;4\nZZ=1;2;3;4\n"},
  };
  for (const auto& r : refused) {
    put_file_buffer(r.text);
    EXPECT_EQ(OpenSdfFile("g.sdf", 0), 1) << r.what;
  }
  put_file_buffer(std::string());
  EXPECT_EQ(OpenSdfFile("g.sdf", 1), 1) << "an empty file";
}

}  // namespace
