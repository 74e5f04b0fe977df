// GIF writer: files read back by Pillow and giflib (gifbuild -d, giftext), the exact bytes of the
// smallest images, the interlaced row order and the ways an image can end early.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include "formats/gif_encode.h"
#include "gif_dump.h"
#include "support/image_fixtures.h"

namespace {

// The pixels the writer fetches: a table of indices, or a recorder; fetch number `stop_at`
// (from 0) returns `stop_value` instead.
struct Source {
  int w = 0;
  std::vector<int> px;  // rows top first
  int64_t stop_at = -1;
  int stop_value = -1;
  int64_t fetches = 0;
  std::vector<std::pair<int, int>> fetched;  // (x, y), when recording
  bool record = false;
  std::vector<std::vector<int>> frames;  // by the block value v
};
Source src;

int source_pixel(int x, int y, int v) {
  if (src.record) src.fetched.push_back({x, y});
  if (src.fetches++ == src.stop_at) return src.stop_value;
  if (!src.frames.empty()) return src.frames[v][(size_t)y * src.w + x];
  return src.px.empty() ? 0 : src.px[(size_t)y * src.w + x];
}

void reset_source(int w, std::vector<int> px) {
  src = Source();
  src.w = w;
  src.px = std::move(px);
}

// Indices below 2^bits with both long runs and noise, so that strings of every length occur and a
// large image fills the code table several times.
std::vector<int> pattern(int w, int h, int bits, uint32_t seed) {
  std::vector<int> px((size_t)w * h);
  const int colours = 1 << bits;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      seed = seed * 1664525u + 1013904223u;
      int v = (x / 5 + y / 3) % colours;
      if ((seed >> 29) < 3) v = (int)(seed >> 16) % colours;
      px[(size_t)y * w + x] = v;
    }
  return px;
}

// Writes a one-image file with GIFEncode and Gif_end; returns GIFEncode's result (-2 when the
// file could not be made).
int encode(const std::string& path, int w, int h, int interlace, int bits, int transparent = 0) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return -2;
  int r = GIFEncode(f, w, h, interlace, 0, bits, source_pixel, transparent);
  if (r == 0) r = Gif_end(f);
  fclose(f);
  return r;
}

// The LZW sub-blocks of a file written by GIFEncode (everything after the code size byte).
Bytes image_data(const Bytes& file, int bits) {
  size_t at = 13 + (3u << bits) + 8 + 10 + 1;  // header, table, control, descriptor
  return file.size() > at ? Bytes(file.begin() + at, file.end()) : Bytes();
}

struct PillowInfo {
  int frames = 0, loop = -2, w = 0, h = 0;
  std::string mode;
  std::vector<int> durations;
};

// Pillow's reading of the files, in one run of Python.
std::map<std::string, PillowInfo> pillow_info(const std::vector<std::string>& paths) {
  std::string cmd = std::string(python()) + " '" + test_script("pil_gif_info.py") + "'";
  for (const std::string& p : paths) cmd += " '" + p + "'";
  std::istringstream out(sh_out(cmd + " 2>&1"));
  std::map<std::string, PillowInfo> info;
  std::string line;
  while (std::getline(out, line)) {
    std::istringstream in(line);
    std::string path;
    PillowInfo i;
    in >> path >> i.frames >> i.loop >> i.mode >> i.w >> i.h;
    for (int d; in >> d;) i.durations.push_back(d);
    info[path] = i;
  }
  return info;
}

std::vector<int> as_ints(const Bytes& b) { return std::vector<int>(b.begin(), b.end()); }

Dump giflib_dump(const std::string& path) {
  sh("gifbuild -d '" + path + "' > '" + path + ".dump' 2>/dev/null");
  return read_dump(path + ".dump");
}

// giftext walks every block and sub-block; it fails on a stream that ends wrong.
bool giftext_reads(const std::string& path) {
  return sh("giftext '" + path + "' > /dev/null 2>&1") == 0;
}

std::string name_of(int w, int h, int bits, int interlace) {
  std::ostringstream s;
  s << "enc_" << w << "x" << h << "_b" << bits << (interlace ? "_i" : "") << ".gif";
  return fixture(s.str());
}

}  // namespace

TEST(GifEncode, PillowAndGiflibReadBackEveryIndex) {
  struct Case {
    int w, h, bits;
  };
  const Case cases[] = {{1, 1, 1},     {1, 1, 8},     {2, 3, 2},     {13, 10, 1},
                        {33, 17, 2},   {64, 48, 4},   {251, 7, 8},   {500, 400, 1},
                        {500, 400, 2}, {500, 400, 4}, {500, 400, 8}, {65535, 1, 8},
                        {1, 2000, 4}};
  std::vector<std::string> paths;
  std::map<std::string, std::vector<int>> written;
  uint32_t seed = 1;
  for (const Case& c : cases)
    for (int interlace = 0; interlace < 2; interlace++) {
      std::string p = name_of(c.w, c.h, c.bits, interlace);
      reset_source(c.w, pattern(c.w, c.h, c.bits, seed++));
      ASSERT_EQ(encode(p, c.w, c.h, interlace, c.bits), 0) << p;
      paths.push_back(p);
      written[p] = src.px;
    }
  std::map<std::string, PillowInfo> info = pillow_info(paths);
  for (const Case& c : cases)
    for (int interlace = 0; interlace < 2; interlace++) {
      std::string p = name_of(c.w, c.h, c.bits, interlace);
      const PillowInfo& i = info[p];
      EXPECT_EQ(i.frames, 1) << p;
      EXPECT_EQ(i.mode, "P") << p;
      EXPECT_EQ(i.w, c.w) << p;
      EXPECT_EQ(i.h, c.h) << p;
      EXPECT_TRUE(as_ints(read_file(p + ".idx")) == written[p]) << p << ": Pillow's indices";

      Dump d = giflib_dump(p);
      ASSERT_EQ(d.images.size(), 1u) << p;
      EXPECT_TRUE(d.images[0].index == written[p]) << p << ": giflib's indices";
      // The colour table carries no colours, only its size.
      EXPECT_EQ(d.map.size(), (size_t)1 << c.bits) << p;
      for (const auto& rgb : d.map) EXPECT_EQ(rgb, (std::array<int, 3>{0, 0, 0})) << p;
      EXPECT_TRUE(giftext_reads(p)) << p;
    }
}

TEST(GifEncode, SmallestImagesAreTheseBytes) {
  const Bytes head1 = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0, 0, 0, 0, 0, 0};
  const Bytes gce = {0x21, 0xF9, 4, 8, 0, 0, 0, 0};
  const Bytes gce_transparent = {0x21, 0xF9, 4, 9, 0, 0, 255, 0};
  auto desc = [](int w, int h, int flags, int code_size) {
    return Bytes{0x2C, 0, 0, 0, 0, (unsigned char)w, 0, (unsigned char)h, 0,
                 (unsigned char)flags, (unsigned char)code_size};
  };
  auto cat = [](std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  Bytes head8 = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0xF7, 0, 0};
  head8.resize(13 + 3 * 256, 0);
  Bytes head0 = head1;
  head0[6] = head0[8] = 0;

  struct Case {
    const char* what;
    int w, h, bits, transparent, interlace, pixel;
    Bytes expected;
  };
  const Case cases[] = {
      // 3-bit codes: clear 4, the pixel, end 5, packed from the low bit up.
      {"pixel 1", 1, 1, 1, 0, 0, 1, cat({head1, gce, desc(1, 1, 0, 2), {2, 0x4C, 0x01, 0, ';'}})},
      {"pixel 0, transparent, interlaced", 1, 1, 1, 1, 1, 0,
       cat({head1, gce_transparent, desc(1, 1, 0x40, 2), {2, 0x44, 0x01, 0, ';'}})},
      // 9-bit codes: 256, 200, 257.
      {"8 bits, pixel 200", 1, 1, 8, 0, 0, 200,
       cat({head8, gce, desc(1, 1, 0, 8), {4, 0x00, 0x91, 0x05, 0x04, 0, ';'}})},
      // Nothing to send but clear and end.
      {"no pixels", 0, 0, 1, 0, 0, 0, cat({head0, gce, desc(0, 0, 0, 2), {1, 0x2C, 0, ';'}})},
      {"-1 at once", 1, 1, 1, 0, 0, -1, cat({head1, gce, desc(1, 1, 0, 2), {1, 0x2C, 0, ';'}})},
  };
  for (const Case& c : cases) {
    std::string p = fixture("smallest.gif");
    reset_source(1, {c.pixel});
    ASSERT_EQ(encode(p, c.w, c.h, c.interlace, c.bits, c.transparent), 0) << c.what;
    EXPECT_EQ(read_file(p), c.expected) << c.what;
  }
}

TEST(GifEncode, InterlacedRowsComeInFourPasses) {
  const std::vector<int> ten = {0, 8, 4, 2, 6, 1, 3, 5, 7, 9};
  for (int h = 1; h <= 20; h++) {
    std::vector<int> rows;
    const int passes[4][2] = {{0, 8}, {4, 8}, {2, 4}, {1, 2}};
    for (const auto& pass : passes)
      for (int y = pass[0]; y < h; y += pass[1]) rows.push_back(y);
    if (h == 10) ASSERT_EQ(rows, ten);

    const int w = 3;
    reset_source(w, std::vector<int>((size_t)w * h, 1));
    src.record = true;
    ASSERT_EQ(encode(fixture("order.gif"), w, h, 1, 2), 0);
    std::vector<std::pair<int, int>> expected;
    for (int y : rows)
      for (int x = 0; x < w; x++) expected.push_back({x, y});
    EXPECT_EQ(src.fetched, expected) << "height " << h;
  }
}

// An image that ends early, by -1 or by a value its code size cannot carry, holds exactly the
// data of an image made of the pixels fetched before: the current string, then the end code.
TEST(GifEncode, AnImageEndedEarlyHoldsThePixelsBefore) {
  const int w = 40, h = 30, bits = 8;
  const std::vector<int> px = pattern(w, h, bits, 77);
  struct Case {
    int64_t at;
    int value;
    const char* message;  // on the error stream, "" for none
  };
  const Case cases[] = {
      {1, -1, ""},       {600, -1, ""},      {w * h - 1, -1, ""},     {600, 256, "256"},
      {600, 257, "257"}, {1, 1 << 20, "1048576"}, {600, -2, "-2"},
  };
  for (const Case& c : cases) {
    std::string p = fixture("ended.gif");
    reset_source(w, px);
    src.stop_at = c.at;
    src.stop_value = c.value;
    testing::internal::CaptureStderr();
    ASSERT_EQ(encode(p, w, h, 0, bits), 0) << c.at << " " << c.value;
    std::string err = testing::internal::GetCapturedStderr();
    if (*c.message)
      EXPECT_NE(err.find(c.message), std::string::npos) << err;
    else
      EXPECT_EQ(err, "");

    std::string q = fixture("prefix.gif");
    reset_source((int)c.at, std::vector<int>(px.begin(), px.begin() + c.at));
    ASSERT_EQ(encode(q, (int)c.at, 1, 0, bits), 0);
    EXPECT_EQ(image_data(read_file(p), bits), image_data(read_file(q), bits))
        << c.at << " " << c.value;
    EXPECT_TRUE(giftext_reads(p)) << c.at << " " << c.value;
  }
  // Pillow reads the pixels that are there.
  PillowInfo i = pillow_info({fixture("prefix.gif")})[fixture("prefix.gif")];
  EXPECT_EQ(i.w, 600);
  EXPECT_TRUE(as_ints(read_file(fixture("prefix.gif.idx"))) ==
              std::vector<int>(px.begin(), px.begin() + 600));
}

// Sides beyond the 16-bit fields and code sizes a GIF cannot hold are refused before anything is
// written.
TEST(GifEncode, WhatCannotBeWrittenIsRefusedWithNothingWritten) {
  struct Case {
    const char* what;
    int (*write)(FILE*);
  };
  const Case cases[] = {
      {"65536 wide", [](FILE* f) { return GIFEncode(f, 65536, 1, 0, 0, 8, source_pixel, 0); }},
      {"65536 high", [](FILE* f) { return GIFEncode(f, 1, 65536, 1, 0, 8, source_pixel, 0); }},
      {"negative", [](FILE* f) { return GIFEncode(f, -1, 1, 0, 0, 8, source_pixel, 0); }},
      {"0 bits", [](FILE* f) { return GIFEncode(f, 1, 1, 0, 0, 0, source_pixel, 0); }},
      {"9 bits", [](FILE* f) { return GIFEncode(f, 1, 1, 0, 0, 9, source_pixel, 0); }},
      {"screen 70000", [](FILE* f) { return TrueGif_start(f, 70000, 5, 0); }},
      {"block 65536", [](FILE* f) { return do_gif_compress(65536, 1, 9, f, source_pixel, 0); }},
      {"init bits 2", [](FILE* f) { return do_gif_compress(1, 1, 2, f, source_pixel, 0); }},
      {"init bits 10", [](FILE* f) { return do_gif_compress(1, 1, 10, f, source_pixel, 0); }},
  };
  for (const Case& c : cases) {
    reset_source(1, {0});
    std::string p = fixture("refused.gif");
    FILE* f = fopen(p.c_str(), "wb");
    ASSERT_TRUE(f);
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.write(f), -1) << c.what;
    EXPECT_NE(testing::internal::GetCapturedStderr(), "") << c.what;
    fclose(f);
    EXPECT_EQ(read_file(p).size(), 0u) << c.what;
    EXPECT_EQ(src.fetches, 0) << c.what;
  }
}

// 65,535 x 65,535 pixels are more than an int counts; the walk still ends where the pixel
// function says.
TEST(GifEncode, TheLargestImageCountsItsPixelsIn64Bits) {
  const int bits = 8;
  const std::vector<int> px = pattern(10, 1, bits, 5);
  std::vector<int> row(65535, 0);
  std::copy(px.begin(), px.end(), row.begin());
  reset_source(65535, row);
  src.stop_at = 10;
  std::string p = fixture("largest.gif");
  ASSERT_EQ(encode(p, 65535, 65535, 0, bits), 0);
  Bytes file = read_file(p);
  ASSERT_GT(file.size(), 10u);
  EXPECT_EQ(Bytes(file.begin() + 6, file.begin() + 10), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));

  reset_source(10, px);
  ASSERT_EQ(encode(fixture("ten.gif"), 10, 1, 0, bits), 0);
  EXPECT_EQ(image_data(file, bits), image_data(read_file(fixture("ten.gif")), bits));
}

TEST(GifEncode, AStreamThatFailsIsReported) {
  FILE* f = fopen("/dev/full", "wb");
  ASSERT_TRUE(f);
  reset_source(64, pattern(64, 64, 8, 3));
  testing::internal::CaptureStderr();
  EXPECT_EQ(GIFEncode(f, 64, 64, 0, 0, 8, source_pixel, 0), -1);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("error writing output file"),
            std::string::npos);
  EXPECT_EQ(Gif_end(f), -1);
  fclose(f);

  f = fopen("/dev/full", "wb");
  ASSERT_TRUE(f);
  EXPECT_EQ(TrueGif_start(f, 4, 4, 0), 0);  // still in the stream's buffer
  testing::internal::CaptureStderr();
  EXPECT_EQ(do_gif_compress(4, 4, 3, f, source_pixel, 0), -1);
  testing::internal::GetCapturedStderr();
  fclose(f);
}

// A file of several images, each with its own colour table, looping and with delays, as the
// multi-image writers make it; the last image takes its pixels from TrueGetPixel.
TEST(GifEncode, SeveralImagesMakeAnAnimation) {
  const int w = 37, h = 23, frames = 4;
  const int delays[frames] = {4, 25, 100, 7};
  reset_source(w, {});
  for (int k = 0; k < 3; k++) src.frames.push_back(pattern(w, h, 8, 100 + k));
  auto colour = [](int k, int i) {
    return std::array<int, 3>{i, (i * (k + 1) * 37) & 255, 255 - i};
  };

  for (int loop_forever = 1; loop_forever >= 0; loop_forever--) {
    std::string p = fixture(loop_forever ? "anim_loop.gif" : "anim_once.gif");
    FILE* f = fopen(p.c_str(), "wb");
    ASSERT_TRUE(f);
    ASSERT_EQ(TrueGif_start(f, w, h, 0), 0);
    ASSERT_EQ(NetscapeExt(f, loop_forever), 0);
    int first_count = -1;
    for (int k = 0; k < frames; k++) {
      ASSERT_EQ(GraphicsExt(0, delays[k], f), 0);
      const unsigned char desc[] = {',', 0, 0, 0, 0, w, 0, h, 0, 0x87};  // local table, 256
      fwrite(desc, 1, sizeof desc, f);
      for (int i = 0; i < 256; i++)
        for (int c : colour(k, i)) fputc(c, f);
      fputc(8, f);
      if (k < 3) {
        ASSERT_EQ(do_gif_compress(w, h, 9, f, source_pixel, k), 0);
      } else {
        first_count = TrueGetPixel(0, 0, 0) + 1;
        ASSERT_EQ(do_gif_compress(w, h, 9, f, TrueGetPixel, 0), 0);
      }
      fputc(0, f);
    }
    ASSERT_EQ(Gif_end(f), 0);
    fclose(f);

    std::vector<int> counted((size_t)w * h);
    for (size_t i = 0; i < counted.size(); i++) counted[i] = (int)((first_count + i) % 256);

    PillowInfo i = pillow_info({p})[p];
    EXPECT_EQ(i.frames, frames);
    EXPECT_EQ(i.loop, loop_forever ? 0 : 1);
    EXPECT_EQ(i.durations, (std::vector<int>{40, 250, 1000, 70}));
    Dump d = giflib_dump(p);
    ASSERT_EQ(d.images.size(), (size_t)frames);
    pillow_decode({p, p + "@1", p + "@2", p + "@3"});
    for (int k = 0; k < frames; k++) {
      const std::vector<int>& index = k < 3 ? src.frames[k] : counted;
      EXPECT_TRUE(d.images[k].index == index) << "image " << k;
      Rgba rgba = pillow_rgba(p, k);
      ASSERT_EQ(rgba.w, w);
      ASSERT_EQ(rgba.h, h);
      bool same = true;
      for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) {
          std::array<int, 3> c = colour(k, index[(size_t)y * w + x]);
          const unsigned char* q = rgba.at(x, y);
          same = same && q[0] == c[0] && q[1] == c[1] && q[2] == c[2] && q[3] == 255;
        }
      EXPECT_TRUE(same) << "Pillow's frame " << k;
    }
    EXPECT_TRUE(giftext_reads(p));
  }
}

TEST(GifEncode, TrueGetPixelCountsModulo256) {
  int v = TrueGetPixel(0, 0, 0);
  for (int i = 1; i < 600; i++) EXPECT_EQ(TrueGetPixel(i, 0, 0), (v + i) % 256);
}

TEST(GifEncode, ArrayRowsLieInOneBlock) {
  char** a = pm_allocarray(5, 3, 4);
  ASSERT_NE(a, nullptr);
  for (int i = 0; i < 3; i++) EXPECT_EQ(a[i], a[0] + 20 * i);
  memset(a[0], 7, 60);
  free(a[0]);
  free(a);

  struct Case {
    int columns, rows, size;
  };
  const Case refused[] = {{5, 0, 4}, {5, 3, 0}, {-1, 3, 1}, {INT32_MAX, INT32_MAX, INT32_MAX}};
  for (const Case& c : refused) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(pm_allocarray(c.columns, c.rows, c.size), nullptr) << c.columns << " " << c.rows;
    testing::internal::GetCapturedStderr();
  }
  char** empty_rows = pm_allocarray(0, 2, 1);
  ASSERT_NE(empty_rows, nullptr);
  EXPECT_EQ(empty_rows[1], empty_rows[0]);
  free(empty_rows[0]);
  free(empty_rows);
}
