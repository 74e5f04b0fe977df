/* The globe's images (written by tools/gen_day_texture and tools/gen_night_lights), read in place
   from the mapped program. The assembly stops when a file's length is not its image's size. */
#include "data/blob.inc"
#include "earth/globe_texture_sizes.h"

.macro IMAGE sym, file, bytes
  BLOB \sym, "\file"
  .if (\sym\()_end - \sym) - (\bytes)
  .error "\file is not the size of its image"
  .endif
.endm

  IMAGE rgb_data, earth_day.bin, GLOBE_DAY_BYTES
  IMAGE rgb_data_small, earth_day_small.bin, GLOBE_SMALL_BYTES
  IMAGE night, night_lights.bin, GLOBE_NIGHT_BYTES
