// Field readers at an offset of the file buffer, shared by the raster readers. Bytes outside the
// buffer read as 0, so a field that a short file cuts off comes out as 0 (or partly 0) instead of
// being read from beyond the block.
#pragma once
#include <cstdint>

int get_int2(int64_t pos);   // unsigned 16-bit little-endian
int get_int4(int64_t pos);   // 32-bit little-endian, as int
int get_int2o(int64_t pos);  // unsigned 16-bit big-endian
int get_int4o(int64_t pos);  // 32-bit big-endian, as int

// A byte as 0 to 1 (b / 255), and a 16-bit sample as 0 to 1 (v / 65535).
inline float byte2float(int b) { return (float)b / 255.0f; }
inline float short2float(int v) { return (float)v / 65535.0f; }
