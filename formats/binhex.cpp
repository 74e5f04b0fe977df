// BinHex 4.0 files (.hqx) that wrap a MacPaint document. The text between the first two colons is
// decoded in place in the file buffer from six-bit characters to bytes (the rest of the buffer is
// cleared); those bytes, with their 0x90 runs expanded as they are read, give the file's header
// and its data fork, whose MacPaint picture is then decoded. A refusal shows the error canvas
// without a message and names it on the status line.
#include "formats/binhex.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "formats/macpaint.h"
#include "view/canvas.h"

namespace {

const char ALPHABET[] = "!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr";

// Six-bit value of each character: 0 to 63, -1 for characters skipped as layout, -2 for others.
struct Values {
  signed char v[256];
  Values() {
    memset(v, -2, sizeof v);
    for (int i = 0; i < 64; i++) v[(unsigned char)ALPHABET[i]] = (signed char)i;
    for (int c : {0, 9, 10, 13, 26, 32}) v[c] = -1;  // NUL, tab, line feed, CR, Ctrl-Z, space
  }
};
const Values VALUES;

// Bytes of the decoded stream with BinHex's runs expanded: 0x90 0 stands for the byte 0x90 and
// b 0x90 n for n copies of b in all.
struct Unrun {
  Cursor c;
  int last = 0;
  int pending = 0;  // copies of `last` still to give
  bool ended = false;

  int u8() {
    for (;;) {
      if (pending > 0) {
        pending--;
        return last;
      }
      int b = c.u8();
      if (c.ended) break;
      if (b != 0x90) return last = b;
      int n = c.u8();
      if (c.ended) break;
      if (n == 0) return last = 0x90;
      pending = n - 1;  // the first copy was given before the marker
    }
    ended = true;
    return 0;
  }
  uint32_t be32() {
    uint32_t v = 0;
    for (int i = 0; i < 4; i++) v = v << 8 | (uint32_t)u8();
    return v;
  }
};

// The longest data fork a picture can use: the document header and rows written at their least
// dense (two coded bytes for every byte of pixels).
constexpr int64_t MAX_USEFUL_FORK = MACPAINT_HEADER + 2LL * MACPAINT_W / 8 * MACPAINT_H;

// Steps 1 to 3: finds the coded text, decodes it to bytes from offset 0 of the file buffer and
// clears the rest of the buffer. Returns the decoded length, or -1 when the text was refused.
int64_t unpack_text() {
  int64_t n = bin_content && bin_allocated > 0 ? bin_allocated : 0;
  unsigned char* buf = bin_content;
  int64_t colon[3] = {-1, -1, -1};
  int found = 0;
  for (int64_t i = 0; i < n; i++)
    if (buf[i] == ':') {
      if (found == 2) {
        refuse_silently("error: too many :");
        return -1;
      }
      colon[found++] = i;
    }
  if (found == 1) {
    printf("coded text size: %lld\n", (long long)(n - colon[0] - 1));
    refuse_silently("BinHex text has no closing colon");
    return -1;
  }
  int64_t from = found ? colon[0] + 1 : 0, to = found ? colon[1] : 0;
  if (found) printf("coded text size: %lld\n", (long long)(to - from));
  int64_t values = 0;
  for (int64_t i = from; i < to; i++) {
    int v = VALUES.v[buf[i]];
    if (v == -2) {
      refuse_silently("error decoding %c", buf[i]);
      return -1;
    }
    if (v >= 0) values++;
  }
  printf("decoded size after removing text formatting: %lld\n", (long long)values);
  // Four values give three bytes. The write position never passes the read position, so the text
  // can be overwritten as it is read.
  int64_t out = 0, k = 0;
  unsigned acc = 0;
  for (int64_t i = from; i < to; i++) {
    int v = VALUES.v[buf[i]];
    if (v < 0) continue;
    acc = acc << 6 | (unsigned)v;
    if (++k == 4) {
      buf[out++] = (unsigned char)(acc >> 16);
      buf[out++] = (unsigned char)(acc >> 8);
      buf[out++] = (unsigned char)acc;
      acc = 0;
      k = 0;
    }
  }
  if (k == 2) buf[out++] = (unsigned char)(acc >> 4);
  if (k == 3) {
    buf[out++] = (unsigned char)(acc >> 10);
    buf[out++] = (unsigned char)(acc >> 2);
  }
  if (out < n) memset(buf + out, 0, (size_t)(n - out));
  printf("decoded size after ascii to bin: %lld\n", (long long)out);
  return out;
}

}  // namespace

int load_hqx() {
  int64_t decoded = unpack_text();
  if (decoded < 0) return 0;
  Unrun s;
  s.c = file_cursor();
  s.c.size = decoded < s.c.size ? decoded : s.c.size;
  // Header: name length and name, version 0, type, creator, flags, the two fork lengths and a
  // check sum; the data fork follows.
  int name = s.u8();
  for (int i = 0; i < name && !s.ended; i++) s.u8();
  int version = s.u8();
  char type[4];
  for (char& t : type) t = (char)s.u8();
  if (s.ended || name < 1 || name > 63 || version != 0 || memcmp(type, "PNT", 3) != 0) {
    refuse_silently("not a MacPaint picture in BinHex");
    return 0;
  }
  for (int i = 0; i < 4 + 2; i++) s.u8();  // creator, flags
  int64_t fork = s.be32();
  s.be32();        // resource fork length
  s.u8(), s.u8();  // header check sum
  if (!start_macpaint_image()) {
    refuse_silently("memory error (init img)");
    return 0;
  }

  std::vector<unsigned char> data;
  int64_t keep = fork < MAX_USEFUL_FORK ? fork : MAX_USEFUL_FORK;
  data.reserve((size_t)keep);
  while ((int64_t)data.size() < keep) {
    int b = s.u8();
    if (s.ended) break;
    data.push_back((unsigned char)b);
  }
  Cursor c;
  c.data = data.data();
  c.size = (int64_t)data.size();
  c.seek(MACPAINT_HEADER);
  bool whole = decode_macpaint_rows(c, 129);
  image_post(MACPAINT_W, MACPAINT_H, 1);
  if (!whole) note_damaged();
  return 0;
}
