// The terrain scene: a terrain tile's height grid as a grid surface of scene points, coloured by
// the terrain palette. It reads only the grid it is handed, never the tile state of earth/srtm.h,
// which changes only after the scene has been shown.
#pragma once
#include <cstdint>

#include "earth/srtm.h"

namespace scene3d {

// A tile's samples (big-endian signed 16-bit, cols x rows, rows from the north) and the spacing
// of its grid in metres, on both axes.
struct TerrainGrid {
  const unsigned char* samples;
  int64_t length;  // bytes at samples
  int cols, rows;
  double spacing;
};

// The grid of a classified tile: spacing 30 m for a one-arc-second tile, 900 m for a
// thirty-arc-second one, 90 m otherwise.
TerrainGrid terrain_grid(const SrtmTile& tile, const unsigned char* samples, int64_t length);

// The reader of the terrain scene (scene_open's contract, scene_open.h). Points run from the
// south row to the north, west to east, centred on the grid's middle node; z is the height, with
// -9999 (the sea of thirty-arc-second tiles) as 0. Voids (-32768, or above 8990) take the height
// of the point to the west, else of the point to the south, when that is below 8990, else 0. A
// tile after a tile keeps the rotation and the scheme; after any other scene the view turns to
// 70 degrees about x and the scheme becomes the terrain palette (415). Fails, with "error
// loading hgt" first on the console, when the samples are short of the grid or the points cannot
// be stored.
int terrain_scene(const TerrainGrid& grid);

}  // namespace scene3d
