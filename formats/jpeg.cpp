// The JPEG reader: the library decodes the file buffer through the reader's own source and error
// managers, the picture is turned upright by its EXIF orientation, converted and smoothed.
#include <condition_variable>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>
#include <jerror.h>

#include "formats/jpeg.h"
#include "formats/jpeg_exif.h"
#include "formats/jpeg_post.h"
#include "formats/reader.h"
#include "formats/readers.h"
#include "platform/bands.h"
#include "platform/env.h"
#include "platform/sleep.h"
#include "view/canvas.h"
#include "view/screen.h"

jmp_buf env;
int jpeg_busy = 0;
int64_t jpeg_max_pixels = MAX_IMAGE_PIXELS;

namespace {

enum { FAILED = 1, NO_MEMORY = 999 };

// The decompressor and its managers are plain data in static storage, so that nothing with a
// destructor lies between the setjmp and the library frames a fatal error jumps out of.
jpeg_decompress_struct cinfo;
jpeg_error_mgr jerr;
jpeg_source_mgr source;
int data_lost = 0;                 // warnings that mean part of the picture was not decoded

// Source manager: the whole file buffer is the one input block.
void init_source(j_decompress_ptr c) {
  c->src->next_input_byte = bin_content;
  c->src->bytes_in_buffer = (size_t)bin_allocated;
}

// The data ended before the picture did: the library is told so (a warning) and given an
// end-of-image marker, so it keeps what it decoded and fills the rest itself.
boolean fill_input_buffer(j_decompress_ptr c) {
  static const JOCTET end_of_image[2] = {0xFF, JPEG_EOI};
  WARNMS(c, JWRN_JPEG_EOF);
  c->src->next_input_byte = end_of_image;
  c->src->bytes_in_buffer = 2;
  return TRUE;
}

// A segment may claim more bytes than the file holds: the skip stops at the end of the data,
// and the next read finds the data ended.
void skip_input_data(j_decompress_ptr c, long n) {
  if (n <= 0) return;
  size_t k = (size_t)n < c->src->bytes_in_buffer ? (size_t)n : c->src->bytes_in_buffer;
  c->src->next_input_byte += k;
  c->src->bytes_in_buffer -= k;
}

// Restart markers out of order: decoding stops (the library suspends) rather than guessing.
boolean resync_to_restart(j_decompress_ptr c, int) {
  init_source(c);
  return FALSE;
}

void term_source(j_decompress_ptr) {}

// Fatal library errors: say what went wrong, release the decompressor and return to the reader.
void my_error_exit(j_common_ptr c) {
  char text[JMSG_LENGTH_MAX];
  c->err->format_message(c, text);
  printf("error: %s\n", text);
  plat_sleep_ms(500);
  jpeg_destroy(c);
  longjmp(env, 1);
}

// Warnings (negative levels) are printed; trace messages are not.
void my_warn_msg(j_common_ptr c, int level) {
  if (level >= 0) return;
  char text[JMSG_LENGTH_MAX];
  c->err->format_message(c, text);
  printf("warning(%d): %s\n", level, text);
  int code = c->err->msg_code;
  if (code == JWRN_HIT_MARKER || code == JWRN_JPEG_EOF) data_lost = 1;
}

// How the library delivers the samples of a pixel.
enum { GREY = 1, YCBCR = 2, RGB = 3, CMYK = 4 };

// The decoded picture: W x H in the file's frame, shown upright in xres x yres.
int W, H, xres, yres, kind, components;
int rows_read;
unsigned char* row = nullptr;  // BLOCK_ROWS decoded rows

// The loaded-image pixel of file pixel (0, j) and the step from one file column to the next,
// for each EXIF orientation: the picture is stored upright.
void placement(int orientation, int j, int64_t* base, int64_t* step) {
  const int64_t w = W, h = H;
  switch (orientation) {
    default: *base = j * w; *step = 1; break;
    case 2: *base = j * w + w - 1; *step = -1; break;
    case 3: *base = (h - 1 - j) * w + w - 1; *step = -1; break;
    case 4: *base = (h - 1 - j) * w; *step = 1; break;
    case 5: *base = j; *step = h; break;
    case 6: *base = h - 1 - j; *step = h; break;
    case 7: *base = (w - 1) * h + h - 1 - j; *step = -h; break;
    case 8: *base = (w - 1) * h + j; *step = -h; break;
  }
}

// Slots 0, 1 and 2 of one pixel from its decoded bytes: Y, Cb and Cr (grey and CMYK files too),
// or red, green and blue for a file stored as RGB; the divisor is 256. Slot 3 is written as 0 so
// that every pixel is one whole 16-byte store.
struct SlotTables {
  float level[256], centred[256];  // v/256 and (v-128)/256
  SlotTables() {
    for (int v = 0; v < 256; v++) level[v] = v * (1.0f / 256), centred[v] = (v - 128) * (1.0f / 256);
  }
};
const SlotTables slot_tables;

inline void put(float* p, float a, float b, float c) {
#if defined(__SSE2__)
  _mm_storeu_ps(p, _mm_set_ps(0.0f, c, b, a));
#else
  p[0] = a, p[1] = b, p[2] = c, p[3] = 0.0f;
#endif
}

// n pixels of decoded bytes s (bytes_per_pixel apart) into the loaded image from p on, `st`
// floats apart.
void store_pixels(float* p, int64_t st, const unsigned char* s, int n) {
  const SlotTables& t = slot_tables;
  switch (kind) {
    case GREY:
      for (int x = 0; x < n; x++, p += st) put(p, t.level[s[x]], 0, 0);
      break;
    case YCBCR:
      for (int x = 0; x < n; x++, p += st, s += 3) put(p, t.level[s[0]], t.centred[s[1]], t.centred[s[2]]);
      break;
    case RGB:
      for (int x = 0; x < n; x++, p += st, s += 3) put(p, t.level[s[0]], t.level[s[1]], t.level[s[2]]);
      break;
    case CMYK:
      for (int x = 0; x < n; x++, p += st, s += 4) {
        double k = s[3] / 256.0;
        float r = (float)(s[0] / 256.0 * k), g = (float)(s[1] / 256.0 * k),
              b = (float)(s[2] / 256.0 * k);
        put(p, (float)(0.299 * r + 0.587 * g + 0.114 * b), (float)(-0.1687 * r - 0.3313 * g + 0.5 * b),
            (float)(0.5 * r - 0.4187 * g - 0.0813 * b));
      }
      break;
  }
}

// Decoded rows j0 .. j0+n-1 (n at most BLOCK_ROWS, `stride` bytes apart in `block`) into the
// loaded image at the places the orientation gives. Where a file row becomes an upright column
// (orientations 5 to 8) the rows are stored together, a run of n neighbouring pixels for each
// file column, so that the stores do not touch a new cache line for every pixel.
constexpr int BLOCK_ROWS = 64;
void store_rows(int orientation, int j0, int n, const unsigned char* block, int64_t stride) {
  int64_t base[BLOCK_ROWS], step = 1;
  for (int i = 0; i < n; i++) placement(orientation, j0 + i, &base[i], &step);
  if (orientation <= 4) {
    for (int i = 0; i < n; i++) store_pixels(img_content + 4 * base[i], 4 * step, block + i * stride, W);
    return;
  }
  const int bpp = kind == CMYK ? 4 : kind == GREY ? 1 : 3;
  const int64_t along = n > 1 ? base[1] - base[0] : 1;  // +1 or -1: neighbouring file rows
  for (int x = 0; x < W; x++) {
    float* p = img_content + 4 * (base[0] + x * step);
    for (int i = 0; i < n; i++, p += 4 * along) store_pixels(p, 0, block + i * stride + (int64_t)x * bpp, 1);
  }
}

// Rows a short read left out are grey (Y 0.5, no colour), the same in every orientation.
void fill_missing_rows(int orientation) {
  for (int j = rows_read; j < H; j++) {
    int64_t base, step;
    placement(orientation, j, &base, &step);
    float* p = img_content + 4 * base;
    for (int x = 0; x < W; x++, p += 4 * step) p[0] = 0.5f, p[1] = 0, p[2] = 0, p[3] = 0;
  }
}

// The smoothing runs in three steps of a third of the rows each, and the toolkit has its turn
// before each. A step can start as soon as the rows its windows read are decoded, so while the
// library decodes (on the calling thread) the first two steps run on band workers; the workers
// never run while the toolkit handles events.
SmoothJob job;
struct Steps {
  std::mutex m;
  std::condition_variable cv;
  int ready = 0;     // steps 1 .. ready have been prepared
  int finished = 0;  // bands of step `ready` that have ended
  bool stop = false;
  bool on_caller[9] = {};  // worker k did not start on a thread of its own: the caller runs its bands
  std::thread::id caller;
} steps;
int step_orientation;
int workers;  // smoothing bands, from NUMBER_OF_PROCESSORS

// File rows that must be decoded before step t may start.
int rows_needed(int t) {
  if (step_orientation > 2) return H;  // the upright rows are not file rows in order
  int64_t end = (int64_t)t * yres / 3 + 2;
  return end < H ? (int)end : H;
}

void wait_for_step() {
  std::unique_lock<std::mutex> lock(steps.m);
  steps.cv.wait(lock, [] { return steps.ready == 0 || steps.finished == job.bands; });
}

void band_finished() {
  std::lock_guard<std::mutex> lock(steps.m);
  steps.finished++;
  steps.cv.notify_all();
}

// Starts every step whose rows are decoded; the previous step has ended before the toolkit's turn.
void offer_rows(int decoded) {
  while (steps.ready < 3 && rows_needed(steps.ready + 1) <= decoded) {
    wait_for_step();
    smooth_finish(job);
    do_wait();
    int t = steps.ready + 1;
    smooth_prepare(job, (int)((int64_t)t * yres / 3));
    {
      std::lock_guard<std::mutex> lock(steps.m);
      steps.ready = t;
      steps.finished = 0;
    }
    steps.cv.notify_all();
    for (int k = 1; k <= job.bands; k++)
      if (steps.on_caller[k]) {
        smooth_band(job, k - 1);
        band_finished();
      }
  }
}

// Band k of every step, on worker k.
void smoothing_worker(int k) {
  if (std::this_thread::get_id() == steps.caller) {
    steps.on_caller[k] = true;
    return;
  }
  for (int t = 1; t <= 3; t++) {
    {
      std::unique_lock<std::mutex> lock(steps.m);
      steps.cv.wait(lock, [t] { return steps.ready >= t || steps.stop; });
      if (steps.ready < t) return;
    }
    smooth_band(job, k - 1);
    band_finished();
  }
}

int refuse(const char* text) {
  printf("error: %s\n", text);
  jpeg_destroy_decompress(&cinfo);
  return FAILED;
}

// Everything that calls into the library up to the last row, and nothing with a destructor:
// a fatal error long-jumps back into this frame. Returns 0 with the decompressor alive, the
// loaded image sized and rows_read rows stored; otherwise a failure code with the decompressor
// released.
int decode(int orientation) {
  if (setjmp(env)) return FAILED;
  cinfo.err = jpeg_std_error(&jerr);
  jerr.error_exit = my_error_exit;
  jerr.output_message = my_error_exit;
  jerr.emit_message = my_warn_msg;
  jpeg_create_decompress(&cinfo);
  source.init_source = init_source;
  source.fill_input_buffer = fill_input_buffer;
  source.skip_input_data = skip_input_data;
  source.resync_to_restart = resync_to_restart;
  source.term_source = term_source;
  source.next_input_byte = nullptr;
  source.bytes_in_buffer = 0;
  cinfo.src = &source;

  if (jpeg_read_header(&cinfo, FALSE) != JPEG_HEADER_OK) return refuse("the file holds no picture");
  components = cinfo.num_components;
  switch (components) {
    case 1: kind = GREY; break;
    case 3:
      // The samples arrive as stored; only a YCbCr file is converted as YCbCr.
      kind = cinfo.jpeg_color_space == JCS_YCbCr ? YCBCR : RGB;
      cinfo.out_color_space = kind == YCBCR ? JCS_YCbCr : JCS_RGB;
      break;
    case 4: kind = CMYK; break;
    default: {
      char text[80];
      snprintf(text, sizeof text, "unsupported JPEG with %d colour components", components);
      return refuse(text);
    }
  }
  cinfo.dct_method = JDCT_FLOAT;

  W = (int)cinfo.image_width;
  H = (int)cinfo.image_height;
  xres = orientation >= 5 ? H : W;
  yres = orientation >= 5 ? W : H;
  if ((int64_t)W * H > jpeg_max_pixels) return refuse("the picture is too large");
  int sized = size_loaded_image(xres, yres);
  if (sized == SIZE_REFUSED) return refuse("the picture is too large");
  if (sized == SIZE_NO_MEMORY) {
    printf("memory error (img)\n");
    jpeg_destroy_decompress(&cinfo);
    return NO_MEMORY;
  }

  jpeg_smoothing_params((int64_t)components * xres * yres, bin_allocated);
  if (!smooth_begin(job, img_content, xres, yres, kind == RGB ? SLOTS_RGB : SLOTS_YCBCR, workers)) {
    printf("memory error (smooth)\n");
    jpeg_destroy_decompress(&cinfo);
    return NO_MEMORY;
  }

  if (!jpeg_start_decompress(&cinfo)) return refuse("the file is damaged: decoding stopped");
  if ((int)cinfo.output_width != W || (int)cinfo.output_height != H ||
      cinfo.output_components != (kind == CMYK ? 4 : kind == GREY ? 1 : 3))
    return refuse("unexpected decoder output");
  const int64_t stride = (int64_t)cinfo.output_components * W;
  row = (unsigned char*)malloc((size_t)(stride * BLOCK_ROWS));
  if (!row) {
    printf("memory error (line)\n");
    jpeg_destroy_decompress(&cinfo);
    return NO_MEMORY;
  }
  // One row at a time; rows that become upright columns are stored a block at a time. A short
  // read means the decoder stopped (restart markers out of order): what it gave is kept.
  const int block = orientation <= 4 ? 1 : BLOCK_ROWS;
  int pending = 0;
  for (rows_read = 0; rows_read < H; rows_read++) {
    JSAMPROW dest = row + pending * stride;
    if (jpeg_read_scanlines(&cinfo, &dest, 1) != 1) break;
    if (++pending == block || rows_read + 1 == H) {
      store_rows(orientation, rows_read + 1 - pending, pending, row, stride);
      pending = 0;
    }
    if (rows_read + 1 >= rows_needed(steps.ready + 1)) offer_rows(rows_read + 1);
  }
  if (pending) store_rows(orientation, rows_read - pending, pending, row, stride);
  return 0;
}

// The decoder's band: decodes, and smooths what the workers leave to it.
int decode_and_smooth(int orientation) {
  int r = decode(orientation);
  free(row);
  row = nullptr;
  if (r == 0) {
    fill_missing_rows(orientation);
    // The last rows often start the final step while they are decoded: the workers must be done
    // before the toolkit handles events that may read the picture.
    wait_for_step();
    do_wait();
    offer_rows(H);
    wait_for_step();
    smooth_finish(job);
  }
  {
    std::lock_guard<std::mutex> lock(steps.m);
    steps.stop = true;
  }
  steps.cv.notify_all();
  return r;
}

int load(int fit, int orientation) {
  data_lost = 0;
  rows_read = 0;
  step_orientation = orientation;
  steps.ready = steps.finished = 0;
  steps.stop = false;
  steps.caller = std::this_thread::get_id();
  workers = plat_worker_count(1, 8);
  int r;
  if (workers == 1 || is9xline) {
    // One band, or one band after another: the caller does it all.
    for (int k = 1; k <= workers; k++) steps.on_caller[k] = true;
    r = decode_and_smooth(orientation);
  } else {
    for (int k = 1; k <= workers; k++) steps.on_caller[k] = false;
    r = 0;
    run_bands(workers + 1, [&](int k) {
      if (k == 0)
        r = decode_and_smooth(orientation);
      else
        smoothing_worker(k);
    });
  }
  job.carry = job.carry_next = job.scratch = std::vector<float>();
  if (r != 0) return r;
  jpeg_destroy_decompress(&cinfo);
  do_wait();

  image_post(xres, yres, fit != 0);
  char text[160];
  if (rows_read < H) {
    snprintf(text, sizeof text, "the file is damaged: %d of %d rows decoded, the rest is grey",
             rows_read, H);
    set_status(text);
  } else if (data_lost) {
    set_status("the file is damaged: part of the picture could not be decoded");
  }
  return 0;
}

}  // namespace

int load_jpg(int fit) {
  if (jpeg_busy) return FAILED;
  if (!bin_content || bin_allocated < 40) {
    show_wait_cursor(false);
    return FAILED;
  }
  int orientation = 1;
  if (bin_content[0] == 0xFF && bin_content[1] == 0xD8)
    orientation = jpeg_orientation(bin_content, bin_allocated);
  jpeg_busy = 1;
  show_wait_cursor(true);
  int r = load(fit, orientation);
  show_wait_cursor(false);
  jpeg_busy = 0;
  return r;
}
