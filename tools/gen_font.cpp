// Writes font.bin: the 8 x 16 code page 437 font, 256 glyphs of 16 bytes, bit 0 the leftmost pixel.
//
// Source: the VGA BIOS of Debian's seabios package (/usr/share/seabios/vgabios-stdvga.bin), whose
// 8 x 16 table comes from vgasrc/vgafonts.c, placed in the public domain. The ROM stores bit 7 as the
// leftmost pixel, so every byte is bit-reversed. The table is found by the glyph 'A' rather than by
// an offset, and checked on glyphs 0 (blank), 1 (face) and 219 (full block).
//
// usage: gen_font <vgabios.bin> <out.bin>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/gen_file_io.h"

static const unsigned char kGlyphA[16] = {0x00, 0x00, 0x10, 0x38, 0x6C, 0xC6, 0xC6, 0xFE,
                                          0xC6, 0xC6, 0xC6, 0xC6, 0x00, 0x00, 0x00, 0x00};
static const unsigned char kFace[16] = {0x00, 0x00, 0x7E, 0x81, 0xA5, 0x81, 0x81, 0xBD,
                                        0x99, 0x81, 0x81, 0x7E, 0x00, 0x00, 0x00, 0x00};

static unsigned char reverse_bits(unsigned char b) {
  unsigned char r = 0;
  for (int i = 0; i < 8; i++)
    if (b & (1 << i)) r |= (unsigned char)(0x80 >> i);
  return r;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: gen_font <vgabios.bin> <out.bin>\n");
    return 2;
  }
  std::vector<unsigned char> rom;
  if (!read_whole_file(argv[1], &rom)) return 1;

  long table = -1;
  for (size_t at = 65 * 16; at + 16 <= rom.size(); at++) {
    if (memcmp(&rom[at], kGlyphA, 16) != 0) continue;
    size_t start = at - 65 * 16;
    if (start + 4096 > rom.size()) continue;
    const unsigned char* t = &rom[start];
    bool blank = true, full = true;
    for (int i = 0; i < 16; i++) {
      blank = blank && t[i] == 0;
      full = full && t[219 * 16 + i] == 0xFF;
    }
    if (blank && full && memcmp(t + 16, kFace, 16) == 0) {
      table = (long)start;
      break;
    }
  }
  if (table < 0) {
    fprintf(stderr, "gen_font: no 8x16 font table found in %s\n", argv[1]);
    return 1;
  }
  unsigned char out[4096];
  for (int i = 0; i < 4096; i++) out[i] = reverse_bits(rom[table + i]);
  return write_file_atomic(argv[2], out, sizeof out) ? 0 : 1;
}
