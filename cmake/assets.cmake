# Build-time generators. Each tools/<name>.cmake calls suncalc_asset(); the blobs land in
# SUNCALC_GEN_DIR, where the data/*.S files find them with .incbin.
#
#   suncalc_asset(NAME gen_font SOURCES tools/gen_font.cpp
#                 INPUTS /usr/share/seabios/vgabios-stdvga.bin   # files read (checked at configure)
#                 PACKAGE seabios                                 # Debian package that provides them
#                 ARGS <command-line arguments>                   # outputs are relative to SUNCALC_GEN_DIR
#                 OUTPUTS font.bin
#                 LIBS <libraries the generator links>)
define_property(GLOBAL PROPERTY SUNCALC_ASSET_OUTPUTS BRIEF_DOCS "generated blobs" FULL_DOCS "generated blobs")

function(suncalc_asset)
  cmake_parse_arguments(A "" "NAME;PACKAGE" "SOURCES;INPUTS;ARGS;OUTPUTS;LIBS" ${ARGN})
  foreach(in ${A_INPUTS})
    if(NOT EXISTS ${in})
      message(FATAL_ERROR "${A_NAME} needs ${in}: install the Debian package ${A_PACKAGE} (./run.sh and ./test.sh do)")
    endif()
  endforeach()
  add_executable(${A_NAME} ${A_SOURCES})
  target_include_directories(${A_NAME} PRIVATE ${CMAKE_SOURCE_DIR})
  target_compile_options(${A_NAME} PRIVATE -O2)
  if(A_LIBS)
    target_link_libraries(${A_NAME} PRIVATE ${A_LIBS})
  endif()
  set(outs "")
  foreach(o ${A_OUTPUTS})
    list(APPEND outs ${SUNCALC_GEN_DIR}/${o})
  endforeach()
  add_custom_command(OUTPUT ${outs}
    COMMAND ${A_NAME} ${A_ARGS}
    WORKING_DIRECTORY ${SUNCALC_GEN_DIR}
    DEPENDS ${A_NAME} ${A_INPUTS}
    COMMENT "generating ${A_OUTPUTS}" VERBATIM)
  set_property(GLOBAL APPEND PROPERTY SUNCALC_ASSET_OUTPUTS ${outs})
endfunction()

function(suncalc_wire_assets target)
  get_property(outs GLOBAL PROPERTY SUNCALC_ASSET_OUTPUTS)
  if(outs)
    add_custom_target(suncalc_assets DEPENDS ${outs})
    add_dependencies(${target} suncalc_assets)
    file(GLOB asm CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*.S)
    foreach(s ${asm})
      set_source_files_properties(${s} PROPERTIES OBJECT_DEPENDS "${outs}")
    endforeach()
  endif()
endfunction()
