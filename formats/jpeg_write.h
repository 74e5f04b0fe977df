// The JPEG export's compressor: the library with the export's settings and error handling.
#pragma once
#include <cstdio>

// Compresses w x h pixels of 4 bytes (red, green, blue, then a byte not used), rows top first, into
// `stream`: baseline JPEG at quality 92 with the library's default sampling (2x2 luma), float DCT,
// optimised Huffman tables and smoothing 5. A fatal library error (a side over 65,500, a failed
// write) prints the library's message on the error stream, pauses 1300 ms and returns -1; the
// stream then holds a partial file. A row buffer that cannot be had prints "out of memory" and
// returns -1 before anything is written. Returns 0 when the whole file went to the stream.
// Uses `env` (formats/jpeg.h): no other JPEG operation may run meanwhile.
int write_jpeg_rgba(FILE* stream, const unsigned char* rgba, int w, int h);
