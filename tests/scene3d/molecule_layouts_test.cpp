// The layouts the molecule reader knows besides PDB, which only a direct call reaches: MOL as
// Open Babel writes it, XYZ and DAT grids written by a script, GPR and MD files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "reader_fixture.h"
#include "scene3d/colour_map.h"
#include "scene3d/elements.h"
#include "scene3d/grid.h"
#include "scene3d/radii.h"
#include "scene3d/read_molecule.h"
#include "scene3d/scene.h"
#include "support/image_fixtures.h"

using namespace scene3d;

namespace {

class Layouts : public ReaderTables {
 protected:
  static std::string grid_file(const std::string& mode) {
    std::string path = fixture("grid." + mode);
    const char* src = getenv("SUNCALC_SOURCE_DIR");
    std::string script = std::string(src && *src ? src : ".") + "/tests/scene3d/grid_files.py";
    EXPECT_EQ(sh(std::string(python()) + " " + script + " " + mode + " > " + path), 0);
    return path;
  }
};

// Ubiquitin written as MOL by Open Babel reads as its PDB file does: the same elements and
// positions (not centred: only PDB files are), and its bond block plus perception give the bonds
// perceived in the PDB file.
TEST_F(Layouts, MolAsOpenBabelWritesIt) {
  const std::string pdb = "/usr/share/freesasa/test-data/1ubq.pdb";
  std::string mol = fixture("1ubq.mol");
  ASSERT_EQ(sh("obabel -ipdb " + pdb + " -omol -O " + mol + " 2>/dev/null"), 0);
  ASSERT_EQ(read_molecule(pdb.c_str(), nullptr, 0), 0) << mol_failure;
  std::vector<point3> pdb_points(at_r, at_r + n_atoms);
  std::vector<int> pdb_elements(at_el, at_el + n_atoms);
  BondList pdb_bonds = bonds();
  ASSERT_EQ(read_molecule(mol.c_str(), nullptr, 0), 0) << mol_failure;
  EXPECT_EQ(mol_scheme, 54);
  ASSERT_EQ(n_atoms, (int)pdb_points.size());
  double mean[3] = {0, 0, 0};
  for (int i = 0; i < n_atoms; i++) {
    mean[0] += at_r[i].x / n_atoms, mean[1] += at_r[i].y / n_atoms, mean[2] += at_r[i].z / n_atoms;
    EXPECT_EQ(at_el[i], std::abs(pdb_elements[i])) << i;  // MOL files flag no atoms
  }
  EXPECT_GT(mean[0] * mean[0] + mean[1] * mean[1] + mean[2] * mean[2], 200);
  for (int i = 0; i < n_atoms; i++) {
    EXPECT_NEAR(at_r[i].x, pdb_points[i].x + mean[0], 2e-3) << i;
    EXPECT_NEAR(at_r[i].z, pdb_points[i].z + mean[2], 2e-3) << i;
  }
  BondList b = bonds();
  std::sort(b.begin(), b.end());
  EXPECT_EQ(b, pdb_bonds);
}

TEST_F(Layouts, MolWithAnAtomCount) {
  std::string text = "3\n1 C1 0.0 0.0 0.0\n2 OW 1.2 0.0 0.0\n3 Xx 5 5 5\n4 C 9 9 9\n";
  ASSERT_EQ(read(text, "w.mol"), 0) << mol_failure;
  ASSERT_EQ(n_atoms, 2);
  EXPECT_EQ(at_el[0], 6);
  EXPECT_EQ(at_el[1], 8);
  EXPECT_FLOAT_EQ(at_r[1].x, 1.2f);
  EXPECT_EQ(mol_unknown_atoms, 1);
  EXPECT_EQ(bonds(), (BondList{{0, 1}}));
}

// An atom of unknown element is skipped: the bonds of the bond block still join the right atoms,
// and those to the skipped one are dropped.
TEST_F(Layouts, MolBondBlockAroundAnUnknownAtom) {
  std::string text =
      "title\n  program\n\n  4  3  0  0  0  0  0  0  0  0999 V2000\n"
      "    0.0000    0.0000    0.0000 C   0  0\n"
      "    1.5000    0.0000    0.0000 R#  0  0\n"
      "    5.0000    0.0000    0.0000 C   0  0\n"
      "    5.0000    2.5000    0.0000 O   0  0\n"
      "  1  2  1  0\n  3  4  1  0\n  1  3  1  0\nM  END\n";
  ASSERT_EQ(read(text, "m.mol"), 0) << mol_failure;
  ASSERT_EQ(n_atoms, 3);
  EXPECT_EQ(mol_unknown_atoms, 1);
  EXPECT_FLOAT_EQ(at_r[1].x, 5.0f);
  EXPECT_EQ(bonds(), (BondList{{1, 2}})) << "2.5 apart: listed and plausible; 5 apart: too far";
}

TEST_F(Layouts, XyzGrid) {
  std::string path = grid_file("xyz");
  ASSERT_EQ(read_molecule(path.c_str(), nullptr, 0), 0) << mol_failure;
  ASSERT_EQ(n_atoms, 12);
  EXPECT_EQ(isXYZ2d, 2);
  EXPECT_EQ(isXYZ2d_mat, 1);
  EXPECT_EQ(zmat_varyx, 1) << "listed with y fastest, reordered";
  EXPECT_DOUBLE_EQ(zmat_delta, 0.5);
  for (int k = 0; k < 12; k++) {
    SCOPED_TRACE(k);
    EXPECT_EQ(at_el[k], 100);
    EXPECT_FLOAT_EQ(at_r[k].x, 0.5f * (k % 4));
    EXPECT_FLOAT_EQ(at_r[k].y, 0.5f * (k / 4));
    EXPECT_FLOAT_EQ(at_r[k].z, at_r[k].x * at_r[k].y);
    EXPECT_FLOAT_EQ(at[k].rad, 0.4f) << "spacing 0.5: grid radius 0.8 at half size";
  }
  EXPECT_FLOAT_EQ(get_charge(1), 0.05f) << "charges stay with the order they were read in";
  EXPECT_EQ(n_bonds, 0);
  EXPECT_EQ(mol_scheme, 54);
}

TEST_F(Layouts, DatGrid) {
  std::string path = grid_file("dat");
  ASSERT_EQ(read_molecule(path.c_str(), nullptr, 0), 0) << mol_failure;
  ASSERT_EQ(n_atoms, 9);
  EXPECT_EQ(isXYZ2d, 2);
  EXPECT_EQ(zmat_varyx, 1);
  EXPECT_EQ(zmat_nx, 3);
  EXPECT_DOUBLE_EQ(zmat_delta, 2);
  EXPECT_EQ(at_el[4], 2);
  EXPECT_FLOAT_EQ(at_r[5].z, 2) << "(4, 2)";
  EXPECT_FLOAT_EQ(at[0].rad, ElemRad[2] * RadMagn);
  EXPECT_FLOAT_EQ(RadMagn, 1);
}

TEST_F(Layouts, Gpr) {
  std::string text =
      "made by hand\n!Atoms 3\n0 6\n1 8\n2 200\n!Bonds 3\n0 1\n0 2\n1 7\n"
      "!Coord\n0 0 0 0\n1 0.12 0 0\n2 0 0.1 0\n!Charges\n0 -0.5\n1 0.3\n2 0.2\nthe end\n!Coord\n0 "
      "9 9 9\n";
  ASSERT_EQ(read(text, "g.gpr"), 0) << mol_failure;
  ASSERT_EQ(n_atoms, 3);
  EXPECT_EQ(at_el[2], 110) << "ordinals are kept within 1..110";
  EXPECT_FLOAT_EQ(at_r[1].x, 1.2f);
  EXPECT_FLOAT_EQ(at_r[2].y, 1.0f);
  EXPECT_FLOAT_EQ(at_r[0].x, 0.0f) << "nothing after the first unknown line";
  EXPECT_FLOAT_EQ(get_charge(0), -0.5f);
  EXPECT_FLOAT_EQ(get_charge(2), 0.2f);
  EXPECT_EQ(bonds(), (BondList{{0, 1}, {0, 2}})) << "no perception, and no bond to a point beyond";
}

TEST_F(Layouts, Md) {
  std::string six = "-\n-\n-\n-\n-\n-\n";
  std::string text = "FFM run\n4\n-\n2\n" + six;
  for (int k = 0; k < 4; k++) text += std::to_string(1.5 * k) + "\n0\n0\n-\n-\n-\n";
  text += six + six + "-\n-\n1\n10\n10\n10\n-\n-\n-\n";
  ASSERT_EQ(read(text, "r.md"), 0) << mol_failure;
  ASSERT_EQ(n_atoms, 5);
  const int want[] = {6, 16, 6, 16, 79};
  for (int k = 0; k < 5; k++) EXPECT_EQ(at_el[k], want[k]) << k;
  EXPECT_FLOAT_EQ(at_r[3].x, 4.5f);
  EXPECT_FLOAT_EQ(at_r[4].z, 10.0f);
  EXPECT_EQ(bonds(), (BondList{{0, 1}, {2, 3}}));
}

}  // namespace
