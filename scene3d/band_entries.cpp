#include "scene3d/band_entries.h"

#include <algorithm>

#include "scene3d/abuffer.h"
#include "scene3d/draw_order.h"
#include "scene3d/frame_state.h"
#include "scene3d/project.h"
#include "scene3d/scene.h"
#include "scene3d/shade.h"

namespace scene3d {

void band_range(int64_t n, int k, int c, int* lo, int* hi) {
  *lo = (int)(n * k / c);
  *hi = (int)(n * (k + 1) / c);
}

int rotation_mult_thread(void* param) {
  const band_params* p = (const band_params*)param;
  int lo, hi;
  band_range(n_atoms, p->k, p->c, &lo, &hi);
  rotate_points(lo, hi);
  return 0;
}

int create_screen_coords(void* param) {
  const band_params* p = (const band_params*)param;
  int lo, hi;
  band_range(n_atoms, p->k, p->c, &lo, &hi);
  project_points(lo, hi);
  return 0;
}

int abuf_mult_thread(void* param) {
  const band_params* p = (const band_params*)param;
  int ys, ye;
  band_range(use_y, p->k, p->c, &ys, &ye);
  clear_rows(ys, ye);
  const int cx = xcenter + dispX, cy = ycenter + dispY;
  switch (drawn_as()) {
    case Drawn::quads:
      DrawAbuf_quads(cx, cy, p->pass, p->k, p->c);
      break;
    case Drawn::triangles:
      DrawAbuf_triangles(cx, cy, p->pass, p->k, p->c);
      break;
    case Drawn::spheres:
      DrawAbuf_particles(cx, cy, Axres, p->pass, p->k, p->c);
      break;
    case Drawn::nothing:
      break;
  }
  return 0;
}

void DrawAbuf_particles(int cx, int cy, int stride, int pass, int k, int c) {
  int ys, ye;
  band_range(use_y, k, c, &ys, &ye);
  draw_spheres(cx, cy, stride, pass, ys, ye, drawing_order());
}

void DrawAbuf_triangles(int cx, int cy, int pass, int k, int c) {
  int ys, ye;
  band_range(use_y, k, c, &ys, &ye);
  draw_triangles(cx, cy, use_x, pass, ys, ye, all_triangles());
}

void DrawAbuf_quads(int cx, int cy, int pass, int k, int c) {
  int ys, ye;
  band_range(use_y, k, c, &ys, &ye);
  for (int y = ys; y < ye; y += kChunkRows)
    draw_quads(cx, cy, use_x, pass, y, std::min(ye, y + kChunkRows));
}

int lighting_mult_thread(void* param) {
  const band_params* p = (const band_params*)param;
  const int cx = xcenter + dispX, cy = ycenter + dispY;
  if (show_surface)
    Lighting_quads(cx, cy, stereo_mode, p->pass, p->k, p->c);
  else if (show_triangles)
    Lighting_triangles(cx, cy, stereo_mode, p->pass, p->k, p->c);
  else
    Lighting(cx, cy, stereo_mode, p->pass, p->k, p->c);
  return 0;
}

void Lighting(int cx, int cy, int, int, int k, int c) {
  int y0, y1;
  band_range(use_y, k, c, &y0, &y1);
  light_sphere_rows(cx, cy, y0, y1, use_x);
}

void Lighting_triangles(int cx, int cy, int, int, int k, int c) {
  int y0, y1;
  band_range(use_y, k, c, &y0, &y1);
  light_triangle_rows(cx, cy, y0, y1, use_x);
}

void Lighting_quads(int cx, int cy, int, int, int k, int c) {
  int y0, y1;
  band_range(use_y, k, c, &y0, &y1);
  light_quad_rows(cx, cy, y0, y1, use_x);
}

}  // namespace scene3d
