// The hex view: its header, its lines of 16 bytes, and the lines that fit the canvas.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/ocr.h"
#include "view/canvas.h"
#include "view/font.h"
#include "view/hex_view.h"
#include "view/screen.h"

namespace {

void show_hex(const std::string& bytes) {
  put_file_buffer(bytes);
  set_content_hex();
  do_draw();
}

// A line of the dump written out with printf, cell for cell.
std::string dump_line(const std::string& bytes, size_t line) {
  char buf[16];
  snprintf(buf, sizeof buf, "%08zx: ", line);
  std::string s = buf;
  std::string chars;
  for (int k = 0; k < 16; k++) {
    size_t o = line * 16 + k;
    std::string digits = "  ";
    char ch = ' ';
    if (o < bytes.size()) {
      unsigned char b = (unsigned char)bytes[o];
      snprintf(buf, sizeof buf, "%02X", b);
      digits = buf;
      if (b >= 33 && b <= 126) ch = (char)b;
    }
    s += digits;
    if (k % 2 == 1 && k < 15) s += ' ';
    chars += ch;
  }
  return s + "  " + chars;
}

const std::string header = "87654321  0011 2233 4455 6677 8899 aabb ccdd eeff  0123456789abcdef";

// The plain walk: every byte until one lands on a row below height + 10.
std::vector<float> plain_walk() {
  do_clear_text();
  const char* hex = "0123456789abcdef";
  for (int c = 0; c < 8; c++) print_char(c, 0, '0' + 8 - c);
  for (int k = 0; k < 16; k++) {
    print_char(hex_digit_cell(k), 0, hex[k]);
    print_char(hex_digit_cell(k) + 1, 0, hex[k]);
    print_char(51 + k, 0, hex[k]);
  }
  const char* HEX = "0123456789ABCDEF";
  for (int o = 0; o < bin_allocated; o++) {
    int n = o / 16, k = o % 16, row = n + 1;
    if (k == 0) {
      print_char(8, row, ':');
      for (int d = 0; d < 8; d++) print_char(7 - d, row, hex[(n >> (4 * d)) & 15]);
    }
    print_char(hex_digit_cell(k), row, HEX[bin_content[o] >> 4]);
    print_char(hex_digit_cell(k) + 1, row, HEX[bin_content[o] & 15]);
    if (bin_content[o] >= 33 && bin_content[o] <= 126) print_char(51 + k, row, bin_content[o]);
    if (row > height + 10) break;
  }
  return std::vector<float>(fimage, fimage + 4L * width * height);
}

}  // namespace

TEST(HexView, ByteCellsComeInPairs) {
  const int high[16] = {10, 12, 15, 17, 20, 22, 25, 27, 30, 32, 35, 37, 40, 42, 45, 47};
  for (int k = 0; k < 16; k++) EXPECT_EQ(hex_digit_cell(k), high[k]) << k;
}

TEST(HexView, HeaderAloneForNoBytes) {
  headless_viewer();
  show_hex("");
  EXPECT_EQ(ocr_canvas_text(0, 0, 67), header);
  EXPECT_EQ(ocr_canvas_text(1, 0, 67), std::string(67, ' '));
  bin_allocated = -1;
  free(bin_content);
  bin_content = nullptr;
  do_draw();
  EXPECT_EQ(ocr_canvas_text(0, 0, 67), header);
  EXPECT_EQ(ocr_canvas_text(1, 0, 67), std::string(67, ' '));
}

TEST(HexView, LinesReadBackAsPrintfWritesThem) {
  headless_viewer();
  const std::string cases[] = {
      "ABCDEFGHIJKLMNOPQ",                                 // 17 bytes: two lines
      std::string("\x41\xab\x20\x7f\x21\x7e\x00\xff", 8),  // printable limits
      std::string("\x0f\xf0\x10\x09\x0a\x0d", 6),
  };
  for (const std::string& bytes : cases) {
    show_hex(bytes);
    EXPECT_EQ(ocr_canvas_text(0, 0, 67), header);
    size_t lines = (bytes.size() + 15) / 16;
    for (size_t n = 0; n < lines; n++)
      EXPECT_EQ(ocr_canvas_text((int)n + 1, 0, 67), dump_line(bytes, n));
    EXPECT_EQ(ocr_canvas_text((int)lines + 1, 0, 67), std::string(67, ' '));
  }
  show_hex(std::string("\x41\xab", 2));
  EXPECT_EQ(ocr_canvas_text(1, 0, 67),
            "00000000: 41AB" + std::string(37, ' ') + "A" + std::string(15, ' '));
}

// The line at offset 0x1230 is numbered 00000123; a tall canvas shows it.
TEST(HexView, LineNumbersInLowerCaseHex) {
  headless_viewer(620, 18 * 0x12b + 18);
  std::string bytes(0x12a0, 'x');
  show_hex(bytes);
  EXPECT_EQ(ocr_canvas_text(0x123 + 1, 0, 10), "00000123: ");
  EXPECT_EQ(ocr_canvas_text(0x0ab + 1, 0, 10), "000000ab: ");
  EXPECT_EQ(ocr_canvas_text(0x129 + 1, 0, 67), dump_line(bytes, 0x129));
  headless_viewer(800, 500);
}

// 800 x 500: the header and 26 whole lines, then the top 13 pixel rows of the 27th.
TEST(HexView, LinesThatFitTheCanvas) {
  headless_viewer(800, 500);
  std::string bytes;
  for (int i = 0; i < 2000; i++) bytes += (char)('a' + i % 26);
  show_hex(bytes);
  EXPECT_EQ(ocr_canvas_text(26, 0, 67), dump_line(bytes, 25));
  EXPECT_EQ(ocr_canvas_cell(51, 27), bytes[26 * 16]);  // cut, but only one glyph fits
  // nothing is cut at the right: the lines are 603 pixels wide
  for (int x = 603; x < width; x++)
    for (int y = 0; y < height; y++) ASSERT_FLOAT_EQ(fimage[4 * (y * width + x)], 0.8f);
}

TEST(HexView, SameAsTheWalkAsDescribed) {
  std::mt19937 rng(11);
  std::string bytes(40000, 0);
  for (char& b : bytes) b = (char)(rng() % 256);
  for (auto size : {std::pair<int, int>{800, 500}, {803, 497}, {600, 19}, {1000, 800}}) {
    headless_viewer(size.first, size.second);
    show_hex(bytes);
    std::vector<float> shown(fimage, fimage + 4L * width * height);
    EXPECT_TRUE(shown == plain_walk()) << size.first << " x " << size.second;
  }
  headless_viewer(800, 500);
}
