// The element tables: symbols, radii, masses and the metals, by element ordinal.
#pragma once

namespace scene3d {

// Element symbols of ordinals 1..103 at index ordinal - 1, two characters each (a one-letter
// symbol followed by a blank).
extern const char ElemNames[103][3];
// Element radii by ordinal 0..103 (entry 100 doubles as the grid point radius): the constant
// table and the working copy that the radius operations read and the readers change.
extern const float ElemRadBack[104];
extern float ElemRad[104];
// Atomic masses by ordinal 0..113 (entry 100, the grid points' ordinal, is 257).
extern const double mass[114];
// 1 for the metals, by ordinal 0..127; filled by InitMetalTable.
extern int MetalTable[128];

void InitMetalTable();
int isElMetallic(int z);
// ElemRad = ElemRadBack.
void default_radii();

// ElemRad of |z|, 1.0 outside 1..103.
float GetRad(int z);
// ElemRad of |z| (1..103 only) = |r| clamped to 0.01..100.
void SetRad(int z, float r);

}  // namespace scene3d
