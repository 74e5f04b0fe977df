// The elevation cascade and the look-up rules of its sources.
#include "earth/elevation.h"

#include <cmath>

#include "earth/constants.h"
#include "earth/interp.h"
#include "earth/srtm.h"

namespace {


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

// bilinear at three points; where all three lie in one cell its samples are read once.
template <typename T>
inline void bilinear3(const T* t, int cols, int rows, const double* x, const double* y, double* v) {
  int i = (int)x[0], j = (int)y[0];
  if ((int)x[1] != i || (int)x[2] != i || (int)y[1] != j || (int)y[2] != j) {
    for (int k = 0; k < 3; k++) v[k] = bilinear(t, cols, rows, x[k], y[k]);
    return;
  }
  int i2 = i + 1 < cols ? i + 1 : cols - 1;
  int j2 = j + 1 < rows ? j + 1 : rows - 1;
  double a = t[j * cols + i], b = t[j * cols + i2], c = t[j2 * cols + i], d = t[j2 * cols + i2];
  for (int k = 0; k < 3; k++) {
    double fx = x[k] - i, fy = y[k] - j;
    v[k] = mix(a, b, c, d, fx, fy);
  }
}

// The fine sources store the sea as 0: below half a metre the half-degree grid decides whether
// the point is sea (and gives its depth) or land (and the fine value stands).
// The half-degree rule on finite coordinates: where (lon, lat) falls in the grid, then the mix.
struct half_degree_cell {
  int r, c, c2;
  double fx, fy;
};
inline half_degree_cell half_degree_at(double lon, double lat) {
  half_degree_cell p;
  double y = limit(2 * lat + 180, 0, 360);
  p.r = (int)y;
  if (p.r > 359) p.r = 359;  // latitude 90 itself: the last row with weight 1
  p.fy = y - p.r;
  double x = 2 * lon;
  if (x < 0 || x >= 1440) {
    x = std::fmod(x, 720.0);
    if (x < 0) x += 720;
  }
  p.c = (int)x;
  p.fx = x - p.c;
  if (p.c >= 720) p.c -= 720;
  p.c2 = p.c == 719 ? 0 : p.c + 1;
  return p;
}
inline double half_degree(double lon, double lat) {
  const half_degree_cell p = half_degree_at(lon, lat);
  const int16_t* lo = elevation_data->grid05 + p.r * 720;
  const int16_t* hi = lo + 720;
  return mix(lo[p.c], lo[p.c2], hi[p.c], hi[p.c2], p.fx, p.fy);
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

// The sea index block of a grid coordinate, which is never negative here: as unsigned the
// division is a shift (as signed, the compiler may divide in earnest).
inline int sea_block(double v) { return (int)((unsigned)(int)v / ELEV_SEA_BLOCK); }

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
  double v = sea && sea[sea_block(y) * blocks_across + sea_block(x)]
                 ? 0
                 : bilinear(elevation_data->regional[index], g.cols, g.rows, x, y);
  return sea_rule(v, lon, lat);
}

// half_degree at three points, with the samples of a shared cell read once.
inline void half_degree3(const double* lon, const double* lat, double* h) {
  half_degree_cell c[3];
  for (int k = 0; k < 3; k++) c[k] = half_degree_at(lon[k], lat[k]);
  if (c[1].r == c[0].r && c[2].r == c[0].r && c[1].c == c[0].c && c[2].c == c[0].c) {
    const int16_t* lo = elevation_data->grid05 + c[0].r * 720;
    const int16_t* hi = lo + 720;
    double a = lo[c[0].c], b = lo[c[0].c2], cc = hi[c[0].c], d = hi[c[0].c2];
    for (int k = 0; k < 3; k++) h[k] = mix(a, b, cc, d, c[k].fx, c[k].fy);
  } else {
    for (int k = 0; k < 3; k++) h[k] = half_degree(lon[k], lat[k]);
  }
}

// regional_rule at three points (lon[k], lat[k]), with the samples of a shared cell read once.
inline void regional_rule3(int index, const double* lon, const double* lat, double* out) {
  const RegionalGrid& g = regional_grids[index];
  const uint8_t* sea = elevation_data->regional_sea[index];
  const int blocks_across = (g.cols + ELEV_SEA_BLOCK - 1) / ELEV_SEA_BLOCK;
  double x[3], y[3], v[3];
  int open_sea = 0;
  for (int k = 0; k < 3; k++) {
    double col_lon = g.west == 340 && lon[k] < 20 ? lon[k] + 360 : lon[k];
    x[k] = limit((col_lon - g.west) * g.k, 0, g.cols - 1);
    y[k] = limit((g.north - lat[k]) * g.k, 0, g.rows - 1);
    bool s = sea && sea[sea_block(y[k]) * blocks_across + sea_block(x[k])];
    open_sea += s;
    v[k] = s ? 0 : NAN;
  }
  if (open_sea == 0) {
    bilinear3(elevation_data->regional[index], g.cols, g.rows, x, y, v);
  } else if (open_sea < 3) {
    for (int k = 0; k < 3; k++)
      if (v[k] != 0) v[k] = bilinear(elevation_data->regional[index], g.cols, g.rows, x[k], y[k]);
  }
  // The sea rule. On land, where the three points run together along a row of the globe, the
  // half-degree grid has nothing to say and is not read.
  if (v[0] >= 0.5 && v[1] >= 0.5 && v[2] >= 0.5) {
    out[0] = v[0], out[1] = v[1], out[2] = v[2];
    return;
  }
  double h[3];
  half_degree3(lon, lat, h);
  for (int k = 0; k < 3; k++) out[k] = (v[k] < 0.5) & (h[k] <= 0) ? h[k] : v[k];
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

namespace {

// A point in the cascade's terms: degrees with the longitude brought into 0..360, F the floor of
// the latitude (taken as trunc(lat + 100) - 100) and D the whole degrees of the longitude.
struct cascade_point {
  double lon, lat;
  int F, D;
};

inline cascade_point cascade_point_of(double lon, double lat) {
  cascade_point p;
  lat *= DEG_PER_RAD;
  lon *= DEG_PER_RAD;
  if (lon >= 360) lon -= 360;
  if (lon < 0) lon += 360;
  if (lon < 0 || lon > 360) {  // more than one turn away: reduce by whole turns
    lon = std::fmod(lon, 360.0);
    if (lon < 0) lon += 360;
  }
  p.lon = lon;
  p.lat = lat;
  p.F = (int)(lat + 100) - 100;
  p.D = (int)lon;
  return p;
}

// The regional grids' latitude band: 0 n90, 1 n40, 2 s10, -1 none.
inline int band_of(double lat) {
  return lat > -10 && lat <= 40 ? 1 : lat > 40 && lat <= 88 ? 0 : lat > -60 && lat <= -10 ? 2 : -1;
}

// The one-degree tile with south-west corner (F, D), or -1.
inline int tile75_at(int F, int D) {
  if (F < kTileLatMin || F > kTileLatMax) return -1;
  const TileRun& run = kTileRuns.run[F - kTileLatMin];
  for (int i = run.first; i < run.first + run.count; i++)
    if (tiles75[i].west == D) return i;
  return -1;
}

inline double tile75_height(int i, const cascade_point& p) {
  return elev_import75(tiles75[i].south, tiles75[i].west, elevation_data->tile75[i], p.lon, p.lat);
}

// True when a fifteen-degree tile's window (or the mean of two at 0 E) holds p.
constexpr double tile15_lat_min() {
  double m = 90;
  for (const Tile15& t : tiles15) m = t.lat_from < m ? t.lat_from : m;
  return m;
}
constexpr double tile15_lat_max() {
  double m = -90;
  for (const Tile15& t : tiles15) m = t.lat_to > m ? t.lat_to : m;
  return m;
}
inline bool in_tile15_window(const cascade_point& p) {
  if (p.lat < tile15_lat_min() || p.lat > tile15_lat_max()) return false;
  if (p.lon == 0 && p.lat >= 30 && p.lat <= 45) return true;
  for (const Tile15& t : tiles15)
    if (p.lat >= t.lat_from && p.lat <= t.lat_to && p.lon >= t.lon_from && p.lon <= t.lon_to)
      return true;
  return false;
}

// The regional grid that answers for p, or -1.
inline int regional_at(const cascade_point& p, int band) {
  return band >= 0 && p.D < 360 ? kRegional.grid[band][sector_of(p.D)] : -1;
}

}  // namespace

double geographic2altitude(double lon, double lat) {
  if (lat >= 1.570795326794897) return height_north_pole;
  if (lat <= -1.5697963267948971) return height_south_pole;
  if (!finite2(lon, lat)) return NAN;
  const cascade_point p = cascade_point_of(lon, lat);
  lon = p.lon;
  lat = p.lat;
  const int F = p.F, D = p.D;

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

  int tile = tile75_at(F, D);
  if (tile >= 0) return tile75_height(tile, p);

  int g = regional_at(p, band_of(lat));
  if (g >= 0) return regional_rule(g, lon, lat);

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

void geographic2altitude3(double lon, double lat, double d, double* h0, double* h_east,
                          double* h_north) {
  const double lon_east = lon + d, lat_north = lat + d;
  // The three points almost always take the same road through the cascade, which is then
  // walked once; near a pole, a degree line, a band's edge, or with a terrain tile loaded, each
  // point goes its own way.
  bool shared = finite2(lon_east, lat_north) && finite2(lon, lat) && d >= 0 &&
                lat_north < 1.570795326794897 && lat > -1.5697963267948971 &&
                !(have_hgt && srtm_tile_usable());
  if (shared) {
    const cascade_point p = cascade_point_of(lon, lat), e = cascade_point_of(lon_east, lat),
                        n = cascade_point_of(lon, lat_north);
    const int band = band_of(p.lat);
    if (e.D == p.D && n.F == p.F && band_of(n.lat) == band) {
      int tile = tile75_at(p.F, p.D);
      if (tile >= 0) {
        *h0 = tile75_height(tile, p);
        *h_east = tile75_height(tile, e);
        *h_north = tile75_height(tile, n);
        return;
      }
      const double lons[3] = {p.lon, e.lon, n.lon}, lats[3] = {p.lat, e.lat, n.lat};
      double h[3];
      int g = regional_at(p, band);
      if (g >= 0) {
        regional_rule3(g, lons, lats, h);
        *h0 = h[0], *h_east = h[1], *h_north = h[2];
        return;
      }
      // Past the regional grids, where no fifteen-degree tile reaches, the half-degree grid.
      if (!in_tile15_window(p) && !in_tile15_window(e) && !in_tile15_window(n)) {
        half_degree3(lons, lats, h);
        *h0 = h[0], *h_east = h[1], *h_north = h[2];
        return;
      }
    }
  }
  *h0 = geographic2altitude(lon, lat);
  *h_east = geographic2altitude(lon_east, lat);
  *h_north = geographic2altitude(lon, lat_north);
}

namespace {

// Whether any fifteen-degree tile's window (or the mean of two at 0 E) reaches into longitudes
// lon0 .. lon1 at latitude lat (degrees): a cheap test that holds for every point of a run when
// it is false.
inline bool tile15_near(double lon0, double lon1, double lat) {
  if (lat < tile15_lat_min() || lat > tile15_lat_max()) return false;
  if (lon0 <= 0 && lat >= 30 && lat <= 45) return true;
  for (const Tile15& t : tiles15)
    if (lat >= t.lat_from && lat <= t.lat_to && lon1 >= t.lon_from && lon0 <= t.lon_to) return true;
  return false;
}

}  // namespace

void geographic2altitude3_row(const double* lon, int n, double lat, double d, double* h) {
  const double lat_north = lat + d;
  // The shared road of geographic2altitude3 as far as it depends on the row alone.
  bool row_shared = finite2(lat, lat_north) && d >= 0 && lat_north < 1.570795326794897 &&
                    lat > -1.5697963267948971 && !(have_hgt && srtm_tile_usable());
  int F = 0, band = -1;
  double lat_deg = 0, lat_north_deg = 0;
  if (row_shared) {
    const cascade_point p = cascade_point_of(0, lat), q = cascade_point_of(0, lat_north);
    F = p.F, band = band_of(p.lat), lat_deg = p.lat, lat_north_deg = q.lat;
    row_shared = q.F == F && band_of(q.lat) == band;
  }
  // Runs of columns in one whole degree of longitude share their tables: the cascade decides
  // once for each run.
  int run_D = -1, tile = -1, g = -1;
  bool half_degree_only = false;
  for (int i = 0; i < n; i++) {
    double* out = h + 3 * i;
    const double lon_east = lon[i] + d;
    if (!row_shared || !finite2(lon[i], lon_east)) {
      geographic2altitude3(lon[i], lat, d, out, out + 1, out + 2);
      continue;
    }
    const cascade_point p = cascade_point_of(lon[i], lat), e = cascade_point_of(lon_east, lat);
    if (e.D != p.D) {
      geographic2altitude3(lon[i], lat, d, out, out + 1, out + 2);
      continue;
    }
    if (p.D != run_D) {
      run_D = p.D;
      tile = tile75_at(F, p.D);
      g = tile >= 0 ? -1 : regional_at(p, band);
      half_degree_only = tile < 0 && g < 0 && !tile15_near(p.D, p.D + 1, lat_deg) &&
                         !tile15_near(p.D, p.D + 1, lat_north_deg);
    }
    const cascade_point q = {p.lon, lat_north_deg, F, p.D};
    if (tile >= 0) {
      out[0] = tile75_height(tile, p);
      out[1] = tile75_height(tile, e);
      out[2] = tile75_height(tile, q);
      continue;
    }
    const double lons[3] = {p.lon, e.lon, p.lon}, lats[3] = {lat_deg, lat_deg, lat_north_deg};
    if (g >= 0) {
      regional_rule3(g, lons, lats, out);
    } else if (half_degree_only) {
      half_degree3(lons, lats, out);
    } else {
      geographic2altitude3(lon[i], lat, d, out, out + 1, out + 2);
    }
  }
}
