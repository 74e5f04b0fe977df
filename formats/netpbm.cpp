// Netpbm bitmaps (.pbm: plain P1 and raw P4) and pixmaps (.ppm: plain P3 and raw P6).
// A refused file leaves the error canvas without a message: load_pbm refuses in silence over it
// (the text goes to the status line), load_ppm returns 1 and the file opener shows the error
// canvas again.
#include "formats/netpbm.h"

#include <cstdio>

#include "formats/byte_readers.h"
#include "formats/byte_table.h"
#include "formats/reader.h"
#include "view/canvas.h"

namespace {

constexpr int64_t PPM_MAX_SIDE = 25000;
// Header numbers above this are refused before they can overflow.
constexpr int64_t NUMBER_CAP = 1000000000;

bool is_space(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool is_digit(int c) { return c >= '0' && c <= '9'; }

// One header number: white space and "#" comments (to the end of their line) before it, then its
// digits. Returns -1 when no digit comes or the number grows past NUMBER_CAP. `first` receives the
// value of the first digit.
int64_t header_number(Cursor& c, int* first = nullptr) {
  for (;;) {
    int b = c.peek();
    if (b == '#') {
      while (!c.ended && c.u8() != '\n') {
      }
    } else if (b >= 0 && is_space(b)) {
      c.u8();
    } else {
      break;
    }
  }
  if (!is_digit(c.peek())) return -1;
  if (first) *first = c.peek() - '0';
  int64_t v = 0;
  while (is_digit(c.peek())) {
    v = v * 10 + (c.u8() - '0');
    if (v > NUMBER_CAP) return -1;
  }
  return v;
}

// The raster of the raw forms starts after the single white-space byte that ends the header.
bool end_of_header(Cursor& c) {
  int b = c.u8();
  return !c.ended && is_space(b);
}

// One plain-form sample: non-digits before it are skipped. -1 when the data has ended.
int64_t plain_sample(Cursor& c) {
  while (c.left() > 0 && !is_digit(c.peek())) c.u8();
  if (c.left() <= 0) return -1;
  int64_t v = 0;
  while (is_digit(c.peek())) {
    v = v * 10 + (c.u8() - '0');
    if (v > NUMBER_CAP) v = NUMBER_CAP;
  }
  return v;
}

void set_px(int64_t i, float r, float g, float b) {
  float* p = img_content + 4 * i;
  p[0] = r;
  p[1] = g;
  p[2] = b;
  p[3] = 1.0f;
}

// Pixels from `from` to the end keep the reader's grey fill.
// P1: "1" black, "0" white, every other byte skipped. Returns the pixels written.
int64_t decode_plain_bits(Cursor& c, int64_t n) {
  int64_t i = 0;
  while (i < n && c.left() > 0) {
    int b = c.u8();
    if (b == '1')
      set_px(i++, 0, 0, 0);
    else if (b == '0')
      set_px(i++, 1, 1, 1);
  }
  return i;
}

// P4: rows of whole bytes, most significant bit first, 1 black. Returns the pixels written (a
// row cut short gives the pixels of its bytes).
int64_t decode_raw_bits(Cursor& c, int w, int h) {
  int64_t stride = ((int64_t)w + 7) / 8;
  for (int y = 0; y < h; y++) {
    int64_t have = c.left() < stride ? c.left() : stride;
    const unsigned char* row = c.take(have);
    int n = have == stride ? w : (int)(have * 8);
    for (int x = 0; x < n; x++) {
      float v = (row[x >> 3] >> (7 - (x & 7)) & 1) ? 0.0f : 1.0f;
      set_px((int64_t)y * w + x, v, v, v);
    }
    if (n < w) return (int64_t)y * w + n;
  }
  return (int64_t)w * h;
}

}  // namespace

int load_pbm() {
  Cursor c = file_cursor();
  int m0 = c.u8(), m1 = c.u8();
  if (m0 != 'P' || (m1 != '1' && m1 != '4')) {
    refuse_silently("not a PBM file");
    return 0;
  }
  int first = 0;
  int64_t w = header_number(c, &first);
  if (w >= 0) printf("%d\n", first);
  int64_t h = header_number(c);
  if (w < 0 || h < 0 || (m1 == '4' && !end_of_header(c))) {
    refuse_silently("damaged PBM header");
    return 0;
  }
  int r = size_loaded_image(w, h);
  if (r == SIZE_REFUSED) {
    refuse_silently("PBM size not supported: %lld x %lld", (long long)w, (long long)h);
    return 0;
  }
  if (r == SIZE_NO_MEMORY) {
    refuse_silently("memory error (init img)");
    return 0;
  }
  int64_t n = w * h;
  int64_t done = m1 == '1' ? decode_plain_bits(c, n) : decode_raw_bits(c, (int)w, (int)h);
  fill_grey_from(done, n);
  image_post((int)w, (int)h, 1);
  if (done < n) note_damaged();
  return 0;
}

namespace {

// P3: three samples a pixel, each / maxval. Returns the pixels written.
int64_t decode_plain_pixmap(Cursor& c, int64_t n, int64_t maxval) {
  float scale = 1.0f / (float)maxval;
  for (int64_t i = 0; i < n; i++) {
    float ch[3];
    for (int k = 0; k < 3; k++) {
      int64_t v = plain_sample(c);
      if (v < 0) return i;
      ch[k] = v >= maxval ? 1.0f : (float)v * scale;
    }
    set_px(i, ch[0], ch[1], ch[2]);
  }
  return n;
}

// P6. One byte a sample up to maxval 255, two (big-endian) above. Samples of maxval 255 are
// byte / 256, the long-standing scaling of this reader; other maxvals scale to 0..1. When the data
// ends, every remaining pixel takes the colour being read (its missing channels from the pixel
// before). Returns false when the data ended early.
bool decode_raw_pixmap(Cursor& c, int w, int h, int64_t maxval) {
  int bytes = maxval > 255 ? 2 : 1;
  float lut[256];
  if (bytes == 1)
    for (int v = 0; v < 256; v++)
      lut[v] = maxval == 255 ? (float)v / 256.0f : (v >= maxval ? 1.0f : (float)v / (float)maxval);
  int64_t stride = (int64_t)w * 3 * bytes;
  float last[3] = {0.5f, 0.5f, 0.5f};
  bool short_data = false;
  for (int y = 0; y < h; y++) {
    float* out = img_content + (int64_t)4 * y * w;
    if (bytes == 1 && c.left() >= stride) {
      const unsigned char* row = c.take(stride);
      for (int x = 0; x < w; x++, row += 3, out += 4) {
        out[0] = lut[row[0]];
        out[1] = lut[row[1]];
        out[2] = lut[row[2]];
        out[3] = 1.0f;
      }
      for (int k = 0; k < 3; k++) last[k] = out[k - 4];
      continue;
    }
    for (int x = 0; x < w; x++, out += 4) {
      for (int k = 0; k < 3; k++) {
        if (c.left() < bytes) {
          short_data = true;
        } else if (bytes == 1) {
          last[k] = lut[c.u8()];
        } else {
          int64_t v = c.be16();
          last[k] = v >= maxval ? 1.0f : (float)v / (float)maxval;
        }
      }
      out[0] = last[0];
      out[1] = last[1];
      out[2] = last[2];
      out[3] = 1.0f;
    }
  }
  return !short_data;
}

int ppm_refused(const char* text) {
  show_error_canvas();
  return refused(1, "%s", text);
}

int ppm_refused_size(const char* what, int64_t a, int64_t b = -1) {
  char text[96];
  if (b < 0)
    snprintf(text, sizeof text, "%s: %lld", what, (long long)a);
  else
    snprintf(text, sizeof text, "%s: %lld x %lld", what, (long long)a, (long long)b);
  return ppm_refused(text);
}

}  // namespace

int load_ppm() {
  Cursor c = file_cursor();
  if (c.u8() != 'P') return ppm_refused("expected P");
  int form = c.u8();
  if (form != '3' && form != '6') return ppm_refused("not supported");
  int64_t w = header_number(c), h = header_number(c), maxval = header_number(c);
  if (w < 0 || h < 0 || maxval < 0 || (form == '6' && !end_of_header(c)))
    return ppm_refused("damaged PPM header");
  if (maxval < 1 || maxval > 65535) return ppm_refused_size("PPM maxval not supported", maxval);
  if (w < 1 || h < 1 || w > PPM_MAX_SIDE || h > PPM_MAX_SIDE)
    return ppm_refused_size("PPM size not supported", w, h);
  int r = size_loaded_image(w, h);
  if (r == SIZE_REFUSED) return ppm_refused_size("PPM size not supported", w, h);
  if (r == SIZE_NO_MEMORY) return ppm_refused("memory error (init img)");
  bool whole;
  if (form == '3') {
    int64_t done = decode_plain_pixmap(c, w * h, maxval);
    fill_grey_from(done, w * h);
    whole = done == w * h;
  } else {
    whole = decode_raw_pixmap(c, (int)w, (int)h, maxval);
  }
  image_post((int)w, (int)h, 1);
  if (!whole) note_damaged();
  return 0;
}
