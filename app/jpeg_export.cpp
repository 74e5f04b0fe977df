// The JPEG export: the canvas is switched to the picture's size for the composition and the
// quantiser, then put back; the compressed file replaces its target only once it is complete.
#include "app/jpeg_export.h"

#include <FL/fl_ask.H>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/current_file.h"
#include "formats/jpeg.h"
#include "formats/jpeg_write.h"
#include "platform/bands.h"
#include "platform/dialogs.h"
#include "platform/display.h"
#include "platform/env.h"
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

// Rows of the canvas composed by one band worker at a time, and rows the quantiser finishes before
// the compressor is told of them: fewer wake-ups of a compressor that keeps up.
const int ROWS_A_PIECE = 16;
const int ROWS_A_NOTICE = 16;

// Composes the picture at 1:1 without pan into the canvas (already of the picture's size, with
// error rows of its width), quantises it into rgb and compresses rgb into f. The quantiser's
// chain of errors runs through every pixel in order, so it is the one part that cannot be split:
// band workers compose pieces of rows ahead of it, it follows them on a worker of its own, and
// the compressor follows it on the caller, so that the three overlap. Returns write_jpeg_rgb's
// result, once every worker is done.
int compose_quantise_compress(FILE* f, unsigned char* rgb) {
  const int w = width, h = height;
  const int sx = shiftx, sy = shifty;
  shiftx = shifty = 0;
  const bool composing = image2frame_begin(zoom_step_1_1());
  if (!composing) paint_gradient();
  RowPieces composed(composing ? h : 0, ROWS_A_PIECE, image2frame_rows);
  RowsMade quantised(h);
  const int composers = plat_worker_count(2, 8);
  int r = -1;
  run_beside(
      [&] {
        // The quantiser is the last band, so that bands run one after another compose first.
        run_bands(composers + 1, [&](int k) {
          if (k < composers) {
            composed.work();
            return;
          }
          int told = 0;
          quant_display_following(rgb, 1, [&](int y) {
            if (y - told >= ROWS_A_NOTICE) {
              quantised.mark(told, y);
              told = y;
            }
            composed.wait(y);
          });
          quantised.mark(told, h);
        });
      },
      [&] { r = write_jpeg_rgb(f, rgb, w, h, [&](int y) { return quantised.wait(y); }); });
  shiftx = sx;
  shifty = sy;
  return r;
}

// Error rows of n floats each; false, with the old ones kept, when they cannot be had.
bool error_rows(int n) {
  if (alloc_err_rows(n) == 0) return true;
  printf("mem error: err_lines\n");
  return false;
}

// Writes the picture under a temporary name beside `name`, renamed over it when complete; the
// canvas is of the picture's size. The error rows, made to fit the picture for the quantiser, get
// afterwards the size that the screen and the restored canvas (old_width wide) need; when that
// fails, the picture's rows stay (valid, though maybe too short for the canvas, which the
// quantiser then leaves alone) and nothing is written.
void write_file(const char* name, unsigned char* rgb, int old_width) {
  if (!error_rows(3 * (width + 80))) return;
  char temp[CHOOSER_ROOM + 64];
  FILE* f = plat_create_beside(name, temp, sizeof temp);
  int r = f ? compose_quantise_compress(f, rgb) : -1;
  int sw, sh;
  plat_screen_size(&sw, &sh);
  if (!error_rows(3 * ((sw > old_width ? sw : old_width) + 80))) {
    if (f) plat_discard(f, temp);
    return;
  }
  if (f && r == 0)
    r = plat_replace_with(f, temp, name);
  else if (f)
    plat_discard(f, temp);
  if (r != 0) set_status("error saving jpeg");
}

void export_to(const char* name) {
  const int w = image_xres, h = image_yres;
  const size_t pixels = (size_t)(w > 0 ? w : 0) * (size_t)(h > 0 ? h : 0);
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
  if (ok) write_file(name, rgb, old_width);
  free(rgb);

  free(fimage);
  fimage = old_fimage;
  width = old_width;
  height = old_height;
  image2frame(zoom);
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
