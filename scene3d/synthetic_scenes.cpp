#include "scene3d/synthetic_scenes.h"

#include <new>

#include "scene3d/abuffer.h"
#include "scene3d/colour_schemes.h"
#include "scene3d/frame_state.h"
#include "scene3d/grid.h"
#include "scene3d/radii.h"
#include "scene3d/scene_open.h"
#include "scene3d/shade.h"

namespace scene3d {

int show_spheres(const std::vector<Ball>& balls) {
  return scene_open([&] {
    InitMolData();
    for (const Ball& b : balls) {
      if (AddBall(b.ordinal, b.x, b.y, b.z) != 0) return scene_fail("memory error (3D scene)");
      at_rad[n_atoms] = (float)b.radius;
      n_atoms++;
    }
    show_surface = show_triangles = 0;
    RadiusUser();
    colSelection = 54;
    ColorUpdate();
    return 0;
  });
}

int show_mesh(const std::vector<tri>& triangles) {
  return scene_open([&] {
    InitMolData();
    try {
      v.reserve(triangles.size());
    } catch (const std::bad_alloc&) {
      return scene_fail("memory error (3D scene)");
    }
    for (const tri& t : triangles) {
      if (append_grid_point(t.a[0], t.a[1], t.a[2]) || append_grid_point(t.b[0], t.b[1], t.b[2]) ||
          append_grid_point(t.c[0], t.c[1], t.c[2]))
        return scene_fail("memory error (3D scene)");
      v.push_back(t);
    }
    show_surface = 0;
    show_triangles = 1;
    RadiusElement();
    colSelection = 410;
    ColorUpdate();
    ambientterm = 0.4f;
    return 0;
  });
}

int show_grid(int nx, int ny, double dx, double dy, const std::vector<float>& z, bool terrain) {
  return scene_open([&] {
    if (nx < 1 || ny < 1 || (int64_t)nx * ny > (int64_t)z.size())
      return scene_fail("grid larger than its heights");
    InitMolData();
    if (!AllocMoreAtoms((int64_t)nx * ny)) return scene_fail("memory error (3D scene)");
    for (int i = 0; i < ny; i++)
      for (int j = 0; j < nx; j++)
        if (append_grid_point((j - nx / 2) * dx, (i - ny / 2) * dy, z[(size_t)i * nx + j]))
          return scene_fail("memory error (3D scene)");
    isHgt = terrain ? 1 : 0;
    show_surface = 1;
    show_triangles = 0;
    zmat_nx = nx, zmat_ny = ny, zmat_varyx = 1;
    zmat_delta = dx;
    zmat_delta_y = dy == dx ? 0 : dy;
    isXYZ2d = 2;
    isXYZ2d_mat = 1;
    find_radius();
    RadiusElement();
    colSelection = terrain ? 415 : 412;
    ColorUpdate();
    ambientterm = 0.4f;
    return 0;
  });
}

}  // namespace scene3d
