// The grid description of the scene points, when they lie on a regular grid, and the test that
// finds it.
#pragma once

namespace scene3d {

// Points along x and y, the spacing along x (zmat_delta) and along y (zmat_delta_y; 0 means the
// same as along x, as every scene starts), 1 when x varies fastest along the point order.
// isXYZ2d is 2 when the points form a regular grid, isXYZ2d_mat 1 when the scene is drawn as a
// grid surface.
extern int zmat_nx, zmat_ny, zmat_varyx;
extern double zmat_delta, zmat_delta_y;
extern int isXYZ2d, isXYZ2d_mat;
// The y spacing in force: zmat_delta_y, or zmat_delta when that is 0.
double grid_delta_y();

// The grid test: 0 not a grid, 1 a single point, 2 a regular grid (zmat_nx, zmat_ny,
// zmat_delta, zmat_varyx set).
int check_z_matrix();
// Reorders a detected grid so that the other axis varies fastest (zmat_varyx flips; zmat_nx and
// zmat_ny keep counting the points along x and y). Nothing changes when memory is short.
void change_xy();

}  // namespace scene3d
