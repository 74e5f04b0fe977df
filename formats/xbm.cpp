// X bitmaps (.xbm): C source with "#define <name>_width" and "_height" lines and an array of hex
// values, bytes in the X11 form or 16-bit words in the older X10 form ("short"). Bits run from
// the least significant, each row starts a new value, and a set bit is black. Refusals answer 1
// and the file opener shows the error canvas.
#include "formats/xbm.h"

#include <cstdio>
#include <cstring>

#include "formats/reader.h"
#include "view/canvas.h"

namespace {

// Header numbers above this are refused before they can overflow.
constexpr int64_t NUMBER_CAP = 1000000000;

bool is_space(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool is_name(int c) { return c == '_' || (c >= '0' && c <= '9') || ((c | 32) >= 'a' && (c | 32) <= 'z'); }

int hex_digit(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  c |= 32;
  return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Skips white space and C comments.
void skip_blank(Cursor& c) {
  for (;;) {
    int b = c.peek();
    if (b >= 0 && is_space(b)) {
      c.u8();
    } else if (b == '/' && c.left() >= 2 && c.data[c.pos + 1] == '*') {
      c.skip(2);
      while (!c.ended && !(c.u8() == '*' && c.peek() == '/')) {
      }
      c.u8();
    } else {
      return;
    }
  }
}

// A decimal or 0x-prefixed hexadecimal number (either case); -1 when none comes or it is too big.
int64_t number(Cursor& c) {
  int64_t v = 0;
  bool hex = c.peek() == '0' && c.left() >= 2 && (c.data[c.pos + 1] | 32) == 'x';
  if (hex) {
    c.skip(2);
    if (hex_digit(c.peek()) < 0) return -1;
    while (hex_digit(c.peek()) >= 0) {
      v = v * 16 + hex_digit(c.u8());
      if (v > NUMBER_CAP) return -1;
    }
    return v;
  }
  if (c.peek() < '0' || c.peek() > '9') return -1;
  while (c.peek() >= '0' && c.peek() <= '9') {
    v = v * 10 + (c.u8() - '0');
    if (v > NUMBER_CAP) return -1;
  }
  return v;
}

bool ends_with(const char* s, int n, const char* tail) {
  int t = (int)strlen(tail);
  return n >= t && memcmp(s + n - t, tail, t) == 0;
}

struct XbmHeader {
  int64_t w = -1, h = -1;
  bool x10 = false;
};

// The "#define" lines: the ones whose names end in "width" and "height" give the size; others
// (the hot spot) are passed over.
bool read_defines(Cursor& c, XbmHeader& x) {
  for (;;) {
    skip_blank(c);
    if (c.peek() != '#') return !c.ended;
    c.u8();
    char word[8] = {};
    for (int i = 0; i < 6; i++) word[i] = (char)c.u8();
    if (strcmp(word, "define") != 0) return false;
    skip_blank(c);
    char name[256];
    int n = 0;
    while (is_name(c.peek())) {
      int ch = c.u8();
      if (n < (int)sizeof name) name[n++] = (char)ch;
    }
    skip_blank(c);
    int64_t v = number(c);
    if (v < 0) return false;
    if (ends_with(name, n, "width"))
      x.w = v;
    else if (ends_with(name, n, "height"))
      x.h = v;
  }
}

// The declaration up to its "{": X10 bitmaps are arrays of short.
bool read_declaration(Cursor& c, XbmHeader& x) {
  char word[16];
  int n = 0;
  while (!c.ended) {
    int ch = c.u8();
    if (ch == '{') return true;
    if (is_name(ch)) {
      if (n < (int)sizeof word - 1) word[n++] = (char)ch;
    } else {
      if (n == 5 && memcmp(word, "short", 5) == 0) x.x10 = true;
      n = 0;
    }
  }
  return false;
}

// The next value of the array, or -1 at its end or at anything that is not a number.
int64_t next_value(Cursor& c) {
  skip_blank(c);
  if (c.peek() == ',') {
    c.u8();
    skip_blank(c);
  }
  return number(c);
}

void put(int64_t i, int bit) {
  float* p = img_content + 4 * i;
  p[0] = p[1] = p[2] = bit ? 0.0f : 1.0f;
  p[3] = 1.0f;
}

// Rows of values, each of `bits` pixels from the least significant bit. Returns false when the
// values ended early; the pixels left keep the grey fill.
bool decode(Cursor& c, const XbmHeader& x) {
  int bits = x.x10 ? 16 : 8;
  int64_t per_row = (x.w + bits - 1) / bits;
  for (int64_t y = 0; y < x.h; y++)
    for (int64_t k = 0; k < per_row; k++) {
      int64_t v = next_value(c);
      if (v < 0) {
        fill_pixels(img_content + 4 * (y * x.w + k * bits), x.w * x.h - (y * x.w + k * bits), 0.5f, 0.5f, 0.5f, 1.0f);
        return false;
      }
      for (int b = 0; b < bits && k * bits + b < x.w; b++) put(y * x.w + k * bits + b, v >> b & 1);
    }
  return true;
}

}  // namespace

int load_xbm() {
  Cursor c = file_cursor();
  const char* start = "#define ";
  for (int i = 0; start[i]; i++)
    if (c.u8() != start[i]) return refused(1, "not an XBM file");
  c.seek(0);
  XbmHeader x;
  if (!read_defines(c, x) || x.w < 0 || x.h < 0) return refused(1, "damaged XBM header");
  if (!image_size_ok(x.w, x.h))
    return refused(1, "XBM size not supported: %lld x %lld", (long long)x.w, (long long)x.h);
  if (!read_declaration(c, x)) return refused(1, "damaged XBM header");
  int r = size_loaded_image(x.w, x.h);
  if (r != SIZE_OK) {
    refuse_on_canvas("memory error");
    return 1;
  }
  bool whole = decode(c, x);
  image_post((int)x.w, (int)x.h, 1);
  if (!whole) note_damaged();
  return 0;
}
