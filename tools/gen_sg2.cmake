# The SG2 tables, computed with ERFA (liberfa-dev) and the Delta T and nutation series.
suncalc_asset(NAME gen_sg2 SOURCES tools/gen_sg2.cpp tools/gen_file_io.cpp
  PACKAGE liberfa-dev
  ARGS sg2_delta_tt.bin sg2_heliocentric_R.bin sg2_heliocentric_L.bin sg2_delta_psi.bin sg2_epsilon.bin
  OUTPUTS sg2_delta_tt.bin sg2_heliocentric_R.bin sg2_heliocentric_L.bin sg2_delta_psi.bin sg2_epsilon.bin
  LIBS PkgConfig::ERFA m)

