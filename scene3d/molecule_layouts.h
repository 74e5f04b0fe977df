// The layouts of molecule files besides PDB, which only a direct call of the molecule reader
// reaches: XYZ and DAT point grids, MOL files, GPR and MD files. Each reads the lines of a file
// into the scene the reader has started (InitMolData) and returns false only when the store could
// not grow (no_memory set).
#pragma once

#include "scene3d/molecule_lines.h"

namespace scene3d {

// What a reading counts besides the points.
struct LayoutReading {
  int unknown = 0;         // atoms of unknown element, left out
  bool no_memory = false;  // the store could not grow
};

// Appends a point and counts it; false (with no_memory) when the store cannot grow.
bool add_molecule_point(LayoutReading* r, int ordinal, double x, double y, double z);
// True when the three coordinates are finite as floats.
bool finite_point(double x, double y, double z);

bool read_xyz(Lines& lines, LayoutReading* r);
bool read_dat(Lines& lines, LayoutReading* r);
bool read_mol(Lines& lines, LayoutReading* r);
bool read_gpr(Lines& lines, LayoutReading* r);
bool read_md(Lines& lines, LayoutReading* r);

// The grid test of the point layouts (a grid listed with y fastest is reordered), the spacing
// from the first two points and the grid radius it implies, then the display radii.
void grid_scene();

}  // namespace scene3d
