// Writes the elevation model's tables from ETOPO5.
//
// Source: Debian's ferret-datasets, /usr/share/ferret-vis/data/etopo5.cdf: ETOPO5 (NOAA NGDC,
// 5 arc-minute global relief with ocean depths, in the public domain), netCDF classic, variable
// ROSE float32 metres [ETOPO05_Y 2161][ETOPO05_X 4320], rows from 90 S to 90 N and columns from
// 0 E, both every 1/12 degree. The header is parsed and the variable's name, type, shape and axes
// are checked rather than trusting an offset.
//
// Outputs (int16 little-endian unless noted, row-major, metres, rounded to nearest):
//   height05grid.bin  [361][720]: the ETOPO5 nodes every half degree, row 0 at 90 S.
//   elev_regional.bin the 23 regional grids of earth/elevation_tables.h in list order, each
//                     [50 k][40 k] from the north-west corner, bilinear ETOPO5, values < 0.5 as 0.
//   elev_regional_sea.bin  for each regional grid its sea index (ELEV_SEA_BYTES), a byte per
//                     block of 16 x 16 cells, 1 when every sample the block's cells read is 0.
//   elev_tiles75.bin  the 120 one-degree tiles, [76][76] from the south-west corner at 1/75
//                     degree, both edges included, bilinear, values < 0.5 as 0.
//   elev_tiles15.bin  the 11 fifteen-degree tiles, [76][76] from the south-west corner at 0.2
//                     degree, bilinear, sea depths kept.
//   elev_coarse.bin   height10grid int16 [17][36], then height15grid [11][24], height20grid [9][18]
//                     and height30grid [5][12] as int32: ETOPO5 nodes at row k = latitude
//                     -90 + s (k + 1), column j = longitude s j.
// The tables are only as detailed as the 5 arc-minute source: the finer ones are resampled.
//
// usage: gen_elevation <etopo5.cdf> <output directory>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "earth/elevation_tables.h"
#include "earth/interp.h"
#include "tools/gen_elevation_cdf.h"
#include "tools/gen_file_io.h"

namespace {

const int kRows = 2161, kCols = 4320, kPerDegree = 12;

std::vector<float> rose;  // [kRows][kCols]

float node(int r, int c) { return rose[(size_t)r * kCols + c]; }

// Bilinear ETOPO5 at row coordinate y = (lat + 90) 12 and column coordinate x = lon 12, the
// longitude wrapping round the globe.
double etopo(double y, double x) {
  if (y < 0) y = 0;
  if (y > kRows - 1) y = kRows - 1;
  x = std::fmod(x, (double)kCols);
  if (x < 0) x += kCols;
  int r = (int)y, c = (int)x;
  if (r > kRows - 2) r = kRows - 2;
  if (c > kCols - 1) c = kCols - 1;
  double fy = y - r, fx = x - c;
  int c2 = (c + 1) % kCols;
  return mix(node(r, c), node(r, c2), node(r + 1, c), node(r + 1, c2), fx, fy);
}

// Coordinates of sample n of a table starting at `edge` degrees with `per` samples a degree and
// `sign` +1 going north or east, -1 going south; one division so that nodes come out exact.
double coord(int edge, int per, int n, int sign, int offset) {
  return ((double)(edge + offset) * kPerDegree * per + sign * kPerDegree * (double)n) / per;
}

void put16(std::vector<unsigned char>& out, long v) {
  out.push_back((unsigned char)(v & 0xFF));
  out.push_back((unsigned char)((v >> 8) & 0xFF));
}
void put32(std::vector<unsigned char>& out, long v) {
  for (int i = 0; i < 4; i++) out.push_back((unsigned char)((v >> (8 * i)) & 0xFF));
}

long land(double v) { return v < 0.5 ? 0 : std::lround(v); }

// Appends the sea index of a grid (see ELEV_SEA_BLOCK): per block of cells, 1 when all the
// samples its cells read (rows and columns up to one past the block, limited to the grid) are 0.
void sea_index(const std::vector<long>& g, int rows, int cols, std::vector<unsigned char>* out) {
  const int B = ELEV_SEA_BLOCK;
  for (int bj = 0; bj < (rows + B - 1) / B; bj++)
    for (int bi = 0; bi < (cols + B - 1) / B; bi++) {
      bool zero = true;
      for (int j = bj * B; j <= std::min(bj * B + B, rows - 1) && zero; j++)
        for (int i = bi * B; i <= std::min(bi * B + B, cols - 1) && zero; i++)
          zero = g[(size_t)j * cols + i] == 0;
      out->push_back(zero ? 1 : 0);
    }
}

int fail(const char* path, const std::string& why) {
  fprintf(stderr, "gen_elevation: %s: %s\n", path, why.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: gen_elevation <etopo5.cdf> <output directory>\n");
    return 2;
  }
  const char* src = argv[1];
  const std::string dir = argv[2];
  std::vector<unsigned char> bytes;
  if (!read_whole_file(src, &bytes)) return 1;

  CdfFile cdf;
  std::string err;
  if (!cdf_parse_header(bytes, &cdf, &err)) return fail(src, err);
  const CdfVar* var = cdf_find_var(cdf, "ROSE");
  const CdfVar* ys = cdf_find_var(cdf, "ETOPO05_Y");
  const CdfVar* xs = cdf_find_var(cdf, "ETOPO05_X");
  if (!cdf_check_var(cdf, var, "ROSE", CDF_FLOAT, {{"ETOPO05_Y", kRows}, {"ETOPO05_X", kCols}},
                     bytes.size(), &err) ||
      !cdf_check_var(cdf, ys, "ETOPO05_Y", CDF_DOUBLE, {{"ETOPO05_Y", kRows}}, bytes.size(),
                     &err) ||
      !cdf_check_var(cdf, xs, "ETOPO05_X", CDF_DOUBLE, {{"ETOPO05_X", kCols}}, bytes.size(), &err))
    return fail(src, err);
  // The axes: rows from 90 S to 90 N and columns from 0 E, every 1/12 degree. The file's last
  // longitude drifts to 359.92, so the columns are checked loosely.
  for (int r = 0; r < kRows; r++)
    if (std::fabs(cdf_double_at(bytes, ys->begin, r) - (-90.0 + r / 12.0)) > 1e-6)
      return fail(src,
                  "ETOPO05_Y is not -90..90 every 1/12 degree (row " + std::to_string(r) + ")");
  for (int c = 0; c < kCols; c++)
    if (std::fabs(cdf_double_at(bytes, xs->begin, c) - c / 12.0) > 0.01)
      return fail(src,
                  "ETOPO05_X is not 0..360 every 1/12 degree (column " + std::to_string(c) + ")");

  rose.resize((size_t)kRows * kCols);
  for (size_t i = 0; i < rose.size(); i++) {
    float v = cdf_float_at(bytes, var->begin, i);
    if (!(std::fabs(v) < 12000))  // also catches NaN and the missing value -1e34
      return fail(src, "ROSE holds a missing or impossible value at index " + std::to_string(i));
    rose[i] = v;
  }
  bytes.clear();
  bytes.shrink_to_fit();

  std::vector<unsigned char> out;
  for (int r = 0; r <= 360; r++)
    for (int c = 0; c < 720; c++) put16(out, std::lround(node(6 * r, 6 * c)));
  if (!write_blob(dir, "height05grid.bin", out)) return 1;

  out.clear();
  std::vector<unsigned char> sea;
#define X(name, west, north, k)                                                           \
  {                                                                                       \
    std::vector<long> grid;                                                               \
    for (int j = 0; j < 50 * (k); j++)                                                    \
      for (int i = 0; i < 40 * (k); i++)                                                  \
        grid.push_back(land(etopo(coord(north, k, j, -1, 90), coord(west, k, i, 1, 0)))); \
    for (long v : grid) put16(out, v);                                                    \
    sea_index(grid, 50 * (k), 40 * (k), &sea);                                            \
  }
  ELEV_REGIONAL_GRIDS(X)
#undef X
  if (!write_blob(dir, "elev_regional.bin", out) || !write_blob(dir, "elev_regional_sea.bin", sea))
    return 1;

  out.clear();
#define X(name, south, west)      \
  for (int j = 0; j <= 75; j++)   \
    for (int i = 0; i <= 75; i++) \
      put16(out, land(etopo(coord(south, 75, j, 1, 90), coord(west, 75, i, 1, 0))));
  ELEV_TILES75(X)
#undef X
  if (!write_blob(dir, "elev_tiles75.bin", out)) return 1;

  out.clear();
#define X(name, table, lat0, lat1, lon0, lon1, south, west) \
  for (int j = 0; j <= 75; j++)                             \
    for (int i = 0; i <= 75; i++)                           \
      put16(out, std::lround(etopo(coord(south, 5, j, 1, 90), coord(west, 5, i, 1, 0))));
  ELEV_TILES15(X)
#undef X
  if (!write_blob(dir, "elev_tiles15.bin", out)) return 1;

  out.clear();
  const struct { int step, rows; } coarse[] = {{10, 17}, {15, 11}, {20, 9}, {30, 5}};
  for (auto g : coarse)
    for (int k = 0; k < g.rows; k++)
      for (int j = 0; j < 360 / g.step; j++) {
        const int s = g.step;
        long v = std::lround(node(s * (k + 1) * kPerDegree, s * j * kPerDegree));
        if (s == 10)
          put16(out, v);
        else
          put32(out, v);
      }
  if (!write_blob(dir, "elev_coarse.bin", out)) return 1;
  return 0;
}
