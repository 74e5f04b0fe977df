// The order the drawers take spheres and mesh triangles in, and the triangles each chunk of rows
// reaches: settled once a frame, in parallel, after the points are projected and before any
// chunk is drawn. Nearest first, so that most hidden cells are passed over with one comparison;
// a cell keeps the nearest object and, among equally near ones, the lowest id, whatever the
// order, so the frame is the same as when drawn in index order.
#pragma once

namespace scene3d {

// Test seam: spheres and triangles are drawn in index order instead of nearest first (the frame
// is the same either way).
extern int draw_in_index_order;

// A mesh triangle as the drawers read it, so that every chunk takes its triangles in one sweep
// instead of gathering the points from all over the store: vertex cells relative to the picture
// centre, depths, the triangle's number t (its id is 3 t + 1) and its lowest and highest row.
struct TriDraw {
  int x[3], y[3];
  float z[3];
  int t, ymin, ymax;
};

// Objects in drawing order: sphere (point) indices or, for a mesh, triangle numbers.
struct Order {
  const int* index;
  int count;
};
// Mesh triangles in drawing order.
struct TriList {
  const TriDraw* items;
  int count;
};

// Room to order `objects` spheres, or triangles when `triangles`, and for the triangle lists of a
// frame of `rows` cell rows. 0, or 1 when memory is short.
int order_prepare(int objects, bool triangles, int rows);

// The spheres by their nearest depth; in index order when any shows a cut face (overlapping cut
// faces choose by the rows' generators in drawing order). Hidden spheres are left out.
void order_spheres();
// The triangles by their nearest depth, with their cells, and the lists of the chunks of a frame
// of cols x rows cells centred at (cx, cy) that each reaches. Triangles with a hidden vertex are
// left out, and the lists leave out those that draw no cell.
void order_triangles(int cx, int cy, int cols, int rows);

// What the last ordering gave: the objects in drawing order; every ordered triangle; the
// triangles of chunk j (every ordered triangle when there was no room for the lists).
Order drawing_order();
TriList all_triangles();
TriList chunk_triangles(int j);

}  // namespace scene3d
