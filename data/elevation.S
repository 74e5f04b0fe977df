/* The elevation model's tables (written by tools/gen_elevation), read in place from the mapped
   program. Each family file holds its tables back to back in the order of the lists in
   earth/elevation_tables.h; every table gets its own symbol, and the assembly stops with an
   error when a file is shorter or longer than its list says. */
#include "data/blob.inc"
#include "earth/elevation_tables.h"

/* TABLE sym, file, bytes: the next `bytes` bytes of `file` as the read-only object `sym`. */
.macro TABLE sym, file, bytes
  .global \sym
  .type \sym, @object
\sym:
  .incbin "\file", .Lelev_off, \bytes
  .if (. - \sym) - (\bytes)
  .error "\file is shorter than its tables"
  .endif
  .size \sym, \bytes
  .set .Lelev_off, .Lelev_off + (\bytes)
.endm

/* CHECK_END file: the file must end where its last table ended. */
.macro CHECK_END file
.Lelev_rest\@:
  .incbin "\file", .Lelev_off
  .if . - .Lelev_rest\@
  .error "\file is longer than its tables"
  .endif
.endm

  .section .rodata.elev_grid05, "a", @progbits
  .balign 64
  .set .Lelev_off, 0
  TABLE height05grid, "height05grid.bin", ELEV_GRID05_BYTES
  CHECK_END "height05grid.bin"

  .section .rodata.elev_regional, "a", @progbits
  .balign 64
  .set .Lelev_off, 0
#define X(name, west, north, k) \
  TABLE elev_regional_##name, "elev_regional.bin", ELEV_REGIONAL_BYTES(k);
  ELEV_REGIONAL_GRIDS(X)
#undef X
  CHECK_END "elev_regional.bin"

  .section .rodata.elev_regional_sea, "a", @progbits
  .balign 64
  .set .Lelev_off, 0
#define X(name, west, north, k) \
  TABLE elev_sea_##name, "elev_regional_sea.bin", ELEV_SEA_BYTES(k);
  ELEV_REGIONAL_GRIDS(X)
#undef X
  CHECK_END "elev_regional_sea.bin"

  .section .rodata.elev_tiles75, "a", @progbits
  .balign 64
  .set .Lelev_off, 0
#define X(name, south, west) TABLE elev_tile75_##name, "elev_tiles75.bin", ELEV_TILE_BYTES;
  ELEV_TILES75(X)
#undef X
  CHECK_END "elev_tiles75.bin"

  .section .rodata.elev_tiles15, "a", @progbits
  .balign 64
  .set .Lelev_off, 0
#define X(name, table, ...) TABLE table, "elev_tiles15.bin", ELEV_TILE_BYTES;
  ELEV_TILES15(X)
#undef X
  CHECK_END "elev_tiles15.bin"

  .section .rodata.elev_coarse, "a", @progbits
  .balign 64
  .set .Lelev_off, 0
  TABLE height10grid, "elev_coarse.bin", ELEV_GRID10_BYTES
  TABLE height15grid, "elev_coarse.bin", ELEV_GRID15_BYTES
  TABLE height20grid, "elev_coarse.bin", ELEV_GRID20_BYTES
  TABLE height30grid, "elev_coarse.bin", ELEV_GRID30_BYTES
  CHECK_END "elev_coarse.bin"
