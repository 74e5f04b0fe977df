#include "scene3d/grid.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"

namespace scene3d {

int zmat_nx = 0, zmat_ny = 0, zmat_varyx = 0;
double zmat_delta = 0, zmat_delta_y = 0;
int isXYZ2d = 0, isXYZ2d_mat = 0;

double grid_delta_y() { return zmat_delta_y != 0 ? zmat_delta_y : zmat_delta; }

namespace {

// Step estimates from points 0 and k: the mean spacing along x and y over k steps.
void steps_from(int k, double* sx, double* sy) {
  *sx = std::fabs((double)at_r[0].x - at_r[k].x) / k;
  *sy = std::fabs((double)at_r[0].y - at_r[k].y) / k;
}

bool off_lattice(double u) { return std::fabs(u - std::trunc(u + 0.5)) > 0.3; }

}  // namespace

int check_z_matrix() {
  if (n_atoms <= 0) return 0;
  if (n_atoms == 1) return 1;
  zmat_nx = zmat_ny = 0;
  double xmin = at_r[0].x, xmax = xmin, ymin = at_r[0].y, ymax = ymin;
  for (int i = 1; i < n_atoms; i++) {
    double x = at_r[i].x, y = at_r[i].y;
    if (x < xmin) xmin = x;
    if (x > xmax) xmax = x;
    if (y < ymin) ymin = y;
    if (y > ymax) ymax = y;
  }
  double sx, sy;
  steps_from(1, &sx, &sy);
  if (n_atoms > 200) {
    // The mean step over ten points, unless point 10 lies in another row of a grid narrower than
    // 11 points: then it does not lie along the axis that runs from point 0 to point 1.
    double tx, ty;
    steps_from(10, &tx, &ty);
    if ((tx != 0) != (ty != 0) && (tx != 0) == (sx != 0) && (ty != 0) == (sy != 0))
      sx = tx, sy = ty;
  }
  double step;
  if (sx != 0 && sy != 0) return 0;
  if (sx != 0) {
    step = sx;
    zmat_varyx = 1;
  } else {
    zmat_varyx = 0;
    if (sy == 0) return 0;
    step = sy;
  }
  zmat_delta = step;
  for (int i = 0; i < n_atoms; i++) {
    if (off_lattice((at_r[i].x - xmin) / step) || off_lattice((at_r[i].y - ymin) / step)) {
      zmat_nx = zmat_ny = 0;
      return 0;
    }
  }
  double nx = std::trunc((xmax - xmin + step) / step + 0.5);
  double ny = std::trunc((ymax - ymin + step) / step + 0.5);
  if (nx > kMaxPoints || ny > kMaxPoints) return 0;
  zmat_nx = (int)nx;
  zmat_ny = (int)ny;
  if ((int64_t)zmat_nx * zmat_ny == n_atoms) return 2;
  if ((int64_t)zmat_nx * zmat_nx == n_atoms) {
    zmat_ny = zmat_nx;
    return 2;
  }
  return 0;
}

void change_xy() {
  int nx = zmat_nx, ny = zmat_ny;
  if (nx <= 0 || ny <= 0 || (int64_t)nx * ny > n_atoms) return;
  int64_t n = (int64_t)nx * ny;
  point3* copy = (point3*)scene_malloc((uint64_t)n * sizeof(point3));
  if (!copy) return;
  memcpy(copy, at_r, (size_t)n * sizeof(point3));
  // Runs of the fast axis become columns: x-fastest runs are nx long, y-fastest runs ny long.
  int run = zmat_varyx ? nx : ny, runs = zmat_varyx ? ny : nx;
  for (int j = 0; j < runs; j++)
    for (int i = 0; i < run; i++) at_r[(int64_t)i * runs + j] = copy[(int64_t)j * run + i];
  free(copy);
  zmat_varyx = !zmat_varyx;
}

}  // namespace scene3d
