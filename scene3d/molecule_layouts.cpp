#include "scene3d/molecule_layouts.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "scene3d/bond_perception.h"
#include "scene3d/elements.h"
#include "scene3d/grid.h"
#include "scene3d/radii.h"
#include "scene3d/scene.h"
#include "scene3d/symbols.h"

namespace scene3d {

bool add_molecule_point(LayoutReading* r, int ordinal, double x, double y, double z) {
  if (AddBall(ordinal, x, y, z) != 0) {
    r->no_memory = true;
    return false;
  }
  n_atoms++;
  return true;
}

bool finite_point(double x, double y, double z) {
  return std::isfinite((float)x) && std::isfinite((float)y) && std::isfinite((float)z);
}

namespace {

// Up to `most` numbers at the start of s, separated by blanks, tabs or commas; each must be
// finite. Returns how many were read.
int numbers(const char* s, double* out, int most) {
  int n = 0;
  while (n < most) {
    while (*s == ' ' || *s == '\t' || *s == ',') s++;
    if (!*s) break;
    char* end;
    double d = strtod(s, &end);
    if (end == s || !std::isfinite(d)) break;
    out[n++] = d;
    s = end;
  }
  return n;
}

bool blank_line(const Line& l) {
  for (int k = 0; k < l.n; k++)
    if (l.p[k] != ' ' && l.p[k] != '\t') return false;
  return true;
}

// A whitespace-separated field of s (k counted from 0) into out; false when s has fewer.
bool field(const char* s, int k, char* out, int size) {
  for (int i = 0;; i++) {
    while (*s == ' ' || *s == '\t') s++;
    if (!*s) return false;
    const char* start = s;
    while (*s && *s != ' ' && *s != '\t') s++;
    if (i == k) {
      int n = (int)(s - start) < size - 1 ? (int)(s - start) : size - 1;
      memcpy(out, start, (size_t)n);
      out[n] = 0;
      return true;
    }
  }
}

}  // namespace

// XYZ: every line holding x, y and z is a grid point, with an optional charge after them.
bool read_xyz(Lines& lines, LayoutReading* r) {
  Line l;
  char text[kMaxLineBuffer];
  while (lines.next(&l)) {
    if (blank_line(l) || l.starts("REMARK")) continue;
    double val[4];
    int n = numbers(l.text(text), val, 4);
    if (n < 3 || !finite_point(val[0], val[1], val[2])) continue;
    if (!add_molecule_point(r, 100, val[0], val[1], val[2])) return false;
    if (n == 4) set_charge(n_atoms - 1, (float)val[3]);
  }
  return true;
}

// DAT: "#" starts a comment; a line holds x, y and an optional z. Lines before the first point
// that do not start like a number are headers.
bool read_dat(Lines& lines, LayoutReading* r) {
  Line l;
  char text[kMaxLineBuffer];
  while (lines.next(&l)) {
    if (l.starts("#")) continue;
    char c = l.n > 0 ? l.p[0] : ' ';
    if (n_atoms == 0 && c != '+' && c != '-' && !(c >= '0' && c <= '9')) continue;
    double val[3] = {0, 0, 0};
    if (numbers(l.text(text), val, 3) < 2 || !finite_point(val[0], val[1], val[2])) continue;
    if (!add_molecule_point(r, 2, val[0], val[1], val[2])) return false;
  }
  return true;
}

// MOL: either a first line with an atom count n, then n lines of number, element, x, y, z; or a
// title, two lines, the counts line (atoms in columns 1-3, bonds in 4-6), the atom lines (x, y,
// z, element) and the bond lines (two atom numbers from 1 in columns 1-3 and 4-6). Atoms of an
// unknown element are skipped, and bonds to them dropped.
bool read_mol(Lines& lines, LayoutReading* r) {
  Line l;
  char text[kMaxLineBuffer], word[16];
  if (!lines.next(&l)) return true;
  l.text(text);
  char* end;
  long count = strtol(text, &end, 10);
  bool short_form = end != text && count >= 1;
  for (const char* s = end; short_form && *s; s++)
    if (*s != ' ' && *s != '\t') short_form = false;
  if (short_form) {
    for (long k = 0; k < count && lines.next(&l); k++) {
      l.text(text);
      double val[3];
      if (!field(text, 1, word, sizeof word)) continue;
      word[2] = 0;
      int z = GetOrd(word);
      const char* s = text;
      for (int skip = 0; skip < 2; skip++) {
        while (*s == ' ' || *s == '\t') s++;
        while (*s && *s != ' ' && *s != '\t') s++;
      }
      if (numbers(s, val, 3) < 3 || !finite_point(val[0], val[1], val[2])) continue;
      if (!z) {
        r->unknown++;
        continue;
      }
      if (!add_molecule_point(r, z, val[0], val[1], val[2])) return false;
    }
    return true;
  }
  if (!lines.next(&l) || !lines.next(&l) || !lines.next(&l)) return true;
  int atoms = int_field(l, 1, 3), bonds = int_field(l, 4, 3);
  std::vector<int> point(atoms > 0 ? atoms : 0, -1);
  for (int k = 0; k < atoms && lines.next(&l); k++) {
    double val[3];
    l.text(text);
    if (numbers(text, val, 3) < 3 || !finite_point(val[0], val[1], val[2])) continue;
    if (!field(text, 3, word, sizeof word)) continue;
    int z = GetOrd(word);
    if (!z) {
      r->unknown++;
      continue;
    }
    if (!add_molecule_point(r, z, val[0], val[1], val[2])) return false;
    point[k] = n_atoms - 1;
  }
  for (int k = 0; k < bonds && lines.next(&l); k++) {
    int a = int_field(l, 1, 3), b = int_field(l, 4, 3);
    if (a < 1 || b < 1 || a > atoms || b > atoms || a == b) continue;
    int p = point[a - 1], q = point[b - 1];
    if (p < 0 || q < 0 || test_bond(p + 1, q + 1)) continue;
    AddBond(p, q, 0);
  }
  return true;
}

// GPR: the lines up to "!Atoms <n>" are skipped; n lines of number and element ordinal follow.
// Then "!Bonds <m>" with m lines of two point numbers from 0, "!Coord" with a line of index and x,
// y, z in nanometres per atom, and "!Charges" with a line of index and charge per atom, in any
// order; the first other line ends the reading.
bool read_gpr(Lines& lines, LayoutReading* r) {
  Line l;
  char text[kMaxLineBuffer];
  long atoms = -1;
  while (atoms < 0 && lines.next(&l))
    if (l.starts("!Atoms ")) atoms = strtol(l.text(text) + 7, nullptr, 10);
  for (long k = 0; k < atoms && lines.next(&l); k++) {
    double val[2];
    if (numbers(l.text(text), val, 2) < 2) continue;
    int z = val[1] < 1 ? 1 : val[1] > 110 ? 110 : (int)val[1];
    if (!add_molecule_point(r, z, (double)(n_atoms), 0, 0)) return false;
  }
  while (lines.next(&l)) {
    l.text(text);
    if (l.starts("!Bonds ")) {
      long m = strtol(text + 7, nullptr, 10);
      for (long k = 0; k < m && lines.next(&l); k++) {
        double val[2];
        if (numbers(l.text(text), val, 2) < 2) continue;
        if (val[0] < 0 || val[1] < 0 || val[0] >= n_atoms || val[1] >= n_atoms) continue;
        AddBond((int)val[0], (int)val[1], 0);
      }
    } else if (l.starts("!Coord")) {
      for (int k = 0; k < n_atoms && lines.next(&l); k++) {
        double val[4];
        if (numbers(l.text(text), val, 4) < 4 || val[0] < 0 || val[0] >= n_atoms) continue;
        if (!finite_point(10 * val[1], 10 * val[2], 10 * val[3])) continue;
        at_r[(int)val[0]] =
            point3{(float)(10 * val[1]), (float)(10 * val[2]), (float)(10 * val[3])};
      }
    } else if (l.starts("!Charges")) {
      for (int k = 0; k < n_atoms && lines.next(&l); k++) {
        double val[2];
        if (numbers(l.text(text), val, 2) < 2 || val[0] < 0 || val[0] >= n_atoms) continue;
        set_charge((int)val[0], (float)val[1]);
      }
    } else {
      break;
    }
  }
  return true;
}

// MD: a first line (holding "FFM" for a file with gold atoms), the atom count, a line, the atoms
// per molecule, six lines; then per atom lines of x, y and z and three skipped lines. The last
// atom of each molecule is sulphur, the others carbon, bonded in a chain. After the atoms of an
// "FFM" file and fourteen more lines, a count of gold atoms written the same way.
bool read_md(Lines& lines, LayoutReading* r) {
  Line l;
  char text[kMaxLineBuffer];
  if (!lines.next(&l)) return true;
  bool gold = strstr(l.text(text), "FFM") != nullptr;
  auto number_line = [&](double* out) {
    if (!lines.next(&l)) return false;
    *out = 0;
    numbers(l.text(text), out, 1);
    return true;
  };
  auto skip = [&](int k) {
    for (; k > 0; k--)
      if (!lines.next(&l)) return false;
    return true;
  };
  // Reads `count` atoms; ordinal_of gives each one's ordinal, chained says whether it is bonded
  // to the atom before it.
  auto atoms = [&](double count, auto ordinal_of, auto chained) {
    for (double k = 0; k < count; k++) {
      double x, y, z;
      if (!number_line(&x) || !number_line(&y) || !number_line(&z)) return true;
      if (!finite_point(x, y, z)) x = y = z = 0;
      if (!add_molecule_point(r, ordinal_of((long)k), x, y, z)) return false;
      if (chained((long)k)) AddBond_nc(n_atoms - 2, n_atoms - 1, 0);
      if (!skip(3)) return true;
    }
    return true;
  };
  double count, per_molecule;
  if (!number_line(&count) || !skip(1) || !number_line(&per_molecule) || !skip(6)) return true;
  long m = per_molecule >= 1 && per_molecule < 1e9 ? (long)per_molecule : 1;
  if (!atoms(
          count, [&](long k) { return (k + 1) % m == 0 ? 16 : 6; },
          [&](long k) { return k % m != 0; }))
    return false;
  if (!gold || !skip(14)) return true;
  double golds;
  if (!number_line(&golds)) return true;
  return atoms(
      golds, [](long) { return 79; }, [](long) { return false; });
}

// The grid test of the point layouts, with the spacing and grid radius it implies.
void grid_scene() {
  isXYZ2d_mat = 0;
  isXYZ2d = check_z_matrix();
  if (isXYZ2d == 2) {
    isXYZ2d_mat = 1;
    if (zmat_varyx == 0) change_xy();
  }
  if (n_atoms < 2) {
    ElemRad[2] = 1;
  } else {
    double d;
    if (at_r[0].x != at_r[1].x) {
      d = zmat_varyx ? std::fabs((double)at_r[1].x - at_r[0].x)
                     : std::fabs((double)at_r[1].y - at_r[0].y);
    } else {
      zmat_varyx = 0;
      d = std::fabs((double)at_r[1].y - at_r[0].y);
    }
    zmat_delta = d;
    find_radius();
  }
  RadiusElement();
}

}  // namespace scene3d
