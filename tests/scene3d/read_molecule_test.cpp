// The molecule reader on small files: the fixed columns of PDB records, CONECT records, elements,
// line ends, gzip, the names it accepts and the files it refuses, and the layouts that only a
// direct call reaches.
#include "scene3d/read_molecule.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "reader_fixture.h"
#include "scene3d/colour_map.h"
#include "scene3d/colour_schemes.h"
#include "scene3d/elements.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"
#include "scene3d/symbols.h"
#include "support/image_fixtures.h"
#include "support/temp_dir.h"

using namespace scene3d;

namespace {

// An ATOM or HETATM record with the given fields in their columns (name: columns 13-16 as
// written; coordinate and B-factor fields: their columns as written, x in 31-38, B in 61-66).
std::string record(const char* kind, int serial, const char* name, const char* residue,
                   const char* x, const char* y = "   0.000", const char* z = "   0.000",
                   const char* b = "  1.00", const char* element = "") {
  char line[100];
  snprintf(line, sizeof line,
           "%-6s%5d %-4.4s %3.3s A   1    %-8.8s%-8.8s%-8.8s  1.00%-6.6s          %2s", kind,
           serial, name, residue, x, y, z, b, element);
  return line;
}

// An atom at (x, y, z) in the usual layout.
std::string atom(const char* kind, int serial, const char* name, const char* residue, double x,
                 double y, double z, const char* element = "") {
  char xs[3][16];
  snprintf(xs[0], 16, "%8.3f", x);
  snprintf(xs[1], 16, "%8.3f", y);
  snprintf(xs[2], 16, "%8.3f", z);
  return record(kind, serial, name, residue, xs[0], xs[1], xs[2], "  1.00", element);
}

Bytes gzip_bytes(const std::string& text, int level = 6);

class Reader : public ReaderTables {};

TEST_F(Reader, ColumnFields) {
  struct {
    std::string line;
    int ordinal;
    float x, b;
  } cases[] = {
      {record("ATOM", 1, " CA ", "ALA", "  -1.500"), 6, -1.5f, 1},
      {record("ATOM", 1, " CA ", "ALA", " -12.345"), 6, -12.345f, 1},
      {record("ATOM", 1, " CA ", "ALA", "   0.5  "), 6, 0.5f, 1},
      {record("ATOM", 1, " CA ", "ALA", "   0.000", "   0.000", "   0.000", " 15.25"), 6, 0,
       15.25f},
      {record("ATOM", 1, " CA ", "ALA", "   0.000", "   0.000", "   0.000", "  15.2"), 6, 0, 0},
      {record("ATOM", 1, " CA ", "ALA", "   0.000", "   0.000", "   0.000", "99.9"), 6, 0, 0},
      {record("HETATM", 1, "FE  ", "HEM", "   1.000"), -26, 1, 1},
      {record("HETATM", 1, "CA  ", "CA", "   1.000"), -20, 1, 1},
      {record("ATOM", 1, "MG  ", "MG", "   1.000"), 12, 1, 1},
      {record("ATOM", 1, " MG ", "MG", "   1.000"), 12, 1, 1},
      {record("ATOM", 1, "HD21", "ASN", "   1.000"), 1, 1, 1},
      {record("ATOM", 1, "1HG2", "THR", "   1.000"), 1, 1, 1},
      {record("ATOM", 1, "ZN  ", "ZN", "   1.000"), 30, 1, 1},
      {record("ATOM", 1, " OXT", "GLY", "   1.000"), 8, 1, 1},
      {record("ATOM", 1, "  C ", "GLY", "   1.000"), 6, 1, 1},
      {record("ATOM", 1, " SG ", "CYS", "   1.000"), 16, 1, 1},
      // The element columns win when they name an element; a mercury ion written like a hydrogen
      // name stays mercury, a zinc written from column 14 stays zinc.
      {record("HETATM", 1, "HG  ", "HG", "   1.000", "   0.000", "   0.000", "  1.00", "HG"), -80,
       1, 1},
      {record("HETATM", 1, " ZN ", "ZN", "   1.000", "   0.000", "   0.000", "  1.00", "ZN"), -30,
       1, 1},
      {record("ATOM", 1, " CA ", "ALA", "   1.000", "   0.000", "   0.000", "  1.00", " C"), 6, 1,
       1},
      {record("ATOM", 1, "HG  ", "HG", "   1.000", "   0.000", "   0.000", "  1.00", " X"), 1, 1,
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    ASSERT_EQ(read(c.line + "\n"), 0) << mol_failure;
    ASSERT_EQ(n_atoms, 1);
    EXPECT_EQ(at_el[0], c.ordinal);
    EXPECT_FLOAT_EQ(at_r[0].x, c.x);
    EXPECT_FLOAT_EQ(get_temperature(0), c.b);
    EXPECT_FLOAT_EQ(at_rad[0], ElemRad[std::abs(c.ordinal)]);
  }
}

TEST_F(Reader, AlphaCarbonsAndResidues) {
  std::string text = atom("ATOM", 1, " N  ", "GLY", 0, 0, 0) + "\n" +
                     atom("ATOM", 2, " CA ", "GLY", 1.4, 0, 0) + "\n" +
                     atom("ATOM", 3, " CA ", "XYZ", 9, 0, 0) + "\n" +
                     atom("HETATM", 4, "CA  ", "CA", 5, 5, 5) + "\n" +
                     atom("ATOM", 5, " P  ", "  A", 0, 5, 0) + "\n";
  ASSERT_EQ(read(text), 0) << mol_failure;
  ASSERT_EQ(n_atoms, 5);
  EXPECT_EQ(have_backbone, 3);
  EXPECT_EQ(backbones[0], 1);
  EXPECT_EQ(backbones[1], 2);
  EXPECT_EQ(backbones[2], 4);
  ASSERT_TRUE(have_shapely);
  EXPECT_EQ(shapely[0], 1) << "GLY";
  EXPECT_EQ(shapely[2], kNoResidueCode) << "an unknown residue replaces the alpha carbon's code";
  EXPECT_EQ(shapely[4], 24);
}

TEST_F(Reader, Conect) {
  // Zinc and nitrogen 2.1 apart: no distance rule bonds them, only a CONECT record does.
  const std::string zn = atom("HETATM", 1, "ZN  ", "ZN", 0, 0, 0, "ZN");
  struct {
    const char* name;
    std::string text;
    BondList want;
  } cases[] = {
      {"serials 1 to 3, the last one listed too",
       zn + "\n" + atom("ATOM", 2, " N  ", "HIS", 2.1, 0, 0) + "\n" +
           atom("ATOM", 3, " N  ", "HIS", 0, 2.1, 0) + "\nCONECT    1    2    3\n",
       {{0, 1}, {0, 2}}},
      {"across a TER gap",
       atom("ATOM", 1, " N  ", "HIS", 9, 9, 9) + "\n" + atom("ATOM", 2, " N  ", "HIS", 2.1, 0, 0) +
           "\nTER       3      HIS A   1\n" + zn.substr(0, 6) + "    4" + zn.substr(11) +
           "\nCONECT    4    2\n",
       {{1, 2}}},
      {"a serial nobody has",
       zn + "\n" + atom("ATOM", 2, " N  ", "HIS", 2.1, 0, 0) + "\nCONECT    1    9    2\n",
       {{0, 1}}},
      {"a first serial nobody has: no bonds from that record",
       zn.substr(0, 6) + "   10" + zn.substr(11) + "\n" +
           atom("ATOM", 11, " N  ", "HIS", 2.1, 0, 0) + "\nCONECT    9   10   11\n",
       {}},
      {"too far apart",
       zn + "\n" + atom("ATOM", 2, " N  ", "HIS", 3.2, 0, 0) + "\nCONECT    1    2\n",
       {}},
      {"listed both ways",
       zn + "\n" + atom("ATOM", 2, " N  ", "HIS", 2.1, 0, 0) +
           "\nCONECT    1    2\nCONECT    2    1\n",
       {{0, 1}}},
      {"the first model's atoms",
       "MODEL        1\n" + zn + "\n" + atom("ATOM", 2, " N  ", "HIS", 2.1, 0, 0) +
           "\nENDMDL\nMODEL        2\n" + zn + "\n" + atom("ATOM", 2, " N  ", "HIS", 0, 2.1, 0) +
           "\nENDMDL\nCONECT    1    2\n",
       {{0, 1}}},
      {"a record ending at its last field, no line end",
       zn + "\n" + atom("ATOM", 2, " N  ", "HIS", 2.1, 0, 0) + "\nCONECT    1    2",
       {{0, 1}}},
      {"a field cut short is not read",
       zn + "\n" + atom("ATOM", 2, " N  ", "HIS", 2.1, 0, 0) + "\nCONECT    1    2",
       {{0, 1}}},
  };
  cases[8].text.pop_back();
  cases[8].want.clear();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(read(c.text), 0) << mol_failure;
    EXPECT_EQ(bonds(), c.want);
  }
}

TEST_F(Reader, ConectPairsAreNotFoundTwice) {
  std::string text = atom("ATOM", 1, " C  ", "ALA", 0, 0, 0) + "\n" +
                     atom("ATOM", 2, " C  ", "ALA", 1.5, 0, 0) + "\n" +
                     atom("ATOM", 3, " C  ", "ALA", 0, 1.5, 0) + "\nCONECT    1    2    3\n";
  ASSERT_EQ(read(text), 0) << mol_failure;
  EXPECT_EQ(bonds(), (BondList{{0, 1}, {0, 2}}));
}

TEST_F(Reader, WaterHydrogensDoNotBondEachOther) {
  std::string text = atom("HETATM", 1, " O  ", "HOH", 0, 0, 0, " O") + "\n" +
                     atom("HETATM", 2, " H1 ", "HOH", 0.757, 0.586, 0, " H") + "\n" +
                     atom("HETATM", 3, " H2 ", "HOH", -0.757, 0.586, 0, " H") + "\n";
  ASSERT_EQ(read(text), 0) << mol_failure;
  EXPECT_EQ(at_el[1], -1);
  EXPECT_EQ(bonds(), (BondList{{0, 1}, {0, 2}}));
}

TEST_F(Reader, UnknownElementIsSkippedAndCounted) {
  std::string text = atom("ATOM", 1, " C  ", "ALA", 0, 0, 0) + "\n" +
                     atom("HETATM", 2, " XX ", "UNK", 1, 0, 0, "XX") + "\n" +
                     atom("HETATM", 3, "QQ  ", "UNK", 1, 0, 0) + "\n" +
                     atom("ATOM", 4, " O  ", "ALA", 1.2, 0, 0) + "\n";
  ASSERT_EQ(read(text), 0) << mol_failure;
  EXPECT_EQ(n_atoms, 2);
  EXPECT_EQ(mol_unknown_atoms, 2);
  EXPECT_EQ(at_el[1], 8);
  EXPECT_EQ(bonds(), (BondList{{0, 1}}));
}

TEST_F(Reader, SkippedRecords) {
  std::string text = "HEADER    ATOM  LIKE A HEADER\n" + atom("ATOM", 1, " C  ", "ALA", 0, 0, 0) +
                     "\n" + atom("ATOM", 2, " Q  ", "ALA", 1, 0, 0) + "\n" +
                     record("ATOM", 3, " C  ", "ALA", "9999.000", "9999.000", "9999.000") + "\n" +
                     "REMARK ATOM\nATOM\n" + atom("ATOM", 4, " C  ", "ALA", 1.5, 0, 0) + "\n";
  ASSERT_EQ(read(text), 0) << mol_failure;
  EXPECT_EQ(n_atoms, 2);
  EXPECT_FLOAT_EQ(at_r[1].x, 1.5f);
}

// The same file with CR LF line ends, lone CRs or no final line end reads the same.
TEST_F(Reader, LineEnds) {
  std::string lf = atom("ATOM", 1, " C  ", "ALA", 0, 0, 0) + "\n" +
                   atom("ATOM", 2, " N  ", "ALA", 1.4, 0, 0) + "\n" +
                   atom("HETATM", 3, "ZN  ", "ZN", 0, 2.1, 0, "ZN") + "\nCONECT    3    1\n";
  ASSERT_EQ(read(lf), 0);
  std::vector<point3> points(at_r, at_r + n_atoms);
  std::vector<int> ordinals(at_el, at_el + n_atoms);
  BondList b = bonds();
  ASSERT_EQ(b, (BondList{{0, 1}, {0, 2}}));
  for (const char* end : {"\r\n", "\r", "\n\n"}) {
    std::string text;
    for (char c : lf) c == '\n' ? text += end : text += c;
    for (std::string t : {text, text.substr(0, text.size() - strlen(end))}) {
      SCOPED_TRACE(testing::PrintToString(t));
      ASSERT_EQ(read(t), 0) << mol_failure;
      ASSERT_EQ(n_atoms, 3);
      for (int i = 0; i < 3; i++) {
        EXPECT_EQ(at_el[i], ordinals[i]);
        EXPECT_EQ(at_r[i].x, points[i].x);
        EXPECT_EQ(at_r[i].y, points[i].y);
      }
      EXPECT_EQ(bonds(), b);
    }
  }
}

// A NUL byte is one more character of its line: the lines after it are read, plain or gzip.
TEST_F(Reader, NulBytesEndNothing) {
  std::string text = atom("ATOM", 1, " C  ", "ALA", 0, 0, 0) + "\n" +
                     std::string("REMARK \0 x\n", 11) + atom("ATOM", 2, " O  ", "ALA", 1.2, 0, 0) +
                     "\n";
  text[40] = '\0';  // inside the first atom's y field
  for (bool gz : {false, true}) {
    SCOPED_TRACE(gz ? "gzip" : "plain");
    ASSERT_EQ(gz ? read(gzip_bytes(text)) : read(text), 0) << mol_failure;
    ASSERT_EQ(n_atoms, 2);
    EXPECT_EQ(at_el[1], 8);
    EXPECT_FLOAT_EQ(at_r[1].x, 1.2f);
  }
}

TEST_F(Reader, CentredOnlyFarFromTheOrigin) {
  std::string near = atom("ATOM", 1, " C  ", "ALA", 9, 9, 0) + "\n" +
                     atom("ATOM", 2, " C  ", "ALA", 11, 11, 0) + "\n";
  ASSERT_EQ(read(near), 0);
  EXPECT_FLOAT_EQ(at_r[0].x, 9) << "mean 10, 10: |c|^2 = 200 is not beyond";
  std::string far = atom("ATOM", 1, " C  ", "ALA", 29, 30, 4) + "\n" +
                    atom("ATOM", 2, " C  ", "ALA", 31, 30, 6) + "\n";
  ASSERT_EQ(read(far), 0);
  EXPECT_FLOAT_EQ(at_r[0].x, -1);
  EXPECT_FLOAT_EQ(at_r[0].y, 0);
  EXPECT_FLOAT_EQ(at_r[1].z, 1);
}

TEST_F(Reader, UserColours) {
  std::string text = std::string("COLO  #####  CA  ALA A########   1.000   0.000   0.000\n") +
                     atom("ATOM", 1, " N  ", "ALA", 0, 0, 0) + "\n" +
                     atom("ATOM", 2, " CA ", "ALA", 1.4, 0, 0) + "\n";
  ASSERT_EQ(read(text), 0) << mol_failure;
  ASSERT_TRUE(have_usercol);
  EXPECT_EQ(get_usercol(0), 0);
  int entry = get_usercol(1);
  ASSERT_GE(entry, startUser);
  EXPECT_EQ(CMap[3 * entry], 255);
  EXPECT_EQ(CMap[3 * entry + 1], 0);
}

// A COLO record for residue `residue` with red, green and blue written as the given 8 columns
// each, and the radius in columns 63-65.
std::string colo(const char* residue, const char* r, const char* g, const char* b,
                 const char* radius = "   ") {
  char line[100];
  snprintf(line, sizeof line, "COLO  #####  CA  %-3.3s A########%-8.8s%-8.8s%-8.8s        %-3.3s",
           residue, r, g, b, radius);
  return line;
}

// The shares are decimals however they are laid out in their columns; a share beyond 0..1 is
// clamped, never wrapped by the map's 8 bits, and one that does not read counts 0.
TEST_F(Reader, UserColourSharesAreDecimals) {
  struct {
    const char *r, *g, *b;
    int red, green, blue;
  } cases[] = {
      {"   1.000", "   0.000", "   0.500", 255, 0, 127},
      {"1.0     ", "0       ", "0.5     ", 255, 0, 127},
      {"1       ", "   0    ", ".5      ", 255, 0, 127},
      {" 0.5e+0 ", "5E-1    ", " +0.50  ", 127, 127, 127},
      {" 0.50000", "0.2     ", "   0.999", 127, 51, 254},
      {"  1.5000", "-0.25   ", "     100", 255, 0, 255},
      {"1e999   ", "-1e999  ", "  1.0e+0", 255, 0, 255},
      {"   abc  ", "1.0x    ", "        ", 0, 0, 0},
      {"0x1p-1  ", "nan     ", "1.0 2.0 ", 0, 0, 0},
      {"  -0.000", "1.      ", "0.5e    ", 0, 255, 0},
  };
  for (const auto& c : cases) {
    std::string text = colo("ALA", c.r, c.g, c.b) + "\n" + atom("ATOM", 1, " CA ", "ALA", 0, 0, 0);
    ASSERT_EQ(read(text), 0) << mol_failure;
    ASSERT_TRUE(have_usercol) << c.r;
    int entry = get_usercol(0);
    ASSERT_GE(entry, startUser) << c.r;
    EXPECT_EQ(CMap[3 * entry], c.red) << c.r;
    EXPECT_EQ(CMap[3 * entry + 1], c.green) << c.g;
    EXPECT_EQ(CMap[3 * entry + 2], c.blue) << c.b;
  }
}

// A coloured atom keeps its serial for the CONECT records, whatever radius its record gives, and
// ends with its element radius like every point.
TEST_F(Reader, ColouredAtomsKeepTheirBondsAndElementRadius) {
  std::string text = colo("ALA", "   1.000", "   0.000", "   0.000", "2.5") + "\n" +
                     atom("ATOM", 1, " N  ", "ALA", 0, 0, 0) + "\n" +
                     atom("ATOM", 2, " CA ", "ALA", 1.4, 0, 0) + "\n" +
                     atom("ATOM", 3, " C  ", "GLY", 2.8, 0, 0) + "\nCONECT    1    2\n" +
                     "CONECT    2    3\n";
  // No bond search in this layout: every bond comes from the CONECT records.
  ASSERT_EQ(read(text, "t.cml"), 0) << mol_failure;
  EXPECT_EQ(bonds(), (BondList{{0, 1}, {1, 2}}));
  EXPECT_GE(get_usercol(1), startUser);
  EXPECT_EQ(get_usercol(2), 0);
  for (int i = 0; i < 3; i++) EXPECT_FLOAT_EQ(at_rad[i], GetRad(at_el[i])) << i;
}

// Charges come from columns 69-76 only in the layout with charges; elsewhere column 70 corrects a
// calcium that was a carbon.
TEST_F(Reader, ChargeColumns) {
  std::string a = atom("ATOM", 1, "CA  ", "ALA", 0, 0, 0);
  a.resize(68, ' ');
  std::string text = a + "  -0.412\n";
  ASSERT_EQ(read(text, "t.pdbq"), 0) << mol_failure;
  EXPECT_EQ(at_el[0], 20);
  EXPECT_FLOAT_EQ(get_charge(0), -0.412f);
  EXPECT_EQ(mol_scheme, 54);
  std::string b = a + " 6";
  ASSERT_EQ(read(b), 0) << mol_failure;
  EXPECT_EQ(at_el[0], 6);
  EXPECT_FALSE(have_charges);
  EXPECT_EQ(mol_scheme, 58);
  std::string c = a + "   5.500";
  ASSERT_EQ(read(c, "t.pdbq"), 0) << mol_failure;
  EXPECT_FLOAT_EQ(get_charge(0), 3.3f);
}

Bytes gzip_bytes(const std::string& text, int level) {
  z_stream zs{};
  EXPECT_EQ(deflateInit2(&zs, level, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY), Z_OK);
  Bytes out(deflateBound(&zs, text.size()) + 64);
  zs.next_in = (Bytes::value_type*)text.data();
  zs.avail_in = (uInt)text.size();
  zs.next_out = out.data();
  zs.avail_out = (uInt)out.size();
  EXPECT_EQ(deflate(&zs, Z_FINISH), Z_STREAM_END);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return out;
}

// One gzip member holding `zeros` zero bytes, made without holding them all.
Bytes gzip_zeros(size_t zeros) {
  z_stream zs{};
  deflateInit2(&zs, 9, Z_DEFLATED, 16 + MAX_WBITS, 9, Z_DEFAULT_STRATEGY);
  std::vector<unsigned char> chunk(1 << 20, 0), buf(1 << 16);
  Bytes out;
  for (size_t left = zeros;;) {
    size_t take = left < chunk.size() ? left : chunk.size();
    left -= take;
    zs.next_in = chunk.data();
    zs.avail_in = (uInt)take;
    int flush = left ? Z_NO_FLUSH : Z_FINISH;
    do {
      zs.next_out = buf.data();
      zs.avail_out = (uInt)buf.size();
      deflate(&zs, flush);
      out.insert(out.end(), buf.data(), buf.data() + (buf.size() - zs.avail_out));
    } while (zs.avail_out == 0);
    if (!left) break;
  }
  deflateEnd(&zs);
  return out;
}

TEST_F(Reader, GzipOneMemberOrSeveral) {
  std::string first = atom("ATOM", 1, " C  ", "ALA", 0, 0, 0) + "\n" +
                      atom("ATOM", 2, " C  ", "ALA", 1.5, 0, 0) + "\n";
  std::string second = atom("ATOM", 3, " O  ", "ALA", 2.7, 0, 0) + "\n";
  Bytes one = gzip_bytes(first + second);
  ASSERT_EQ(read(one), 0) << mol_failure;
  EXPECT_EQ(n_atoms, 3);
  Bytes two = gzip_bytes(first);
  Bytes tail = gzip_bytes(second);
  two.insert(two.end(), tail.begin(), tail.end());
  for (int pad : {0, 5}) {
    Bytes b = two;
    b.insert(b.end(), pad, 0);  // zeros after the last member are ignored
    ASSERT_EQ(read(b, "t.pdb.gz"), 0) << mol_failure;
    EXPECT_EQ(n_atoms, 3);
    EXPECT_EQ(at_el[2], 8);
    EXPECT_EQ(bonds(), (BondList{{0, 1}, {1, 2}}));
  }
}

TEST_F(Reader, Refused) {
  std::string ok = atom("ATOM", 1, " C  ", "ALA", 0, 0, 0) + "\n";
  std::string text = "Not a molecule: just a line of text.\nATOM\n";
  std::string lots;
  for (int i = 0; i < 400; i++) lots += atom("ATOM", i + 1, " C  ", "ALA", i, 0, 0) + "\n";
  Bytes whole = gzip_bytes(lots);
  Bytes truncated(whole.begin(), whole.begin() + whole.size() / 2);
  Bytes damaged = whole;
  for (size_t k = 20; k < damaged.size() - 8; k += 7) damaged[k] ^= 0x5a;
  Bytes noise = {0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 3};
  std::mt19937 rng(3);
  for (int k = 0; k < 3000; k++) noise.push_back((unsigned char)rng());
  // Nine members of 64 MiB of zeros each: 576 MiB inflated out of a few hundred kilobytes.
  Bytes member = gzip_zeros((size_t)64 << 20), bomb;
  for (int k = 0; k < 9; k++) bomb.insert(bomb.end(), member.begin(), member.end());
  std::string long_name(497, 'x');
  long_name += ".pdb";
  struct {
    const char* what;
    Bytes data;
    std::string name;
    const char* message;
  } cases[] = {
      {"a text file", Bytes(text.begin(), text.end()), "t.pdb", "t.pdb: no atoms"},
      {"an empty file", Bytes(), "t.pdb", "t.pdb: no atoms"},
      {"a truncated gzip file", truncated, "t.pdb.gz", "t.pdb.gz: gzip data ends early"},
      {"a damaged gzip file", damaged, "t.pdb.gz", "t.pdb.gz: damaged gzip data"},
      {"gzip of random bytes", noise, "t.pdb.gz", "t.pdb.gz: damaged gzip data"},
      {"a gzip bomb", bomb, "t.pdb.gz", "t.pdb.gz: too large when inflated (over 512 MiB)"},
      {"a foreign name", Bytes(ok.begin(), ok.end()), "t.txt", "t.txt: not a molecule file name"},
      {"a name of 501 characters", Bytes(ok.begin(), ok.end()), long_name,
       "molecule file name too long (over 500 characters)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(read(c.data, c.name.c_str()), 1);
    EXPECT_STREQ(mol_failure, c.message);
  }
  long_name.erase(0, 1);
  EXPECT_EQ(read(ok, long_name.c_str()), 0) << "500 characters are fine";
}

// Whichever allocation fails, the reading ends with a memory error or without the list that
// could not be made, and the count never passes the arrays.
TEST_F(Reader, FailedAllocations) {
  std::string text;
  for (int i = 0; i < 9000; i++)
    text += atom("ATOM", i + 1, " C  ", "ALA", i % 50, i / 50 * 1.5, 0) + "\n";
  int memory_errors = 0;
  for (int k = 1; k <= 30; k++) {
    SCOPED_TRACE(k);
    fail_alloc_at = k;
    int r = read(text);
    fail_alloc_at = 0;
    if (r != 0) {
      EXPECT_STREQ(mol_failure, "memory error reading t.pdb");
      memory_errors++;
    }
    EXPECT_LE(n_atoms, atoms_allocated);
  }
  EXPECT_GT(memory_errors, 0);
}

// A direct call finds the file under its name, with ".pdb" or with ".pdb.gz" appended.
TEST_F(Reader, NameFallbacks) {
  TempDir dir("molecule");
  ASSERT_FALSE(dir.path.empty());
  std::string one = atom("ATOM", 1, " C  ", "ALA", 0, 0, 0) + "\n",
              two = one + atom("ATOM", 2, " O  ", "ALA", 1.2, 0, 0) + "\n";
  write_file(dir.path + "/a.pdb", Bytes(one.begin(), one.end()));
  write_file(dir.path + "/b.pdb.pdb", Bytes(two.begin(), two.end()));
  write_file(dir.path + "/c.pdb.pdb.gz", gzip_bytes(two + two));
  struct {
    const char* name;
    int atoms;
  } cases[] = {{"/a.pdb", 1}, {"/b.pdb", 2}, {"/c.pdb", 4}};
  for (auto c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(read_molecule((dir.path + c.name).c_str(), nullptr, 0), 0) << mol_failure;
    EXPECT_EQ(n_atoms, c.atoms);
  }
  std::string missing = dir.path + "/d.pdb";
  EXPECT_EQ(read_molecule(missing.c_str(), nullptr, 0), 1);
  EXPECT_STREQ(mol_failure, "d.pdb: cannot be opened");
  EXPECT_EQ(read_molecule(dir.path.c_str(), nullptr, 0), 1) << "a folder";
}

// The direct call: the file found as the reader finds it, the scene coloured by the scheme of its
// layout, a note for the atoms left out, and 1 when there is nothing to show.
TEST_F(Reader, OpenMolFileColoursTheSceneByItsLayout) {
  TempDir dir("molecule");
  ASSERT_FALSE(dir.path.empty());
  std::string text = atom("ATOM", 1, " C  ", "ALA", 0, 0, 0) + "\n" +
                     atom("HETATM", 2, " XX ", "UNK", 1, 0, 0, "XX") + "\n" +
                     atom("ATOM", 3, " O  ", "ALA", 1.2, 0, 0) + "\n";
  write_file(dir.path + "/m.pdb", Bytes(text.begin(), text.end()));
  colSelection = 54;
  ASSERT_EQ(OpenMolFile((dir.path + "/m").c_str()), 1) << "no layout in the name";
  ASSERT_EQ(OpenMolFile((dir.path + "/m.pdb").c_str()), 0) << mol_failure;
  ASSERT_EQ(n_atoms, 2);
  EXPECT_EQ(colSelection, 58);
  for (int i = 0; i < 2; i++) {
    EXPECT_GE(at[i].col, startCharge) << i;
    EXPECT_LT(at[i].col, startCharge + 256) << i;
  }
  EXPECT_STREQ(mol_note, "m.pdb: 1 atoms of unknown element left out");
  EXPECT_EQ(OpenMolFile((dir.path + "/gone.pdb").c_str()), 1);
  EXPECT_STREQ(mol_failure, "gone.pdb: cannot be opened");
  EXPECT_STREQ(mol_note, "");
  EXPECT_EQ(OpenMolFile(nullptr), 1);
}

TEST_F(Reader, LayoutByName) {
  std::string text = atom("ATOM", 1, " C  ", "ALA", 0, 0, 0) + "\n";
  struct {
    const char* name;
    int result, scheme;
  } cases[] = {{"a.pdb", 0, 58},    {"a.PDB", 0, 58},    {"a.pdb~", 0, 58}, {"a.pdb[12", 0, 58},
               {"a.pdb.gz", 0, 58}, {"a.PDB.GZ", 0, 58}, {"a.pdz", 0, 58},  {"a.GZ", 0, 58},
               {"a.pdbq", 0, 54},   {"a.cml", 0, 54},    {"a.Pdb", 1, 0},   {"a.pdb.GZ", 0, 58},
               {"a.pov", 1, 0},     {"a.plt", 1, 0},     {"pdb", 1, 0}};
  for (auto c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(read(text, c.name), c.result) << mol_failure;
    if (c.result == 0) EXPECT_EQ(mol_scheme, c.scheme);
  }
}

}  // namespace
