#include "earth/globe3d.h"

#include <cstdint>
#include <cstdlib>

#include "view/canvas.h"

namespace globe3d {
double* D = nullptr;
int32_t* A = nullptr;
int alloc_size = -1;
int X = 0, Y = 0;
double eye_dist = 0;
double eye_x = 0, eye_y = 0, eye_z = 0;
double look_x = 0, look_y = 0, look_z = 0;
}  // namespace globe3d

using namespace globe3d;

int init3d(int x, int y) {
  // The same pixel cap as every picture of the viewer: at 12 bytes a pixel, 1.5 GiB at most.
  if (!pixel_count_ok(x, y)) return 1;
  close3d();
  const size_t n = (size_t)((int64_t)x * y);
  D = (double*)malloc(n * sizeof(double));
  A = (int32_t*)malloc(n * sizeof(int32_t));
  if (!D || !A) {
    close3d();
    return 1;
  }
  alloc_size = (int)n;
  eye_dist = 2;
  X = x;
  Y = y;
  eye_x = 6408137, eye_y = 0, eye_z = 0;
  look_x = 0, look_y = 0, look_z = 1;
  return 0;
}

void close3d() {
  free(D);
  free(A);
  D = nullptr;
  A = nullptr;
  alloc_size = -1;
}

void tesselation() {}
void draw_globe() {}
void load_globe3d() {}
void build_ray(int, int, double*, double*, double*) {}
