// Scenes made in memory rather than read from files, shown through the shared opener: spheres,
// mesh triangles and height grids for tests, benchmarks and trying the renderer out.
#pragma once
#include <vector>

#include "scene3d/scene.h"

namespace scene3d {

struct Ball {
  double x, y, z;
  double radius;
  int ordinal;  // element; negative for a flagged point
};

// Spheres, coloured by height (scheme 54). 0 when shown, 1 otherwise.
int show_spheres(const std::vector<Ball>& balls);

// Mesh triangles (each gives three grid points), coloured by mass (scheme 410).
int show_mesh(const std::vector<tri>& triangles);

// An nx x ny height grid, x fastest: node (i, j) at ((j - nx/2) dx, (i - ny/2) dy, z[i nx + j]).
// A terrain grid is coloured with the terrain palette (415), any other by astigmatism (412).
int show_grid(int nx, int ny, double dx, double dy, const std::vector<float>& z, bool terrain);

}  // namespace scene3d
