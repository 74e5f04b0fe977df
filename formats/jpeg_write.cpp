// The JPEG export's compressor. The library's fatal errors long-jump back to the recovery point
// shared with the reader, after the compressor has been released.
#include "formats/jpeg_write.h"

#include <csetjmp>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "formats/jpeg.h"
#include "platform/sleep.h"

namespace {

// Plain data in static storage: nothing with a destructor lies between the setjmp and the library
// frames a fatal error jumps out of.
jpeg_compress_struct cinfo;
jpeg_error_mgr jerr;

// Every message the library emits, warnings included: the text, then a pause so that it can be
// read on a console that is about to scroll.
void export_output_message(j_common_ptr c) {
  char text[JMSG_LENGTH_MAX];
  c->err->format_message(c, text);
  fprintf(stderr, "%s\n", text);
  plat_sleep_ms(1300);
}

void export_error_exit(j_common_ptr c) {
  c->err->output_message(c);
  jpeg_destroy(c);
  longjmp(env, 1);
}

// Rows handed to the library in one call, at most: fewer calls when the rows are all there.
const int ROWS_A_CALL = 32;

}  // namespace

// A fatal error returns here through setjmp with the compressor released. Between the setjmp and
// the library frames lie only plain data and calls that have returned.
int write_jpeg_rgb(FILE* stream, const unsigned char* rgb, int w, int h,
                   const std::function<int(int)>& rows_ready) {
  cinfo.err = jpeg_std_error(&jerr);
  jerr.output_message = export_output_message;
  jerr.error_exit = export_error_exit;
  if (setjmp(env)) return -1;
  jpeg_create_compress(&cinfo);
  jpeg_stdio_dest(&cinfo, stream);
  cinfo.image_width = (JDIMENSION)w;
  cinfo.image_height = (JDIMENSION)h;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 92, TRUE);
  cinfo.dct_method = JDCT_FLOAT;
  cinfo.optimize_coding = TRUE;
  cinfo.smoothing_factor = 5;
  jpeg_start_compress(&cinfo, TRUE);
  const size_t stride = (size_t)w * 3;
  int ready = 0;
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = (int)cinfo.next_scanline;
    if (ready <= y) ready = rows_ready ? rows_ready(y) : h;
    JSAMPROW rows[ROWS_A_CALL];
    int n = 0;
    for (; n < ROWS_A_CALL && y + n < ready && y + n < h; n++)
      rows[n] = const_cast<JSAMPLE*>(rgb + (size_t)(y + n) * stride);  // only read
    jpeg_write_scanlines(&cinfo, rows, (JDIMENSION)n);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return 0;
}
