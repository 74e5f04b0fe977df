suncalc_asset(NAME gen_font SOURCES tools/gen_font.cpp tools/gen_file_io.cpp
  INPUTS ${SUNCALC_SHARE}/seabios/vgabios-stdvga.bin PACKAGE seabios
  ARGS ${SUNCALC_SHARE}/seabios/vgabios-stdvga.bin font.bin
  OUTPUTS font.bin)
