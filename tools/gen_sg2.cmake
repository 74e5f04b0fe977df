# The SG2 tables, computed with ERFA (liberfa-dev) and the Delta T and nutation series.
suncalc_asset(NAME gen_sg2 SOURCES tools/gen_sg2.cpp
  PACKAGE liberfa-dev
  ARGS sg2_delta_tt.bin sg2_heliocentric_R.bin sg2_heliocentric_L.bin sg2_delta_psi.bin sg2_epsilon.bin
  OUTPUTS sg2_delta_tt.bin sg2_heliocentric_R.bin sg2_heliocentric_L.bin sg2_delta_psi.bin sg2_epsilon.bin
  LIBS PkgConfig::ERFA m)

# The earth tests check the tables against ERFA's own full nutation series and calendar, so
# their program links ERFA too; it is created after this file is read.
function(sg2_link_tests_with_erfa)
  if(TARGET test_earth)
    target_link_libraries(test_earth PRIVATE PkgConfig::ERFA)
  endif()
endfunction()
cmake_language(DEFER CALL sg2_link_tests_with_erfa)
