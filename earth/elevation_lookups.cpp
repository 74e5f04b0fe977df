// The named look-ups of the elevation model: one thin function per table, each applying its
// family's rule to its own table.
#include "earth/elevation.h"

#define X(name, south, west)                                                                 \
  double elev_imp_##name(double lon, double lat) {                                           \
    return elev_import75(south, west, elevation_data->tile75[ELEV_TILE75_##name], lon, lat); \
  }
ELEV_TILES75(X)
#undef X

#define X(name, ...)                                        \
  double elev_imp_##name(double lon, double lat) {          \
    return regional_lookup(ELEV_REGIONAL_##name, lon, lat); \
  }
ELEV_REGIONAL_GRIDS(X)
#undef X

#define X(name, ...)                                    \
  double elevation15_##name(double lon, double lat) {   \
    return tile15_lookup(ELEV_TILE15_##name, lon, lat); \
  }
ELEV_TILES15(X)
#undef X
