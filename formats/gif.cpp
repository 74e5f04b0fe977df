// GIF decoder and frame loader. One pass over the blocks of the file (skipping the image data)
// indexes every image with the Graphic Control Extension that precedes it; decoding an image
// then reads just its own data. Frames are placed on the logical screen and clipped to it;
// stepping forward disposes of the previous frame as the file asks before drawing the next one.
#include "formats/gif.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "formats/byte_readers.h"
#include "formats/byte_table.h"
#include "formats/reader.h"
#include "view/canvas.h"

unsigned char* gif_frame = nullptr;
int gif_images_decoded = 0;

namespace {

// One image of the file and the Graphic Control Extension in front of it.
struct GifImage {
  int64_t descriptor;  // offset of the image descriptor (after the ",")
  int left, top, width, height, flags;
  int64_t data;     // offset of the LZW minimum code size byte
  int transparent;  // colour index shown transparent, -1 for none
  int delay;        // hundredths of a second
  int disposal;     // 0, 1 keep; 2 clear to transparent; 3 restore what was there before
};

struct GifScreen {
  const unsigned char* data = nullptr;
  int64_t length = 0;
  int status = 1;  // 0 a GIF whose screen descriptor was read, -1 cut short in it, 1 not a GIF
  int width = 0, height = 0, flags = 0;
  unsigned char colours[256][3];  // the global table; entries a file does not give are black
  std::vector<GifImage> images;
  int last_delay = 0;  // delay of the last Graphic Control Extension
  bool trailer = false;
};

// Skips data sub-blocks up to and including the terminator. False when the data ended first.
bool skip_sub_blocks(Cursor& c) {
  for (;;) {
    int n = c.u8();
    if (c.ended) return false;
    if (n == 0) return true;
    c.skip(n);
    if (c.ended) return false;
  }
}

void read_colour_table(Cursor& c, unsigned char table[256][3], int entries) {
  memset(table, 0, 256 * 3);
  for (int i = 0; i < entries && i < 256; i++)
    for (int k = 0; k < 3; k++) table[i][k] = (unsigned char)c.u8();
}

// The Graphic Control Extension: packed flags (disposal in bits 2-4, transparency in bit 0), the
// delay and the transparent index. It governs the image that follows it.
void read_graphic_control(Cursor& c, GifImage& pending, int& last_delay) {
  int n = c.u8();
  unsigned char b[4] = {0, 0, 0, 0};
  for (int i = 0; i < n; i++) {
    int v = c.u8();
    if (i < 4) b[i] = (unsigned char)v;
  }
  pending.disposal = b[0] >> 2 & 7;
  pending.delay = b[1] | b[2] << 8;
  pending.transparent = (b[0] & 1) ? b[3] : -1;
  last_delay = pending.delay;
  if (n) skip_sub_blocks(c);
}

// An extension block by its label: the Graphic Control Extension is read; comments, plain text and
// application blocks are skipped.
void DoExtension(Cursor& c, int label, GifImage& pending, int& last_delay) {
  if (label == 0xF9)
    read_graphic_control(c, pending, last_delay);
  else
    skip_sub_blocks(c);
}

// One pass over the blocks: screen, global table, every image with its control state.
void index_gif(const unsigned char* data, int64_t length, GifScreen& s) {
  s.data = data;
  s.length = length;
  s.images.clear();
  s.trailer = false;
  s.last_delay = 0;
  s.width = s.height = s.flags = 0;
  memset(s.colours, 0, sizeof s.colours);
  Cursor c;
  c.data = data;
  c.size = data ? length : 0;
  unsigned char magic[6];
  for (int i = 0; i < 6; i++) magic[i] = (unsigned char)c.u8();
  if (memcmp(magic, "GIF", 3) != 0) {
    puts("not a gif file.");
    s.status = 1;
    return;
  }
  if (memcmp(magic + 3, "87a", 3) != 0 && memcmp(magic + 3, "89a", 3) != 0) {
    puts("gif: bad version number, not 87a or 89a");
    s.status = 1;
    return;
  }
  s.width = c.le16();
  s.height = c.le16();
  s.flags = c.u8();
  c.u8();  // background index: the screen starts transparent
  c.u8();  // aspect ratio: pixels are shown square
  if (c.ended) {
    s.status = -1;
    return;
  }
  s.status = 0;
  if (s.flags & 0x80) read_colour_table(c, s.colours, 2 << (s.flags & 7));

  GifImage pending{0, 0, 0, 0, 0, 0, 0, -1, 0, 0};
  for (;;) {
    if (c.left() <= 0) {
      puts("EOF  / read error on image data");
      return;
    }
    int b = c.u8();
    if (b == ';') {
      s.trailer = true;
      return;
    }
    if (b == '!') {
      DoExtension(c, c.u8(), pending, s.last_delay);
      continue;
    }
    if (b != ',') {
      printf("bogus character, ignoring (%c)\n", b);
      continue;
    }
    GifImage im = pending;
    im.descriptor = c.pos;
    im.left = c.le16();
    im.top = c.le16();
    im.width = c.le16();
    im.height = c.le16();
    im.flags = c.u8();
    if (c.ended) return;
    if (im.flags & 0x80) c.skip(3LL << ((im.flags & 7) + 1));
    im.data = c.pos;
    c.u8();
    if (c.ended) return;
    s.images.push_back(im);
    // The control extension governs the one image that follows it.
    pending = GifImage{0, 0, 0, 0, 0, 0, 0, -1, 0, 0};
    if (!skip_sub_blocks(c)) {
      puts("EOF  / read error on image data");
      return;
    }
  }
}

// Collects an image's data sub-blocks into one run of bytes. False when the data ended before the
// terminator.
bool GetDataBlock(Cursor& c, std::vector<unsigned char>& out) {
  out.clear();
  for (;;) {
    int n = c.u8();
    if (c.ended) return false;
    if (n == 0) return true;
    int64_t have = c.left() < n ? c.left() : n;
    const unsigned char* p = c.take(have);
    out.insert(out.end(), p, p + have);
    if (have < n) return false;
  }
}

// LSB-first variable-length codes over the collected data.
struct GetCode {
  const unsigned char* p;
  const unsigned char* end;
  uint64_t acc = 0;
  int bits = 0;
  // The next code of `size` bits, or -1 when the data holds fewer bits.
  int operator()(int size) {
    while (bits < size) {
      if (p == end) return -1;
      acc |= (uint64_t)*p++ << bits;
      bits += 8;
    }
    int code = (int)(acc & ((1u << size) - 1));
    acc >>= size;
    bits -= size;
    return code;
  }
};

enum LzwEnd { LZW_FULL, LZW_END_CODE, LZW_OUT_OF_BITS, LZW_CORRUPT, LZW_UNSUPPORTED };

// Minimum code sizes up to 11 keep every code within the 4096-entry table (the clear and end codes
// of 11 are 2048 and 2049). A literal code above 255 stands for its low byte, as a table of byte
// values holds it.
const int LZW_MAX_MIN_SIZE = 11;

// Decodes LZW data of minimum code size `min_size` into n colour indices at `out` (which has 16
// bytes of slack after n). Each table entry is kept as the place in the output where its string
// was written and its length, so emitting a code is one copy from earlier output. *produced gets
// the number of indices written.
LzwEnd LZWDecode(const std::vector<unsigned char>& in, int min_size, unsigned char* out, int64_t n,
                 int64_t* produced) {
  static uint32_t start[4096];
  static uint16_t len[4096];
  *produced = 0;
  if (min_size < 1 || min_size > LZW_MAX_MIN_SIZE) return LZW_UNSUPPORTED;
  GetCode get{in.data(), in.data() + in.size()};
  const int clear = 1 << min_size, end_code = clear + 1;
  int size = min_size + 1, next = clear + 2, old = -1;
  int64_t pos = 0, old_pos = 0;
  while (pos < n) {
    int code = get(size);
    if (code < 0) {
      *produced = pos;
      return LZW_OUT_OF_BITS;
    }
    if (code == clear) {
      size = min_size + 1;
      next = clear + 2;
      old = -1;
      continue;
    }
    if (code == end_code) {
      *produced = pos;
      return LZW_END_CODE;
    }
    if (old < 0) {
      // The first code after a clear must be a colour index.
      if (code > clear) {
        *produced = pos;
        return LZW_CORRUPT;
      }
      old_pos = pos;
      out[pos++] = (unsigned char)code;
      old = code;
      continue;
    }
    int64_t here = pos, length;
    if (code < clear) {
      out[pos++] = (unsigned char)code;
      length = 1;
    } else if (code < next) {
      length = len[code];
      int64_t room = n - pos < length ? n - pos : length;
      const unsigned char* from = out + start[code];
      if (room <= 16) {
        uint64_t a, b;
        memcpy(&a, from, 8);
        memcpy(&b, from + 8, 8);
        memcpy(out + pos, &a, 8);
        memcpy(out + pos + 8, &b, 8);
      } else {
        memcpy(out + pos, from, room);
      }
      pos += room;
    } else if (code == next && next < 4096) {
      // The code being defined: the previous string and its own first byte.
      int64_t lo = old < clear ? 1 : len[old];
      length = lo + 1;
      int64_t room = n - pos < length ? n - pos : length;
      for (int64_t i = 0; i < room; i++) out[pos + i] = i < lo ? out[old_pos + i] : out[old_pos];
      pos += room;
    } else {
      *produced = pos;
      return LZW_CORRUPT;
    }
    if (next < 4096) {
      start[next] = (uint32_t)old_pos;
      len[next] = (uint16_t)((old < clear ? 1 : len[old]) + 1);
      next++;
      if (next >= 1 << size && size < 12) size++;
    }
    old = code;
    old_pos = here;
  }
  *produced = pos;
  int more = get(size);
  if (more >= 0 && more != end_code) puts("too much input data, ignoring extra...");
  return LZW_FULL;
}

// Decodes image `im` into gif_frame (a new block). False when the image's data was damaged (then
// the pixels it did not give are transparent).
bool ReadImage(const GifScreen& s, const GifImage& im) {
  static std::vector<unsigned char> lzw, index;
  int64_t n = (int64_t)im.width * im.height;
  if (n > 0 && !image_size_ok(im.width, im.height)) {
    printf("gif: image of %d x %d not supported\n", im.width, im.height);
    return false;
  }
  gif_frame = (unsigned char*)malloc(n > 0 ? (size_t)n * 4 : 4);
  if (!gif_frame) return false;
  if (n == 0) return true;
  Cursor c;
  c.data = s.data;
  c.size = s.length;
  unsigned char local[256][3];
  const unsigned char(*table)[3] = s.colours;
  if (im.flags & 0x80) {
    c.seek(im.descriptor + 9);
    read_colour_table(c, local, 2 << (im.flags & 7));
    table = local;
  }
  c.seek(im.data);
  int min_size = c.u8();
  gif_images_decoded++;
  bool complete_blocks = GetDataBlock(c, lzw);
  index.resize((size_t)n + 16);
  int64_t got = 0;
  LzwEnd e = LZWDecode(lzw, min_size, index.data(), n, &got);
  if (e == LZW_UNSUPPORTED) printf("gif: LZW minimum code size %d not supported\n", min_size);
  if (e == LZW_CORRUPT) puts("error: circular table entry");
  if (e == LZW_OUT_OF_BITS) puts("ran off the end of my bits");
  if (!complete_blocks && e != LZW_OUT_OF_BITS)
    puts("missing EOD in data stream (common occurence)");

  // Rows in the order the data gives them: top to bottom, or the four interlace passes.
  int w = im.width, h = im.height;
  bool interlaced = im.flags & 0x40;
  static const int pass_start[4] = {0, 4, 2, 1}, pass_step[4] = {8, 8, 4, 2};
  int pass = 0, y = 0;
  const unsigned char* src = index.data();
  for (int64_t row = 0; row < h; row++) {
    unsigned char* dst = gif_frame + (int64_t)4 * y * w;
    int64_t from = row * w;
    int have = got <= from ? 0 : (got - from >= w ? w : (int)(got - from));
    for (int x = 0; x < have; x++, dst += 4) {
      int i = src[from + x];
      dst[0] = table[i][0];
      dst[1] = table[i][1];
      dst[2] = table[i][2];
      dst[3] = i == im.transparent ? 0 : 255;
    }
    memset(dst, 0, (size_t)(w - have) * 4);
    if (!interlaced) {
      y++;
    } else {
      y += pass_step[pass];
      while (y >= h && pass < 3) y = pass_start[++pass];
    }
  }
  // The scratch blocks are kept between frames of ordinary size; a very large frame's are given
  // back rather than held for the rest of the run.
  const size_t keep = size_t(1) << 24;
  if (index.capacity() > keep) std::vector<unsigned char>().swap(index);
  if (lzw.capacity() > keep) std::vector<unsigned char>().swap(lzw);
  return got == n;
}

// Answers a ReadGIF call from an index.
int read_indexed(const GifScreen& s, int n, int* left, int* top, int* width, int* height,
                 int* delay, bool* damaged) {
  free(gif_frame);
  gif_frame = nullptr;
  if (damaged) *damaged = false;
  if (s.status == 1) return 1;
  if (s.status < 0) return -1;
  *width = s.width;
  *height = s.height;
  *delay = s.last_delay > 0 ? 10 * s.last_delay : 0;
  if (n <= 0) return 0;
  if (n > (int)s.images.size()) return -1;
  const GifImage& im = s.images[n - 1];
  *left = im.left;
  *top = im.top;
  *width = im.width;
  *height = im.height;
  bool whole = ReadImage(s, im);
  if (damaged) *damaged = !whole;
  return 0;
}

}  // namespace

int ReadGIF(FILE* stream, int n, int* left, int* top, int* frame_w, int* frame_h, int* delay,
            int length, const unsigned char* data) {
  std::vector<unsigned char> slurp;
  if (length == 0) {
    if (stream) {
      unsigned char buf[65536];
      size_t got;
      while ((got = fread(buf, 1, sizeof buf, stream)) > 0)
        slurp.insert(slurp.end(), buf, buf + got);
    }
    if (slurp.empty()) {
      puts("gif: error reading magic number");
      free(gif_frame);
      gif_frame = nullptr;
      return 1;
    }
    data = slurp.data();
    length = (int)slurp.size();
  }
  static GifScreen s;
  index_gif(data, length, s);
  int r = read_indexed(s, n, left, top, frame_w, frame_h, delay, nullptr);
  s.data = nullptr;
  return r;
}

// ---- The frame loader ----

namespace {

GifScreen file_index;  // the index of the file buffer, built once after a reset
bool indexed = false;
int delay_ = 0, x_res = 0, y_res = 0, n_image_ = 1;
int shown = 0;  // the frame (1-based) whose composition the loaded image holds, 0 none
const float* shown_block = nullptr;
long shown_post = -1;  // image_posts right after this reader's last post
bool post_again = false;    // the counting call left frame 1 on the screen
std::vector<float> before;  // what a frame of disposal 3 covered
int before_x, before_y, before_w, before_h;
const float* const LUT = byte_table();  // byte / 255

// The frame's rectangle clipped to the screen.
void clip(const GifImage& im, int& x0, int& y0, int& x1, int& y1) {
  x0 = im.left < x_res ? im.left : x_res;
  y0 = im.top < y_res ? im.top : y_res;
  x1 = im.left + im.width < x_res ? im.left + im.width : x_res;
  y1 = im.top + im.height < y_res ? im.top + im.height : y_res;
}

void clear_rect(int x0, int y0, int x1, int y1) {
  for (int y = y0; y < y1; y++)
    fill_pixels(img_content + 4 * ((int64_t)y * x_res + x0), x1 - x0, 0, 0, 0, 0);
}

// Undoes frame k as its disposal asks, before the next frame is drawn.
void dispose(int k) {
  const GifImage& im = file_index.images[k - 1];
  int x0, y0, x1, y1;
  clip(im, x0, y0, x1, y1);
  if (im.disposal == 2) clear_rect(x0, y0, x1, y1);
  if (im.disposal == 3 && before_w == x1 - x0 && before_h == y1 - y0 && before_x == x0 &&
      before_y == y0)
    for (int y = y0; y < y1; y++)
      memcpy(img_content + 4 * ((int64_t)y * x_res + x0),
             before.data() + 4 * (int64_t)(y - y0) * before_w, sizeof(float) * 4 * before_w);
}

// Decodes frame k and draws it over the screen; transparent pixels leave what is beneath. Returns
// the ReadGIF result; *damaged tells whether the frame's data was damaged.
int draw(int k, bool* damaged) {
  int left = 0, top = 0, w = 0, h = 0, delay = 0;
  int r = read_indexed(file_index, k, &left, &top, &w, &h, &delay, damaged);
  if (r != 0) return r;
  const GifImage& im = file_index.images[k - 1];
  int x0, y0, x1, y1;
  clip(im, x0, y0, x1, y1);
  if (im.disposal == 3) {
    before_x = x0, before_y = y0, before_w = x1 - x0, before_h = y1 - y0;
    before.resize((size_t)4 * before_w * (before_h > 0 ? before_h : 0));
    for (int y = y0; y < y1; y++)
      memcpy(before.data() + 4 * (int64_t)(y - y0) * before_w,
             img_content + 4 * ((int64_t)y * x_res + x0), sizeof(float) * 4 * before_w);
  }
  if (gif_frame)
    for (int y = y0; y < y1; y++) {
      const unsigned char* s = gif_frame + 4 * ((int64_t)(y - top) * w + (x0 - left));
      float* d = img_content + 4 * ((int64_t)y * x_res + x0);
      for (int x = x0; x < x1; x++, s += 4, d += 4)
        if (s[3]) {
          d[0] = LUT[s[0]];
          d[1] = LUT[s[1]];
          d[2] = LUT[s[2]];
          d[3] = 1.0f;
        }
    }
  free(gif_frame);
  gif_frame = nullptr;
  shown = k;
  return 0;
}

}  // namespace

int load_gif(int frame, int fit, int reset) {
  if (reset) {
    delay_ = x_res = y_res = 0;
    n_image_ = 1;
    indexed = false;
    shown = 0;
    shown_block = nullptr;
    post_again = false;
    return 0;
  }
  const unsigned char* data = bin_content && bin_allocated > 0 ? bin_content : nullptr;
  int64_t length = data ? bin_allocated : 0;
  if (!indexed || file_index.data != data || file_index.length != length) {
    index_gif(data, length, file_index);
    indexed = true;
    shown = 0;
    shown_block = nullptr;
  }
  const GifScreen& s = file_index;
  if (s.status != 0) return s.status;
  // A screen without a size takes the first frame's extent.
  x_res = s.width, y_res = s.height;
  if (!s.images.empty()) {
    if (!x_res) x_res = s.images[0].left + s.images[0].width;
    if (!y_res) y_res = s.images[0].top + s.images[0].height;
  }
  int count = (int)s.images.size();
  if (frame == -1) {
    delay_ = 0;
    for (const GifImage& im : s.images) delay_ += 10 * im.delay;
    n_image_ = count;
    if (count <= 0) return -1;
  } else if (frame < 1 || frame > count) {
    return -1;
  }

  const float* block = img_content;
  int r = size_loaded_image(x_res, y_res);
  if (r == SIZE_REFUSED) {
    printf("gif: screen of %d x %d not supported\n", x_res, y_res);
    return 3;
  }
  if (r == SIZE_NO_MEMORY) {
    puts("memory error (img post)");
    return 2;
  }
  // The screen is this file's only while nothing else was posted since its last frame: a block
  // of the same address and size may hold the globe or another picture.
  bool same_screen = img_content == block && img_content == shown_block && image_xres == x_res &&
                     image_yres == y_res && image_posts == shown_post;
  if (!same_screen) {
    // A new block, or one another picture has used: start from an empty (transparent) screen.
    fill_pixels(img_content, (int64_t)x_res * y_res, 0, 0, 0, 0);
    shown = 0;
  }
  shown_block = img_content;

  if (frame == -1) {
    post_again = shown == 1;
    image_post(x_res, y_res, fit);
    shown_post = image_posts;
    return count > 1 && delay_ == 0 ? 1 : count;
  }

  bool layered = n_image_ > 1 && delay_ == 0;
  bool damaged = false;
  if (post_again && frame == 1 && shown == 1 && !layered) {
    // The opener shows frame 1 again after counting: it is on the screen already.
    post_again = false;
    image_post(x_res, y_res, fit);
    shown_post = image_posts;
    return 0;
  }
  post_again = false;
  if (frame == 1 && shown != 0) {
    fill_pixels(img_content, (int64_t)x_res * y_res, 0, 0, 0, 0);
    shown = 0;
  } else if (shown != 0 && shown == frame - 1) {
    dispose(shown);
  }
  r = draw(frame, &damaged);
  // A still made of several images without delays shows all of them, each over the one before.
  for (int k = frame + 1; r == 0 && layered && k <= n_image_; k++) {
    bool d = false;
    dispose(k - 1);
    r = draw(k, &d);
    damaged |= d;
  }
  image_post(x_res, y_res, fit);
  shown_post = image_posts;
  if (damaged) note_damaged();
  return r;
}
