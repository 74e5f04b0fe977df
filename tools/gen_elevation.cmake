suncalc_asset(NAME gen_elevation
  SOURCES tools/gen_elevation.cpp tools/gen_elevation_cdf.cpp tools/gen_file_io.cpp
  INPUTS ${SUNCALC_SHARE}/ferret-vis/data/etopo5.cdf PACKAGE ferret-datasets
  ARGS ${SUNCALC_SHARE}/ferret-vis/data/etopo5.cdf .
  OUTPUTS height05grid.bin elev_regional.bin elev_regional_sea.bin elev_tiles75.bin
          elev_tiles15.bin elev_coarse.bin)
