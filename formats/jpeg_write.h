// The JPEG export's compressor: the library with the export's settings and error handling.
#pragma once
#include <cstdio>
#include <functional>

// Compresses w x h pixels of packed RGB (3 bytes a pixel, rows top first) into `stream`: baseline
// JPEG at quality 92 with the library's default sampling (2x2 luma), float DCT, optimised Huffman
// tables and smoothing 5. When given, rows_ready(y) is called before row y is read and returns
// once that row is final, with how many rows from the top are (more than y), so the rows can be
// compressed while they are still being made; the bytes do not depend on it. All the library's
// calls run on the calling thread. A fatal library error (a side over 65,500, a failed write)
// prints the library's message on the error stream, pauses 1300 ms and returns -1: it never
// jumps out of this call, so a caller may have threads of its own running. The stream then holds
// a partial file. Returns 0 when the whole file went to the stream.
// Uses `env` (formats/jpeg.h): no other JPEG operation may run meanwhile.
int write_jpeg_rgb(FILE* stream, const unsigned char* rgb, int w, int h,
                   const std::function<int(int)>& rows_ready = nullptr);
