// Rotation and projection: every scene point turned by the current rotation, then projected onto
// the supersampled frame; and three camera helpers.
#pragma once
#include <cstdint>

namespace scene3d {

// Points a chunk of the rotation and projection steps takes (see run_chunks).
constexpr int kPointChunk = 1 << 16;

// Rotates all points (at_r into the first three fields of at), in chunks on every core.
void rotation_mt();

// The cell of a grid or mesh vertex, relative to the picture centre: its biased screen position
// truncated, less the bias.
inline int vertex_cell(float biased) { return (int)biased - 10000; }

// Rotates points lo .. hi - 1.
void rotate_points(int lo, int hi);
// Projects points lo .. hi - 1 into screen positions and visibility (see render_rec). Grid
// scenes (show_surface or show_triangles): visibility 1 or 0, screen positions x s and y s
// biased by 10000.5 (s = new_magn / distance), hidden beyond 10000 cells. Sphere scenes: half
// the projected radius and half the screen position; a sphere that reaches the near clip plane
// only with its far side is a cut face projected at the plane's distance.
void project_points(int lo, int hi);

// Camera helpers of the rotated frame; see project.cpp.
int world2screen(float x, float y, float depth, int* sx, int* sy);
void calc_ray(float sx, float sy, float* dx, float* dy, float* dz, float* ox, float* oy, float* oz);
float intersect_sphere(float ox, float oy, float oz, float dx, float dy, float dz, float cx,
                       float cy, float cz, float r, int mode);

}  // namespace scene3d
