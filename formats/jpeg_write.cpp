// The JPEG export's compressor. The library's fatal errors long-jump back to the recovery point
// shared with the reader, after the compressor has been released.
#include "formats/jpeg_write.h"

#include <csetjmp>
#include <cstdlib>

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

// The library calls only: a fatal error returns here through setjmp with the compressor released.
int compress_rows(FILE* stream, const unsigned char* rgba, JSAMPLE* row, int w, int h) {
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
  while (cinfo.next_scanline < cinfo.image_height) {
    const unsigned char* s = rgba + (size_t)cinfo.next_scanline * (size_t)w * 4;
    for (int x = 0; x < w; x++) {
      row[3 * x] = s[4 * x];
      row[3 * x + 1] = s[4 * x + 1];
      row[3 * x + 2] = s[4 * x + 2];
    }
    JSAMPROW r = row;
    jpeg_write_scanlines(&cinfo, &r, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return 0;
}

}  // namespace

int write_jpeg_rgba(FILE* stream, const unsigned char* rgba, int w, int h) {
  JSAMPLE* row = (JSAMPLE*)malloc(w > 0 ? (size_t)w * 3 : 1);
  if (!row) {
    printf("out of memory\n");
    return -1;
  }
  int r = compress_rows(stream, rgba, row, w, h);
  free(row);
  return r;
}
