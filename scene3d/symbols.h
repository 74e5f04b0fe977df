// Names in molecule files turned into the codes the renderer keeps: element symbols into
// ordinals, residue names into residue codes.
#pragma once

namespace scene3d {

// Ordinal 1..103 of an element symbol, 0 when it names none. Two leading letters are looked up as
// given, then with the second lowered ("CL" is Cl), then the first alone ("CX" is C); one leading
// letter alone ("C1" is C); "D" (deuterium) is hydrogen. The first letter keeps its case, and a
// symbol of 8 or more characters is not looked up. `len` < 0: up to the terminating NUL.
int GetOrd(const char* symbol, int len = -1);

// Ordinal of an element written as the element columns of a PDB atom record hold it: one or two
// letters in either case (b blank for one letter), "D" as hydrogen; 0 for anything else.
int element_symbol_ord(char a, char b);

// Residue code of a three-character residue name: the twenty amino acids 0..19, ASX 20, GLX 21,
// PCA 22, HYP 23, the nucleotides "  A" 24, "  C" 25, "  G" 26, "  T" 27; 30 for any other name.
int residue_code(const char* residue);
// Stores the residue code of point i (an unknown name stores 30 only when the list exists).
void set_shapely(int i, const char* residue);

// The residue codes of an alpha carbon and of "no residue".
constexpr int kAlphaCarbonCode = 28, kNoResidueCode = 30;

}  // namespace scene3d
