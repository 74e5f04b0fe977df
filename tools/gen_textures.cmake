suncalc_asset(NAME gen_day_texture SOURCES tools/gen_day_texture.cpp tools/gen_image_io.cpp
  tools/gen_file_io.cpp
  INPUTS ${SUNCALC_SHARE}/xplanet/images/earth.jpg PACKAGE xplanet-images
  ARGS ${SUNCALC_SHARE}/xplanet/images/earth.jpg .
  OUTPUTS earth_day.bin earth_day_small.bin
  LIBS JPEG::JPEG)
suncalc_asset(NAME gen_night_lights
  SOURCES tools/gen_night_lights.cpp tools/gen_image_io.cpp tools/gen_elevation_cdf.cpp
          tools/gen_file_io.cpp
  INPUTS ${SUNCALC_SHARE}/marble/data/maps/earth/citylights/citylights.jpg
         ${SUNCALC_SHARE}/ferret-vis/data/etopo5.cdf
  PACKAGE "marble-qt-data and ferret-datasets"
  ARGS ${SUNCALC_SHARE}/marble/data/maps/earth/citylights/citylights.jpg
       ${SUNCALC_SHARE}/ferret-vis/data/etopo5.cdf .
  OUTPUTS night_lights.bin
  LIBS JPEG::JPEG)
