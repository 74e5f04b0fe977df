// The terrain scene: the height grid of a tile as grid points.
#include "scene3d/terrain_scene.h"

#include "scene3d/colour_schemes.h"
#include "scene3d/elements.h"
#include "scene3d/frame_state.h"
#include "scene3d/grid.h"
#include "scene3d/radii.h"
#include "scene3d/scene.h"
#include "scene3d/scene_open.h"
#include "scene3d/shade.h"

namespace scene3d {

namespace {

inline bool void_sample(int v) { return v == -32768 || v > 8990; }
inline bool fill_value(float z) { return z < 8990; }

}  // namespace

TerrainGrid terrain_grid(const SrtmTile& tile, const unsigned char* samples, int64_t length) {
  // The spacing is the samples' distance in metres: the slopes of the terrain palette depend on it.
  const double spacing = tile.is_srtm30 ? 900 : tile.is_srtm1 ? 30 : 90;
  return TerrainGrid{samples, length, tile.n_cols, tile.n_rows, spacing};
}

int terrain_scene(const TerrainGrid& g) {
  const bool after_tile = previous_scene_terrain();
  show_surface = 1;
  show_triangles = 0;
  InitMolData();
  if (!after_tile) {
    rot_x = 70;
    rot_y = rot_z = 0;
    UpdateAngles();
  }
  const int cols = g.cols, rows = g.rows;
  const double D = g.spacing;
  zmat_delta = D;
  zmat_nx = cols;
  zmat_ny = rows;
  zmat_varyx = 1;
  const int64_t count = (int64_t)cols * rows;
  if (cols < 1 || rows < 1 || count > kMaxPoints)
    return scene_fail("error loading hgt: a %d x %d grid cannot be shown", cols, rows);
  if (!g.samples || g.length < 2 * count)
    return scene_fail("error loading hgt: %lld bytes, a %d x %d tile needs %lld",
                      (long long)g.length, cols, rows, (long long)(2 * count));
  if (!AllocMoreAtoms(count))
    return scene_fail("error loading hgt: no memory for %lld points", (long long)count);

  // South row first: point (i, j) holds file row rows - 1 - i, and keeps the coordinates that
  // file row gives it.
  for (int i = 0; i < rows; i++) {
    const int l = rows - 1 - i;
    const unsigned char* s = g.samples + 2 * (int64_t)l * cols;
    const double y = -(double)(l - rows / 2) * D;
    for (int j = 0; j < cols; j++) {
      const int h = (int16_t)(s[2 * j] << 8 | s[2 * j + 1]);
      float z;
      if (h == kSrtmSea) {
        z = 0;
      } else if (!void_sample(h)) {
        z = (float)h;
      } else if (j > 0 && fill_value(at_r[n_atoms - 1].z)) {
        z = at_r[n_atoms - 1].z;
      } else if (i > 0 && fill_value(at_r[n_atoms - cols].z)) {
        z = at_r[n_atoms - cols].z;
      } else {
        z = 0;
      }
      if (append_grid_point((double)(j - cols / 2) * D, y, z) != 0)
        return scene_fail("error loading hgt: no memory for %lld points", (long long)count);
    }
  }

  isHgt = 1;
  if (!after_tile) colSelection = 415;
  isXYZ2d_mat = 0;
  isXYZ2d = check_z_matrix();
  if (isXYZ2d == 2) isXYZ2d_mat = 1;
  if (n_atoms < 2)
    ElemRad[2] = 1;
  else
    find_radius();
  RadiusElement();
  ColorUpdate();
  ElemRad[100] = 70;
  RadMagn = 1;
  ambientterm = 0.4f;
  return 0;
}

}  // namespace scene3d
