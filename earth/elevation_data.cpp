// The embedded tables of the elevation model. data/elevation.S links them from the generated
// files; the bytes stay in the mapped program and are read in place, so taking the model into use
// costs nothing at start.
#include "earth/elevation.h"

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the generated elevation tables are little-endian"
#endif

extern "C" {
extern const int16_t height05grid[361][720];
#define X(name, west, north, k) extern const int16_t elev_regional_##name[50 * (k)][40 * (k)];
ELEV_REGIONAL_GRIDS(X)
#undef X
#define X(name, west, north, k) extern const uint8_t elev_sea_##name[ELEV_SEA_BYTES(k)];
ELEV_REGIONAL_GRIDS(X)
#undef X
#define X(name, south, west) extern const int16_t elev_tile75_##name[76][76];
ELEV_TILES75(X)
#undef X
#define X(name, table, ...) extern const int16_t table[76][76];
ELEV_TILES15(X)
#undef X
extern const int16_t height10grid[17][36];
extern const int32_t height15grid[11][24];
extern const int32_t height20grid[9][18];
extern const int32_t height30grid[5][12];
}

// The assembler stub sizes each table by the same lists; these tie its sizes to the types.
static_assert(sizeof height05grid == ELEV_GRID05_BYTES, "half-degree grid");
static_assert(sizeof height10grid == ELEV_GRID10_BYTES, "10-degree grid");
static_assert(sizeof height15grid == ELEV_GRID15_BYTES, "15-degree grid");
static_assert(sizeof height20grid == ELEV_GRID20_BYTES, "20-degree grid");
static_assert(sizeof height30grid == ELEV_GRID30_BYTES, "30-degree grid");
#define X(name, west, north, k) \
  static_assert(sizeof elev_regional_##name == ELEV_REGIONAL_BYTES(k), #name);
ELEV_REGIONAL_GRIDS(X)
#undef X
static_assert(sizeof data_spain == ELEV_TILE_BYTES, "tile");

const ElevationData elevation_embedded = {
    &height05grid[0][0],
    {
#define X(name, ...) &elev_regional_##name[0][0],
        ELEV_REGIONAL_GRIDS(X)
#undef X
    },
    {
#define X(name, ...) elev_sea_##name,
        ELEV_REGIONAL_GRIDS(X)
#undef X
    },
    {
#define X(name, ...) &elev_tile75_##name[0][0],
        ELEV_TILES75(X)
#undef X
    },
    {
#define X(name, table, ...) &table[0][0],
        ELEV_TILES15(X)
#undef X
    },
    &height10grid[0][0],
    &height15grid[0][0],
    &height20grid[0][0],
    &height30grid[0][0],
};

const ElevationData* elevation_data = &elevation_embedded;
