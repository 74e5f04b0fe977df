// The JPEG reader: the library decodes the file buffer through the reader's own source and error
// managers into rows of bytes; the smoothing workers convert them, turn the picture upright by
// its EXIF orientation and smooth it into the loaded image, while the later rows are decoded.
#include <condition_variable>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>
#include <jerror.h>

#include "formats/jpeg.h"
#include "formats/jpeg_exif.h"
#include "formats/jpeg_post.h"
#include "formats/reader.h"
#include "platform/bands.h"
#include "platform/env.h"
#include "platform/memory.h"
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

// The decoded picture: W x H in the file's frame, shown upright in xres x yres. The library
// writes its rows straight into `samples`; the smoothing workers read them from there, turning
// the picture upright as they go.
int W, H, xres, yres, kind, components;
int rows_read;
unsigned char* samples = nullptr;
size_t samples_size = 0;

// The block is kept from one picture to the next while the sizes are alike (photos of one
// camera): a new block costs its first touch of every page on the decoding thread.
unsigned char* samples_block(size_t n) {
  if (samples && samples_size >= n && samples_size / 2 <= n) return samples;
  free(samples);
  samples = (unsigned char*)plat_alloc_large(n);
  samples_size = samples ? n : 0;
  return samples;
}

// The smoothing runs in three steps, each the part of the picture that a third of the file's
// rows make (upright rows or columns, from either end, by the orientation), and the toolkit has
// its turn before each. A step can start as soon as its rows are decoded, so while the library
// decodes (on the calling thread) the first two steps run on the workers; once the decoding is
// over the caller takes chunks too. The workers never run while the toolkit handles events.
SmoothJob job;
struct Steps {
  std::mutex m;
  std::condition_variable cv;
  int ready = 0;     // steps 1 .. ready have been prepared
  int chunks = 0;    // chunks of step `ready`
  int taken = 0;     // of them handed out
  int finished = 0;  // of them made
  int threads = 0;   // workers running on threads of their own
  bool stop = false;
  std::thread::id caller;
} steps;
int workers;  // smoothing workers, from NUMBER_OF_PROCESSORS

int step_first_row(int t) { return (int)((int64_t)(t - 1) * H / 3); }

// File rows that must be decoded before step t may start.
int rows_needed(int t) { return smooth_rows_needed(job, (int)((int64_t)t * H / 3)); }

// The next chunk of step t, or -1 when all are handed out or another step is current.
int take_chunk(int t) {
  std::lock_guard<std::mutex> lock(steps.m);
  if (steps.ready != t || steps.taken >= steps.chunks) return -1;
  return steps.taken++;
}

// Makes chunks of step t in scratch slot `slot` while there are any left.
void do_chunks(int t, int slot) {
  for (int c; (c = take_chunk(t)) >= 0;) {
    smooth_chunk(job, c, slot);
    std::lock_guard<std::mutex> lock(steps.m);
    steps.finished++;
    steps.cv.notify_all();
  }
}

void wait_for_step() {
  std::unique_lock<std::mutex> lock(steps.m);
  steps.cv.wait(lock, [] { return steps.finished == steps.chunks; });
}

bool caller_alone() {
  std::lock_guard<std::mutex> lock(steps.m);
  return steps.threads == 0;
}

// Starts every step whose rows are decoded; the previous step has ended before the toolkit's
// turn. The caller takes chunks itself when it is done decoding (or has no workers).
void offer_rows(int decoded, bool caller_helps) {
  while (steps.ready < 3 && rows_needed(steps.ready + 1) <= decoded) {
    if (caller_helps || caller_alone()) do_chunks(steps.ready, 0);
    wait_for_step();
    do_wait();
    int t = steps.ready + 1;
    smooth_prepare(job, step_first_row(t), step_first_row(t + 1));
    {
      std::lock_guard<std::mutex> lock(steps.m);
      steps.ready = t;
      steps.chunks = smooth_chunk_count(job);
      steps.taken = steps.finished = 0;
    }
    steps.cv.notify_all();
  }
  if (caller_helps || caller_alone()) do_chunks(steps.ready, 0);
}

// Worker k: chunks of every step, in its own scratch slot.
void smoothing_worker(int k) {
  // A worker whose thread could not start runs here on the caller: the caller does its share.
  if (std::this_thread::get_id() == steps.caller) return;
  {
    std::lock_guard<std::mutex> lock(steps.m);
    steps.threads++;
  }
  for (int t = 1; t <= 3; t++) {
    {
      std::unique_lock<std::mutex> lock(steps.m);
      steps.cv.wait(lock, [t] { return steps.ready >= t || steps.stop; });
      if (steps.ready < t) return;
    }
    do_chunks(t, k);
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
    case 1: kind = SAMPLES_GREY; break;
    case 3:
      // The samples arrive as stored; only a YCbCr file is converted as YCbCr.
      kind = cinfo.jpeg_color_space == JCS_YCbCr ? SAMPLES_YCBCR : SAMPLES_RGB;
      cinfo.out_color_space = kind == SAMPLES_YCBCR ? JCS_YCbCr : JCS_RGB;
      break;
    case 4: kind = SAMPLES_CMYK; break;
    default: {
      char text[80];
      snprintf(text, sizeof text, "unsupported JPEG with %d colour components", components);
      return refuse(text);
    }
  }
  cinfo.dct_method = JDCT_FLOAT;

  W = (int)cinfo.image_width;
  H = (int)cinfo.image_height;
  upright_size(orientation, W, H, &xres, &yres);
  if ((int64_t)W * H > jpeg_max_pixels) return refuse("the picture is too large");
  int sized = size_loaded_image(xres, yres);
  if (sized == SIZE_REFUSED) return refuse("the picture is too large");
  if (sized == SIZE_NO_MEMORY) {
    printf("memory error (img)\n");
    jpeg_destroy_decompress(&cinfo);
    return NO_MEMORY;
  }

  const int64_t stride = (int64_t)sample_bytes(kind) * W;
  if (!samples_block((size_t)(stride * H))) {
    printf("memory error (line)\n");
    jpeg_destroy_decompress(&cinfo);
    return NO_MEMORY;
  }
  jpeg_smoothing_params((int64_t)components * xres * yres, bin_allocated);
  if (!smooth_begin(job, img_content, JpegSamples{samples, W, H, kind, orientation, H}, workers + 1)) {
    printf("memory error (smooth)\n");
    jpeg_destroy_decompress(&cinfo);
    return NO_MEMORY;
  }

  if (!jpeg_start_decompress(&cinfo)) return refuse("the file is damaged: decoding stopped");
  if ((int)cinfo.output_width != W || (int)cinfo.output_height != H ||
      cinfo.output_components != sample_bytes(kind))
    return refuse("unexpected decoder output");
  // The rows go straight to their place, a few at a time. A short read means the decoder
  // stopped (restart markers out of order): what it gave is kept.
  for (rows_read = 0; rows_read < H;) {
    JSAMPROW dest[16];
    int n = H - rows_read < 16 ? H - rows_read : 16;
    for (int i = 0; i < n; i++) dest[i] = samples + (rows_read + i) * stride;
    int got = (int)jpeg_read_scanlines(&cinfo, dest, (JDIMENSION)n);
    if (got <= 0) break;
    rows_read += got;
    if (rows_read >= rows_needed(steps.ready + 1)) offer_rows(rows_read, false);
  }
  return 0;
}

// The decoder's band: decodes, and smooths what the workers leave to it.
int decode_and_smooth(int orientation) {
  int r = decode(orientation);
  if (r == 0) {
    // The last rows often start the final step while they are decoded: the workers must be done
    // before the toolkit handles events that may read the picture, and before the rows that
    // were not decoded are marked for them.
    do_chunks(steps.ready, 0);
    wait_for_step();
    job.src.rows = rows_read;
    do_wait();
    offer_rows(H, true);
    wait_for_step();
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
  steps.ready = steps.chunks = steps.taken = steps.finished = steps.threads = 0;
  steps.stop = false;
  steps.caller = std::this_thread::get_id();
  workers = plat_worker_count(1, 8);
  int r;
  if (workers == 1 || is9xline) {
    // One worker, or the workers one after another: the caller does it all.
    r = decode_and_smooth(orientation);
  } else {
    r = 0;
    run_bands(workers + 1, [&](int k) {
      if (k == 0)
        r = decode_and_smooth(orientation);
      else
        smoothing_worker(k);
    });
  }
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
