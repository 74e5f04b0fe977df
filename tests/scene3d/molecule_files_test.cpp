// The molecule reader on real PDB files from Debian packages (freesasa's test data, Mustang's
// examples), against Biopython's reading of the same files and Open Babel's bonds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "reader_fixture.h"
#include "scene3d/bond_perception.h"
#include "scene3d/colour_map.h"
#include "scene3d/read_molecule.h"
#include "scene3d/scene.h"
#include "support/image_fixtures.h"
#include "support/python_reference.h"

using namespace scene3d;

namespace {

const char kFreesasa[] = "/usr/share/freesasa/test-data/";
const char kMustang[] = "/usr/share/doc/mustang-testdata/examples/pdbs/";

struct Fixture {
  std::string path;
  bool hydrogens;  // NMR models, with their hydrogens
};

std::vector<Fixture> fixture_files() {
  std::vector<Fixture> files;
  for (const char* f : {"1ubq", "1a0q"})
    files.push_back({kFreesasa + std::string(f) + ".pdb", false});
  for (const char* f : {"1d3z", "2jo4"})
    files.push_back({kFreesasa + std::string(f) + ".pdb", true});
  for (const char* f : {"1ard", "1bboN", "1paa", "1sp1", "1sp2", "1zaa1", "1zaa2", "1zaa3", "1zfd",
                        "1znf", "1znm", "2drp1", "2drp2", "3znf", "5znf"})
    files.push_back({kMustang + std::string(f) + ".pdb", false});
  return files;
}

// An atom as both sides give it: coordinates in thousandths, B-factor in hundredths, element,
// HETATM flag.
using AtomRow = std::tuple<long, long, long, long, int, int>;

class MoleculeFiles : public ReaderTables {
 protected:
  static std::vector<std::vector<double>> reference(const std::string& mode,
                                                    const std::string& path) {
    std::vector<std::vector<double>> rows;
    std::string error;
    EXPECT_TRUE(python_rows("scene3d/molecule_reference.py", mode + " " + path, &rows, &error))
        << error;
    return rows;
  }

  // The store's atoms moved back by the centring the reader applied, which is undone from the
  // reference's own mean (computed as the reader does: in double, then rounded to float).
  static std::vector<AtomRow> our_atoms(const std::vector<std::vector<double>>& ref) {
    double sum[3] = {0, 0, 0};
    for (const auto& r : ref)
      for (int k = 0; k < 3; k++) sum[k] += r[k];
    float c[3];
    for (int k = 0; k < 3; k++) c[k] = ref.empty() ? 0 : (float)(sum[k] / ref.size());
    if (c[0] * c[0] + c[1] * c[1] + c[2] * c[2] <= 200) c[0] = c[1] = c[2] = 0;
    std::vector<AtomRow> rows;
    for (int i = 0; i < n_atoms; i++)
      rows.emplace_back(std::lround(((double)at_r[i].x + c[0]) * 1000),
                        std::lround(((double)at_r[i].y + c[1]) * 1000),
                        std::lround(((double)at_r[i].z + c[2]) * 1000),
                        std::lround(get_temperature(i) * 100.0), std::abs(at_el[i]), at_el[i] < 0);
    std::sort(rows.begin(), rows.end());
    return rows;
  }
  static std::vector<AtomRow> ref_atoms(const std::vector<std::vector<double>>& ref) {
    std::vector<AtomRow> rows;
    for (const auto& r : ref)
      rows.emplace_back(std::lround(r[0] * 1000), std::lround(r[1] * 1000),
                        std::lround(r[2] * 1000), std::lround(r[3] * 100), (int)r[4], (int)r[5]);
    std::sort(rows.begin(), rows.end());
    return rows;
  }
};

TEST_F(MoleculeFiles, AtomsAsBiopythonReadsThem) {
  auto files = fixture_files();
  std::string paths;
  for (const Fixture& f : files) paths += " " + f.path;
  auto all = reference("atoms", paths);
  for (size_t k = 0; k < files.size(); k++) {
    const std::string& path = files[k].path;
    SCOPED_TRACE(path);
    std::vector<std::vector<double>> ref;
    for (const auto& r : all)
      if (r[0] == k) ref.emplace_back(r.begin() + 1, r.end());
    ASSERT_EQ(read_molecule(path.c_str(), nullptr, 0), 0) << mol_failure;
    EXPECT_EQ(mol_unknown_atoms, 0);
    EXPECT_EQ(n_atoms, (int)ref.size());
    auto ours = our_atoms(ref), theirs = ref_atoms(ref);
    auto mismatch = std::mismatch(ours.begin(), ours.end(), theirs.begin(), theirs.end());
    EXPECT_TRUE(mismatch.first == ours.end() && mismatch.second == theirs.end())
        << "first difference at sorted row " << (mismatch.first - ours.begin());
  }
}

// Open Babel also weighs each atom's valence, so around hydrogens of NMR models (0.9 A apart in
// 2jo4's methyl groups, an amide hydrogen 1.7 A from an oxygen in 1d3z) it keeps fewer bonds than
// the distance rules; without hydrogens the two agree bond for bond (1ubq: 608; 1a0q: 3,287 of
// which the two zinc bonds come from CONECT records).
TEST_F(MoleculeFiles, BondsAsOpenBabelFindsThem) {
  for (const Fixture& f : fixture_files()) {
    if (f.hydrogens) continue;
    SCOPED_TRACE(f.path);
    auto ref = reference("bonds", f.path);
    std::vector<std::pair<int, int>> want;
    for (const auto& r : ref)
      want.push_back({std::min((int)r[0], (int)r[1]) - 1, std::max((int)r[0], (int)r[1]) - 1});
    std::sort(want.begin(), want.end());
    ASSERT_EQ(read_molecule(f.path.c_str(), nullptr, 0), 0) << mol_failure;
    EXPECT_EQ(bonds(), want);
  }
}

// The reader keeps an NMR file's models together, overlaid, and they bond across: a ten-model file
// gets about twelve bonds an atom. The bounds on crowded cells and on bonds an atom must leave
// such a file every bond the distance rules give.
TEST_F(MoleculeFiles, EnsemblesKeepEveryBondTheRulesGive) {
  for (const Fixture& f : fixture_files()) {
    if (!f.hydrogens) continue;
    SCOPED_TRACE(f.path);
    ASSERT_EQ(read_molecule(f.path.c_str(), nullptr, 0), 0) << mol_failure;
    EXPECT_EQ(crowded_points, 0);
    EXPECT_EQ(bond_bound_reached, 0);
    BondList got = bonds();
    long missing = 0, rule_pairs = 0;
    for (int i = 0; i < n_atoms; i++)
      for (int j = i + 1; j < n_atoms; j++) {
        double dx = (double)at_r[i].x - at_r[j].x, dy = (double)at_r[i].y - at_r[j].y,
               dz = (double)at_r[i].z - at_r[j].z;
        if (get_group(i) != get_group(j) ||
            !bond_rule(at_el[i], at_el[j], dx * dx + dy * dy + dz * dz))
          continue;
        rule_pairs++;
        missing += !std::binary_search(got.begin(), got.end(), std::make_pair(i, j));
      }
    EXPECT_GT(rule_pairs, 10L * n_atoms);
    EXPECT_EQ(missing, 0);
  }
}

// A store as a comparable whole: points, elements, temperatures, residue codes, backbone, bonds.
std::vector<double> store_digest() {
  std::vector<double> d = {(double)n_atoms, (double)n_bonds, (double)have_backbone};
  for (int i = 0; i < n_atoms; i++) {
    d.insert(d.end(), {at_r[i].x, at_r[i].y, at_r[i].z, (double)at_el[i], get_temperature(i),
                       have_shapely ? (double)shapely[i] : -1.0, at[i].rad});
  }
  for (int b = 0; b < n_bonds; b++) d.insert(d.end(), {(double)bond[b].lo, (double)bond[b].hi});
  for (int k = 0; k < have_backbone; k++) d.push_back(backbones[k]);
  return d;
}

// gzip's own output, as one member and as two members joined, reads as the plain file does.
TEST_F(MoleculeFiles, GzipReadsAsPlainText) {
  for (const Fixture& f : fixture_files()) {
    SCOPED_TRACE(f.path);
    ASSERT_EQ(read_molecule(f.path.c_str(), nullptr, 0), 0) << mol_failure;
    auto plain = store_digest();
    std::string one = fixture("one.pdb.gz"), two = fixture("two.pdb.gz");
    ASSERT_EQ(sh("gzip -c '" + f.path + "' > " + one), 0);
    ASSERT_EQ(sh("(head -n 150 '" + f.path + "' | gzip -c; tail -n +151 '" + f.path +
                 "' | gzip -9 -c) > " + two),
              0);
    for (const std::string& gz : {one, two}) {
      Bytes b = read_file(gz);
      ASSERT_EQ(read_molecule(gz.c_str(), b.data(), (int64_t)b.size()), 0) << mol_failure;
      EXPECT_TRUE(store_digest() == plain) << gz;
    }
  }
}

}  // namespace
