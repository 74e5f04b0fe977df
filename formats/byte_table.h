// A byte as 0 to 1 (byte2float) looked up instead of divided, for the hot loops of the raster
// readers; and the fill of pixels a file does not give.
#pragma once
#include <cstdint>

// byte_table()[b] == byte2float(b) for every byte b.
const float* byte_table();

// Pixels from `from` to `n` (counts of the loaded image) take the readers' grey (0.5, 0.5, 0.5, 1).
void fill_grey_from(int64_t from, int64_t n);
