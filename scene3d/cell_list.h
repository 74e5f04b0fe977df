// The cell list over the scene points: space cut into cubes, each with the points it holds, so
// that a neighbour search looks only at the adjacent cells.
#pragma once

namespace scene3d {

// The heads of Mx x My x Mz cells (M_xyz), then one next entry per point; the cell edge and the
// extent of the points. Built and freed by the bond search.
extern int* cells;
extern int Mx, My, Mz, M_xyz;
extern float cut;
extern float x_min, x_max, y_min, y_max, z_min, z_max;

// The cell list over all points with the cell edge sqrt(edge2). 0, or -1 when the block cannot
// be allocated. A scene spread so widely that the cells would outnumber the points by far gets
// larger cells: a neighbour search still only needs the adjacent cells.
int build_list(float edge2);
int which_cell(int ix, int iy, int iz);
void close_list();

// The centre of cell (i, j, k).
void get_center(int i, int j, int k, float* x, float* y, float* z);

}  // namespace scene3d
