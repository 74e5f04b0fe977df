// Files the JPEG reader must refuse or show as damaged: a clear message, a deterministic
// picture, and never a read outside the file buffer (these tests also run under the sanitizers).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>

#include "app/window.h"
#include "formats/jpeg.h"
#include "jpeg_fixtures.h"
#include "platform/sleep.h"
#include "support/headless.h"
#include "view/canvas.h"

namespace {

// Where each marker segment of a JPEG starts (the 0xFF byte), up to and including the first SOS.
struct Segment {
  size_t at;
  int marker;
  size_t length;  // the segment's own length field
};
std::vector<Segment> header_segments(const Bytes& b) {
  std::vector<Segment> out;
  size_t p = 2;
  while (p + 4 <= b.size() && b[p] == 0xFF) {
    Segment s{p, b[p + 1], (size_t)(b[p + 2] << 8 | b[p + 3])};
    out.push_back(s);
    if (s.marker == 0xDA) break;
    p += 2 + s.length;
  }
  return out;
}
size_t scan_start(const Bytes& b) {
  for (const Segment& s : header_segments(b))
    if (s.marker == 0xDA) return s.at + 2 + s.length;
  return 0;
}

std::string make_jpeg(const std::string& name, const std::string& options) {
  std::string f = fixture_dir() + "/" + name + ".jpg";
  if (photo_ppm().empty() || sh("cjpeg " + options + " " + photo_ppm() + " > " + f + " 2>/dev/null") != 0) return "";
  return f;
}

bool picture_is_sound(int w, int h) {
  if (image_xres != w || image_yres != h) return false;
  for (int64_t i = 0; i < 4LL * w * h; i++) {
    float v = img_content[i];
    if (!(v >= 0 && v <= 1)) return false;
    if (i % 4 == 3 && v != 1.0f) return false;
  }
  return true;
}

std::vector<float> loaded_copy() { return std::vector<float>(img_content, img_content + 4LL * image_xres * image_yres); }

// Fills the loaded image with one value, so that a later load cannot pass by luck.
void poison_loaded_image(float v) {
  for (int64_t i = 0; i < 4LL * image_xres * image_yres; i++) img_content[i] = v;
}

// The same JPEG with `n` colour components in its frame and scan headers (the first component's
// description repeated under new ids, or the others dropped), for counts the reader does not
// support. A scan holds at most four components, so above that it names the first alone.
Bytes with_component_count(const Bytes& src, int n) {
  Bytes out(src.begin(), src.begin() + 2);
  size_t p = 2;
  for (const Segment& s : header_segments(src)) {
    const unsigned char* seg = src.data() + s.at;
    if (s.marker == 0xC0 || s.marker == 0xDA) {
      bool sof = s.marker == 0xC0;
      size_t each = sof ? 3 : 2;  // bytes per component
      Bytes body(seg + 4, seg + 2 + s.length);
      size_t list = sof ? 6 : 1;
      Bytes first(body.begin() + list, body.begin() + list + each);
      Bytes rest(body.begin() + list + each * body[list - 1], body.end());
      Bytes nb(body.begin(), body.begin() + list);
      int listed = sof || n <= 4 ? n : 1;
      nb[list - 1] = (unsigned char)listed;
      for (int k = 0; k < listed; k++) {
        Bytes c = first;
        c[0] = (unsigned char)(first[0] + k);
        nb.insert(nb.end(), c.begin(), c.end());
      }
      nb.insert(nb.end(), rest.begin(), rest.end());
      size_t len = nb.size() + 2;
      out.insert(out.end(), {0xFF, (unsigned char)s.marker, (unsigned char)(len >> 8), (unsigned char)len});
      out.insert(out.end(), nb.begin(), nb.end());
    } else {
      out.insert(out.end(), seg, seg + 2 + s.length);
    }
    p = s.at + 2 + s.length;
  }
  out.insert(out.end(), src.begin() + p, src.end());
  return out;
}

TEST(JpegDamage, RefusalsSayWhyAndKeepTheProcessUsable) {
  headless_viewer();
  std::string plain = make_jpeg("refusal", "-quality 80 -sample 1x1");
  if (plain.empty()) GTEST_SKIP() << "cjpeg or Go's test picture missing";
  Bytes good = read_file(plain);
  ASSERT_EQ(open_jpeg(good), 0);
  const float* block = img_content;
  std::vector<float> shown = loaded_copy();

  std::string ppm_head = "P6\n150 103\n255\n";
  Bytes ppm(ppm_head.begin(), ppm_head.end());
  ppm.resize(200, 7);
  Bytes tables_only = {0xFF, 0xD8, 0xFF, 0xDB, 0x00, 0x43, 0x00};
  tables_only.resize(tables_only.size() + 64, 1);
  tables_only.insert(tables_only.end(), {0xFF, 0xD9});
  // APP1 claiming 65535 bytes in a file that holds a few dozen more: the library asks to skip
  // far past the end of the buffer.
  Bytes long_app1 = {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x', 'i', 'f', 0, 0};
  long_app1.insert(long_app1.end(), good.begin() + 2, good.begin() + 70);

  struct Case {
    const char* name;
    Bytes data;
    const char* console;  // expected on the console; "" for nothing at all
    bool keeps_image;     // refused before the loaded image is touched
  } cases[] = {
      {"39 bytes", Bytes(good.begin(), good.begin() + 39), "", true},
      {"not a JPEG", ppm, "error: Not a JPEG file: starts with 0x50 0x36\n", true},
      {"tables only", tables_only, "error: the file holds no picture\n", true},
      {"APP1 past the end", long_app1, "warning(-1): Premature end of JPEG file\nerror: the file holds no picture\n", true},
      {"two components", with_component_count(good, 2), "error: unsupported JPEG with 2 colour components\n", true},
      {"five components", with_component_count(good, 5), "error: unsupported JPEG with 5 colour components\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    plat_slept_ms = 0;
    std::string console;
    EXPECT_NE(open_jpeg(c.data, &console), 0);
    if (*c.console) EXPECT_NE(console.find(c.console), std::string::npos) << "console: " << console;
    else EXPECT_EQ(console, "");
    // A fatal library error pauses half a second; the reader's own refusals do not.
    bool library = console.find("Not a JPEG") != std::string::npos;
    EXPECT_EQ(plat_slept_ms, library ? 500 : 0);
    if (c.keeps_image) {
      EXPECT_EQ(img_content, block);
      EXPECT_EQ(loaded_copy(), shown);
    }
  }

  // Too many pixels: refused before anything is allocated, the picture shown stays.
  int64_t cap = jpeg_max_pixels;
  jpeg_max_pixels = 150 * 103 - 1;
  std::string console;
  EXPECT_EQ(open_jpeg(good, &console), 1);
  EXPECT_EQ(console, "app ver = 196\nerror: the picture is too large\n");
  EXPECT_EQ(loaded_copy(), shown);
  jpeg_max_pixels = cap;

  // A load in progress is not entered again.
  jpeg_busy = 1;
  EXPECT_EQ(open_jpeg(good), 1);
  jpeg_busy = 0;
  EXPECT_EQ(open_jpeg(good), 0);
  EXPECT_EQ(loaded_copy(), shown);
}

// Cut at every byte of the header and at many places in the entropy-coded data, of a baseline,
// a progressive and a restart-interval file: either a clear refusal, or the picture with what
// was decoded and grey below, and the status line saying the file is damaged.
TEST(JpegDamage, TruncatedFilesAreRefusedOrShownDamaged) {
  headless_viewer();
  std::string files[] = {make_jpeg("cut_baseline", "-quality 85"),
                         make_jpeg("cut_progressive", "-quality 85 -progressive"),
                         make_jpeg("cut_restart", "-quality 85 -restart 1")};
  for (const std::string& f : files) {
    if (f.empty()) GTEST_SKIP() << "cjpeg or Go's test picture missing";
    SCOPED_TRACE(f);
    Bytes full = read_file(f);
    size_t sos = scan_start(full);
    ASSERT_GT(sos, 0u);
    std::vector<size_t> cuts;
    size_t step = &f == &files[0] ? 1 : 7;  // every header byte of the first file
    for (size_t n = 40; n < sos + 16; n += step) cuts.push_back(n);
    for (size_t n = sos + 16; n < full.size() - 2; n += (full.size() - sos) / 50 + 1) cuts.push_back(n);
    for (size_t n : cuts) {
      SCOPED_TRACE(n);
      std::string console;
      set_status("Ready");
      int r = open_jpeg(Bytes(full.begin(), full.begin() + n), &console);
      if (r != 0) {
        EXPECT_NE(console.find("error: "), std::string::npos) << console;
        continue;
      }
      EXPECT_TRUE(picture_is_sound(150, 103));
      if (n > sos) EXPECT_NE(status_text().find("the file is damaged"), std::string::npos) << status_text();
    }
  }
  // A baseline file cut half-way shows the same picture whatever was loaded before.
  Bytes full = read_file(files[0]);
  Bytes half(full.begin(), full.begin() + full.size() / 2);
  poison_loaded_image(0.0f);
  ASSERT_EQ(open_jpeg(half), 0);
  std::vector<float> a = loaded_copy();
  poison_loaded_image(1.0f);
  ASSERT_EQ(open_jpeg(half), 0);
  EXPECT_EQ(loaded_copy(), a);
}

// Random bytes in place of the entropy-coded data: no crash, a sound picture or a refusal, and
// the same outcome every time.
TEST(JpegDamage, GarbageAfterTheHeaderIsHandled) {
  headless_viewer();
  std::string files[] = {make_jpeg("junk_baseline", "-quality 85"),
                         make_jpeg("junk_progressive", "-quality 85 -progressive"),
                         make_jpeg("junk_arith", "-quality 85 -arithmetic")};
  std::mt19937 rng(8);
  for (const std::string& f : files) {
    if (f.empty()) GTEST_SKIP() << "cjpeg or Go's test picture missing";
    Bytes full = read_file(f);
    size_t sos = scan_start(full);
    for (int trial = 0; trial < 8; trial++) {
      SCOPED_TRACE(f + " trial " + std::to_string(trial));
      Bytes junk = full;
      size_t from = sos + (trial % 2 ? 0 : (junk.size() - sos) / 3);
      for (size_t i = from; i < junk.size(); i++) junk[i] = (unsigned char)rng();
      std::string console;
      poison_loaded_image(0.25f);
      int r1 = open_jpeg(junk, &console);
      std::vector<float> first = r1 == 0 ? loaded_copy() : std::vector<float>();
      if (r1 == 0) EXPECT_TRUE(picture_is_sound(150, 103));
      else EXPECT_NE(console.find("error: "), std::string::npos);
      poison_loaded_image(0.75f);
      int r2 = open_jpeg(junk);
      EXPECT_EQ(r1, r2);
      if (r1 == 0 && r2 == 0) EXPECT_EQ(loaded_copy(), first);
    }
  }
}

// Restart markers out of order: the decoder stops at the first wrong one; the rows it gave are
// kept, the rest is the same grey whatever was loaded before, and the status line says how
// many rows could be decoded.
TEST(JpegDamage, RestartMarkersOutOfOrderStopTheDecodeCleanly) {
  headless_viewer();
  std::string f = make_jpeg("bad_restart", "-quality 85 -restart 1");
  if (f.empty()) GTEST_SKIP() << "cjpeg or Go's test picture missing";
  Bytes data = read_file(f);
  size_t sos = scan_start(data);
  std::vector<size_t> rst;
  for (size_t i = sos; i + 1 < data.size(); i++)
    if (data[i] == 0xFF && data[i + 1] >= 0xD0 && data[i + 1] <= 0xD7) rst.push_back(i + 1);
  ASSERT_GE(rst.size(), 4u);
  data[rst[2]] = (unsigned char)(0xD0 + ((data[rst[2]] - 0xD0 + 4) % 8));  // RST2 becomes RST6

  std::vector<float> seen[2];
  for (int k = 0; k < 2; k++) {
    poison_loaded_image(k ? 1.0f : 0.0f);
    set_status("Ready");
    ASSERT_EQ(open_jpeg(data), 0);
    seen[k] = loaded_copy();
    ASSERT_TRUE(picture_is_sound(150, 103));
  }
  EXPECT_EQ(seen[0], seen[1]);
  // Three restart intervals hold 48 rows (4:2:0 rows of blocks); the upsampler gives all but
  // the last of its context rows. Below them the picture is grey.
  int rows = 0;
  ASSERT_EQ(sscanf(status_text().c_str(), "the file is damaged: %d of 103 rows decoded, the rest is grey", &rows), 1)
      << status_text();
  EXPECT_GE(rows, 40);
  EXPECT_LE(rows, 48);
  for (int y = rows + 2; y < 103; y++)
    for (int x = 0; x < 150; x++) {
      const float* p = img_content + 4 * (y * 150 + x);
      ASSERT_NEAR(p[0], 0.5f, 1e-6) << x << "," << y;
      ASSERT_NEAR(p[1], 1.00003f * 0.5f, 1e-6);
      ASSERT_NEAR(p[2], 0.999823f * 0.5f, 1e-6);
    }
  // The rows above are the file's, not grey.
  Picture ref;
  ASSERT_TRUE(decode_djpeg(f, ref));
  double diff = 0;
  for (int y = 0; y < rows - 2; y++)
    for (int x = 0; x < 150; x++)
      for (int c = 0; c < 3; c++) diff += std::fabs(img_content[4 * (y * 150 + x) + c] * 256 - ref.at(x, y, c));
  EXPECT_LT(diff / ((rows - 2) * 150 * 3), 4.5);

  // Turned by its orientation tag the picture is the same, upright: decoded rows become columns,
  // stored in blocks, the last block cut short by the stop. (The upright file gets a tag too,
  // so that both files have the same size and so the same smoothing strength.)
  ASSERT_EQ(open_jpeg(with_orientation_tag(data, 1)), 0);
  std::vector<float> flat = loaded_copy();
  for (int k : {6, 8}) {
    SCOPED_TRACE(k);
    ASSERT_EQ(open_jpeg(with_orientation_tag(data, k)), 0);
    ASSERT_EQ(image_xres, 103);
    ASSERT_EQ(image_yres, 150);
    int turned = 0;
    ASSERT_EQ(sscanf(status_text().c_str(), "the file is damaged: %d of 103 rows", &turned), 1);
    EXPECT_EQ(turned, rows);
    for (int j = 0; j < 103; j++)
      for (int x = 0; x < 150; x++) {
        int col = k == 6 ? 102 - j : j, row = k == 6 ? x : 149 - x;
        for (int c = 0; c < 4; c++)
          ASSERT_NEAR(img_content[4 * (row * 103 + col) + c], flat[4 * (j * 150 + x) + c], 1e-5)
              << "file pixel " << x << "," << j;
      }
  }
}

}  // namespace
