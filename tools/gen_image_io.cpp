#include "tools/gen_image_io.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace {

struct error_jump {
  jpeg_error_mgr mgr;
  jmp_buf back;
  char message[JMSG_LENGTH_MAX];
};

void on_error(j_common_ptr cinfo) {
  error_jump* e = reinterpret_cast<error_jump*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, e->message);
  longjmp(e->back, 1);
}

// Only plain data lives here: the long jump skips destructors.
bool decode(FILE* f, int max_w, int max_h, unsigned char** out, int* w, int* h, char* why,
            size_t why_size) {
  jpeg_decompress_struct cinfo;
  error_jump err;
  cinfo.err = jpeg_std_error(&err.mgr);
  err.mgr.error_exit = on_error;
  err.message[0] = 0;
  *out = nullptr;
  if (setjmp(err.back)) {
    snprintf(why, why_size, "damaged JPEG: %s", err.message);
    jpeg_destroy_decompress(&cinfo);
    free(*out);
    *out = nullptr;
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_stdio_src(&cinfo, f);
  jpeg_read_header(&cinfo, TRUE);
  if ((int64_t)cinfo.image_width > max_w || (int64_t)cinfo.image_height > max_h ||
      cinfo.image_width == 0 || cinfo.image_height == 0) {
    snprintf(why, why_size, "%u x %u pixels is outside 1..%d x 1..%d", cinfo.image_width,
             cinfo.image_height, max_w, max_h);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  cinfo.out_color_space = JCS_RGB;
  cinfo.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&cinfo);
  size_t row = (size_t)cinfo.output_width * 3;
  *out = (unsigned char*)malloc(row * cinfo.output_height);
  if (!*out) {
    snprintf(why, why_size, "no memory for %u x %u pixels", cinfo.output_width,
             cinfo.output_height);
    jpeg_destroy_decompress(&cinfo);
    return false;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW p = *out + row * cinfo.output_scanline;
    jpeg_read_scanlines(&cinfo, &p, 1);
  }
  // A file that ends early is filled in by the library with a warning; a blob built from it
  // would be wrong without anyone noticing.
  if (cinfo.err->num_warnings > 0) {
    snprintf(why, why_size, "the JPEG data is incomplete or damaged");
    jpeg_destroy_decompress(&cinfo);
    free(*out);
    *out = nullptr;
    return false;
  }
  *w = (int)cinfo.output_width;
  *h = (int)cinfo.output_height;
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return true;
}

}  // namespace

bool decode_jpeg_rgb(const char* path, int max_w, int max_h, std::vector<unsigned char>* rgb,
                     int* w, int* h, std::string* error) {
  FILE* f = fopen(path, "rb");
  if (!f) {
    *error = "cannot be opened";
    return false;
  }
  unsigned char* pixels = nullptr;
  char why[JMSG_LENGTH_MAX + 64];
  bool ok = decode(f, max_w, max_h, &pixels, w, h, why, sizeof why);
  fclose(f);
  if (!ok) {
    *error = why;
    return false;
  }
  rgb->assign(pixels, pixels + (size_t)*w * *h * 3);
  free(pixels);
  return true;
}
