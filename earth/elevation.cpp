// The elevation cascade and the look-up rules of its sources.
#include "earth/elevation.h"

#include <cmath>

#include "earth/srtm.h"

namespace {

const double kDegrees = 57.29577951308232;

// The one-degree tiles by latitude row: tiles75 is grouped by latitude, so each row of
// south edges -54..59 is a run [first, first + count) of it.
const int kTileLatMin = -54, kTileLatMax = 59;
struct TileRun {
  int first, count;
};
struct TileRuns {
  TileRun run[kTileLatMax - kTileLatMin + 1];
};
constexpr TileRuns make_tile_runs() {
  TileRuns r{};
  for (int i = ELEV_N_TILES75 - 1; i >= 0; i--) {
    TileRun& t = r.run[tiles75[i].south - kTileLatMin];
    t.first = i;
    t.count++;
  }
  return r;
}
constexpr TileRuns kTileRuns = make_tile_runs();
constexpr bool tiles_grouped_by_latitude() {
  for (int i = 1; i < ELEV_N_TILES75; i++)
    if (tiles75[i].south != tiles75[i - 1].south &&
        kTileRuns.run[tiles75[i].south - kTileLatMin].first != i)
      return false;
  for (const Tile75& t : tiles75)
    if (t.south < kTileLatMin || t.south > kTileLatMax) return false;
  return true;
}
static_assert(tiles_grouped_by_latitude(), "ELEV_TILES75 must list each latitude row together");

// The regional grid of each band (0 n90, 1 n40, 2 s10) and 40-degree sector (0 for 20-59 E, ...,
// 8 for 340-19 E), -1 where there is none.
struct RegionalIndex {
  int grid[3][9];
};
constexpr int band_of_north_edge(int north) { return north == 90 ? 0 : north == 40 ? 1 : 2; }
constexpr int sector_of(int degrees_east) { return ((degrees_east + 340) % 360) / 40; }
constexpr RegionalIndex make_regional_index() {
  RegionalIndex x{};
  for (auto& band : x.grid)
    for (int& g : band) g = -1;
  for (int i = 0; i < ELEV_N_REGIONAL; i++)
    x.grid[band_of_north_edge(regional_grids[i].north)][sector_of(regional_grids[i].west)] = i;
  return x;
}
constexpr RegionalIndex kRegional = make_regional_index();

inline bool finite2(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

// Bilinear mix over a row-major table at (x, y), already limited to 0..cols-1 and 0..rows-1.
template <typename T>
inline double bilinear(const T* t, int cols, int rows, double x, double y) {
  int i = (int)x, j = (int)y;
  int i2 = i + 1 < cols ? i + 1 : cols - 1;
  int j2 = j + 1 < rows ? j + 1 : rows - 1;
  double fx = x - i, fy = y - j;
  return (1 - fy) * (t[j * cols + i] * (1 - fx) + t[j * cols + i2] * fx) +
         fy * (t[j2 * cols + i] * (1 - fx) + t[j2 * cols + i2] * fx);
}

inline double limit(double v, double lo, double hi) { return v < lo ? lo : v > hi ? hi : v; }

// The fine sources store the sea as 0: below half a metre the half-degree grid decides whether
// the point is sea (and gives its depth) or land (and the fine value stands).
// The half-degree rule on finite coordinates.
inline double half_degree(double lon, double lat) {
  const int16_t* t = elevation_data->grid05;
  double y = limit(2 * lat + 180, 0, 360);
  int r = (int)y;
  if (r > 359) r = 359;  // latitude 90 itself: the last row with weight 1
  double fy = y - r;
  double x = 2 * lon;
  if (x < 0 || x >= 1440) {
    x = std::fmod(x, 720.0);
    if (x < 0) x += 720;
  }
  int c = (int)x;
  double fx = x - c;
  if (c >= 720) c -= 720;
  int c2 = c == 719 ? 0 : c + 1;
  const int16_t* lo = t + r * 720;
  const int16_t* hi = lo + 720;
  return (1 - fy) * (lo[c] * (1 - fx) + lo[c2] * fx) + fy * (hi[c] * (1 - fx) + hi[c2] * fx);
}

// The half-degree height is taken every time and chosen without a branch: a branch on v would
// wait for v's cache miss in the large grids and, mispredicted, hold up the next look-ups too.
inline double sea_rule(double v, double lon, double lat) {
  double h = half_degree(lon, lat);
  bool sea = (v < 0.5) & (h <= 0);
  return sea ? h : v;
}

inline double tile_rule(const int16_t* t, double x, double y) {
  return bilinear(t, 76, 76, limit(x, 0, 75), limit(y, 0, 75));
}

inline double regional_rule(int index, double lon, double lat) {
  const RegionalGrid& g = regional_grids[index];
  // The sector from 340 E reaches over 0 E: its columns continue past 360.
  double col_lon = g.west == 340 && lon < 20 ? lon + 360 : lon;
  double x = limit((col_lon - g.west) * g.k, 0, g.cols - 1);
  double y = limit((g.north - lat) * g.k, 0, g.rows - 1);
  // Open sea is known from the small sea index, which stays in the cache, so the large grid is
  // read only near land.
  const uint8_t* sea = elevation_data->regional_sea[index];
  const int blocks_across = (g.cols + ELEV_SEA_BLOCK - 1) / ELEV_SEA_BLOCK;
  double v = sea && sea[(int)y / ELEV_SEA_BLOCK * blocks_across + (int)x / ELEV_SEA_BLOCK]
                 ? 0
                 : bilinear(elevation_data->regional[index], g.cols, g.rows, x, y);
  return sea_rule(v, lon, lat);
}

}  // namespace

double geographic2altitude_05(double lon, double lat) {
  if (!finite2(lon, lat)) return NAN;
  return half_degree(lon, lat);
}

double elev_import75(int lat0, int lon0, const int16_t* t, double lon, double lat) {
  if (!finite2(lon, lat)) return NAN;
  if (lon0 < 0) lon0 += 360;
  if (lon0 < 0) lon0 += 720;
  return sea_rule(tile_rule(t, (lon - lon0) * 75, (lat - lat0) * 75), lon, lat);
}

double regional_lookup(int index, double lon, double lat) {
  if (!finite2(lon, lat) || index < 0 || index >= ELEV_N_REGIONAL) return NAN;
  return regional_rule(index, lon, lat);
}

double tile15_lookup(int index, double lon, double lat) {
  if (!finite2(lon, lat) || index < 0 || index >= ELEV_N_TILES15) return NAN;
  const Tile15& t = tiles15[index];
  return tile_rule(elevation_data->tile15[index], (lon - t.west) * 5, (lat - t.south) * 5);
}

double geographic2altitude(double lon, double lat) {
  if (lat >= 1.570795326794897) return height_north_pole;
  if (lat <= -1.5697963267948971) return height_south_pole;
  if (!finite2(lon, lat)) return NAN;
  lat *= kDegrees;
  lon *= kDegrees;
  if (lon >= 360) lon -= 360;
  if (lon < 0) lon += 360;
  if (lon < 0 || lon > 360) {  // more than one turn away: reduce by whole turns
    lon = std::fmod(lon, 360.0);
    if (lon < 0) lon += 360;
  }
  const int F = (int)(lat + 100) - 100;  // floor of the latitude
  const int D = (int)lon;                // 0..360

  if (have_hgt && srtm_tile_usable()) {
    if (is_srtm30) {
      if (F >= theta_ext && F <= theta_ext + 49) {
        bool inside = phi_ext <= 330 ? lon >= phi_ext && lon < phi_ext + 40
                                     : lon >= phi_ext || lon < phi_ext - 320;
        if (inside) return elevation_extern(lon, lat);
      }
    } else if (F == theta_ext && lon >= phi_ext && lon <= phi_ext + 1) {
      return elevation_extern(lon, lat);
    }
  }

  if (F >= kTileLatMin && F <= kTileLatMax) {
    const TileRun& run = kTileRuns.run[F - kTileLatMin];
    for (int i = run.first; i < run.first + run.count; i++)
      if (tiles75[i].west == D)
        return elev_import75(tiles75[i].south, tiles75[i].west, elevation_data->tile75[i], lon,
                             lat);
  }

  int band = lat > -10 && lat <= 40    ? 1
             : lat > 40 && lat <= 88   ? 0
             : lat > -60 && lat <= -10 ? 2
                                       : -1;
  if (band >= 0 && D < 360) {
    int g = kRegional.grid[band][sector_of(D)];
    if (g >= 0) return regional_rule(g, lon, lat);
  }

  // Only the meridian 180 E between 47.4 S and 34.2 S (and a longitude of exactly 360) reaches
  // here past the regional grids.
  if (lon == 0 && lat >= 30 && lat <= 45)
    return (tile15_lookup(ELEV_TILE15_n30e0, 0, lat) +
            tile15_lookup(ELEV_TILE15_n30w15, 360, lat)) /
           2;
  for (int i = 0; i < ELEV_N_TILES15; i++) {
    const Tile15& t = tiles15[i];
    if (lat >= t.lat_from && lat <= t.lat_to && lon >= t.lon_from && lon <= t.lon_to)
      return tile15_lookup(i, lon, lat);
  }
  return geographic2altitude_05(lon, lat);
}
