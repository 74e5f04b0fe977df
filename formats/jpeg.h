// The JPEG reader and its process-wide state.
#pragma once
#include <csetjmp>
#include <cstdint>

// The recovery point of fatal JPEG library errors. The reader sets it before it creates its
// decompressor (the JPEG export before it creates its compressor); their fatal-error routines
// long-jump to it with the value 1. Only one JPEG operation may be in progress at a time.
extern jmp_buf env;

// 1 while load_jpg or the JPEG export runs. The reader lets the toolkit handle events at five
// points of a load; an event handler that would open another file or start another JPEG
// operation then must not, as the file buffer, the loaded image and `env` are still in use.
// load_jpg and the export refuse to run meanwhile.
extern int jpeg_busy;

// Test hook: pictures of more pixels than this are refused as too large before anything is
// allocated (fuzzing keeps decodes small with it). By default the shared cap applies.
extern int64_t jpeg_max_pixels;

// Reads the JPEG in the file buffer into the loaded image and posts it, recentred when fit is
// non-zero. 0 on success, 999 when out of memory, other non-zero on failure.
int load_jpg(int fit);
