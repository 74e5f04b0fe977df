// BMP reader against netpbm's, ImageMagick's, Pillow's and real files, with Pillow and ImageMagick
// as the decoders of reference.
#include <gtest/gtest.h>

#include <FL/Fl_Text_Buffer.H>

#include <climits>
#include <cstring>

#include "app/window.h"
#include "formats/bmp.h"
#include "formats/netpbm.h"
#include "formats/reader.h"
#include "script_fixtures.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "view/canvas.h"

namespace {

std::string dir() {
  static const std::string d = script_fixtures("bmp", "bmp_fixtures.sh");
  return d;
}

bool is_error_canvas() {
  return contentview == 1 && image_xres >= 800 && img_content[0] == 0.3f && img_content[2] == 0.4f;
}

void le(Bytes& b, uint32_t v, int n) {
  for (int i = 0; i < n; i++) b.push_back((unsigned char)(v >> (8 * i)));
}

struct BmpSpec {
  int w = 1, h = 1, bpp = 24;
  uint32_t compression = 0, colours = 0, info = 40;
  int planes = 1;
  Bytes palette;                // B, G, R, 0 per entry
  std::vector<uint32_t> masks;  // written after a 40-byte header, or inside a larger one
  Bytes pixels;
};

// A bitmap with the given header fields; the palette follows the header (and masks).
Bytes make_bmp(const BmpSpec& s) {
  Bytes info;
  le(info, s.info, 4);
  le(info, (uint32_t)s.w, 4);
  le(info, (uint32_t)s.h, 4);
  le(info, s.planes, 2);
  le(info, s.bpp, 2);
  le(info, s.compression, 4);
  le(info, (uint32_t)s.pixels.size(), 4);
  le(info, 2835, 4);
  le(info, 2835, 4);
  le(info, s.colours, 4);
  le(info, 0, 4);
  for (uint32_t m : s.masks) le(info, m, 4);
  while (info.size() < s.info) info.push_back(0);
  uint32_t offset = 14 + (uint32_t)info.size() + (uint32_t)s.palette.size();
  Bytes b{'B', 'M'};
  le(b, offset + (uint32_t)s.pixels.size(), 4);
  le(b, 0, 4);
  le(b, offset, 4);
  b.insert(b.end(), info.begin(), info.end());
  b.insert(b.end(), s.palette.begin(), s.palette.end());
  b.insert(b.end(), s.pixels.begin(), s.pixels.end());
  return b;
}

// A palette of n entries, entry i = (r, g, b) = (i, 2i, 3i) mod 256.
Bytes ramp_palette(int n) {
  Bytes p((size_t)4 * n, 0);
  for (int i = 0; i < n; i++) {
    p[4 * i] = (unsigned char)(3 * i);  // blue
    p[4 * i + 1] = (unsigned char)(2 * i);
    p[4 * i + 2] = (unsigned char)i;
  }
  return p;
}

const unsigned char* px(const Rgba& r, int x, int y) { return r.at(x, y); }

}  // namespace

TEST(Bmp, MatchesPillowOnFilesOfEveryWriter) {
  headless_viewer();
  std::vector<std::string> files;
  for (int w : {1, 2, 3, 4, 5, 6, 7, 8, 9, 33})
    for (const char* d : {"1bit", "4bit", "8bit", "24bit"})
      files.push_back("netpbm_" + std::string(d) + "_w" + std::to_string(w) + ".bmp");
  for (const char* f : {"im_v5_24bit.bmp", "im_v3_24bit.bmp", "im_v5_8bit.bmp", "im_v3_8bit.bmp",
                        "im_v5_4bit.bmp", "im_v5_1bit.bmp", "im_rle8.bmp", "pil_1bit.bmp",
                        "pil_grey.bmp", "pil_8bit.bmp", "pil_24bit.bmp", "bottom_first_24bit.bmp",
                        "top_first_24bit.bmp", "raw32_x0.bmp", "raw32_x255.bmp"})
    files.push_back(f);
  std::vector<std::string> paths;
  for (const std::string& f : files) paths.push_back(dir() + "/" + f);
  pillow_decode(paths);
  for (const std::string& f : files) {
    std::string path = dir() + "/" + f;
    put_file_buffer(read_file(path));
    set_status("Ready");
    load_bmp();
    EXPECT_EQ(status_text(), "") << f;
    EXPECT_EQ(compare_loaded(pillow_rgba(path), 0), "") << f;
  }
}

TEST(Bmp, RunLengthEscapesMatchImageMagick) {
  headless_viewer();
  // Deltas, literal runs, early ends of line and of the bitmap. (Pillow 9.4 reads the two bytes of
  // a delta twice, so ImageMagick is the reference here; pixels no run reaches are palette entry 0
  // in both.)
  for (const char* f : {"rle4.bmp", "rle8.bmp", "im_rle8.bmp"}) {
    std::string path = dir() + "/" + f;
    put_file_buffer(read_file(path));
    set_status("Ready");
    load_bmp();
    EXPECT_EQ(status_text(), "") << f;
    EXPECT_EQ(compare_loaded(imagemagick_rgba(path), 0), "") << f;
  }
}

TEST(Bmp, SixteenBitPixelsMatchPillowAndImageMagick) {
  headless_viewer();
  // Five or six bits of a channel are shown times 8 or 4, as this reader always did: up to 7 levels
  // below decoders that stretch them to 255.
  for (const char* f : {"im_565.bmp", "im_555.bmp", "raw_555.bmp"}) {
    std::string path = dir() + "/" + f;
    put_file_buffer(read_file(path));
    load_bmp();
    EXPECT_EQ(compare_loaded(pillow_rgba(path), 8), "") << f;
    EXPECT_EQ(compare_loaded(imagemagick_rgba(path), 8), "") << f;
  }
}

TEST(Bmp, AlphaOf32BitFilesMatchesImageMagick) {
  headless_viewer();
  // The fourth byte is alpha, unless it is 0 throughout (then the writer meant no alpha).
  for (const char* f :
       {"im_alpha.bmp", "pil_32bit.bmp", "raw32_x0.bmp", "raw32_x255.bmp", "raw32_xmixed.bmp"}) {
    std::string path = dir() + "/" + f;
    put_file_buffer(read_file(path));
    load_bmp();
    EXPECT_EQ(compare_loaded(imagemagick_rgba(path), 0), "") << f;
  }
}

TEST(Bmp, RealFilesMatchPillow) {
  headless_viewer();
  const char* files[] = {"/usr/libexec/installed-tests/SDL2_image/palette.bmp",
                         "/usr/libexec/installed-tests/SDL2_image/sample.bmp",
                         "/usr/libexec/installed-tests/SDL2_image/svg.bmp",
                         "/usr/libexec/installed-tests/SDL2_image/svg64.bmp",
                         "/usr/libexec/installed-tests/SDL2_image/svg-class.bmp",
                         "/usr/lib/python3.11/test/imghdrdata/python.bmp"};
  for (const char* f : files) {
    Bytes b = read_file(f);
    if (b.empty()) {
      ADD_FAILURE() << f << " is missing (packages libsdl2-image-tests, libpython3.11-testsuite)";
      continue;
    }
    put_file_buffer(b);
    load_bmp();
    EXPECT_EQ(compare_loaded(imagemagick_rgba(f), 0), "") << f;
    EXPECT_EQ(compare_loaded(pillow_rgba(f), 0), "") << f;
  }
}

TEST(Bmp, PythonsBitmapIsItsPixmap) {
  headless_viewer();
  // The same picture as a PPM (shown as byte / 256) and as a BMP (byte / 255): one level apart.
  put_file_buffer(read_file("/usr/lib/python3.11/test/imghdrdata/python.ppm"));
  ASSERT_EQ(load_ppm(), 0);
  Rgba ppm = loaded_rgba();
  put_file_buffer(read_file("/usr/lib/python3.11/test/imghdrdata/python.bmp"));
  load_bmp();
  EXPECT_EQ(compare_loaded(ppm, 1, false), "");
}

TEST(Bmp, PaletteRules) {
  headless_viewer();
  struct Case {
    const char* what;
    int bpp;
    uint32_t colours;
    int entries;  // palette entries written
    int index;
    unsigned char r, g, b;
  } cases[] = {
      {"8 bits, index inside the palette", 8, 16, 16, 5, 5, 10, 15},
      {"8 bits, index beyond the palette shows its grey", 8, 16, 16, 200, 200, 200, 200},
      {"4 bits, index beyond the palette takes the last entry", 4, 8, 8, 12, 7, 14, 21},
      {"4 bits, count 0 means 16 entries", 4, 0, 16, 12, 12, 24, 36},
      {"8 bits, count 0 means 256 entries", 8, 0, 256, 200, 200, 144, 88},
      {"1 bit uses its palette", 1, 2, 2, 1, 1, 2, 3},
  };
  for (const Case& k : cases) {
    BmpSpec s;
    s.bpp = k.bpp;
    s.colours = k.colours;
    s.palette = ramp_palette(k.entries);
    unsigned char byte = (unsigned char)(k.bpp == 8   ? k.index
                                         : k.bpp == 4 ? k.index << 4
                                                      : k.index << 7);
    s.pixels = {byte, 0, 0, 0};
    put_file_buffer(make_bmp(s));
    load_bmp();
    Rgba got = loaded_rgba();
    ASSERT_EQ(got.w, 1) << k.what;
    EXPECT_EQ(px(got, 0, 0)[0], k.r) << k.what;
    EXPECT_EQ(px(got, 0, 0)[1], k.g) << k.what;
    EXPECT_EQ(px(got, 0, 0)[2], k.b) << k.what;
  }
}

TEST(Bmp, PaletteAfterALargeHeader) {
  headless_viewer();
  // A 124-byte header puts the palette at 138; the old rule read it at 66, inside the header.
  BmpSpec s;
  s.info = 124;
  s.bpp = 8;
  s.colours = 4;
  s.palette = ramp_palette(4);
  s.pixels = {3, 0, 0, 0};
  put_file_buffer(make_bmp(s));
  load_bmp();
  Rgba got = loaded_rgba();
  EXPECT_EQ(px(got, 0, 0)[0], 3);
  EXPECT_EQ(px(got, 0, 0)[1], 6);
  EXPECT_EQ(px(got, 0, 0)[2], 9);
}

TEST(Bmp, SixteenBitFields) {
  headless_viewer();
  struct Case {
    uint32_t compression;
    std::vector<uint32_t> masks;
    uint16_t v;
    unsigned char r, g, b;
  } cases[] = {
      {3, {0xF800, 0x7E0, 0x1F}, 0xF800, 248, 0, 0},
      {3, {0xF800, 0x7E0, 0x1F}, 0x07E0, 0, 252, 0},
      {3, {0xF800, 0x7E0, 0x1F}, 0x001F, 0, 0, 248},
      {0, {}, 0x7C00, 248, 0, 0},  // without masks: 5-5-5
      {0, {}, 0x03E0, 0, 248, 0},
      {0, {}, 0x8000, 0, 0, 0},  // the top bit is unused
      {3, {0x7C00, 0x3E0, 0x1F}, 0x001F, 0, 0, 248},
  };
  for (const Case& k : cases) {
    BmpSpec s;
    s.bpp = 16;
    s.compression = k.compression;
    s.masks = k.masks;
    s.pixels = {(unsigned char)k.v, (unsigned char)(k.v >> 8), 0, 0};
    put_file_buffer(make_bmp(s));
    load_bmp();
    Rgba got = loaded_rgba();
    ASSERT_EQ(got.w, 1) << std::hex << k.v;
    EXPECT_EQ(px(got, 0, 0)[0], k.r) << std::hex << k.v;
    EXPECT_EQ(px(got, 0, 0)[1], k.g) << std::hex << k.v;
    EXPECT_EQ(px(got, 0, 0)[2], k.b) << std::hex << k.v;
  }
}

TEST(Bmp, RefusalsShowTheErrorCanvas) {
  headless_viewer();
  auto file_with = [](auto change) {
    BmpSpec s;
    s.w = 2;
    s.h = 2;
    s.pixels = Bytes(16, 0);
    change(s);
    return make_bmp(s);
  };
  Bytes not_bmp = file_with([](BmpSpec&) {});
  not_bmp[0] = 'X';
  Bytes os2 = file_with([](BmpSpec&) {});
  os2[14] = 12;
  Bytes short_info = file_with([](BmpSpec&) {});
  short_info[14] = 8;
  struct Case {
    const char* what;
    Bytes file;
    const char* canvas;
    const char* printed;
  } cases[] = {
      {"another file", not_bmp, "wrong filetype (19800), should be 19778", ""},
      {"an empty file", Bytes{}, "wrong filetype (0), should be 19778", ""},
      {"OS/2 header", os2, "old bmp format", ""},
      {"header below 12 bytes", short_info, "", ""},
      {"too wide", file_with([](BmpSpec& s) { s.w = 50001; }), "res=50001 x 2\n", ""},
      {"too high", file_with([](BmpSpec& s) { s.h = -50001; }), "res=2 x 50001\n", ""},
      {"negative width", file_with([](BmpSpec& s) { s.w = -4; }), "res=-4 x 2\n", ""},
      {"lowest height", file_with([](BmpSpec& s) { s.h = INT_MIN; }), "res=2 x 2147483648\n", ""},
      {"zero width", file_with([](BmpSpec& s) { s.w = 0; }), "res=0 x 2\n", ""},
      {"over the pixel cap", file_with([](BmpSpec& s) { s.w = s.h = 40000; }), "res=40000 x 40000\n",
       ""},
      {"depth 7", file_with([](BmpSpec& s) { s.bpp = 7; }), "invalid color depth parameter", ""},
      {"RLE8 at 4 bits", file_with([](BmpSpec& s) { s.bpp = 4, s.compression = 1; }), "",
       "rle8: col depth not 8\n"},
      {"RLE4 at 8 bits", file_with([](BmpSpec& s) { s.bpp = 8, s.compression = 2; }), "",
       "rle4: col depth not 4\n"},
      {"JPEG inside", file_with([](BmpSpec& s) { s.compression = 4; }), "unsupported jpeg compression",
       ""},
      {"PNG inside", file_with([](BmpSpec& s) { s.compression = 5; }), "unsupported png compression",
       ""},
      {"alpha bit fields", file_with([](BmpSpec& s) { s.compression = 6; }),
       "unsupported compression BI_ALPHABITFIELDS", ""},
      {"unknown compression", file_with([](BmpSpec& s) { s.compression = 9; }),
       "compression not supported: 9\n", ""},
      {"palette too large", file_with([](BmpSpec& s) { s.bpp = 8, s.colours = 257; }),
       "improper size of color map", ""},
  };
  for (const Case& k : cases) {
    put_file_buffer(k.file);
    start_stdout_capture();
    load_bmp();
    std::string out = stop_stdout_capture();
    EXPECT_TRUE(is_error_canvas()) << k.what;
    EXPECT_STREQ(reader_refusal, k.canvas) << k.what;
    EXPECT_EQ(out, k.printed) << k.what;
  }
}

TEST(Bmp, WidthLimitAndPlanes) {
  headless_viewer();
  BmpSpec s;
  s.w = 50000;
  s.pixels = Bytes(150000, 0xFF);
  put_file_buffer(make_bmp(s));
  load_bmp();
  EXPECT_EQ(image_xres, 50000);
  EXPECT_EQ(loaded_rgba().px[4 * 49999], 255);

  // A plane count other than 1 is reported and the picture posted undecoded (grey).
  BmpSpec p;
  p.w = 3;
  p.h = 2;
  p.planes = 2;
  p.pixels = Bytes(24, 0);
  put_file_buffer(make_bmp(p));
  start_stdout_capture();
  load_bmp();
  EXPECT_EQ(stop_stdout_capture(), "planes: 2\n");
  EXPECT_EQ(image_xres, 3);
  EXPECT_EQ(loaded_rgba().px, Bytes({128, 128, 128, 255, 128, 128, 128, 255, 128, 128, 128, 255,
                                     128, 128, 128, 255, 128, 128, 128, 255, 128, 128, 128, 255}));
}

TEST(Bmp, ShortDataKeepsWhatWasDecoded) {
  headless_viewer();
  // Two rows of 2 x 24 bits (8 bytes each with padding), the second (top) row cut after one pixel.
  BmpSpec s;
  s.w = 2;
  s.h = 2;
  s.pixels = {10, 20, 30, 40, 50, 60, 0, 0, 70, 80, 90};
  put_file_buffer(make_bmp(s));
  load_bmp();
  Rgba got = loaded_rgba();
  EXPECT_EQ(px(got, 1, 1)[0], 60);   // bottom row complete
  EXPECT_EQ(px(got, 0, 0)[2], 70);   // top row: its first pixel
  EXPECT_EQ(px(got, 1, 0)[0], 128);  // and grey for the one not given
  EXPECT_EQ(status_text(), DAMAGED_TEXT);

  // Pixel data that starts beyond the end of the file.
  Bytes b = make_bmp(s);
  b[10] = 0xFF, b[11] = 0xFF;
  put_file_buffer(b);
  load_bmp();
  EXPECT_EQ(loaded_rgba().px[0], 128);
  EXPECT_EQ(status_text(), DAMAGED_TEXT);
}

TEST(Bmp, RunLengthStreamsEndWhereTheyEnd) {
  headless_viewer();
  // A run longer than the row, a delta past the last row, and a stream cut inside a literal run.
  BmpSpec s;
  s.w = 3;
  s.h = 2;
  s.bpp = 8;
  s.compression = 1;
  s.colours = 4;
  s.palette = ramp_palette(4);
  s.pixels = {200, 2, 0, 0, 0, 2, 0, 9};
  put_file_buffer(make_bmp(s));
  load_bmp();
  Rgba got = loaded_rgba();
  EXPECT_EQ(px(got, 2, 1)[0], 2);  // bottom row: index 2 throughout, the rest of the run dropped
  EXPECT_EQ(px(got, 0, 0)[0], 0);  // top row untouched: palette entry 0
  EXPECT_EQ(status_text(), "");    // a delta out of the picture ends it

  s.pixels = {0, 5, 1, 2};
  put_file_buffer(make_bmp(s));
  load_bmp();
  EXPECT_EQ(px(loaded_rgba(), 1, 1)[0], 2);
  EXPECT_EQ(status_text(), DAMAGED_TEXT);
}

TEST(Bmp, OddLiteralRunsOfNibbles) {
  headless_viewer();
  // Literal runs of 3 and 5 nibbles take 2 and 3 bytes, padded to 2 and 4; the reference decoders
  // here disagree on them (one drops a nibble, one adds one), so the expected indices are written
  // out.
  BmpSpec s;
  s.w = 6;
  s.h = 2;
  s.bpp = 4;
  s.compression = 2;
  s.colours = 16;
  s.palette = ramp_palette(16);
  s.pixels = {0, 3, 0x12, 0x30, 0, 0, 0, 5, 0x45, 0x67, 0x80, 0, 1, 0x99, 0, 1};
  put_file_buffer(make_bmp(s));
  load_bmp();
  Rgba got = loaded_rgba();
  int want[2][6] = {{4, 5, 6, 7, 8, 9}, {1, 2, 3, 0, 0, 0}};  // top row first
  for (int y = 0; y < 2; y++)
    for (int x = 0; x < 6; x++) EXPECT_EQ(px(got, x, y)[0], want[y][x]) << x << ", " << y;
  EXPECT_EQ(status_text(), "");
}

TEST(Bmp, EveryTruncationOfSmallFilesIsHandled) {
  headless_viewer();
  for (const char* f : {"netpbm_24bit_w5.bmp", "netpbm_4bit_w7.bmp", "rle4.bmp", "rle8.bmp",
                        "raw_555.bmp", "im_alpha.bmp"}) {
    Bytes whole = read_file(dir() + "/" + f);
    ASSERT_FALSE(whole.empty()) << f;
    start_stdout_capture();
    for (size_t n = 0; n < whole.size(); n++) {
      put_file_buffer(Bytes(whole.begin(), whole.begin() + n));
      load_bmp();
      ASSERT_TRUE(loaded_image_valid()) << f << " cut at " << n;
    }
    stop_stdout_capture();
  }
}
