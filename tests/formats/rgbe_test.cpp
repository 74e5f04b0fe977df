// The RGBE codec against ImageMagick's HDR coder, and on crafted headers and scanlines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "formats/rgbe.h"
#include "support/image_fixtures.h"

namespace {

using Floats = std::vector<float>;

// The bytes a writer produced through a memory stream.
template <typename Write>
Bytes written(Write write, int* rc = nullptr) {
  char* buf = nullptr;
  size_t len = 0;
  FILE* f = open_memstream(&buf, &len);
  int r = write(f);
  fclose(f);
  if (rc) *rc = r;
  Bytes out(buf, buf + len);
  free(buf);
  return out;
}

Bytes rle_file(const Floats& px, int w, int h) {
  return written([&](FILE* f) {
    return RGBE_WriteHeader(f, w, h, nullptr) | RGBE_WritePixels_RLE(f, px.data(), w, h);
  });
}

Bytes flat_file(const Floats& px, int w, int h) {
  return written([&](FILE* f) {
    return RGBE_WriteHeader(f, w, h, nullptr) | RGBE_WritePixels(f, px.data(), w * h);
  });
}

// A whole file read back: header, then the run-length reader. w x h come from the header unless
// given; rest counts the bytes left after the pixels.
struct Read {
  int header = -1, pixels = -1;
  int w = 0, h = 0;
  long rest = 0;
  Floats px;
};

Read read_back(const Bytes& file, int w = 0, int h = 0) {
  Read r;
  FILE* f = fmemopen((void*)file.data(), file.size(), "rb");
  r.header = RGBE_ReadHeader(f, &r.w, &r.h, nullptr);
  if (w) r.w = w, r.h = h;
  if (r.header == 0 && r.w > 0 && r.h > 0 && (int64_t)r.w * r.h < (1 << 26)) {
    r.px.assign((size_t)r.w * r.h * 3, -1.0f);
    r.pixels = RGBE_ReadPixels_RLE(f, r.px.data(), r.w, r.h);
    long end = ftell(f);
    r.rest = (long)file.size() - end;
  }
  fclose(f);
  return r;
}

// One RGBE step at the exponent the largest of three values gets.
double step_for(const float* rgb) {
  double v = std::max(rgb[0], std::max(rgb[1], rgb[2]));
  if (v < 1e-32) return 0;
  int e;
  std::frexp(v, &e);
  return std::ldexp(1.0, e - 8);
}

// Every pixel of `got` is at most one step (of the reference pixel's exponent) away from `ref`,
// give or take `slack`. Returns "" or the first pixel that is not.
std::string within_one_step(const Floats& got, const Floats& ref, double slack = 0) {
  if (got.size() != ref.size()) return "sizes differ";
  for (size_t i = 0; i < ref.size(); i += 3) {
    double step = step_for(&ref[i]);
    for (int k = 0; k < 3; k++)
      if (std::fabs(got[i + k] - ref[i + k]) >= step + slack + (step == 0 ? 1e-30 : 0)) {
        char msg[160];
        snprintf(msg, sizeof msg, "pixel %zu channel %d: %.7g, reference %.7g, step %.3g", i / 3, k,
                 got[i + k], ref[i + k], step);
        return msg;
      }
  }
  return "";
}

// A picture of random 8-bit pixels with runs of repeated pixels and flat stretches mixed in, as
// bytes (for a PPM) and as floats (bytes / 255).
struct Picture {
  int w, h;
  Bytes bytes;
  Floats floats;
};

Picture noise_picture(int w, int h, unsigned seed) {
  Picture p{w, h, Bytes((size_t)w * h * 3), Floats((size_t)w * h * 3)};
  std::mt19937 rng(seed);
  for (size_t i = 0; i < p.bytes.size(); i += 3) {
    if (i >= 3 && rng() % 3 == 0) {
      memcpy(&p.bytes[i], &p.bytes[i - 3], 3);  // repeats make runs in every plane
    } else {
      int kind = rng() % 5;
      for (int k = 0; k < 3; k++)
        p.bytes[i + k] = kind == 0 ? 0 : (unsigned char)(rng() % (kind == 1 ? 8 : 256));
    }
  }
  for (size_t i = 0; i < p.bytes.size(); i++) p.floats[i] = p.bytes[i] / 255.0f;
  return p;
}

void write_ppm(const std::string& path, const Picture& p) {
  std::string head = "P6\n" + std::to_string(p.w) + " " + std::to_string(p.h) + "\n255\n";
  Bytes b(head.begin(), head.end());
  b.insert(b.end(), p.bytes.begin(), p.bytes.end());
  write_file(path, b);
}

// ImageMagick's decoding of an HDR file as floats (through its 16-bit quantum), or empty. The
// file's values are taken as they stand (no conversion from linear light).
Floats imagemagick_floats(const std::string& path, int w, int h) {
  std::string out = path + ".rgb16";
  if (sh(imagemagick() + " '" + path + "' -set colorspace sRGB -depth 16 -endian MSB rgb:'" + out +
         "' 2>/dev/null") != 0)
    return {};
  Bytes b = read_file(out);
  if (b.size() != (size_t)w * h * 6) return {};
  Floats f(b.size() / 2);
  for (size_t i = 0; i < f.size(); i++) f[i] = (b[2 * i] << 8 | b[2 * i + 1]) / 65535.0f;
  return f;
}

// Every value within tol of the reference.
std::string near(const Floats& got, const Floats& ref, double tol) {
  if (got.size() != ref.size()) return "sizes differ";
  for (size_t i = 0; i < ref.size(); i++)
    if (std::fabs(got[i] - ref[i]) > tol) return "value " + std::to_string(i) + ": " + std::to_string(got[i]);
  return "";
}

std::string text(const Bytes& b) { return std::string(b.begin(), b.end()); }

Bytes cat_bytes(std::initializer_list<Bytes> parts) {
  Bytes b;
  for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
  return b;
}

}  // namespace

TEST(Rgbe, EncodesAndDecodesPixels) {
  const float inf = INFINITY, nan = NAN;
  struct Case {
    float r, g, b;
    unsigned char rgbe[4];
    float back[3];  // what the bytes decode to
  } cases[] = {
      {0.5f, 0.25f, 0.125f, {128, 64, 32, 128}, {0.5f, 0.25f, 0.125f}},
      {1, 1, 1, {128, 128, 128, 129}, {1, 1, 1}},
      {0, 0, 0, {0, 0, 0, 0}, {0, 0, 0}},
      {9e-33f, 0, 5e-33f, {0, 0, 0, 0}, {0, 0, 0}},
      {1e-32f, 0, 0, {207, 0, 0, 22}, {207 * 0x1p-114f, 0, 0}},
      {3, 0.1f, 0, {192, 6, 0, 130}, {3, 0.09375f, 0}},
      // Negative and not-a-number channels would be undefined casts; they count as 0.
      {-2, 0.5f, nan, {0, 128, 0, 128}, {0, 0.5f, 0}},
      // 2^127 and above would need exponent byte 256, which wraps to black.
      {0x1p127f, 0, 1, {255, 0, 0, 255}, {255 * 0x1p119f, 0, 0}},
      {inf, inf, 0, {255, 255, 0, 255}, {255 * 0x1p119f, 255 * 0x1p119f, 0}},
  };
  for (const Case& c : cases) {
    unsigned char got[4];
    rgbe_encode(got, c.r, c.g, c.b);
    EXPECT_EQ(Bytes(got, got + 4), Bytes(c.rgbe, c.rgbe + 4)) << c.r << " " << c.g << " " << c.b;
    float back[3];
    rgbe_decode(back, c.rgbe);
    for (int k = 0; k < 3; k++) EXPECT_EQ(back[k], c.back[k]) << c.r << " channel " << k;
  }
  // An exponent byte of 0 is black whatever the mantissas say.
  const unsigned char black[4] = {200, 10, 99, 0};
  float back[3] = {1, 1, 1};
  rgbe_decode(back, black);
  EXPECT_EQ(back[0] + back[1] + back[2], 0.0f);
}

// The flat pixel reader: count pixels of four bytes each, decoded in order; a stream that ends
// early decodes the pixels that arrived, leaves the others as they were and fails. Nothing is
// written past count pixels.
TEST(Rgbe, ReadsFlatPixels) {
  const int n = 5000;  // more than the reader converts at a time
  Bytes bytes;
  Floats want;
  for (int i = 0; i < n; i++) {
    unsigned char p[4] = {(unsigned char)i, (unsigned char)(7 * i), (unsigned char)(13 * i),
                          (unsigned char)(i % 7 ? 120 + i % 16 : 0)};
    bytes.insert(bytes.end(), p, p + 4);
    float rgb[3];
    rgbe_decode(rgb, p);
    want.insert(want.end(), rgb, rgb + 3);
  }
  struct Case {
    const char* what;
    int count;
    size_t bytes;  // in the stream
    int result, decoded;
  } cases[] = {
      {"all", n, 4 * n, 0, n},
      {"fewer than there are", 3, 4 * n, 0, 3},
      {"none asked", 0, 0, 0, 0},
      {"a negative count", -4, 16, 0, 0},
      {"cut in the first part", 10, 4 * 7 + 2, -1, 7},
      {"cut in the second part", n, 4 * 4500, -1, 4500},
      {"an empty stream", 2, 0, -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FILE* f = tmpfile();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(fwrite(bytes.data(), 1, c.bytes, f), c.bytes);
    rewind(f);
    Floats got(3 * (size_t)std::max(c.count, 0) + 3, -1.0f);
    EXPECT_EQ(RGBE_ReadPixels(f, got.data(), c.count), c.result);
    if (c.result == 0) EXPECT_EQ(ftell(f), 4L * std::max(c.count, 0));
    else EXPECT_STREQ(rgbe_last_error(), "RGBE read error");
    fclose(f);
    for (size_t i = 0; i < got.size(); i++)
      ASSERT_EQ(got[i], i < 3 * (size_t)c.decoded ? want[i] : -1.0f) << "value " << i;
  }
}

TEST(Rgbe, RoundTripsWithinOneStep) {
  std::mt19937 rng(3);
  std::uniform_real_distribution<float> exponent(-40, 40);
  Floats px(3000);
  for (float& v : px) v = std::exp2(exponent(rng)) * (rng() % 4 ? 1 : 0);
  int w = 100, h = 10;
  Read r = read_back(rle_file(px, w, h));
  ASSERT_EQ(r.pixels, 0);
  EXPECT_EQ(within_one_step(r.px, px), "");
}

TEST(Rgbe, WritesTheHeaderFields) {
  rgbe_header full{RGBE_VALID_PROGRAMTYPE | RGBE_VALID_GAMMA | RGBE_VALID_EXPOSURE, "RADIANCE", 2.2f,
                   0.5f};
  rgbe_header unterminated{RGBE_VALID_PROGRAMTYPE, {}, 1, 1};
  memcpy(unterminated.program_type, "ABCDEFGHIJKLMNOP", 16);  // no room for the terminator
  rgbe_header none_valid{0, "IGNORED", 3, 3};
  struct Case {
    rgbe_header* header;
    const char* text;
  } cases[] = {
      {nullptr, "#?RGBE\nFORMAT=32-bit_rle_rgbe\n\n-Y 4 +X 7\n"},
      {&full, "#?RADIANCE\nGAMMA=2.2\nEXPOSURE=0.5\nFORMAT=32-bit_rle_rgbe\n\n-Y 4 +X 7\n"},
      {&unterminated, "#?ABCDEFGHIJKLMNOP\nFORMAT=32-bit_rle_rgbe\n\n-Y 4 +X 7\n"},
      {&none_valid, "#?RGBE\nFORMAT=32-bit_rle_rgbe\n\n-Y 4 +X 7\n"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(text(written([&](FILE* f) { return RGBE_WriteHeader(f, 7, 4, c.header); })), c.text);
}

TEST(Rgbe, ReadsHeadersAsBoundedLines) {
  std::string comments;
  for (int i = 0; i < 20; i++) comments += "# a comment line that pushes the size past byte 128\n";
  std::string endless = "#?RGBE\n" + std::string(RGBE_MAX_HEADER, 'A') + "\n\n-Y 2 +X 3\n";
  struct Case {
    std::string file;
    int rc, w, h;
    const char* error;
    long rest;  // bytes after the header: the stream stands at the first pixel
  } cases[] = {
      {"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 480 +X 640\nPIXELS", 0, 640, 480, "", 6},
      {"#?RGBE\n" + comments + "EXPOSURE=2\n\n-Y 3 +X 10\n", 0, 10, 3, "", 0},
      {"#?RGBE\r\nGAMMA=1\r\n\r\n-Y 5 +X 6\r\nP", 0, 6, 5, "", 1},
      {"#?RGBE\n-Y 7 +X 8\n", 0, 8, 7, "", 0},            // no blank line before the size
      {"#?RGBE\n\n\n+X 8 -Y 7\n", 0, 8, 7, "", 0},         // tokens in the other order
      {"#?RGBE\n\n-Y  +X 12\n", 0, 12, 0, "", 0},          // no digits give 0
      {"#?RGBE\n\n-Y 99999999999999 +X 1\n", 0, 1, 2147483647, "", 0},
      {"#?\n\n-Y 1 +X 1", 0, 1, 1, "", 0},                 // last line without its line end
      {"", -1, 0, 0, "RGBE bad file format: bad initial token", 0},
      {"#", -1, 0, 0, "RGBE bad file format: bad initial token", 0},
      {"P6\n1 1\n255\nabc", -1, 0, 0, "RGBE bad file format: bad initial token", 0},
      {"#?RGBE\nFORMAT=32-bit_rle_rgbe\n", -1, 0, 0, "RGBE bad file format: missing image size", 0},
      {"#?RGBE\n\nPIXELS", -1, 0, 0, "RGBE bad file format: missing image size", 0},
      {"#?RGBE\n\n+Y 3 +X 4\n", -1, 0, 0, "RGBE bad file format: unsupported orientation", 0},
      {"#?RGBE\n\n-Y 3 -X 4\n", -1, 0, 0, "RGBE bad file format: unsupported orientation", 0},
      {endless, -1, 0, 0, "RGBE bad file format: missing image size", 0},
  };
  for (const Case& c : cases) {
    FILE* f = fmemopen((void*)c.file.data(), c.file.size() ? c.file.size() : 1, "rb");
    if (c.file.empty()) getc(f);  // fmemopen wants a non-empty buffer: start at its end
    int w = 0, h = 0;
    rgbe_header hd{7, "X", 5, 5};
    int rc = RGBE_ReadHeader(f, &w, &h, &hd);
    long rest = (long)c.file.size() - ftell(f);
    fclose(f);
    std::string name = c.file.substr(0, 40);
    EXPECT_EQ(rc, c.rc) << name;
    EXPECT_EQ(hd.flags, 0) << name;
    EXPECT_EQ(hd.gamma, 1.0f) << name;
    EXPECT_EQ(hd.exposure, 1.0f) << name;
    EXPECT_STREQ(hd.program_type, "") << name;
    if (c.rc == 0) {
      EXPECT_EQ(w, c.w) << name;
      EXPECT_EQ(h, c.h) << name;
      EXPECT_EQ(rest, c.rest) << name;
    } else {
      EXPECT_STREQ(rgbe_last_error(), c.error) << name;
    }
  }
}

TEST(Rgbe, ReadsImageMagickFiles) {
  // 7 is below the run-length range (flat rows), 10 puts line ends (02 02 00 0A) into the
  // scanline headers, 16000 is the widest Debian's ImageMagick policy allows.
  struct Case {
    int w, h;
    bool exposure;  // the EXPOSURE line pushes the size past byte 128 of the file
  } cases[] = {{7, 3, false}, {8, 3, false}, {10, 4, false}, {10, 4, true},
               {300, 5, false}, {300, 2, true}, {16000, 2, false}};
  for (const Case& c : cases) {
    Picture p = noise_picture(c.w, c.h, c.w + c.exposure);
    std::string base = fixture("im_" + std::to_string(c.w) + (c.exposure ? "_exposure" : ""));
    write_ppm(base + ".ppm", p);
    ASSERT_EQ(sh(imagemagick() + " '" + base + ".ppm'" + (c.exposure ? " -set hdr:exposure 2" : "") +
                 " '" + base + ".hdr'"),
              0);
    Read r = read_back(read_file(base + ".hdr"));
    ASSERT_EQ(r.header, 0) << c.w;
    EXPECT_EQ(r.w, c.w);
    EXPECT_EQ(r.h, c.h);
    EXPECT_EQ(r.pixels, 0) << c.w;
    EXPECT_EQ(r.rest, 0) << c.w;
    EXPECT_EQ(within_one_step(r.px, p.floats), "") << c.w << (c.exposure ? " with exposure" : "");
  }
}

TEST(Rgbe, ImageMagickReadsOurFlatAndRunLengthFiles) {
  for (int w : {7, 8, 10, 300, 16000}) {
    Picture p = noise_picture(w, 3, 100 + w);
    for (bool rle : {false, true}) {
      std::string path = fixture("ours_" + std::to_string(w) + (rle ? "_rle.hdr" : "_flat.hdr"));
      write_file(path, rle ? rle_file(p.floats, w, 3) : flat_file(p.floats, w, 3));
      Floats im = imagemagick_floats(path, w, 3);
      ASSERT_FALSE(im.empty()) << path;
      // ImageMagick's 16-bit quantum rounds by up to half a level.
      EXPECT_EQ(within_one_step(im, p.floats, 0.5 / 65535 + 1e-7), "") << path;
    }
  }
}

TEST(Rgbe, RunLengthRowsOnlyForWidths8To32767) {
  for (int w : {7, 8, 32767, 32768}) {
    Picture p = noise_picture(w, 2, w);
    Bytes rle = rle_file(p.floats, w, 2);
    Bytes flat = flat_file(p.floats, w, 2);
    size_t head = text(rle).find("+X " + std::to_string(w) + "\n") + 4 + std::to_string(w).size();
    bool run_length = w >= 8 && w <= 32767;
    if (run_length) {
      EXPECT_EQ(Bytes(rle.begin() + head, rle.begin() + head + 4),
                (Bytes{2, 2, (unsigned char)(w >> 8), (unsigned char)w}));
    } else {
      EXPECT_EQ(rle, flat) << w;
    }
    for (const Bytes* file : {&rle, &flat}) {
      Read r = read_back(*file);
      ASSERT_EQ(r.pixels, 0) << w;
      EXPECT_EQ(within_one_step(r.px, p.floats), "") << w;
    }
    // Both files hold the same pixels.
    EXPECT_EQ(read_back(rle).px, read_back(flat).px) << w;
  }
}

TEST(Rgbe, WritesPlanesAsRunsAndLiterals) {
  // Red mantissas as given, green 0.5 everywhere (so every pixel has exponent 128 and the red
  // bytes stand as they are), blue 0.
  auto row = [](const Bytes& red) {
    Floats px;
    for (unsigned char r : red) px.insert(px.end(), {r / 256.0f, 0.5f, 0});
    return px;
  };
  auto seq = [](int n, int from) {
    Bytes b;
    for (int i = 0; i < n; i++) b.push_back((unsigned char)((from + i) % 128));
    return b;
  };
  struct Case {
    const char* name;
    Bytes red, packets;
  } cases[] = {
      {"run of 2 before a run of 4", {1, 1, 2, 2, 2, 2, 3, 4}, {130, 1, 132, 2, 2, 3, 4}},
      {"run of 3 before a run of 5", {1, 1, 1, 2, 2, 2, 2, 2}, {131, 1, 133, 2}},
      {"run of 3 at the end", {5, 6, 7, 8, 9, 9, 9, 9, 9, 4, 4, 4}, {4, 5, 6, 7, 8, 133, 9, 131, 4}},
      {"mixed bytes before a run", {1, 1, 2, 3, 3, 3, 3, 3}, {3, 1, 1, 2, 133, 3}},
      {"runs of 127 and more", Bytes(130, 7), {255, 7, 131, 7}},
      {"run of 128", Bytes(128, 7), {255, 7, 1, 7}},
      {"literal of 128", seq(128, 0), cat_bytes({{128}, seq(128, 0)})},
      {"literal of 129", seq(129, 5), cat_bytes({{128}, seq(128, 5), {1, 133 % 128}})},
  };
  for (const Case& c : cases) {
    int w = (int)c.red.size();
    Bytes out = written([&](FILE* f) { return RGBE_WritePixels_RLE(f, row(c.red).data(), w, 1); });
    ASSERT_GE(out.size(), 4 + c.packets.size()) << c.name;
    EXPECT_EQ(Bytes(out.begin() + 4, out.begin() + 4 + c.packets.size()), c.packets) << c.name;
    // The other planes are one value each.
    Bytes rest(out.begin() + 4 + c.packets.size(), out.end());
    Bytes expect;
    for (unsigned char v : {128, 0, 128})
      for (int left = w; left > 0; left -= 127) {
        int n = left < 127 ? left : 127;
        expect.push_back(n == 1 ? 1 : (unsigned char)(128 + n));
        expect.push_back(v);
      }
    EXPECT_EQ(rest, expect) << c.name;
    // ImageMagick decodes what we wrote the same way.
    std::string path = fixture(std::string("packets_") + std::to_string(w) + ".hdr");
    Floats px = row(c.red);
    write_file(path, rle_file(px, w, 1));
    EXPECT_EQ(near(imagemagick_floats(path, w, 1), px, 0.5 / 65535 + 1e-7), "") << c.name;
  }
}

TEST(Rgbe, RefusesBrokenScanlines) {
  // A run-length file of 8 x 2 whose second row is replaced.
  Floats px(8 * 2 * 3, 0.25f);
  Bytes good = rle_file(px, 8, 2);
  size_t first_row = text(good).find("+X 8\n") + 5;
  Bytes header(good.begin(), good.begin() + first_row);
  Bytes row1(good.begin() + first_row, good.begin() + first_row + (good.size() - first_row) / 2);
  auto file = [&](const Bytes& row2) {
    Bytes b = header;
    b.insert(b.end(), row1.begin(), row1.end());
    b.insert(b.end(), row2.begin(), row2.end());
    return b;
  };
  Bytes plane_runs = {136, 128, 136, 128, 136, 128, 136, 127};  // the four planes of a good row
  struct Case {
    const char* name;
    Bytes row2;
    const char* error;
  } cases[] = {
      {"good", cat_bytes({{2, 2, 0, 8}, plane_runs}), ""},
      {"wrong width", {2, 2, 0, 9, 137, 64}, "RGBE bad file format: wrong scanline width"},
      {"literal of 0", {2, 2, 0, 8, 0, 64}, "RGBE bad file format: bad scanline data"},
      {"run past the plane", {2, 2, 0, 8, 137, 64}, "RGBE bad file format: bad scanline data"},
      {"literal past the plane", {2, 2, 0, 8, 132, 1, 5, 1, 2, 3, 4, 5},
       "RGBE bad file format: bad scanline data"},
      {"cut in the scanline head", {2, 2, 0}, "RGBE read error"},
      {"cut in a packet", {2, 2, 0, 8, 136}, "RGBE read error"},
      {"cut in a literal", {2, 2, 0, 8, 8, 1, 2, 3}, "RGBE read error"},
      {"cut in the last plane", {2, 2, 0, 8, 136, 64, 136, 64, 136, 64, 130, 127}, "RGBE read error"},
  };
  for (const Case& c : cases) {
    Read r = read_back(file(c.row2));
    ASSERT_EQ(r.header, 0) << c.name;
    EXPECT_EQ(r.pixels, *c.error ? -1 : 0) << c.name;
    if (*c.error) EXPECT_STREQ(rgbe_last_error(), c.error) << c.name;
    // The first row was decoded before the second failed; the second is not half written.
    EXPECT_EQ(Floats(r.px.begin(), r.px.begin() + 24), Floats(24, 0.25f)) << c.name;
    EXPECT_EQ(Floats(r.px.begin() + 24, r.px.end()), Floats(24, *c.error ? -1.0f : 0.25f)) << c.name;
  }
}

TEST(Rgbe, AScanlineThatIsNotRunLengthMakesTheRestFlat) {
  Floats px(8 * 3 * 3);
  for (size_t i = 0; i < px.size(); i++) px[i] = (float)(i % 7) / 8;
  Bytes rle = rle_file(px, 8, 3);
  Bytes flat = flat_file(px, 8, 3);
  // Row 0 run-length, rows 1 and 2 flat; and a file that is flat from its first pixel.
  size_t rle_head = text(rle).find("+X 8\n") + 5, flat_head = text(flat).find("+X 8\n") + 5;
  Bytes row0 = written([&](FILE* f) { return RGBE_WritePixels_RLE(f, px.data(), 8, 1); });
  Bytes mixed(rle.begin(), rle.begin() + rle_head);
  mixed.insert(mixed.end(), row0.begin(), row0.end());
  mixed.insert(mixed.end(), flat.begin() + flat_head + 8 * 4, flat.end());
  Read expected = read_back(rle);
  for (const Bytes* file : {&mixed, &flat}) {
    Read r = read_back(*file);
    EXPECT_EQ(r.pixels, 0);
    EXPECT_EQ(r.rest, 0);
    EXPECT_EQ(r.px, expected.px);
  }
  // A flat file cut short keeps the pixels that arrived.
  Bytes cut(flat.begin(), flat.end() - 4 * 5);
  Read r = read_back(cut);
  EXPECT_EQ(r.pixels, -1);
  EXPECT_STREQ(rgbe_last_error(), "RGBE read error");
  EXPECT_EQ(Floats(r.px.begin(), r.px.begin() + 3 * 19), Floats(expected.px.begin(), expected.px.begin() + 3 * 19));
}
