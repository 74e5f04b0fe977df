// ICC profile markers: profiles written into JPEG files read back by Pillow, exiftool and
// ImageMagick; profiles Pillow wrote read back by us; crafted sets of APP2 segments refused.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "formats/jpeg_icc.h"
#include "support/image_fixtures.h"

namespace {

const unsigned CHUNK = 65519;

void jump_back(j_common_ptr c) { longjmp(*(jmp_buf*)c->client_data, 1); }

// A 24 x 16 JPEG with write_icc_profile called where it must be. Plain data only here: a library
// error long-jumps back into this frame. Returns 0, or -1 after a library error.
int compress_raw(const unsigned char* profile, unsigned length, unsigned char** out,
                 unsigned long* size, int* result) {
  static jpeg_compress_struct c;
  static jpeg_error_mgr e;
  static jmp_buf jump;
  c.err = jpeg_std_error(&e);
  e.error_exit = jump_back;
  c.client_data = &jump;
  if (setjmp(jump)) {
    jpeg_destroy_compress(&c);
    return -1;
  }
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, out, size);
  c.image_width = 24;
  c.image_height = 16;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  jpeg_start_compress(&c, TRUE);
  *result = write_icc_profile(&c, profile, length);
  unsigned char row[24 * 3];
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < 24; x++)
      row[3 * x] = (unsigned char)(x * 10), row[3 * x + 1] = (unsigned char)(c.next_scanline * 15),
              row[3 * x + 2] = 128;
    JSAMPROW r = row;
    jpeg_write_scanlines(&c, &r, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  return 0;
}

Bytes compress(const Bytes& profile, unsigned length, int* result) {
  unsigned char* out = nullptr;
  unsigned long size = 0;
  Bytes file;
  if (compress_raw(profile.data(), length, &out, &size, result) == 0) file.assign(out, out + size);
  free(out);
  return file;
}

// Our reader on a JPEG in memory: read_icc_profile's result, or -1 after a library error.
int read_raw(const unsigned char* data, unsigned long size, unsigned char** profile,
             unsigned* length) {
  static jpeg_decompress_struct d;
  static jpeg_error_mgr e;
  static jmp_buf jump;
  d.err = jpeg_std_error(&e);
  e.error_exit = jump_back;
  d.client_data = &jump;
  if (setjmp(jump)) {
    jpeg_destroy_decompress(&d);
    return -1;
  }
  jpeg_create_decompress(&d);
  jpeg_mem_src(&d, data, size);
  setup_read_icc_profile(&d);
  jpeg_read_header(&d, TRUE);
  int r = read_icc_profile(&d, profile, length);
  jpeg_destroy_decompress(&d);
  return r;
}

struct Read {
  int result = -1;
  bool null_when_false = true;
  Bytes profile;
};

Read read_ours(const Bytes& file) {
  Read r;
  unsigned char* p = (unsigned char*)&r;  // anything but null, to see that it is cleared
  unsigned length = 12345;
  r.result = read_raw(file.data(), file.size(), &p, &length);
  if (r.result == 1) r.profile.assign(p, p + length);
  if (r.result == 0) r.null_when_false = p == nullptr && length == 0;
  if (r.result == 1) free(p);
  return r;
}

Bytes random_bytes(size_t n, uint32_t seed) {
  Bytes b(n);
  for (size_t i = 0; i < n; i++) {
    seed = seed * 1664525u + 1013904223u;
    b[i] = (unsigned char)(seed >> 24);
  }
  return b;
}

// The lengths of the file's APP2 segments, in file order (the walk stops at the first scan).
std::vector<int> app2_lengths(const Bytes& f) {
  std::vector<int> out;
  for (size_t i = 2; i + 4 <= f.size() && f[i] == 0xFF && f[i + 1] != 0xDA;) {
    int len = f[i + 2] << 8 | f[i + 3];
    if (f[i + 1] == 0xE2) out.push_back(len);
    i += 2 + len;
  }
  return out;
}

std::string identify() {
  return access("/usr/bin/identify-im6.q16", X_OK) == 0 ? "/usr/bin/identify-im6.q16"
                                                          : "identify";
}

// Pillow's profile of each file: its bytes, or none (-1 in the map).
std::map<std::string, int> pillow_profiles(const std::vector<std::string>& paths) {
  std::string cmd = std::string(python()) + " '" + test_script("pil_icc.py") + "' read";
  for (const std::string& p : paths) cmd += " '" + p + "'";
  std::istringstream out(sh_out(cmd + " 2>&1"));
  std::map<std::string, int> lengths;
  std::string path;
  int n;
  while (out >> path >> n) lengths[path] = n;
  return lengths;
}

Bytes insert_after_soi(const Bytes& jpeg, const Bytes& segments) {
  Bytes out(jpeg.begin(), jpeg.begin() + 2);
  out.insert(out.end(), segments.begin(), segments.end());
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

// One APP2 segment: identifier (12 bytes as given), then the rest of the payload.
Bytes app2(const char* id, std::initializer_list<int> head, const Bytes& data = {}) {
  Bytes payload(id, id + 12);
  for (int v : head) payload.push_back((unsigned char)v);
  payload.insert(payload.end(), data.begin(), data.end());
  size_t len = payload.size() + 2;
  Bytes seg = {0xFF, 0xE2, (unsigned char)(len >> 8), (unsigned char)len};
  seg.insert(seg.end(), payload.begin(), payload.end());
  return seg;
}

const char ICC[12] = "ICC_PROFILE";

// The sRGB profile of Pillow's colour management.
const Bytes& srgb_profile() {
  static const Bytes profile = [] {
    std::string f = fixture("srgb.icc");
    sh(std::string(python()) + " '" + test_script("pil_icc.py") + "' srgb '" + f + "'");
    return read_file(f);
  }();
  return profile;
}

}  // namespace

TEST(IccProfile, WrittenProfilesReadBackElsewhere) {
  const Bytes& srgb = srgb_profile();
  ASSERT_GT(srgb.size(), 100u);

  struct Case {
    const char* name;
    Bytes profile;
    std::vector<int> segments;  // APP2 lengths, each counting its own two length bytes
  };
  std::vector<Case> cases = {
      {"empty", {}, {}},
      {"one_byte", random_bytes(1, 1), {17}},
      {"srgb", srgb, {(int)srgb.size() + 16}},
      {"one_chunk", random_bytes(CHUNK, 2), {65535}},
      {"two_chunks", random_bytes(CHUNK + 1, 3), {65535, 17}},
      {"four_chunks", random_bytes(3 * CHUNK + 5, 4), {65535, 65535, 65535, 21}},
      {"255_chunks", random_bytes(255 * CHUNK, 5), std::vector<int>(255, 65535)},
  };
  std::vector<std::string> paths;
  for (const Case& c : cases) {
    int result = -9;
    Bytes file = compress(c.profile, (unsigned)c.profile.size(), &result);
    ASSERT_FALSE(file.empty()) << c.name;
    EXPECT_EQ(result, 0) << c.name;
    EXPECT_EQ(app2_lengths(file), c.segments) << c.name;
    std::string p = fixture(std::string("icc_") + c.name + ".jpg");
    write_file(p, file);
    paths.push_back(p);

    Read ours = read_ours(file);
    EXPECT_EQ(ours.result, c.profile.empty() ? 0 : 1) << c.name;
    EXPECT_TRUE(ours.profile == c.profile) << c.name;
  }
  std::map<std::string, int> pil = pillow_profiles(paths);
  for (size_t k = 0; k < cases.size(); k++) {
    const Case& c = cases[k];
    const std::string& p = paths[k];
    ASSERT_EQ(pil.count(p), 1u) << c.name;
    if (c.profile.empty()) {
      EXPECT_EQ(pil[p], -1) << c.name;
    } else {
      EXPECT_TRUE(read_file(p + ".pil.icc") == c.profile) << c.name << ": Pillow";
    }
    sh("exiftool -b -ICC_Profile '" + p + "' > '" + p + ".exif.icc' 2>/dev/null");
    // exiftool passes over a profile too short for the 128-byte ICC header.
    if (c.profile.empty() || c.profile.size() >= 128)
      EXPECT_TRUE(read_file(p + ".exif.icc") == c.profile) << c.name << ": exiftool";
    std::string verbose = sh_out(identify() + " -verbose '" + p + "' 2>/dev/null");
    std::string line = "Profile-icc: " + std::to_string(c.profile.size()) + " bytes";
    EXPECT_EQ(verbose.find(line) != std::string::npos, !c.profile.empty()) << c.name;
    EXPECT_NE(verbose.find("Geometry: 24x16"), std::string::npos) << c.name;
  }
}

// One byte more than 255 chunks carry: the count would wrap, so nothing is written and the
// picture is the same as without a profile.
TEST(IccProfile, AProfileBeyond255ChunksIsRefused) {
  const Bytes too_long = random_bytes(255 * CHUNK + 1, 6);
  int result = 0;
  testing::internal::CaptureStderr();
  Bytes file = compress(too_long, (unsigned)too_long.size(), &result);
  EXPECT_NE(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(result, -1);
  int none = 0;
  EXPECT_EQ(file, compress({}, 0, &none));
  Read ours = read_ours(file);
  EXPECT_EQ(ours.result, 0);
  EXPECT_TRUE(ours.null_when_false);
  std::string p = fixture("icc_refused.jpg");
  write_file(p, file);
  EXPECT_EQ(pillow_profiles({p})[p], -1);
  EXPECT_NE(sh_out(identify() + " -verbose '" + p + "' 2>/dev/null").find("Geometry: 24x16"),
            std::string::npos);
}

TEST(IccProfile, ProfilesPillowWroteAreJoined) {
  struct Case {
    const char* name;
    Bytes profile;
  };
  std::vector<Case> cases = {
      {"srgb", srgb_profile()},
      {"100k", random_bytes(100000, 7)},
      {"four_chunks", random_bytes(3 * CHUNK + 5, 8)},
  };
  ASSERT_FALSE(cases[0].profile.empty());
  for (const Case& c : cases) {
    std::string icc = fixture(std::string("pil_") + c.name + ".icc");
    std::string jpg = fixture(std::string("pil_") + c.name + ".jpg");
    write_file(icc, c.profile);
    ASSERT_EQ(sh(std::string(python()) + " '" + test_script("pil_icc.py") + "' write '" + jpg +
                 "' '" + icc + "'"),
              0);
    Read ours = read_ours(read_file(jpg));
    EXPECT_EQ(ours.result, 1) << c.name;
    EXPECT_TRUE(ours.profile == c.profile) << c.name;
  }
}

TEST(IccProfile, ChunksThatDisagreeGiveNoProfile) {
  int r = 0;
  const Bytes base = compress({}, 0, &r);
  const Bytes a = {1, 2, 3}, b = {4, 5}, c = {6};
  auto cat = [](std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
  };
  struct Case {
    const char* what;
    Bytes segments;
    int result;
    Bytes profile;
  };
  const Case cases[] = {
      {"in order", cat({app2(ICC, {1, 2}, a), app2(ICC, {2, 2}, b)}), 1, {1, 2, 3, 4, 5}},
      {"out of order", cat({app2(ICC, {2, 2}, b), app2(ICC, {1, 2}, a)}), 1, {1, 2, 3, 4, 5}},
      {"foreign segments passed over",
       cat({app2("ICC_PROFILX", {1, 1}, c), app2(ICC, {1, 2}, a), app2("FPXR\0\0\0\0\0\0\0", {}, c),
            app2(ICC, {2, 2}, b)}),
       1,
       {1, 2, 3, 4, 5}},
      {"counts differ", cat({app2(ICC, {1, 2}, a), app2(ICC, {2, 3}, b)}), 0, {}},
      {"sequence repeated", cat({app2(ICC, {1, 2}, a), app2(ICC, {2, 2}, b), app2(ICC, {1, 2}, c)}),
       0,
       {}},
      {"sequence 0", cat({app2(ICC, {0, 2}, a), app2(ICC, {2, 2}, b)}), 0, {}},
      {"sequence beyond count", cat({app2(ICC, {1, 2}, a), app2(ICC, {3, 2}, b)}), 0, {}},
      {"sequence missing", cat({app2(ICC, {1, 3}, a), app2(ICC, {3, 3}, b)}), 0, {}},
      {"count 0", app2(ICC, {0, 0}, a), 0, {}},
      {"no bytes", cat({app2(ICC, {1, 2}), app2(ICC, {2, 2})}), 0, {}},
      {"13-byte segment", app2(ICC, {1}), 0, {}},
      {"only foreign", app2("ICC_PROFILX", {1, 1}, c), 0, {}},
      {"no segments", {}, 0, {}},
  };
  for (const Case& k : cases) {
    Read ours = read_ours(insert_after_soi(base, k.segments));
    EXPECT_EQ(ours.result, k.result) << k.what;
    EXPECT_EQ(ours.profile, k.profile) << k.what;
    EXPECT_TRUE(ours.null_when_false) << k.what;
  }
}
