// The A-buffer rasteriser: fills the supersampled id and depth buffers (frame_state.h) with what
// each cell shows. Spheres (molecules), triangles (meshes) or quads (grid surfaces), each drawer
// over a range of cell rows (a band or a chunk); a cell takes an object only when its depth is
// strictly nearer, so on a tie the object drawn first keeps it. The result does not depend on how
// the rows are cut.
#pragma once
#include "scene3d/draw_order.h"

namespace scene3d {

// 1: points are drawn as spheres (every scene sets it so; 0 would draw no points).
extern int UseBall;

// What the current scene is drawn as: a surface only as quads of a grid that its points hold
// (and whose working storage abuf_prepare made), else nothing.
enum class Drawn { nothing, quads, triangles, spheres };
Drawn drawn_as();

// Working storage of a frame of `rows` cell rows, and the charge list of a grid scene (which
// holds the quads' facing values). 0, or 1 when memory is short.
int abuf_prepare(int rows);

// What the drawers share, once the points are projected and before any rows are drawn. The
// quads: the facing value of each in the charge entry of its corner C (a degenerate quad takes
// that of the previous quad of its grid row), and the cell rows each grid row, run of quads and
// quad reaches. The triangles: the charge entry at the id (3 t + 1) of each that can be drawn
// set to 0.
void prepare_quads();
void clear_triangle_charges();

// Clears cell rows ys .. ye - 1 (ids 0, depths 1e19) and seeds their generators for cut faces.
void clear_rows(int ys, int ye);

// The drawers of cell rows ys .. ye - 1: every object that reaches them. (cx, cy) is the picture
// centre in cells; only the columns 0 .. stride - 1 (spheres, of rows stride cells long) or
// 0 .. cols - 1 are written; pass 1 draws into A2buffer. The quad drawer takes at most
// kChunkRows rows at a time (so that every range of rows that can reach them is far inside 16
// bits).
void draw_spheres(int cx, int cy, int stride, int pass, int ys, int ye, Order order);
void draw_triangles(int cx, int cy, int cols, int pass, int ys, int ye, TriList list);
void draw_quads(int cx, int cy, int cols, int pass, int ys, int ye);

// Widens the span table (a min and max x per row, spans[2 y] and spans[2 y + 1]) with the cells
// of one polygon edge, walked with an integer error term.
void virt_draw_line(int x0, int y0, int x1, int y1, int* spans);

// The object id at cell (x, y) clamped into the frame (second: A2buffer).
int get_obj_clip_int(int x, int y, int second);
void set_obj_int(int x, int y, int second, int id);

}  // namespace scene3d
