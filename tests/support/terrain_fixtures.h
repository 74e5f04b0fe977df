// Terrain tiles made at test time (tests/support/terrain_fixtures.sh: the committed real tile,
// gdal's tiles from ETOPO5) and gdal's reading of them, the reference the tile tests compare with.
#pragma once
#include <string>
#include <utility>
#include <vector>

// Makes the fixture set (real, etopo, s1, dem; see the script) once per test program; returns
// the folder that holds it, or "" when the script failed.
std::string terrain_fixtures(const std::string& set);

// The values gdal reads (gdallocationinfo) at (pixel, line) positions of a raster, line 0 the
// first row of the file; empty when gdal failed.
std::vector<int> gdal_values(const std::string& path, const std::vector<std::pair<int, int>>& at);
