suncalc_asset(NAME gen_colour_names SOURCES tools/gen_colour_names.cpp tools/gen_file_io.cpp
  INPUTS ${SUNCALC_SHARE}/X11/rgb.txt ${SUNCALC_SHARE}/netpbm/rgb.txt PACKAGE "x11-common and netpbm"
  ARGS ${SUNCALC_SHARE}/X11/rgb.txt ${SUNCALC_SHARE}/netpbm/rgb.txt colour_names.bin
  OUTPUTS colour_names.bin)
