#include "scene3d/symbols.h"

#include <cstring>

#include "scene3d/elements.h"
#include "scene3d/scene.h"

namespace scene3d {

namespace {

bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Ordinal of a symbol written as in ElemNames (a one-letter symbol followed by a blank).
int lookup(char a, char b) {
  for (int z = 1; z <= 103; z++)
    if (ElemNames[z - 1][0] == a && ElemNames[z - 1][1] == b) return z;
  return 0;
}

const char kResidues[][4] = {"ALA", "GLY", "LEU", "SER", "VAL", "THR", "LYS", "ASP", "ILE", "ASN",
                             "GLU", "PRO", "ARG", "PHE", "GLN", "TYR", "HIS", "CYS", "MET", "TRP",
                             "ASX", "GLX", "PCA", "HYP", "  A", "  C", "  G", "  T"};

}  // namespace

int GetOrd(const char* symbol, int len) {
  if (!symbol) return 0;
  int n = 0;
  while ((len < 0 || n < len) && symbol[n] && n < 8) n++;
  if (n >= 8) return 0;
  int letters = 0;
  while (letters < n && is_letter(symbol[letters])) letters++;
  int z = 0;
  if (letters == 2) {
    char a = symbol[0], b = symbol[1];
    z = lookup(a, b);
    if (!z && b >= 'A' && b <= 'Z') z = lookup(a, (char)(b - 'A' + 'a'));
    if (!z) z = lookup(a, ' ');
  } else if (letters == 1) {
    z = lookup(symbol[0], ' ');
  }
  if (!z && n == 1 && symbol[0] == 'D') z = 1;
  return z;
}

int element_symbol_ord(char a, char b) {
  if (!is_letter(a) || (b != ' ' && !is_letter(b))) return 0;
  if (a >= 'a' && a <= 'z') a = (char)(a - 'a' + 'A');
  if (b >= 'A' && b <= 'Z') b = (char)(b - 'A' + 'a');
  if (b == ' ' && a == 'D') return 1;
  return lookup(a, b);
}

int residue_code(const char* residue) {
  for (int k = 0; k < (int)(sizeof kResidues / sizeof kResidues[0]); k++)
    if (memcmp(residue, kResidues[k], 3) == 0) return k;
  return kNoResidueCode;
}

void set_shapely(int i, const char* residue) { set_shapely_i(i, residue_code(residue)); }

}  // namespace scene3d
