#include "scene3d/cell_list.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"

namespace scene3d {

int* cells = nullptr;
int Mx = 0, My = 0, Mz = 0, M_xyz = 0;
float cut = 0;
float x_min = 0, x_max = 0, y_min = 0, y_max = 0, z_min = 0, z_max = 0;

namespace {

// Cell coordinate of a coordinate along one axis: truncated, raised to 0, lowered to count - 1
// (a coordinate that is not a number lands in cell 0).
int cell_of(float v, float min, float edge, int count) {
  float u = (v - min) / edge;
  if (!(u >= 1)) return 0;
  if (u >= (float)count) return count - 1;
  int c = (int)u;
  return c < count ? c : count - 1;
}

// Cells along an axis from lo to hi: trunc((hi - lo) / edge), at least 1.
int64_t cells_along(float lo, float hi, float edge) {
  double c = std::trunc(((double)hi - lo) / edge);
  if (!(c >= 1)) return 1;
  return c > 1e9 ? (int64_t)1e9 : (int64_t)c;
}

// The extent of the finite coordinates (0 when there are none).
void measure_extent() {
  bool any = false;
  for (int i = 0; i < n_atoms; i++) {
    float x = at_r[i].x, y = at_r[i].y, z = at_r[i].z;
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) continue;
    if (!any) {
      x_min = x_max = x, y_min = y_max = y, z_min = z_max = z;
      any = true;
      continue;
    }
    x_min = std::min(x_min, x), x_max = std::max(x_max, x);
    y_min = std::min(y_min, y), y_max = std::max(y_max, y);
    z_min = std::min(z_min, z), z_max = std::max(z_max, z);
  }
  if (!any) x_min = x_max = y_min = y_max = z_min = z_max = 0;
}

}  // namespace

int which_cell(int ix, int iy, int iz) { return iy + My * (iz + Mz * ix); }

void close_list() {
  free(cells);
  cells = nullptr;
}

int build_list(float edge2) {
  close_list();
  float edge = std::sqrt(edge2);
  measure_extent();
  int n = n_atoms > 0 ? n_atoms : 0;
  // At most a few cells a point: beyond that the cells grow until they fit.
  const int64_t most = 16 * (int64_t)n + 4096;
  int64_t mx, my, mz;
  for (;;) {
    mx = cells_along(x_min, x_max, edge);
    my = cells_along(y_min, y_max, edge);
    mz = cells_along(z_min, z_max, edge);
    if (mx <= most && my <= most && mz <= most && mx * my <= most && mx * my * mz <= most) break;
    edge *= 1.25f;
  }
  if (n == 0) mx = my = mz = 1;
  cells = (int*)scene_malloc((uint64_t)(mx * my * mz + n) * sizeof(int));
  if (!cells) return -1;
  Mx = (int)mx, My = (int)my, Mz = (int)mz, M_xyz = (int)(mx * my * mz);
  cut = edge;
  for (int c = 0; c < M_xyz; c++) cells[c] = -1;
  int* next = cells + M_xyz;
  for (int i = 0; i < n; i++) {
    int c = which_cell(cell_of(at_r[i].x, x_min, edge, Mx), cell_of(at_r[i].y, y_min, edge, My),
                       cell_of(at_r[i].z, z_min, edge, Mz));
    next[i] = cells[c];
    cells[c] = i;
  }
  return 0;
}

void get_center(int i, int j, int k, float* x, float* y, float* z) {
  *x = (i + 0.5f) * cut + x_min;
  *y = (j + 0.5f) * cut + y_min;
  *z = (k + 0.5f) * cut + z_min;
}

}  // namespace scene3d
