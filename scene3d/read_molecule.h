// The molecule reader: PDB files, plain or gzip-compressed, as scene points with their elements,
// temperature factors, residue codes and bonds; also the XYZ, DAT, MOL, GPR and MD layouts that
// only a direct call reaches.
#pragma once
#include <cstdint>

namespace scene3d {

// Most bytes a molecule file may hold, also once inflated: a gzip bomb stops here.
constexpr int64_t kMaxMoleculeBytes = 512LL * 1024 * 1024;

// 1 when n equals the literal's length, text is at least that long and starts with the literal.
int strcmpfix(const char* text, const char* literal, int n);

// Reads the molecule file `name` into a new scene (InitMolData): the layout comes from the name's
// ending. The bytes are data[0 .. len) when data is given (the file opener's buffer); otherwise
// the file is read by its name, then by the name with ".pdb" and with ".pdb.gz" appended. gzip
// data is inflated in memory. Afterwards the scene is centred when its mean lies far from the
// origin, bonds are perceived for the layouts that ask for it and the display radii are set.
// 0, or 1 with the reason in mol_failure (then the store may hold a partial scene). Messages name
// the file by its last path component.
int read_molecule(const char* name, const unsigned char* data, int64_t len);

// The readers of the shared opener (scene_open.h): OpenMolFile reads the file by its name (the
// direct call), open_molecule_bytes the bytes the file opener holds. Each colours the scene by the
// scheme of its layout. When atoms of unknown element were left out, or the bond search passed
// over crowded atoms or stopped at its bound, mol_note says so, for the opener to put on the
// status line once the picture is posted (empty otherwise).
int OpenMolFile(const char* name);
int open_molecule_bytes(const char* name, const unsigned char* data, int64_t len);
extern char mol_note[256];

// The last reading's outcome: why it failed, the colour scheme its layout asks for (58 by
// temperature factor, 54 by height) and how many atoms of unknown element it skipped.
extern char mol_failure[1100];
extern int mol_scheme;
extern int mol_unknown_atoms;

}  // namespace scene3d
