// The JPEG export: the canvas is switched to the picture's size for the composition and the
// quantiser, then put back; the compressed file replaces its target only once it is complete.
#include "app/jpeg_export.h"

#include <FL/fl_ask.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/open_file.h"
#include "app/startup.h"
#include "formats/jpeg.h"
#include "formats/jpeg_write.h"
#include "platform/dialogs.h"
#include "platform/display.h"
#include "platform/files.h"
#include "view/canvas.h"
#include "view/compose.h"
#include "view/quantise.h"
#include "view/screen.h"
#include "view/zoom.h"

namespace {

const size_t MAX_CHOSEN = 400;
const int CHOOSER_ROOM = 4096;  // longer names arrive cut to this, and are refused all the same

// openfilename with "jpg" in place of a three-character extension.
void suggest_name(char* out, size_t size) {
  snprintf(out, size, "%s", openfilename);
  size_t n = strlen(out);
  if (n >= 4 && out[n - 4] == '.') memcpy(out + n - 3, "jpg", 3);
}

// Appends ".jpg" to a name without a three-character extension (name has room for it). False for
// a name with another extension.
bool give_jpeg_extension(char* name) {
  size_t n = strlen(name);
  if (n <= 4 || name[n - 4] != '.') {
    memcpy(name + n, ".jpg", 5);
    return true;
  }
  return strcmp(name + n - 4, ".jpg") == 0;
}

bool file_exists(const char* name) {
  FILE* f = fopen(name, "rb");
  if (f) fclose(f);
  return f != nullptr;
}

// The compressed picture under a temporary name beside `name`, renamed over it when complete.
void write_file(const char* name, const unsigned char* rgba, int w, int h) {
  char temp[CHOOSER_ROOM + 64];
  FILE* f = plat_create_beside(name, temp, sizeof temp);
  int r = -1;
  if (f) {
    if (write_jpeg_rgba(f, rgba, w, h) == 0)
      r = plat_replace_with(f, temp, name);
    else
      plat_discard(f, temp);
  }
  if (r != 0) set_status("error saving jpeg");
}

// Composes the picture at 1:1 without pan into the canvas (already of the picture's size) and
// quantises it into rgb with error rows of its width; then gives the rows back the size the
// screen and the restored canvas (old_width wide) need. False when rows could not be had: then
// nothing is to be written.
bool compose_and_quantise(unsigned char* rgb, int old_width) {
  int sx = shiftx, sy = shifty;
  shiftx = shifty = 0;
  image2frame(zoom_step_1_1());
  shiftx = sx;
  shifty = sy;
  if (alloc_err_rows(3 * (width + 80)) != 0) {
    printf("mem error: err_lines\n");
    return false;
  }
  quant_display(rgb, 1);
  int sw, sh;
  plat_screen_size(&sw, &sh);
  if (alloc_err_rows(3 * ((sw > old_width ? sw : old_width) + 80)) != 0) {
    // The picture's rows stay: valid, though maybe too short for the canvas, which the
    // quantiser then leaves alone.
    printf("mem error: err_lines\n");
    return false;
  }
  return true;
}

void export_to(const char* name) {
  const int w = image_xres, h = image_yres;
  const size_t pixels = (size_t)(w > 0 ? w : 0) * (size_t)(h > 0 ? h : 0);
  unsigned char* rgba = (unsigned char*)malloc(pixels ? pixels * 4 : 1);
  if (!rgba) {
    printf("mem error: temp_buffer\n");
    return;
  }
  // The canvas block is kept aside rather than freed, so that putting it back cannot fail.
  float* old_fimage = fimage;
  const int old_width = width, old_height = height;
  fimage = nullptr;
  width = w;
  height = h;
  bool ok = alloc_fimage(w, h) == 0;
  if (!ok) printf("mem error: fimage\n");
  unsigned char* rgb = nullptr;
  if (ok) {
    rgb = (unsigned char*)malloc(pixels ? pixels * 3 : 1);
    if (!rgb) printf("mem error: uimage\n");
    ok = rgb != nullptr;
  }
  if (ok) ok = compose_and_quantise(rgb, old_width);
  if (ok) {
    for (size_t i = 0; i < pixels; i++) {
      rgba[4 * i] = rgb[3 * i];
      rgba[4 * i + 1] = rgb[3 * i + 1];
      rgba[4 * i + 2] = rgb[3 * i + 2];
      rgba[4 * i + 3] = 255;
    }
  }
  free(rgb);
  if (ok) write_file(name, rgba, w, h);

  free(fimage);
  fimage = old_fimage;
  width = old_width;
  height = old_height;
  image2frame(zoom);
  free(rgba);
}

}  // namespace

void cb_save_jpeg() {
  if (jpeg_busy || do_open_busy()) return;
  char suggested[sizeof openfilename];
  suggest_name(suggested, sizeof suggested);
  char chosen[CHOOSER_ROOM + 8];
  if (plat_choose_save_file("Choose file", " \t*.jpg", suggested, chosen, CHOOSER_ROOM) != 0)
    return;
  if (strlen(chosen) > MAX_CHOSEN || !give_jpeg_extension(chosen)) return;
  if (file_exists(chosen) && plat_choice("file exists, overwrite?", fl_yes, fl_no) == 1) return;
  show_wait_cursor(true);
  jpeg_busy = 1;
  export_to(chosen);
  jpeg_busy = 0;
  show_wait_cursor(false);
}

void cb_save_tiff_archive() {
  FILE* f = fopen("test.tif", "wb");
  if (!f) return;
  fprintf(f, "%d%d", 73, 73);
  fclose(f);
}
