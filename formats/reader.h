// What every raster reader shares: a bounded cursor over the file buffer, the checked sizing of
// the loaded image, and the three ways a reader refuses a file.
#pragma once
#include <cstdint>

#include "view/canvas.h"

// Caps on a decoded picture, checked before anything is allocated: a side here, the pixel count
// (MAX_IMAGE_PIXELS, image_pixel_cap) in view/canvas.h. They are at least as generous as common
// image tools' defaults (16K a side, 128 megapixels).
constexpr int64_t MAX_IMAGE_SIDE = 65535;

enum { SIZE_OK = 0, SIZE_REFUSED = 1, SIZE_NO_MEMORY = 999 };

// True when a w x h picture is within the caps (sides positive, each side and the pixel count at
// most their caps; products in 64 bits). Nothing is allocated.
bool image_size_ok(int64_t w, int64_t h);

// Sizes the loaded image for a w x h picture by the reallocation rule. Returns SIZE_OK;
// SIZE_REFUSED when a side is not positive or a side or the pixel count is above its cap (then
// nothing changed and the shown picture stays); SIZE_NO_MEMORY when the allocation failed (then
// img_allocated is -1). The products are taken in 64 bits.
int size_loaded_image(int64_t w, int64_t h);

// A read position over a block of bytes that never leaves it: past the end every read yields 0,
// the position stays at the end and `ended` is set. Readers test `ended` in every scan loop, so a
// truncated or lying file ends the scan instead of the process.
struct Cursor {
  const unsigned char* data = nullptr;
  int64_t size = 0;
  int64_t pos = 0;
  bool ended = false;

  int64_t left() const { return size - pos; }
  int u8() {
    if (pos < size) return data[pos++];
    ended = true;
    return 0;
  }
  // The next byte without moving; -1 at the end (and the cursor is not marked).
  int peek() const { return pos < size ? data[pos] : -1; }
  unsigned le16() {
    unsigned a = u8();
    return a | (unsigned)u8() << 8;
  }
  uint32_t le32() {
    uint32_t a = le16();
    return a | (uint32_t)le16() << 16;
  }
  unsigned be16() {
    unsigned a = u8();
    return a << 8 | (unsigned)u8();
  }
  uint32_t be32() {
    uint32_t a = be16();
    return a << 16 | (uint32_t)be16();
  }
  // Moves to an absolute offset; one outside the block ends the cursor.
  void seek(int64_t p) {
    if (p < 0 || p > size) {
      pos = size;
      ended = true;
    } else {
      pos = p;
    }
  }
  void skip(int64_t n) { seek(n < 0 ? -1 : (n > size - pos ? size + 1 : pos + n)); }
  // The next n bytes in place, or null (and the cursor ends) when fewer remain. Lets a hot loop
  // work on whole rows that are known to be inside the block.
  const unsigned char* take(int64_t n) {
    if (n < 0 || n > size - pos) {
      pos = size;
      ended = true;
      return nullptr;
    }
    const unsigned char* p = data + pos;
    pos += n;
    return p;
  }
};

// A cursor over the file buffer (empty when there is none), at offset pos.
Cursor file_cursor(int64_t pos = 0);

// The three ways of refusing a file; each reader uses the one its file names, and keeps the text
// in reader_refusal (so a caller that shows its own error canvas afterwards can still tell why):
// 1. the error canvas with the message: refuse_on_canvas("wrong filetype (%d)...", v);
// 2. a non-zero result that the file opener handles, the text on standard output:
//    return refused(1, "expected P");
// 3. silence over the error canvas: refuse_silently(text) shows the error canvas without a
//    message, prints the text and puts it on the status line under that canvas.
// Readers whose refusals leave the empty error canvas show it when they refuse rather than before
// they start: what the window shows in the end is the same, and a file that opens is not painted
// twice.
extern char reader_refusal[256];
void refuse_on_canvas(const char* format, ...) __attribute__((format(printf, 1, 2)));
int refused(int result, const char* format, ...) __attribute__((format(printf, 2, 3)));
void refuse_silently(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The error canvas without a message.
void show_error_canvas();

// Called after posting a picture from a file that ended early or held corrupt data: what was
// decoded stays, the rest holds the reader's fill, and the status line says the file is damaged.
void note_damaged();
extern const char* const DAMAGED_TEXT;
