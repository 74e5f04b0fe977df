// GIF89a writer. The compressor is the classic hashed LZW: strings are keyed by (pixel, prefix
// code) in an open-addressed table of 8209 slots with a fixed secondary probe, so encoding never
// allocates; when the 12-bit code space is used up the table is emptied and a clear code sent.
#include "formats/gif_encode.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int MAX_SIDE = 65535;  // the 16-bit fields of the header and descriptor
// Prime, so that the probe visits every slot; twice the 4096 codes, so probe chains stay short.
constexpr int HSIZE = 8209;
constexpr int MAXBITS = 12;
constexpr int MAXMAXCODE = 1 << MAXBITS;

// Image walk.
int Width, Height, Interlace, Pass, curx, cury, curv;
int64_t CountDown;
gif_pixel_fn pixel_fn;
uint64_t true_start = 0;

// Compressor.
int g_init_bits, n_bits, maxcode, ClearCode, EOFCode, free_ent, clear_flg;
int htab[HSIZE];
uint16_t codetab[HSIZE];
uint32_t cur_accum;
int cur_bits;
FILE* g_outfile;
unsigned char accum[256];
int a_count;

const uint32_t masks[17] = {0x0000, 0x0001, 0x0003, 0x0007, 0x000F, 0x001F, 0x003F, 0x007F, 0x00FF,
                            0x01FF, 0x03FF, 0x07FF, 0x0FFF, 0x1FFF, 0x3FFF, 0x7FFF, 0xFFFF};

void Putword(int w, FILE* fp) {
  fputc(w & 0xFF, fp);
  fputc((w / 256) & 0xFF, fp);
}

int stream_status(FILE* fp) { return ferror(fp) ? -1 : 0; }

bool sides_fit(int w, int h) {
  if (w >= 0 && h >= 0 && w <= MAX_SIDE && h <= MAX_SIDE) return true;
  fprintf(stderr, "gif: %d x %d cannot be written (sides of 0 to %d)\n", w, h, MAX_SIDE);
  return false;
}

// The packet buffer goes out as one data sub-block.
void flush_char() {
  if (a_count > 0) {
    fputc(a_count, g_outfile);
    fwrite(accum, 1, a_count, g_outfile);
    a_count = 0;
  }
}

inline void char_out(int c) {
  accum[a_count++] = (unsigned char)c;
  if (a_count >= 254) flush_char();
}

// Rows of an interlaced image come in four passes: every 8th from 0, every 8th from 4, every 4th
// from 2, every 2nd from 1. A pass with no rows in a short image is passed over.
void BumpPixel() {
  if (++curx != Width) return;
  curx = 0;
  if (!Interlace) {
    ++cury;
    return;
  }
  static const int step[4] = {8, 8, 4, 2}, start[4] = {0, 4, 2, 1};
  cury += step[Pass];
  while (cury >= Height && Pass < 3) cury = start[++Pass];
}

// The next pixel of the walk, -1 when the image has ended. Values the code size cannot carry
// would index past the hash table or read as clear and end codes: they end the image instead.
int GIFNextPixel() {
  if (CountDown == 0) return -1;
  --CountDown;
  int r = pixel_fn(curx, cury, curv);
  if (r >= ClearCode || r < -1) {
    fprintf(stderr, "gif: pixel value %d at (%d, %d) is not below %d: image ended there\n", r,
            curx, cury, ClearCode);
    CountDown = 0;
    return -1;
  }
  BumpPixel();
  return r;
}

void clear_hash() { memset(htab, 0xFF, sizeof htab); }

void gif_output(int code) {
  cur_accum &= masks[cur_bits];
  cur_accum = cur_bits > 0 ? cur_accum | (uint32_t)code << cur_bits : (uint32_t)code;
  cur_bits += n_bits;
  while (cur_bits >= 8) {
    char_out((int)(cur_accum & 0xFF));
    cur_accum >>= 8;
    cur_bits -= 8;
  }
  // The decoder widens its codes when its table reaches the current maximum; follow it.
  if (clear_flg) {
    n_bits = g_init_bits;
    maxcode = (int)masks[n_bits];
    clear_flg = 0;
  } else if (free_ent > maxcode) {
    ++n_bits;
    maxcode = n_bits == MAXBITS ? MAXMAXCODE : (int)masks[n_bits];
  }
  if (code == EOFCode) {
    while (cur_bits > 0) {
      char_out((int)(cur_accum & 0xFF));
      cur_accum >>= 8;
      cur_bits -= 8;
    }
    flush_char();
  }
}

// Compresses the walk set up by the caller; returns 0, or -1 when the stream failed.
int gif_compress(int init_bits, FILE* outfile, gif_pixel_fn get_pixel) {
  g_init_bits = n_bits = init_bits;
  maxcode = (int)masks[n_bits];
  ClearCode = 1 << (init_bits - 1);
  EOFCode = ClearCode + 1;
  free_ent = ClearCode + 2;
  clear_flg = 0;
  cur_accum = 0;
  cur_bits = 0;
  a_count = 0;
  g_outfile = outfile;
  pixel_fn = get_pixel;

  int ent = GIFNextPixel();
  clear_hash();
  gif_output(ClearCode);
  // An image without pixels is a clear code and an end code: there is no string to send.
  if (ent >= 0) {
    int c;
    while ((c = GIFNextPixel()) != -1) {
      const int fcode = (c << MAXBITS) + ent;
      int i = (c << 5) ^ ent;  // spreads over the whole table: c < 256, ent < 4096
      if (htab[i] == fcode) {
        ent = codetab[i];
        continue;
      }
      if (htab[i] >= 0) {
        const int disp = i == 0 ? 1 : HSIZE - i;
        do {
          if ((i -= disp) < 0) i += HSIZE;
        } while (htab[i] != fcode && htab[i] >= 0);
        if (htab[i] == fcode) {
          ent = codetab[i];
          continue;
        }
      }
      gif_output(ent);
      ent = c;
      if (free_ent < MAXMAXCODE) {
        codetab[i] = (uint16_t)free_ent++;
        htab[i] = fcode;
      } else {
        clear_hash();
        free_ent = ClearCode + 2;
        clear_flg = 1;
        gif_output(ClearCode);
      }
    }
    gif_output(ent);
  }
  gif_output(EOFCode);
  fflush(g_outfile);
  if (ferror(g_outfile)) {
    fprintf(stderr, "error writing output file\n");
    return -1;
  }
  return 0;
}

void start_walk(int w, int h, int interlace) {
  Width = w;
  Height = h;
  Interlace = interlace ? 1 : 0;
  Pass = 0;
  curx = cury = 0;
  CountDown = (int64_t)w * h;
}

}  // namespace

int GIFEncode(FILE* fp, int width, int height, int interlace, int background, int bits_per_pixel,
              gif_pixel_fn get_pixel, int transparent) {
  if (!fp || !get_pixel || !sides_fit(width, height)) return -1;
  if (bits_per_pixel < 1 || bits_per_pixel > 8) {
    fprintf(stderr, "gif: %d bits per pixel cannot be written (1 to 8)\n", bits_per_pixel);
    return -1;
  }
  const int b = bits_per_pixel;
  const int init_code_size = b <= 1 ? 2 : b;
  start_walk(width, height, interlace);

  fwrite("GIF89a", 1, 6, fp);
  Putword(width, fp);
  Putword(height, fp);
  fputc(0x80 | (b - 1) << 4 | (b - 1), fp);
  fputc(background & 0xFF, fp);
  fputc(0, fp);
  for (int i = 0; i < 3 << b; i++) fputc(0, fp);
  GraphicsExt(transparent, 0, fp);

  fputc(',', fp);
  Putword(0, fp);
  Putword(0, fp);
  Putword(width, fp);
  Putword(height, fp);
  fputc(Interlace ? 0x40 : 0x00, fp);
  fputc(init_code_size, fp);
  if (gif_compress(init_code_size + 1, fp, get_pixel) != 0) return -1;
  fputc(0, fp);
  return stream_status(fp);
}

int TrueGif_start(FILE* fp, int width, int height, int interlace) {
  if (!fp || !sides_fit(width, height)) return -1;
  Pass = 0;
  Interlace = interlace ? 1 : 0;
  Width = width;
  Height = height;
  fwrite("GIF89a", 1, 6, fp);
  Putword(width, fp);
  Putword(height, fp);
  fputc(0x38, fp);
  fputc(0, fp);
  fputc(0, fp);
  return stream_status(fp);
}

// The block is always 4 bytes long, as the format fixes it: decoders that check (giflib) refuse a
// shorter one, and the transparent index byte is simply not used without the flag.
int GraphicsExt(int transparent, int delay, FILE* fp) {
  fputc('!', fp);
  fputc(0xF9, fp);
  fputc(4, fp);
  fputc(transparent ? 9 : 8, fp);
  Putword(delay, fp);
  fputc(transparent ? 255 : 0, fp);
  fputc(0, fp);
  return stream_status(fp);
}

int NetscapeExt(FILE* fp, int loop_forever) {
  fputc('!', fp);
  fputc(0xFF, fp);
  fputc(11, fp);
  fwrite("NETSCAPE2.0", 1, 11, fp);
  fputc(3, fp);
  fputc(1, fp);
  Putword(loop_forever ? 0 : 1, fp);
  fputc(0, fp);
  return stream_status(fp);
}

int do_gif_compress(int width, int height, int init_bits, FILE* fp, gif_pixel_fn get_pixel,
                    int v) {
  if (!fp || !get_pixel || !sides_fit(width, height)) return -1;
  if (init_bits < 3 || init_bits > 9) {
    fprintf(stderr, "gif: initial code width %d cannot be written (3 to 9)\n", init_bits);
    return -1;
  }
  start_walk(width, height, 0);
  curv = v;
  return gif_compress(init_bits, fp, get_pixel);
}

int TrueGetPixel(int, int, int) { return (int)(true_start++ % 256); }

int Gif_end(FILE* fp) {
  fputc(';', fp);
  fflush(fp);
  return stream_status(fp);
}

char** pm_allocarray(int columns, int rows, int size) {
  if (rows < 1 || columns < 0 || size < 1) return nullptr;
  const uint64_t row_bytes = (uint64_t)columns * (uint64_t)size;  // below 2^62
  const bool fits = row_bytes == 0 || (uint64_t)rows <= (uint64_t)(SIZE_MAX / 2) / row_bytes;
  const uint64_t bytes = fits ? row_bytes * (uint64_t)rows : 0;
  char** its = fits ? (char**)malloc(sizeof(char*) * (size_t)rows) : nullptr;
  if (its) its[0] = (char*)malloc(bytes ? (size_t)bytes : 1);
  if (!its || !its[0]) {
    free(its);
    fprintf(stderr, "out of memory\n");
    return nullptr;
  }
  for (int i = 1; i < rows; i++) its[i] = its[0] + i * row_bytes;
  return its;
}
