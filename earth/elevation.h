// The elevation model: height in metres above sea level (negative below it) for any point of the
// Earth, from the embedded tables and, inside its area, the loaded terrain tile (earth/srtm.h).
//
// Conventions: geographic2altitude and the coarse look-ups take radians; every other look-up takes
// degrees, longitude first, longitudes east (the model runs 0..360). All look-ups are pure
// functions of read-only tables and the terrain tile state, safe to call from several threads
// while no tile is being loaded. A NaN or infinite coordinate gives NaN; no coordinate reads
// outside a table.
#pragma once
#include <cstdint>

#include "earth/elevation_tables.h"

constexpr int height_north_pole = -4261;
constexpr int height_south_pole = 2835;

enum {
#define X(name, ...) ELEV_REGIONAL_##name,
  ELEV_REGIONAL_GRIDS(X)
#undef X
      ELEV_N_REGIONAL
};
enum {
#define X(name, ...) ELEV_TILE75_##name,
  ELEV_TILES75(X)
#undef X
      ELEV_N_TILES75
};
enum {
#define X(name, ...) ELEV_TILE15_##name,
  ELEV_TILES15(X)
#undef X
      ELEV_N_TILES15
};

// Where each table of the model lives. The embedded set points into the program's read-only
// data; tests point elevation_data at tables of their own with the same shapes.
struct ElevationData {
  const int16_t* grid05;                     // [361][720], row r at -90 + r/2, column c at c/2 E
  const int16_t* regional[ELEV_N_REGIONAL];  // [50 k][40 k] each, see ELEV_REGIONAL_GRIDS
  // Sea index of each regional grid (ELEV_SEA_BYTES), or null to read the grid every time.
  const uint8_t* regional_sea[ELEV_N_REGIONAL];
  const int16_t* tile75[ELEV_N_TILES75];  // [76][76] each, see ELEV_TILES75
  const int16_t* tile15[ELEV_N_TILES15];  // [76][76] each, see ELEV_TILES15
  const int16_t* grid10;                  // [17][36]
  const int32_t* grid15;                  // [11][24]
  const int32_t* grid20;                  // [9][18]
  const int32_t* grid30;                  // [5][12]
};
extern const ElevationData elevation_embedded;
// The tables every look-up reads; &elevation_embedded unless a test swapped them.
extern const ElevationData* elevation_data;

// Places and shapes of the tables, in list order.
struct RegionalGrid {
  const char* name;  // "elev_imp_n90_e20"
  int west, north;   // edges, degrees (west edge east of Greenwich, 0..359)
  int k;             // samples a degree
  int rows, cols;    // 50 k, 40 k
};
inline constexpr RegionalGrid regional_grids[ELEV_N_REGIONAL] = {
#define X(name, west, north, k) {"elev_imp_" #name, west, north, k, 50 * (k), 40 * (k)},
    ELEV_REGIONAL_GRIDS(X)
#undef X
};
struct Tile75 {
  const char* name;  // "elev_imp_n47_e8"
  int south, west;   // south-west corner, degrees (west 0..359 east)
};
inline constexpr Tile75 tiles75[ELEV_N_TILES75] = {
#define X(name, south, west) {"elev_imp_" #name, south, west},
    ELEV_TILES75(X)
#undef X
};
struct Tile15 {
  const char* name;                           // "elevation15_n30w15"
  const char* table;                          // "data_spain"
  double lat_from, lat_to, lon_from, lon_to;  // the cascade's window, inclusive
  int south, west;                            // corner of the table
};
inline constexpr Tile15 tiles15[ELEV_N_TILES15] = {
#define X(name, table, lat0, lat1, lon0, lon1, south, west) \
  {"elevation15_" #name, #table, lat0, lat1, lon0, lon1, south, west},
    ELEV_TILES15(X)
#undef X
};

// The cascade: longitude and latitude in radians, any longitude. Tries in this order the poles,
// the loaded terrain tile, the one-degree tiles, the regional grids, the fifteen-degree tiles
// and the half-degree grid, and returns the first answer.
double geographic2altitude(double lon, double lat);

// The cascade at three points at once, each exactly as geographic2altitude gives it: at (lon,
// lat), one step d east (lon + d, lat) and one step north (lon, lat + d), radians. Faster than
// three calls where the points share their road through the cascade, as close points do.
void geographic2altitude3(double lon, double lat, double d, double* h0, double* h_east,
                          double* h_north);

// geographic2altitude3 for the n points (lon[i], lat) of one row of longitudes, into h[3 i],
// h[3 i + 1] and h[3 i + 2]; the same heights, with the cascade's choice of table made once for
// each run of points in one degree of longitude.
void geographic2altitude3_row(const double* lon, int n, double lat, double d, double* h);

// Bilinear height from the half-degree grid; longitude in degrees (reduced by whole turns),
// latitude in degrees (limited to -90..90).
double geographic2altitude_05(double lon, double lat);

// One-degree tile rule on the 76 x 76 table t with south-west corner (lat0, lon0) degrees (lon0
// negative is taken +360, then +720 if still negative), at lon, lat degrees; followed by the sea
// rule. Points outside the square take the nearest edge sample.
double elev_import75(int lat0, int lon0, const int16_t* t, double lon, double lat);

// The named look-ups, each over its own table: the 120 one-degree tiles and the 23 regional
// grids (degrees, within their own area, with the sea rule) and the 11 fifteen-degree tiles
// (plain bilinear, sea depths included).
#define X(name, ...) double elev_imp_##name(double lon, double lat);
ELEV_TILES75(X)
ELEV_REGIONAL_GRIDS(X)
#undef X
#define X(name, ...) double elevation15_##name(double lon, double lat);
ELEV_TILES15(X)
#undef X

// The same rules by index, for the cascade and for tests.
double regional_lookup(int index, double lon, double lat);
double tile15_lookup(int index, double lon, double lat);

// Coarse grids of 10, 15, 20 and 30 degrees, for the globe's geometry test tool; radians. The 20-
// and 30-degree look-ups print "th0,th1=%d,%d\n" on every call.
double geographic2altitude_10(double lon, double lat);
double geographic2altitude_15(double lon, double lat);
double geographic2altitude_20(double lon, double lat);
double geographic2altitude_30(double lon, double lat);

// Prints the queries of an outside elevation web service for the 76 x 5 samples of five rows of
// a fifteen-degree tile starting at lat, lon degrees.
void print_elev_cmd(double lat, double lon);
