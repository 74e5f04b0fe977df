// The element tables, the display radii of the scene points, the grid description with the grid
// test, and the bond list and cell list that bond perception works on.
#pragma once
#include <cstdint>

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

// Radius settings and the results of the radius operations. RadMagn is the factor between the
// radius table and the display radii.
extern float RadBall, stickball_ratio, RadBondMagn, RadMagn;
extern float RadStick, RadBallScale;
extern int UserRadius, r_type;
extern int mol_disp, show_backbone;  // always 0 here

// The grid description: points along x and y, the spacing along x (zmat_delta) and along y
// (zmat_delta_y; 0 means the same as along x, as every scene starts), 1 when x varies fastest
// along the point order. isXYZ2d is 2 when the points form a regular grid, isXYZ2d_mat 1 when
// the scene is drawn as a grid surface.
extern int zmat_nx, zmat_ny, zmat_varyx;
extern double zmat_delta, zmat_delta_y;
extern int isXYZ2d, isXYZ2d_mat;
// The y spacing in force: zmat_delta_y, or zmat_delta when that is 0.
double grid_delta_y();

// The cell list over the points (heads of Mx x My x Mz cells, then one next entry per point),
// its cell edge and the extent of the points; built and freed by the bond search.
extern int* cells;
extern int Mx, My, Mz, M_xyz;
extern float cut;
extern float x_min, x_max, y_min, y_max, z_min, z_max;

void InitMetalTable();
int isElMetallic(int z);
// ElemRad = ElemRadBack.
void default_radii();

// ElemRad of |z|, 1.0 outside 1..103.
float GetRad(int z);
// ElemRad of |z| (1..103 only) = |r| clamped to 0.01..100.
void SetRad(int z, float r);
// The stick radius (0.039 with the display style fixed at 0).
float GetRadStick();

// Display radii into at[i].rad. RadiusElement: ElemRad of |ordinal| x RadMagn; returns
// RadBallScale. RadiusBallStick: the ball-and-stick radii. RadiusUser: the at_rad values.
float RadiusElement();
float RadiusBallStick();
void RadiusUser();

// The grid radius rule from zmat_delta: ElemRad[100] and RadMagn.
void find_radius();

// The grid test: 0 not a grid, 1 a single point, 2 a regular grid (zmat_nx, zmat_ny,
// zmat_delta, zmat_varyx set).
int check_z_matrix();
// Reorders a detected grid so that the other axis varies fastest (zmat_varyx flips; zmat_nx and
// zmat_ny keep counting the points along x and y). Nothing changes when memory is short.
void change_xy();

}  // namespace scene3d
