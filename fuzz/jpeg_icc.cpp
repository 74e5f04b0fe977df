// libFuzzer target for the ICC profile markers: every input is read as a JPEG header with its APP2
// segments kept, and the profile is joined from them.
#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "formats/jpeg_icc.h"

namespace {

// Plain data in static storage: a library error long-jumps over the library's frames.
jpeg_decompress_struct d;
jpeg_error_mgr e;
jmp_buf jump;

void jump_back(j_common_ptr) { longjmp(jump, 1); }
void quiet(j_common_ptr, int) {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 256 * 1024) return 0;
  d.err = jpeg_std_error(&e);
  e.error_exit = jump_back;
  e.emit_message = quiet;
  if (setjmp(jump)) {
    jpeg_destroy_decompress(&d);
    return 0;
  }
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, data, size);
  setup_read_icc_profile(&d);
  jpeg_read_header(&d, TRUE);
  unsigned char* profile = nullptr;
  unsigned length = 0;
  if (read_icc_profile(&d, &profile, &length)) {
    // Every byte of the joined block must be readable.
    volatile unsigned sum = 0;
    for (unsigned i = 0; i < length; i++) sum += profile[i];
    free(profile);
  }
  jpeg_destroy_decompress(&d);
  return 0;
}
