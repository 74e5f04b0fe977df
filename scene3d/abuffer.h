// The A-buffer rasteriser: fills the supersampled id and depth buffers (frame.h) with what each
// cell shows. Spheres (molecules), triangles (meshes) or quads (grid surfaces), drawn in chunks
// of rows; a cell takes an object only when its depth is strictly nearer, so on a tie the object
// drawn first keeps it. The result does not depend on the chunks or the band count.
#pragma once
#include <functional>

namespace scene3d {

// 1: points are drawn as spheres (always, in this system).
extern int UseBall;
// Test seam: spheres and triangles are drawn in index order instead of nearest first (the frame
// is the same either way).
extern int draw_in_index_order;

// Working storage of a frame of `rows` cell rows, and the charge list of a grid scene (which
// holds the quads' facing values). 0, or 1 when memory is short.
int abuf_prepare(int rows);

// The frame is drawn in chunks of this many cell rows from the top (a whole number of pixel
// rows), handed to the cores as they come free: small enough that a busy part of the picture is
// shared out, large enough that most objects fall within one or two.
constexpr int kChunkRows = 32;

// Projects the points, prepares what the chunks share (the quads' facing values and row ranges,
// the mesh triangles' charge entries and the triangles each chunk reaches) and draws, each chunk
// clearing and drawing its own rows.
void abuf_mt(int pass);
// The same, first rotating the points when `rotate`. When given, after_points(lo, hi) is called
// on the projecting thread once points lo .. hi - 1 are projected, and after_rows(y0, y1) on the
// drawing thread as soon as cell rows y0 .. y1 - 1 (an even y0, and y1 even or the last row) are
// drawn, while other chunks may still be projected or drawn.
void draw_frame(int pass, bool rotate, const std::function<void(int, int)>& after_points,
                const std::function<void(int, int)>& after_rows);
// Clears and draws the rows of band k of c (abuf_mt must have prepared the frame).
int abuf_mult_thread(void* param);

// The drawers: every object, into the rows of band k of c. (cx, cy) is the picture centre in
// cells.
void DrawAbuf_particles(int cx, int cy, int stride, int pass, int k, int c);
void DrawAbuf_triangles(int cx, int cy, int pass, int k, int c);
void DrawAbuf_quads(int cx, int cy, int pass, int k, int c);

// Widens the span table (a min and max x per row, spans[2 y] and spans[2 y + 1]) with the cells
// of one polygon edge, walked with an integer error term.
void virt_draw_line(int x0, int y0, int x1, int y1, int* spans);

// The object id at cell (x, y) clamped into the frame (second: A2buffer).
int get_obj_clip_int(int x, int y, int second);
void set_obj_int(int x, int y, int second, int id);

}  // namespace scene3d
