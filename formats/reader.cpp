#include "formats/reader.h"

#include <cstdarg>
#include <cstdio>

#include "view/canvas.h"
#include "view/screen.h"

char reader_refusal[256];
const char* const DAMAGED_TEXT = "damaged file: part of the picture is missing";

bool image_size_ok(int64_t w, int64_t h) {
  return w <= MAX_IMAGE_SIDE && h <= MAX_IMAGE_SIDE && pixel_count_ok(w, h);
}

int size_loaded_image(int64_t w, int64_t h) {
  if (!image_size_ok(w, h)) return SIZE_REFUSED;
  return resize_loaded_image(w, h) == 0 ? SIZE_OK : SIZE_NO_MEMORY;
}

Cursor file_cursor(int64_t pos) {
  Cursor c;
  c.data = bin_content;
  c.size = bin_content && bin_allocated > 0 ? bin_allocated : 0;
  c.seek(pos);
  return c;
}

static void keep_text(const char* format, va_list ap) {
  vsnprintf(reader_refusal, sizeof reader_refusal, format, ap);
}

void refuse_on_canvas(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  keep_text(format, ap);
  va_end(ap);
  bluescreen(reader_refusal);
}

int refused(int result, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  keep_text(format, ap);
  va_end(ap);
  puts(reader_refusal);
  return result;
}

void show_error_canvas() { bluescreen(""); }

void refuse_silently(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  keep_text(format, ap);
  va_end(ap);
  puts(reader_refusal);
  bluescreen("");
  set_status(reader_refusal);
}

void note_damaged() { set_status(DAMAGED_TEXT); }
