// The mesh reader on its own: both STL forms from real files of Debian packages, compared with
// admesh and numpy-stl; the choice of the form; the cutting of facets; the normals; what a
// damaged or hostile file leaves.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "scene3d/colour_map.h"
#include "scene3d/elements.h"
#include "scene3d/read_mesh.h"
#include "scene3d/scene.h"
#include "scene_files.h"
#include "support/image_fixtures.h"
#include "support/python_reference.h"

using namespace scene3d;

namespace {

class MeshRead : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CMap) ASSERT_EQ(InitColorMap(), 0);
    default_radii();
    start();
  }
  void TearDown() override {
    SetContent(0);
    v.clear();
  }
  static void start() {
    v.clear();
    ASSERT_EQ(InitMolData(), 1);
  }
  static int read(const Bytes& b, StlReport* r) { return read_stl(b.data(), (int64_t)b.size(), r); }
  static int read(const std::string& s, StlReport* r) {
    return read_stl((const unsigned char*)s.data(), (int64_t)s.size(), r);
  }
};

// Every piece owns points 3k to 3k + 2, equal (as floats) to its triangle's corners.
::testing::AssertionResult points_follow_triangles() {
  if ((int64_t)n_atoms != 3 * (int64_t)v.size())
    return ::testing::AssertionFailure() << n_atoms << " points for " << v.size() << " pieces";
  for (size_t k = 0; k < v.size(); k++) {
    const double* c[3] = {v[k].a, v[k].b, v[k].c};
    for (int j = 0; j < 3; j++) {
      const point3& p = at_r[3 * k + j];
      if (p.x != (float)c[j][0] || p.y != (float)c[j][1] || p.z != (float)c[j][2] ||
          at_el[3 * k + j] != 100)
        return ::testing::AssertionFailure()
               << "point " << 3 * k + j << " is not corner " << j << " of piece " << k;
    }
  }
  return ::testing::AssertionSuccess();
}

void box_of_pieces(double lo[3], double hi[3]) {
  for (int k = 0; k < 3; k++) lo[k] = INFINITY, hi[k] = -INFINITY;
  for (const tri& t : v)
    for (const double* c : {t.a, t.b, t.c})
      for (int k = 0; k < 3; k++) lo[k] = std::min(lo[k], c[k]), hi[k] = std::max(hi[k], c[k]);
}

double area(const double* a, const double* b, const double* c) {
  double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
  double w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
  double x = u[1] * w[2] - u[2] * w[1], y = u[2] * w[0] - u[0] * w[2],
         z = u[0] * w[1] - u[1] * w[0];
  return 0.5 * std::sqrt(x * x + y * y + z * z);
}

// A binary STL in memory: header text (padded with blanks to 80 bytes), the count as given,
// then the records.
Bytes binary_stl(const std::string& header, uint32_t count,
                 const std::vector<std::vector<float>>& facets) {
  Bytes b(header.begin(), header.end());
  b.resize(80, ' ');
  for (int k = 0; k < 4; k++) b.push_back((unsigned char)(count >> (8 * k)));
  for (const auto& f : facets) {
    for (float x : f) {
      unsigned char raw[4];
      memcpy(raw, &x, 4);
      b.insert(b.end(), raw, raw + 4);
    }
    b.push_back(0), b.push_back(0);
  }
  return b;
}

std::string text_of(const std::string& path) {
  Bytes b = read_file(path);
  return std::string(b.begin(), b.end());
}

// Two small facets (normal, then three corners), none of them cut.
const std::vector<std::vector<float>> kTwoFacets = {
    {0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0},
    {0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 0},
};

TEST(V3, ReadsLittleEndianFloats) {
  const unsigned char bytes[] = {0, 0, 0x80, 0x3f, 0, 0, 0, 0xc0, 0, 0, 0x20, 0x41};
  v3 p(bytes);
  EXPECT_EQ(p.x, 1.0);
  EXPECT_EQ(p.y, -2.0);
  EXPECT_EQ(p.z, 10.0);
}

TEST_F(MeshRead, DebianMeshesMatchAdmeshAndNumpyStl) {
  std::string error;
  std::string root = debian_fixture_root(&error);
  ASSERT_FALSE(root.empty()) << error;
  std::string scad = root + "/usr/share/openscad/testdata/";
  std::string cube = root + "/usr/lib/uranium/plugins/FileHandlers/STLReader/tests/";
  std::string torus_bin = fixture("torus.stl"), torus_ascii = fixture("torus_ascii.stl");
  ASSERT_EQ(run_scene_script("stl_write.py",
                             "torus '" + torus_bin + "' '" + torus_ascii + "' 40 20 30 10"),
            0);
  struct Case {
    std::string path;
    long facets;  // as the package's documentation or the script says
  } cases[] = {
      {"/usr/share/doc/admesh/examples/block.stl", 12},  // upper case, exponents
      {cube + "simpleTestCubeASCII.stl", 12},            // normals all 0 0 0
      {cube + "simpleTestCubeBinary.stl", 12},           // header without a line feed
      {scad + "scad/3D/features/import.stl", 46},
      {scad + "scad/3D/features/import_bin.stl", 46},
      {scad + "scad/3D/features/import_bin_solid.stl", 46},  // binary headed "solid"
      {scad + "stl/adns2610_dev_circuit_inv.stl", 900},
      {scad + "scad/misc/bad-stl-wing.stl", 842},
      {scad + "scad/misc/bad-stl-tardis.stl", 3636},
      {torus_bin, 1600},
      {torus_ascii, 1600},
  };
  std::string args;
  for (const Case& c : cases) args += " '" + c.path + "'";
  std::vector<std::vector<double>> numpy;
  ASSERT_TRUE(python_rows("scene3d/stl_reference.py", args, &numpy, &error)) << error;
  ASSERT_EQ(numpy.size(), std::size(cases));

  for (size_t i = 0; i < std::size(cases); i++) {
    const Case& c = cases[i];
    SCOPED_TRACE(c.path);
    start();
    StlReport report;
    ASSERT_EQ(read(read_file(c.path), &report), 0) << report.why;
    AdmeshReport ad = admesh_report(c.path);
    ASSERT_TRUE(ad.ok);
    EXPECT_EQ(report.facets, c.facets);
    EXPECT_EQ(report.facets, ad.facets);
    EXPECT_EQ(report.facets, (long)numpy[i][0]);
    EXPECT_EQ(report.missing + report.dropped + report.unread, 0);
    double lo[3], hi[3];
    box_of_pieces(lo, hi);
    for (int k = 0; k < 3; k++) {
      // admesh prints six decimals; numpy-stl holds float32.
      EXPECT_NEAR(lo[k], ad.min[k], 1e-6 + 1e-7 * std::fabs(lo[k])) << "axis " << k;
      EXPECT_NEAR(hi[k], ad.max[k], 1e-6 + 1e-7 * std::fabs(hi[k])) << "axis " << k;
      EXPECT_NEAR(lo[k], numpy[i][1 + k], 1e-6 * (1 + std::fabs(lo[k]))) << "axis " << k;
      EXPECT_NEAR(hi[k], numpy[i][4 + k], 1e-6 * (1 + std::fabs(hi[k]))) << "axis " << k;
    }
    EXPECT_TRUE(points_follow_triangles());
    // Unit normals, but on facets without area (the circuit board has some).
    for (const tri& t : v)
      if (area(t.a, t.b, t.c) > 0)
        ASSERT_NEAR(std::sqrt(t.n[0] * t.n[0] + t.n[1] * t.n[1] + t.n[2] * t.n[2]), 1, 1e-3);
  }
}

// The ASCII form printed exactly and the binary form of one mesh give the same scene.
TEST_F(MeshRead, BothFormsOfOneMeshGiveTheSameScene) {
  std::string bin = fixture("forms.stl"), ascii = fixture("forms_ascii.stl");
  ASSERT_EQ(run_scene_script("stl_write.py", "torus '" + bin + "' '" + ascii + "' 24 12 20 6"), 0);
  StlReport rb, ra;
  ASSERT_EQ(read(read_file(bin), &rb), 0);
  std::vector<tri> from_binary = v;
  std::vector<point3> points(at_r, at_r + n_atoms);
  start();
  ASSERT_EQ(read(read_file(ascii), &ra), 0);
  EXPECT_GT(v.size(), (size_t)rb.facets) << "the torus is large enough to be cut";
  ASSERT_EQ(v.size(), from_binary.size());
  EXPECT_EQ(memcmp(v.data(), from_binary.data(), v.size() * sizeof(tri)), 0);
  ASSERT_EQ((size_t)n_atoms, points.size());
  EXPECT_EQ(memcmp(at_r, points.data(), points.size() * sizeof(point3)), 0);
}

TEST_F(MeshRead, FormFollowsTheCountThenSolidThenLineFeeds) {
  std::string long_name(120, 'a');
  std::string ascii_facet =
      "facet normal 0 0 1\n outer loop\n  vertex 0 0 0\n  vertex 1 0 0\n  vertex 0 1 0\n"
      " endloop\nendfacet\n";
  Bytes header_lf = binary_stl("made by\na writer", 2, kTwoFacets);
  Bytes cut = binary_stl("no solid here", 5, kTwoFacets);
  Bytes cut_solid = binary_stl("solid but binary", 5, kTwoFacets);
  std::string ascii_long = "solid " + long_name + "\n" + ascii_facet + "endsolid\n";
  std::string upper =
      "SOLID  Block\r\n\tFACET NORMAL  0.0E+00 0.0E+00 1.0E+00\r\n\t\tOUTER LOOP\r\n"
      "\t\t\tVERTEX -1.5E+00 -1.5E+00 1.0E+00\r\n\t\t\tVERTEX 1.5E+00 -1.5E+00 1.0E+00\r\n"
      "\t\t\tVERTEX 1.5E+00 1.5E+00 1.0E+00\r\n\t\tENDLOOP\r\n\tENDFACET\r\nENDSOLID\r\n";
  struct Case {
    const char* name;
    Bytes data;
    bool binary;
    int64_t facets, missing;
  } cases[] = {
      {"binary headed solid", binary_stl("solid x", 2, kTwoFacets), true, 2, 0},
      {"binary header with a line feed", header_lf, true, 2, 0},
      {"ASCII whose first line passes 80", Bytes(ascii_long.begin(), ascii_long.end()), false, 1,
       0},
      {"ASCII in upper case, tabs, CR LF", Bytes(upper.begin(), upper.end()), false, 1, 0},
      {"binary cut short", cut, true, 2, 3},
      {"binary headed solid cut short", cut_solid, false, 2, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start();
    EXPECT_EQ(stl_is_binary(c.data.data(), (int64_t)c.data.size()), c.binary);
    StlReport report;
    ASSERT_EQ(read(c.data, &report), 0) << report.why;
    EXPECT_EQ(report.facets, c.facets);
    EXPECT_EQ(report.missing, c.missing);
    EXPECT_TRUE(points_follow_triangles());
  }
  // The upper-case facet: its corners as strtod reads the exponents.
  start();
  StlReport report;
  ASSERT_EQ(read(upper, &report), 0);
  double lo[3], hi[3];
  box_of_pieces(lo, hi);
  EXPECT_EQ(lo[0], -1.5);
  EXPECT_EQ(lo[1], -1.5);
  EXPECT_EQ(hi[1], 1.5);
  EXPECT_EQ(hi[2], 1.0);
}

TEST_F(MeshRead, FilesWithoutAFacetAreRefused) {
  std::string error;
  std::string root = debian_fixture_root(&error);
  ASSERT_FALSE(root.empty()) << error;
  struct Case {
    const char* name;
    Bytes data;
  } cases[] = {
      {"count 0", binary_stl("nothing", 0, {})},
      {"no records at all", binary_stl("nothing", 7, {})},
      {"openscad's empty2.stl", read_file(root + "/usr/share/openscad/testdata/stl/empty2.stl")},
      // a control character between the numbers of its one vertex line
      {"openscad's unparseable.stl",
       read_file(root + "/usr/share/openscad/testdata/stl/unparseable.stl")},
      {"a text named .stl", Bytes(80, 'x')},
      {"a short text", {'s', 'o', 'l'}},
      {"nothing", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start();
    StlReport report;
    EXPECT_EQ(read(c.data, &report), 1);
    EXPECT_STRNE(report.why, "");
    EXPECT_EQ(n_atoms, 0);
    EXPECT_TRUE(v.empty());
  }
}

// A facet is cut at the midpoint of its longest edge while that edge's square is at least 2.5,
// at most five levels deep.
TEST_F(MeshRead, FacetsAreCutIntoPiecesOfTheirArea) {
  struct Case {
    const char* name;
    double P[3], Q[3], R[3];
    int budget;
    size_t pieces;
  } cases[] = {
      {"small: kept whole", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, 32, 1},
      {"legs 2 and 2", {0, 0, 0}, {2, 0, 0}, {0, 2, 0}, 32, 4},
      {"long sliver: five levels", {0, 0, 0}, {1000, 0, 0}, {1000, 0.001, 0}, 32, 32},
      {"budget 1: kept whole", {0, 0, 0}, {50, 0, 0}, {0, 50, 0}, 1, 1},
      {"edge square exactly 2.5 is cut", {0, 0, 0}, {1.5, 0.5, 0}, {0.1, 0.05, 0}, 32, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start();
    double n[3] = {0, 0, 1};
    ASSERT_EQ(add_triangles(c.P, c.Q, c.R, n, c.budget), 0);
    EXPECT_EQ(v.size(), c.pieces);
    double sum = 0;
    for (const tri& t : v) sum += area(t.a, t.b, t.c);
    EXPECT_NEAR(sum, area(c.P, c.Q, c.R), 1e-9 * area(c.P, c.Q, c.R));
    EXPECT_TRUE(points_follow_triangles());
  }
}

// On every facet of a real mesh, the pieces cover the facet: same area and same box.
TEST_F(MeshRead, PiecesOfRealFacetsKeepAreaAndBox) {
  std::string error;
  std::string root = debian_fixture_root(&error);
  ASSERT_FALSE(root.empty()) << error;
  std::string tardis = root + "/usr/share/openscad/testdata/scad/misc/bad-stl-tardis.stl";
  StlReport report;
  ASSERT_EQ(read(read_file(tardis), &report), 0);
  std::vector<tri> whole_file = v;
  std::vector<tri> facets(v.size());
  // The facets themselves, read uncut: replay them through add_triangles one by one.
  Bytes b = read_file(tardis);
  int64_t count = (int64_t)(b.size() - 84) / 50;
  ASSERT_EQ(count, 3636);
  start();
  size_t seen = 0;
  for (int64_t f = 0; f < count; f++) {
    v3 a(&b[84 + 50 * f + 12]), q(&b[84 + 50 * f + 24]), r(&b[84 + 50 * f + 36]);
    double P[3] = {a.x, a.y, a.z}, Q[3] = {q.x, q.y, q.z}, R[3] = {r.x, r.y, r.z}, n[3] = {0, 0, 1};
    size_t before = v.size();
    ASSERT_EQ(add_triangles(P, Q, R, n, kFacetBudget), 0);
    ASSERT_LE(v.size() - before, (size_t)kFacetBudget);
    double sum = 0, lo[3] = {INFINITY, INFINITY, INFINITY},
           hi[3] = {-INFINITY, -INFINITY, -INFINITY};
    for (size_t k = before; k < v.size(); k++) {
      sum += area(v[k].a, v[k].b, v[k].c);
      for (const double* c : {v[k].a, v[k].b, v[k].c})
        for (int j = 0; j < 3; j++) lo[j] = std::min(lo[j], c[j]), hi[j] = std::max(hi[j], c[j]);
    }
    double whole = area(P, Q, R);
    ASSERT_NEAR(sum, whole, 1e-9 * whole + 1e-300) << "facet " << f;
    for (int j = 0; j < 3; j++) {
      ASSERT_EQ(lo[j], std::min({P[j], Q[j], R[j]})) << "facet " << f;
      ASSERT_EQ(hi[j], std::max({P[j], Q[j], R[j]})) << "facet " << f;
    }
    // The reader cut the same facet into the same pieces.
    for (size_t k = before; k < v.size(); k++, seen++)
      ASSERT_EQ(memcmp(v[k].a, whole_file[seen].a, sizeof v[k].a * 3), 0) << "facet " << f;
  }
  EXPECT_EQ(seen, whole_file.size());
  EXPECT_GT(whole_file.size(), (size_t)count) << "some tardis facets are large enough to cut";
  EXPECT_TRUE(points_follow_triangles());
}

// The normal each piece is shaded with: a unit file normal as it stands, otherwise the unit
// normal of the corners in their winding, and the file's on a facet without area.
TEST_F(MeshRead, NormalsAreUnitVectors) {
  struct Case {
    const char* name;
    std::vector<float> facet;
    double n[3];
  } cases[] = {
      {"zero", {0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1}},
      {"zero, the other winding", {0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0}, {0, 0, -1}},
      {"not unit", {0, 0, 5, 0, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 0, 0}},
      {"unit, kept though opposite", {0, 0, -1, 0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, -1}},
      {"not a number", {NAN, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0}, {0, 0, 1}},
      {"no area keeps the file's", {0, 0, 7, 0, 0, 0, 0.5, 0, 0, 1, 0, 0}, {0, 0, 7}},
      {"no area, zero normal", {0, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start();
    StlReport report;
    ASSERT_EQ(read(binary_stl("n", 1, {c.facet}), &report), 0);
    ASSERT_EQ(v.size(), 1u);
    for (int k = 0; k < 3; k++) EXPECT_NEAR(v[0].n[k], c.n[k], 1e-12) << k;
  }
}

// Both unit cubes of the uranium package have all normals 0 0 0: every face gets the outward
// normal of its winding, so the six faces can be told apart.
TEST_F(MeshRead, ZeroNormalCubeGetsSixFaceNormals) {
  std::string error;
  std::string root = debian_fixture_root(&error);
  ASSERT_FALSE(root.empty()) << error;
  std::string dir = root + "/usr/lib/uranium/plugins/FileHandlers/STLReader/tests/";
  for (const char* name : {"simpleTestCubeASCII.stl", "simpleTestCubeBinary.stl"}) {
    SCOPED_TRACE(name);
    start();
    StlReport report;
    ASSERT_EQ(read(read_file(dir + name), &report), 0);
    std::vector<std::array<double, 3>> normals;
    for (const tri& t : v) {
      std::array<double, 3> n = {t.n[0], t.n[1], t.n[2]};
      int axes = 0;
      for (double c : n) axes += std::fabs(std::fabs(c) - 1) < 1e-12;
      EXPECT_EQ(axes, 1) << "a cube face's normal lies along an axis";
      if (std::find(normals.begin(), normals.end(), n) == normals.end()) normals.push_back(n);
    }
    EXPECT_EQ(normals.size(), 6u);
  }
}

TEST_F(MeshRead, AsciiLinesAreReadForgivingly) {
  std::string error;
  std::string root = debian_fixture_root(&error);
  ASSERT_FALSE(root.empty()) << error;
  std::string stl = root + "/usr/share/openscad/testdata/stl/";
  struct Case {
    const char* name;
    std::string text;
    int64_t facets, unread;
    const char* echoed;  // a line the console shows, or ""
  } cases[] = {
      {"a fourth vertex is ignored",
       "solid\nfacet normal 0 0 1\nouter loop\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n"
       "vertex 9 9 9\nendloop\nendfacet\nendsolid\n",
       1, 0, ""},
      {"openscad's toomanyvertices.stl", text_of(stl + "toomanyvertices.stl"), 13, 0, ""},
      {"openscad's invalidvertex.stl: its facet is left out", text_of(stl + "invalidvertex.stl"),
       13, 1, "?>> vertex 0 0 blah"},
      {"a later solid line is echoed",
       "solid a\nsolid b\nfacet  normal 0 0 1\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n", 1, 1,
       "?>> solid b"},
      {"reading stops at endsolid",
       "solid a\nvertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\nendsolid a\nfacet normal 0 0 1\n"
       "vertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n",
       1, 0, ""},
      {"a decimal comma is not a number",
       "solid a\nvertex 0 0 0\nvertex 1,5 0 0\nvertex 1 0 0\nvertex 0 1 0\n", 1, 1,
       "?>> vertex 1,5 0 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    start();
    StlReport report;
    start_stdout_capture();
    int r = read(c.text, &report);
    std::string out = stop_stdout_capture();
    ASSERT_EQ(r, 0) << report.why;
    EXPECT_EQ(report.facets, c.facets);
    EXPECT_EQ(report.unread, c.unread);
    if (*c.echoed) EXPECT_NE(out.find(c.echoed), std::string::npos) << out;
    EXPECT_TRUE(points_follow_triangles());
  }
}

// A large text named .stl echoes a few lines, not all of them.
TEST_F(MeshRead, UnreadLinesEchoABoundedNumber) {
  std::string text = "solid junk\n";
  for (int i = 0; i < 5000; i++) text += "line " + std::to_string(i) + " of nothing\n";
  StlReport report;
  start_stdout_capture();
  EXPECT_EQ(read(text, &report), 1);
  std::string out = stop_stdout_capture();
  EXPECT_EQ(report.unread, 5000);
  EXPECT_LE(std::count(out.begin(), out.end(), '\n'), 12);
  EXPECT_NE(out.find("4990 more lines"), std::string::npos) << out;
}

// A facet with a corner no float can hold would make the centre of the whole mesh infinite or
// not a number; it is left out and counted.
TEST_F(MeshRead, FacetsWithUnusableCornersAreLeftOut) {
  std::vector<std::vector<float>> facets = kTwoFacets;
  facets.push_back({0, 0, 1, NAN, 0, 0, 1, 0, 0, 0, 1, 0});
  facets.push_back({0, 0, 1, 0, 0, 0, INFINITY, 0, 0, 0, 1, 0});
  StlReport report;
  ASSERT_EQ(read(binary_stl("b", 4, facets), &report), 0);
  EXPECT_EQ(report.facets, 2);
  EXPECT_EQ(report.dropped, 2);
  for (int i = 0; i < n_atoms; i++) ASSERT_TRUE(std::isfinite(at_r[i].x));

  start();
  std::string text =
      "solid\nvertex 1e39 0 0\nvertex 1 0 0\nvertex 0 1 0\nfacet normal 0 0 1\n"
      "vertex 0 0 0\nvertex 1 0 0\nvertex 0 1 0\n";
  ASSERT_EQ(read(text, &report), 0);
  EXPECT_EQ(report.facets, 1);
  EXPECT_EQ(report.dropped, 1);
}

// Beyond 349,525 facets, cutting each into up to 32 pieces could pass the store's point cap:
// such a mesh is stored uncut.
TEST_F(MeshRead, ManyFacetsAreStoredUncut) {
  const int64_t facets = kMaxPoints / (3 * kFacetBudget) + 1;
  std::vector<std::vector<float>> big(1, {0, 0, 1, 0, 0, 0, 10, 0, 0, 0, 10, 0});
  Bytes b = binary_stl("many", (uint32_t)facets, big);
  for (int64_t f = 1; f < facets; f++) b.insert(b.end(), b.begin() + 84, b.begin() + 134);
  StlReport report;
  ASSERT_EQ(read(b, &report), 0);
  EXPECT_EQ(report.facets, facets);
  EXPECT_EQ((int64_t)v.size(), facets);

  start();
  Bytes few = binary_stl("few", 1, big);
  ASSERT_EQ(read(few, &report), 0);
  EXPECT_EQ(v.size(), (size_t)kFacetBudget) << "the same facet alone is cut";
}

}  // namespace
