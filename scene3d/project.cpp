#include "scene3d/project.h"

#include <cmath>

#include "platform/bands.h"
#include "scene3d/frame_state.h"
#include "scene3d/scene.h"

namespace scene3d {

void rotation_mt() {
  run_parts(n_atoms, kPointChunk, frame_bands(),
            [](int, int lo, int hi) { rotate_points(lo, hi); });
}

void rotate_points(int lo, int hi) {
  for (int i = lo; i < hi; i++) {
    const float X = at_r[i].x, Y = at_r[i].y, Z = at_r[i].z;
    const float x1 = X * cg + Y * sg, y1 = Y * cg - X * sg;       // about z by gamm
    const float depth = y1 * ca - Z * sa, z2 = y1 * sa + Z * ca;  // about x by alpha
    at[i].x = x1 * cb + z2 * sb;                                  // about the depth axis by beta
    at[i].y = z2 * cb - x1 * sb;
    at[i].d = depth;
  }
}

void project_points(int lo, int hi) {
  const bool grid = show_surface || show_triangles;
  // Nothing at or behind the camera is projected: the clip distance is kept positive here even
  // if a caller set it otherwise, so d > 0 wherever s = new_magn / d is formed.
  const float clip = ClipDist > 1e-6f ? ClipDist : 1e-6f;
  for (int i = lo; i < hi; i++) {
    render_rec& a = at[i];
    const float d = a.d - camera_pos;
    if (grid) {
      // Written as "not (>=)" so that a NaN coordinate hides the point too.
      if (!(d >= clip)) {
        a.vis = 0;
        continue;
      }
      const float s = new_magn / d;
      float sx = a.x * s, sy = a.y * s;
      a.vis = 1;
      if (!(std::fabs(sx) <= 10000))
        a.vis = 0;
      else
        sx += 10000.5f;
      if (!(std::fabs(sy) <= 10000))
        a.vis = 0;
      else
        sy += 10000.5f;
      a.sx = sx, a.sy = sy;
    } else {
      const float R = a.rad;
      if (!(d + R >= clip)) {
        a.vis = 0;
        continue;
      }
      // A sphere whose centre lies nearer than the clip plane shows only its cut face, which lies
      // in that plane: it is projected at the plane's distance (never at or behind the camera).
      const float s = new_magn / (d >= clip ? d : clip);
      a.sx = 0.5f * a.x * s;
      a.sy = 0.5f * a.y * s;
      a.vis = 0.5f * R * s;
      if (!(std::fabs((double)a.sx) <= 10000) || !(std::fabs((double)a.sy) <= 10000) ||
          !(a.vis < 1e9f))
        a.vis = 0;
    }
  }
}

int world2screen(float x, float y, float depth, int* sx, int* sy) {
  const float d = have_persp ? depth - camera_pos : -camera_pos;
  if (!(d - ClipDist >= 0) || !(d > 0)) return 1;
  const double s = new_magn / d;
  const double X = 0.5 * x * s, Y = 0.5 * y * s;
  if (!(std::fabs(X) < 1e9) || !(std::fabs(Y) < 1e9)) return 1;
  *sx = (int)X;
  *sy = (int)Y;
  return 0;
}

void calc_ray(float sx, float sy, float* dx, float* dy, float* dz, float* ox, float* oy,
              float* oz) {
  *ox = 0, *oy = 0, *oz = camera_pos;
  if (sx == 0 && sy == 0) {
    *dx = 0, *dy = 0, *dz = 1;
    return;
  }
  float x = sx * -camera_pos / new_magn, y = sy * -camera_pos / new_magn, z = -camera_pos;
  float len = std::sqrt(x * x + y * y + z * z);
  *dx = x / len, *dy = y / len, *dz = z / len;
}

float intersect_sphere(float ox, float oy, float oz, float dx, float dy, float dz, float cx,
                       float cy, float cz, float r, int mode) {
  const float a = dx * dx + dy * dy + dz * dz;
  const float b = 2 * (dx * (ox - cx) + dy * (oy - cy) + dz * (oz - cz));
  const float q = (cx * cx + cy * cy + cz * cz + ox * ox + oy * oy + oz * oz -
                   2 * (cx * ox + cy * oy + cz * oz) - r * r) /
                  a;
  const float D = b * b / (4 * a * a) - q;
  if (D < 0) return 1e9f;
  const float t = D == 0 ? -0.5f * b / a : -0.5f * b / a - std::sqrt(D);
  return mode ? oz + t * dz : t + camera_pos;
}

}  // namespace scene3d
