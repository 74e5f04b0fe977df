#include "scene3d/read_molecule.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/files.h"
#include "scene3d/bond_perception.h"
#include "scene3d/colour_map.h"
#include "scene3d/colour_schemes.h"
#include "scene3d/elements.h"
#include "scene3d/frame_state.h"
#include "scene3d/grid.h"
#include "scene3d/gunzip.h"
#include "scene3d/molecule_layouts.h"
#include "scene3d/molecule_lines.h"
#include "scene3d/radii.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"
#include "scene3d/scene_open.h"
#include "scene3d/symbols.h"
#include "view/file_endings.h"

namespace scene3d {

char mol_failure[1100];
char mol_note[256];
static char mol_name[256];
int mol_scheme = 54;
int mol_unknown_atoms = 0;

int strcmpfix(const char* text, const char* literal, int n) {
  int l = (int)strlen(literal);
  if (n != l || !text) return 0;
  for (int k = 0; k < l; k++)
    if (text[k] != literal[k]) return 0;
  return 1;
}

namespace {

enum Layout { PDB, PDBQ, PLT, XYZ, MOL, DAT, POV, GPR, MD };

struct LayoutRow {
  const FileEndings* names;
  Layout layout;
  bool bond_search;
  int scheme;
};

// First match wins, though no name matches two rows that read it apart. A PDB file saved with a
// "[nn]" suffix is matched apart (see layout_of).
const LayoutRow kLayouts[] = {
    {&pdb_endings, PDB, true, 58},     {&pdb_plain_endings, PDB, true, 58},
    {&pdz_endings, PDB, true, 58},     {&pdbq_endings, PDBQ, true, 54},
    {&cml_endings, PDB, false, 54},    {&plt_endings, PLT, false, 54},
    {&xyz_endings, XYZ, false, 54},    {&xyz_gz_endings, XYZ, false, 54},
    {&mol_endings, MOL, true, 54},     {&dat_endings, DAT, false, 54},
    {&pov_endings, POV, false, 54},    {&gpr_endings, GPR, false, 54},
    {&md_endings, MD, false, 54}};
const LayoutRow kNumberedPdb = {nullptr, PDB, true, 58};

// Any characters before an ending, even none.
const LayoutRow* layout_of(const char* name) {
  if (is_numbered_pdb(name)) return &kNumberedPdb;
  for (const LayoutRow& row : kLayouts)
    if (name_ends_in_any(name, *row.names, 0)) return &row;
  return nullptr;
}

int fail(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  vsnprintf(mol_failure, sizeof mol_failure, format, ap);
  va_end(ap);
  return 1;
}

// ---- the bytes of the file

struct Bytes {
  unsigned char* owned = nullptr;  // what this reading allocated (read or inflated)
  const unsigned char* p = nullptr;
  int64_t n = 0;
  ~Bytes() { free(owned); }
  void own(unsigned char* block, int64_t len) {
    free(owned);
    owned = block;
    p = block;
    n = len;
  }
};

// Reads a regular file whole into the scene's memory.
PlatReadResult read_whole_file(const char* path, Bytes* b) {
  unsigned char* block = nullptr;
  int64_t length, got;
  PlatReadResult r = plat_read_whole(
      path, kMaxMoleculeBytes,
      [&block](int64_t len) {
        return block = (unsigned char*)scene_malloc((uint64_t)(len > 0 ? len : 1));
      },
      &length, &got);
  if (r == PLAT_READ_OK) b->own(block, got);
  return r;
}

// ---- fixed columns of a PDB record

bool blank_or_digit(char c) { return c == ' ' || (c >= '0' && c <= '9'); }
int digit(char c) { return c >= '0' && c <= '9' ? c - '0' : 0; }

// An 8-column number of four integer places, a point and three decimals, read place by place: a
// blank or any other non-digit counts 0, a "-" among the integer places makes it negative; each
// decimal counts only when the one before it is not blank.
double fixed_field(const Line& l, int col) {
  int64_t v = 0;
  bool negative = false;
  for (int k = 0; k < 4; k++) {
    char c = l.at(col + k);
    if (c == '-') negative = true;
    v = 10 * v + digit(c);
  }
  v *= 1000;
  char t = l.at(col + 5), h = l.at(col + 6), th = l.at(col + 7);
  if (t != ' ') {
    v += 100 * digit(t);
    if (h != ' ') {
      v += 10 * digit(h);
      if (th != ' ') v += digit(th);
    }
  }
  return (negative ? -v : v) / 1000.0;
}

// A decimal number written anywhere in `width` columns from col, blanks around it: a sign, digits
// with or without a point, an exponent. False for anything else (letters, blanks alone, a second
// number), so that only what was written as a number counts.
bool decimal_field(const Line& l, int col, int width, double* out) {
  char text[32];
  int n = 0;
  for (int k = 0; k < width && n < (int)sizeof text - 1; k++) {
    char ch = l.at(col + k);
    text[n++] = ch ? ch : ' ';  // a NUL byte must not end the field early
  }
  text[n] = 0;
  const char* c = text;
  while (*c == ' ') c++;
  const char* start = c;
  if (*c == '+' || *c == '-') c++;
  int digits = 0;
  while (*c >= '0' && *c <= '9') c++, digits++;
  if (*c == '.') {
    c++;
    while (*c >= '0' && *c <= '9') c++, digits++;
  }
  if (digits == 0) return false;
  if (*c == 'e' || *c == 'E') {
    c++;
    if (*c == '+' || *c == '-') c++;
    if (*c < '0' || *c > '9') return false;
    while (*c >= '0' && *c <= '9') c++;
  }
  while (*c == ' ') c++;
  if (*c) return false;
  *out = strtod(start, nullptr);  // an overflow gives plus or minus HUGE_VAL, never NaN
  return true;
}

// A colour share of a COLO record: 0..1, whatever was written; what does not read is 0.
double colour_share(const Line& l, int col) {
  double v = 0;
  if (!decimal_field(l, col, 8, &v)) return 0;
  return v < 0 ? 0 : v > 1 ? 1 : v;
}

// Temperature factor: columns 61-66 when column 64 holds the point, else 0.
float temperature_field(const Line& l) {
  if (l.at(64) != '.') return 0;
  float t = (float)(100 * digit(l.at(61)) + 10 * digit(l.at(62)) + digit(l.at(63)));
  if (l.at(65) != ' ') {
    t += digit(l.at(65)) / 10.0f;
    if (l.at(66) != ' ') t += digit(l.at(66)) / 100.0f;
  }
  return t;
}

// Serial number: the digits of columns 7-11, read leftwards from column 11; -1 when column 11
// holds none.
int serial_field(const Line& l) {
  int v = 0, scale = 1, digits = 0;
  for (int col = 11; col >= 7; col--) {
    char c = l.at(col);
    if (c < '0' || c > '9') break;
    v += scale * (c - '0');
    scale *= 10;
    digits++;
  }
  return digits ? v : -1;
}

// Element from the element columns 77-78 (right-justified, also accepted left-justified).
int element_columns(const Line& l) {
  char a = l.at(77), b = l.at(78);
  if (a == ' ') a = b, b = ' ';
  return a == ' ' ? 0 : element_symbol_ord(a, b);
}

// Element from the atom name, columns 13-16: with column 13 blank or a digit, the name starts in
// column 14 (" CA " an alpha carbon, " P  " a backbone phosphorus, " MG " magnesium, any other
// letter alone); with column 14 blank or a digit as well, the letter in column 15. Otherwise
// columns 13-14 hold the symbol, and a hydrogen name ("HG21", "HD1 ") starts with H and an
// upper-case letter.
struct NameElement {
  int z = 0;
  bool alpha_carbon = false, phosphorus = false;
};
NameElement name_element(const Line& l) {
  char c13 = l.at(13), c14 = l.at(14), c15 = l.at(15);
  NameElement e;
  if (blank_or_digit(c13)) {
    if (blank_or_digit(c14)) {
      e.z = GetOrd(&c15, 1);
      return e;
    }
    switch (c14) {
      case 'C':
        e.z = 6;
        e.alpha_carbon = c15 == 'A';
        break;
      case 'N':
        e.z = 7;
        break;
      case 'O':
        e.z = 8;
        break;
      case 'P':
        e.z = 15;
        e.phosphorus = true;
        break;
      default:
        e.z = c14 == 'M' && c15 == 'G' ? 12 : GetOrd(&c14, 1);
    }
    return e;
  }
  if (c13 == 'H' && c14 >= 'A' && c14 <= 'Z') {
    e.z = 1;
    return e;
  }
  char symbol[2] = {c13, c14};
  e.z = GetOrd(symbol, 2);
  return e;
}

// A two-letter name misread for a one-letter element, as column 70 of some files corrects it.
int corrected_element(const Line& l, int z) {
  if (l.n <= 69) return z;
  char c = l.at(70);
  if (c == '6' && (z == 20 || z == 48 || z == 58 || z == 96)) return 6;
  if (c == '9' && z == 26) return 9;
  if (c == '7' && (z == 41 || z == 60)) return 7;
  return z;
}

// ---- one reading

constexpr int kMaxSerial = 99999;
// COLO records beyond this many are ignored: every atom is matched against the list.
constexpr size_t kMaxColo = 4096;

struct Colo {
  char mask[24];  // columns 7-30; "#" matches any character
  int entry;
  float radius;  // columns 63-65
};

struct Conect {
  int v[5];
  int n;
};

struct Reading : LayoutReading {
  const LayoutRow* row;
  double sum[3] = {0, 0, 0};
  std::vector<int> point_of_serial;  // first point of each serial, -1 for none
  std::vector<Conect> conect;
  std::vector<Colo> colo;
};

// ---- the PDB layout

void pdb_colo(const Line& l, Reading& r) {
  if (r.colo.size() >= kMaxColo) return;
  Colo c;
  for (int k = 0; k < 24; k++) c.mask[k] = l.at(7 + k);
  // Shares are clamped rather than left to the map's 8 bits, where 1.2 would come out nearly black.
  double red = colour_share(l, 31), green = colour_share(l, 39), blue = colour_share(l, 47);
  c.entry = AddColor((int)(255 * red), (int)(255 * green), (int)(255 * blue));
  double radius = 0;
  c.radius = decimal_field(l, 63, 3, &radius) ? (float)radius : 0;
  r.colo.push_back(c);
}

const Colo* colo_for(const Line& l, const Reading& r) {
  for (const Colo& c : r.colo) {
    int k = 0;
    while (k < 24 && (c.mask[k] == '#' || c.mask[k] == l.at(7 + k))) k++;
    if (k == 24) return &c;
  }
  return nullptr;
}

bool pdb_atom(const Line& l, bool hetatm, Reading& r) {
  if (l.at(13) == ' ' && l.at(14) == 'Q') return true;
  if (l.n >= 54 && memcmp(l.p + 30, "9999.0009999.0009999.000", 24) == 0) return true;
  const Colo* colour = r.colo.empty() ? nullptr : colo_for(l, r);
  int from_columns = element_columns(l);
  NameElement named = name_element(l);
  int z = from_columns ? from_columns : named.z;
  if (z == 0) {
    r.unknown++;
    return true;
  }
  double x = fixed_field(l, 31), y = fixed_field(l, 39), zc = fixed_field(l, 47);
  if (!add_molecule_point(&r, hetatm ? -z : z, x, y, zc)) return false;
  int i = n_atoms - 1;
  int serial = serial_field(l);
  if (serial >= 0 && r.point_of_serial[serial] < 0) r.point_of_serial[serial] = i;
  if (named.alpha_carbon && z == 6) {
    add_backbone(i);
    set_shapely_i(i, kAlphaCarbonCode);
  }
  if (named.phosphorus && z == 15) add_backbone(i);
  set_temperature(i, temperature_field(l));
  char residue[3] = {l.at(18), l.at(19), l.at(20)};
  set_shapely(i, residue);
  if (r.row->layout == PDBQ) {
    double q = fixed_field(l, 69);
    set_charge(i, (float)(q < -3.3 ? -3.3 : q > 3.3 ? 3.3 : q));
  } else if (!from_columns) {
    int corrected = corrected_element(l, z);
    if (corrected != z) at_el[i] = (int8_t)corrected;
  }
  r.sum[0] += at_r[i].x, r.sum[1] += at_r[i].y, r.sum[2] += at_r[i].z;
  if (colour) {
    set_usercol(i, colour->entry);
    // The record's radius stands for the point's while the file is read; like every point's, it
    // becomes the element radius at the end. The serial lives apart, so CONECT records still
    // find a coloured atom.
    at_rad[i] = colour->radius;
  }
  return true;
}

void pdb_conect(const Line& l, Reading& r) {
  Conect c{{0, 0, 0, 0, 0}, 0};
  for (int k = 0; k < 5; k++) {
    int last = 11 + 5 * k;
    if (l.n < last) break;
    int v = int_field(l, 7 + 5 * k, 5);
    if (v > 0) c.v[c.n++] = v;
  }
  if (c.n >= 2) r.conect.push_back(c);
}

bool read_pdb(Lines& lines, Reading& r) {
  r.point_of_serial.assign(kMaxSerial + 1, -1);
  Line l;
  while (lines.next(&l)) {
    if (l.starts("TER") || l.starts("END") || l.starts("HEADER")) continue;
    if (l.n < 6) continue;
    if (l.starts("ATOM  ") || l.starts("HETATM")) {
      if (!pdb_atom(l, l.p[0] == 'H', r)) return false;
    } else if (l.starts("COLO  ")) {
      pdb_colo(l, r);
    } else if (l.starts("CONECT")) {
      pdb_conect(l, r);
    }
  }
  return true;
}

// The bonds the CONECT records list: each value names an atom by its serial number (the first
// atom of the file with that serial), and each later value is bonded to the first when the two lie
// at a plausible distance. A later value that names no atom is dropped; a record whose first
// value names none gives no bonds.
void conect_bonds(Reading& r) {
  std::vector<bond_rec> pairs;
  auto point_of = [&](int serial) { return serial <= kMaxSerial ? r.point_of_serial[serial] : -1; };
  for (const Conect& c : r.conect) {
    int points[5], n = 0;
    if (point_of(c.v[0]) < 0) continue;
    for (int k = 0; k < c.n; k++)
      if (point_of(c.v[k]) >= 0) points[n++] = point_of(c.v[k]);
    for (int k = 1; k < n; k++) {
      int a = points[0], b = points[k];
      if (a == b || test_bond(a + 1, b + 1)) continue;
      pairs.push_back(bond_rec{std::min(a, b), std::max(a, b)});
    }
  }
  auto less = [](const bond_rec& a, const bond_rec& b) {
    return a.lo != b.lo ? a.lo < b.lo : a.hi < b.hi;
  };
  std::sort(pairs.begin(), pairs.end(), less);
  const bond_rec* last = nullptr;
  for (const bond_rec& p : pairs) {
    if (last && last->lo == p.lo && last->hi == p.hi) continue;
    AddBond_nc(p.lo, p.hi, 1);
    last = &p;
  }
}

bool read_layout(Lines& lines, Reading& r) {
  switch (r.row->layout) {
    case PDB:
    case PDBQ:
      return read_pdb(lines, r);
    case XYZ:
      return read_xyz(lines, &r);
    case DAT:
      return read_dat(lines, &r);
    case MOL:
      return read_mol(lines, &r);
    case GPR:
      return read_gpr(lines, &r);
    case MD:
      return read_md(lines, &r);
    case PLT:
    case POV:
      return true;
  }
  return true;
}

int read_into_store(const char* path, const LayoutRow* row, const unsigned char* data,
                    int64_t len) {
  const char* name = file_part(path);
  Bytes bytes;
  if (data) {
    bytes.p = data;
    bytes.n = len > 0 ? len : 0;
  } else {
    // A direct call names the file; the name may leave out a PDB ending (".pdb" or ".pdb.gz").
    char tried[520];
    PlatReadResult r = read_whole_file(path, &bytes);
    for (const char* tail : pdb_endings.endings) {
      if (!tail || r != PLAT_READ_CANNOT_OPEN) break;
      snprintf(tried, sizeof tried, "%s%s", path, tail);
      r = read_whole_file(tried, &bytes);
    }
    if (r == PLAT_READ_CANNOT_OPEN) return fail("%s: cannot be opened", name);
    if (r == PLAT_READ_TOO_LARGE) return fail("%s: too large (over 512 MiB)", name);
    if (r == PLAT_READ_NO_ROOM) return fail("memory error reading %s", name);
  }
  if (bytes.n > kMaxMoleculeBytes) return fail("%s: too large (over 512 MiB)", name);

  bool gzip = bytes.n > 0 && bytes.p[0] == 0x1f;
  if (gzip) {
    unsigned char* inflated;
    int64_t inflated_len;
    int r = gunzip_bytes(bytes.p, bytes.n, kMaxMoleculeBytes, &inflated, &inflated_len);
    if (r == GUNZIP_TOO_LARGE) return fail("%s: too large when inflated (over 512 MiB)", name);
    if (r != GUNZIP_OK) return fail("%s: %s", name, gunzip_reason(r));
    bytes.own(inflated, inflated_len);
  }

  Reading reading;
  reading.row = row;
  Lines lines(bytes.p, bytes.n, gzip ? 255 : 254);
  if (!read_layout(lines, reading) || reading.no_memory)
    return fail("memory error reading %s", name);
  mol_unknown_atoms = reading.unknown;
  if (row->layout == PDB || row->layout == PDBQ) conect_bonds(reading);

  if (n_atoms > 0) {
    float c[3];
    for (int k = 0; k < 3; k++) c[k] = (float)(reading.sum[k] / n_atoms);
    if (c[0] * c[0] + c[1] * c[1] + c[2] * c[2] > 200) {
      for (int i = 0; i < n_atoms; i++) {
        at_r[i].x -= c[0];
        at_r[i].y -= c[1];
        at_r[i].z -= c[2];
      }
    }
    AllocMoreAtoms(n_atoms);
  }
  for (int i = 0; i < n_atoms; i++) at_rad[i] = GetRad(at_el[i]);
  if (n_atoms == 0) {
    SetContent(0);
    if (reading.unknown)
      return fail("%s: no atoms of a known element (%d left out)", name, reading.unknown);
    return fail("%s: no atoms", name);
  }
  if (row->bond_search || gzip) find_bonds(0);
  if (row->bond_search) show_surface = show_triangles = 0;
  RadiusElement();
  if (row->layout == DAT || row->layout == XYZ || row->layout == PLT) grid_scene();
  mol_scheme = row->scheme;
  return 0;
}

}  // namespace

int read_molecule(const char* name, const unsigned char* data, int64_t len) {
  mol_failure[0] = 0;
  mol_unknown_atoms = 0;
  crowded_points = bond_bound_reached = 0;
  mol_scheme = 54;
  InitMolData();
  isXYZ2d = isXYZ2d_mat = 0;
  if (!name) return fail("no molecule file name");
  const LayoutRow* row = layout_of(name);
  if (!row) {
    SetContent(0);
    return fail("%s: not a molecule file name", file_part(name));
  }
  if (strlen(name) > 500) return fail("molecule file name too long (over 500 characters)");
  try {
    return read_into_store(name, row, data, len);
  } catch (const std::bad_alloc&) {
    return fail("memory error reading %s", name);
  }
}

namespace {

// The layout's colour scheme for a scene read whole; the reason for the status line otherwise.
int shown(int r) {
  if (r != 0) return scene_fail("%s", mol_failure);
  colSelection = mol_scheme;
  ColorUpdate();
  std::string note;
  auto add = [&note](const std::string& part) { note += (note.empty() ? "" : "; ") + part; };
  if (mol_unknown_atoms > 0)
    add(std::to_string(mol_unknown_atoms) + " atoms of unknown element left out");
  if (crowded_points > 0) add(std::to_string(crowded_points) + " atoms too crowded for bonds");
  if (bond_bound_reached) add("bond search stopped at " + std::to_string(n_bonds) + " bonds");
  if (!note.empty()) snprintf(mol_note, sizeof mol_note, "%.120s: %s", mol_name, note.c_str());
  return 0;
}

}  // namespace

int OpenMolFile(const char* name) {
  mol_note[0] = 0;
  snprintf(mol_name, sizeof mol_name, "%s", name ? file_part(name) : "");
  return shown(read_molecule(name, nullptr, 0));
}

int open_molecule_bytes(const char* name, const unsigned char* data, int64_t len) {
  static const unsigned char none = 0;
  mol_note[0] = 0;
  snprintf(mol_name, sizeof mol_name, "%s", name ? file_part(name) : "");
  return shown(read_molecule(name, data ? data : &none, data ? len : 0));
}

}  // namespace scene3d
