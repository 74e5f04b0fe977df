// Surface analysis colouring of a regular height grid: mean and Gaussian curvature, astigmatism,
// slope, aspect, and on terrain tiles the terrain palette by slope and height.
#pragma once

namespace scene3d {

// Value ranges of the last analysis (over the middle of the grid), kept between calls.
extern double h_min, h_max, a_min, a_max, k_min, k_max, t_min, t_max;

// Colours the grid (zmat_nx x zmat_ny points, x fastest, spacings zmat_delta and grid_delta_y())
// by analysis type 1 mean curvature, 2 astigmatism, 4 Gaussian curvature, 5 slope, 6 larger
// principal curvature (the terrain palette on a terrain tile), 7 aspect. 0 when done; 1 when
// the grid description does not fit the points (fewer than 4 rows or columns, more nodes than
// points) or working storage cannot be allocated; then ramp and colour indices stay as they were.
int calc_ap_col(int type);

// calc_ap_col of types 1, 2, 4, 5, 6, 7 when the points form a grid; otherwise nothing.
void Color_POW();
void Color_AST();
void Color_GAUSS();
void Color_THETA();
void Color_CURVMAX();
void Color_PHI();

}  // namespace scene3d
