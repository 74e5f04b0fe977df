// Molecules opened as a user opens them (the file opener, then the shared scene flow): the
// picture against the reference projection, the colours by temperature factor, gzip files,
// failures that leave the view alone, and scenes that do not inherit what the scene before them
// set.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "render_fixture.h"
#include "scene3d/bond_perception.h"
#include "scene3d/colour_schemes.h"
#include "scene3d/elements.h"
#include "scene3d/frame.h"
#include "scene3d/frame_state.h"
#include "scene3d/scene.h"
#include "scene3d/shade.h"
#include "scene_view.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "view/canvas.h"
#include "view/screen.h"

using namespace scene3d;

namespace {

const std::string kUbq = "/usr/share/freesasa/test-data/1ubq.pdb";
const std::string kNmr = "/usr/share/freesasa/test-data/1d3z.pdb";

class MoleculeOpen : public ::testing::Test {
 protected:
  static constexpr int kW = 320, kH = 240;
  void SetUp() override { renderer_at(kW, kH); }
  void TearDown() override { renderer_at(kW, kH); }

  // The balls the scene holds, for the reference projection.
  static std::vector<Ball> balls() {
    std::vector<Ball> b;
    for (int i = 0; i < n_atoms; i++)
      b.push_back({at_r[i].x, at_r[i].y, at_r[i].z, at[i].rad, at_el[i]});
    return b;
  }

  // The sphere whose disc covers the whole neighbourhood of pixel (x, y) (so that the filters
  // mix in nothing else), or -1.
  static int sphere_around(int x, int y) {
    int id = 0;
    for (int dy = -1; dy <= 1; dy++)
      for (int dx = -1; dx <= 1; dx++) {
        int px = x + dx, py = y + dy;
        if (px < 0 || py < 0 || px >= width || py >= height) return -1;
        for (int cy = 0; cy < 2; cy++)
          for (int cx = 0; cx < 2; cx++) {
            int k = Abuffer[(size_t)(2 * (height - 1 - py) + cy) * Axres + 2 * px + cx];
            if (k <= 0 || (id && k != id)) return -1;
            id = k;
          }
      }
    return id - 1;
  }

  // The mean colour of each sphere over the pixels it alone covers (count 0: none).
  struct Colour {
    double r = 0, g = 0, b = 0;
    int n = 0;
  };
  static std::vector<Colour> sphere_colours() {
    std::vector<Colour> c(n_atoms);
    for (int y = 0; y < height; y++)
      for (int x = 0; x < width; x++) {
        int s = sphere_around(x, y);
        if (s < 0) continue;
        const float* p = img_content + 4 * ((size_t)y * width + x);
        c[s].r += p[0], c[s].g += p[1], c[s].b += p[2], c[s].n++;
      }
    for (Colour& k : c)
      if (k.n) k.r /= k.n, k.g /= k.n, k.b /= k.n;
    return c;
  }
};

TEST_F(MoleculeOpen, UbiquitinIsFittedCentredAndColouredByTemperature) {
  open_as_user(kUbq);
  ASSERT_EQ(::content, CONTENT_PDB) << status_text();
  EXPECT_EQ(window_title(), kUbq);
  EXPECT_EQ(colSelection, 58);
  EXPECT_EQ(n_atoms, 660);
  EXPECT_FLOAT_EQ(ambientterm, 0.2f);

  std::string error;
  std::vector<uint8_t> ref = reference_mask(balls(), {}, &error);
  ASSERT_FALSE(ref.empty()) << error;
  std::vector<uint8_t> got = object_mask();
  EXPECT_GE(iou(got, ref), 0.97);
  ASSERT_NO_FATAL_FAILURE(expect_fitted_and_centred(got));

  std::vector<Colour> c = sphere_colours();
  int waters = 0, yellow = 0;
  std::vector<std::pair<float, double>> protein;  // B-factor, redness
  for (int i = 0; i < n_atoms; i++) {
    if (!c[i].n) continue;
    if (at_el[i] < 0) {
      waters++;
      // (240, 255, 0) shaded: red a little below green, no blue beyond the highlight's.
      yellow +=
          c[i].g > 0.05 && std::fabs(c[i].r / c[i].g - 240.0 / 255) < 0.08 && c[i].b < 0.5 * c[i].g;
      continue;
    }
    protein.push_back({get_temperature(i), (c[i].r - c[i].b) / (c[i].r + c[i].b + 1e-6)});
  }
  ASSERT_GT(waters, 10);
  EXPECT_EQ(yellow, waters);
  std::sort(protein.begin(), protein.end());
  ASSERT_GT(protein.size(), 100u);
  size_t tenth = protein.size() / 10;
  int blue = 0, red = 0;
  for (size_t k = 0; k < tenth; k++) blue += protein[k].second < 0;
  for (size_t k = protein.size() - tenth; k < protein.size(); k++) red += protein[k].second > 0;
  EXPECT_EQ(blue, (int)tenth) << "the coolest tenth is blue";
  EXPECT_EQ(red, (int)tenth) << "the warmest tenth is red";
}

// gzip's own output and the plain file give the same picture; so does a molecule opened after a
// mesh (lit more brightly) or a surface grid (which draws carbon smaller): nothing carries over
// but the rotation.
TEST_F(MoleculeOpen, SamePictureWhateverCameBefore) {
  std::string gz = fixture("1ubq.pdb.gz"), grid = fixture("flat.sdf");
  ASSERT_EQ(sh("gzip -c " + kUbq + " > " + gz), 0);
  std::string rows = "SURFMT=1;L;B;4;4;3;3\n";
  for (int r = 0; r < 4; r++) rows += "ZZ=0;1;0;1\n";
  write_file(grid, Bytes(rows.begin(), rows.end()));
  open_as_user(kUbq);
  ASSERT_EQ(::content, CONTENT_PDB) << status_text();
  std::vector<float> plain(img_content, img_content + 4 * (size_t)width * height);
  for (const std::string& before :
       {std::string(), std::string("/usr/share/doc/admesh/examples/block.stl"), grid}) {
    SCOPED_TRACE(before);
    if (!before.empty()) {
      open_as_user(before);
      ASSERT_NE(::content, CONTENT_PDB) << status_text();
    }
    open_as_user(gz);
    ASSERT_EQ(::content, CONTENT_PDB) << status_text();
    EXPECT_EQ(window_title(), gz);
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), img_content));
    EXPECT_FLOAT_EQ(ambientterm, 0.2f);
    EXPECT_FLOAT_EQ(ElemRad[6], 1.2f);
  }
}

TEST_F(MoleculeOpen, AllModelsTogether) {
  open_as_user(kNmr);
  ASSERT_EQ(::content, CONTENT_PDB) << status_text();
  EXPECT_EQ(n_atoms, 12310);
  EXPECT_EQ(status_text(), "");
}

TEST_F(MoleculeOpen, UnknownElementsAreNamedOnTheStatusLine) {
  std::string path = fixture("odd.pdb");
  std::string text =
      "ATOM      1  N   ALA A   1       0.000   0.000   0.000  1.00 10.00           N\n"
      "HETATM    2  XX  UNK A   2       3.000   0.000   0.000  1.00 10.00          XX\n"
      "ATOM      3  CA  ALA A   1       1.450   0.000   0.000  1.00 10.00           C\n";
  write_file(path, Bytes(text.begin(), text.end()));
  open_as_user(path);
  ASSERT_EQ(::content, CONTENT_PDB) << status_text();
  EXPECT_EQ(n_atoms, 2);
  EXPECT_EQ(status_text(), "odd.pdb: 1 atoms of unknown element left out");
}

// Atoms packed closer than chemistry allows (a broken export, or a file made to stall the bond
// search) still show, quickly, with a word on the status line about the bonds left out.
TEST_F(MoleculeOpen, PackedAtomsShowWithANoteOnTheirBonds) {
  auto carbon = [](int serial, double x, double y, double z) {
    char line[96];
    snprintf(line, sizeof line,
             "ATOM  %5d  C   GLY A   1    %8.3f%8.3f%8.3f  1.00 10.00           C\n",
             serial % 100000, x, y, z);
    return std::string(line);
  };
  std::mt19937 rng(11);
  std::uniform_real_distribution<double> u(0, 3);
  std::string cloud, lattice;
  for (int i = 0; i < 5000; i++) cloud += carbon(i + 1, u(rng), u(rng), u(rng));
  for (int i = 0; i < 4096; i++)
    lattice += carbon(i + 1, 0.46 * (i / 256), 0.46 * (i / 16 % 16), 0.46 * (i % 16));
  struct {
    const char* name;
    const std::string& text;
    int atoms;
    const char* says;
  } cases[] = {
      {"cloud.pdb", cloud, 5000, "cloud.pdb: 5000 atoms too crowded for bonds"},
      {"lattice.pdb", lattice, 4096, "lattice.pdb: bond search stopped at 262144 bonds"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = fixture(c.name);
    write_file(path, Bytes(c.text.begin(), c.text.end()));
    open_as_user(path);
    ASSERT_EQ(::content, CONTENT_PDB) << status_text();
    EXPECT_EQ(n_atoms, c.atoms);
    EXPECT_LE(n_bonds, kBondsPerPoint * n_atoms);
    EXPECT_EQ(status_text(), c.says);
  }
}

TEST_F(MoleculeOpen, FailuresKeepTheViewAndSayWhy) {
  Bytes ubq = read_file(kUbq);
  std::string gz = fixture("whole.pdb.gz");
  ASSERT_EQ(sh("gzip -c " + kUbq + " > " + gz), 0);
  Bytes whole = read_file(gz);
  Bytes cut(whole.begin(), whole.begin() + whole.size() / 3);
  Bytes noise = {0x1f, 0x8b, 8, 0};
  std::mt19937 rng(7);
  for (int k = 0; k < 4000; k++) noise.push_back((unsigned char)rng());
  std::string note = "This is a note, not a molecule.\n";
  std::string unknown =
      "HETATM    1  XX  UNK A   1       0.000   0.000   0.000  1.00 10.00          XX\n";
  // Ten members of 64 MiB of zeros each: 640 MiB out of about 650 KB.
  std::string member = fixture("zeros.gz"), bomb = fixture("bomb.pdb.gz");
  ASSERT_EQ(sh("head -c 67108864 /dev/zero | gzip > " + member +
               " && for k in 0 1 2 3 4 5 6 7 8 9; do cat " + member + "; done > " + bomb),
            0);
  const std::vector<RefusedFile> cases = {
      {"a text named .pdb", fixture("note.pdb"), Bytes(note.begin(), note.end()),
       "note.pdb: no atoms"},
      {"only atoms of unknown element", fixture("unknown.pdb"),
       Bytes(unknown.begin(), unknown.end()),
       "unknown.pdb: no atoms of a known element (1 left out)"},
      {"a cut gzip file", fixture("cut.pdb.gz"), cut, "cut.pdb.gz: gzip data ends early"},
      {"gzip of random bytes", fixture("noise.pdb.gz"), noise, "noise.pdb.gz: damaged gzip data"},
      {"a gzip bomb", bomb, {}, "bomb.pdb.gz: too large when inflated (over 512 MiB)"},
  };
  open_as_user(kUbq);
  ASSERT_EQ(::content, CONTENT_PDB);
  expect_refused(cases);
  // The view is still live: a turn renders the same scene anew.
  rot_z += 20;
  UpdateAngles();
  EXPECT_EQ(UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0), 0);
  EXPECT_EQ(n_atoms, 660);
}

}  // namespace
