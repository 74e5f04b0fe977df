// The renderer's worker steps as band workers: each does its step for band k of c of the points or
// rows, at the sizes and centre the frame geometry globals (frame_state.h) hold. The frame driver
// cuts its steps into chunks instead; these serve whoever runs one step over bands, the tests among
// them.
#pragma once
#include <cstdint>

namespace scene3d {

// One band of a worker step: band k of c; pass is always 0.
struct band_params {
  int k, c, pass;
};

// Items [*lo, *hi) of band k of c over n items: trunc(n k / c) up to trunc(n (k + 1) / c).
void band_range(int64_t n, int k, int c, int* lo, int* hi);

// Rotates the points of the band (at_r into the first three fields of at). Returns 0.
int rotation_mult_thread(void* param);

// Projects the points of the band into screen positions and visibility (see project.h). Returns
// 0.
int create_screen_coords(void* param);

// Clears and draws the cell rows of the band (use_y rows of use_x cells, centred at
// xcenter + dispX, ycenter + dispY) with the drawer of the scene; the points must be projected
// and the drawing order settled, as a frame leaves them. Returns 0.
int abuf_mult_thread(void* param);

// The drawers: every object, into the cell rows of band k of c (of use_y rows, use_x columns,
// the spheres' rows stride cells long). (cx, cy) is the picture centre in cells.
void DrawAbuf_particles(int cx, int cy, int stride, int pass, int k, int c);
void DrawAbuf_triangles(int cx, int cy, int pass, int k, int c);
void DrawAbuf_quads(int cx, int cy, int pass, int k, int c);

// Lights the pixel rows of the band (use_y rows of use_x pixels, centred at xcenter + dispX,
// ycenter + dispY) with the lighting of the scene, after lighting_prepare. Returns 0.
int lighting_mult_thread(void* param);

// The lighting of spheres, mesh triangles and grid quads over the pixel rows of band k of c;
// (cx, cy) is the picture centre in pixels. stereo and pass are not used.
void Lighting(int cx, int cy, int stereo, int pass, int k, int c);
void Lighting_triangles(int cx, int cy, int stereo, int pass, int k, int c);
void Lighting_quads(int cx, int cy, int stereo, int pass, int k, int c);

}  // namespace scene3d
