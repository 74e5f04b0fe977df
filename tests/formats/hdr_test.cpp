// The HDR reader: ImageMagick's files and our own through the tone map computed in numpy, and the
// files it refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/open_file.h"
#include "formats/hdr.h"
#include "formats/reader.h"
#include "formats/rgbe.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

using Floats = std::vector<float>;

void write_floats(const std::string& path, const Floats& v) {
  const unsigned char* p = (const unsigned char*)v.data();
  write_file(path, Bytes(p, p + v.size() * sizeof(float)));
}

Floats read_floats(const std::string& path) {
  Bytes b = read_file(path);
  Floats v(b.size() / sizeof(float));
  memcpy(v.data(), b.data(), v.size() * sizeof(float));
  return v;
}

// Writes an RGBE file of w x h pixels with our run-length writer.
void write_hdr(const std::string& path, const Floats& px, int w, int h) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_TRUE(f);
  EXPECT_EQ(RGBE_WriteHeader(f, w, h, nullptr), 0);
  EXPECT_EQ(RGBE_WritePixels_RLE(f, px.data(), w, h), 0);
  fclose(f);
}

// The pixels of an RGBE file as our codec decodes them (tested against ImageMagick on its own).
Floats decoded(const std::string& path, int* w, int* h) {
  FILE* f = fopen(path.c_str(), "rb");
  Floats px;
  if (f && RGBE_ReadHeader(f, w, h, nullptr) == 0) {
    px.resize((size_t)*w * *h * 3);
    if (RGBE_ReadPixels_RLE(f, px.data(), *w, *h) != 0) px.clear();
  }
  if (f) fclose(f);
  return px;
}

// numpy's tone map of each file's decoded pixels, with the gain it chose.
struct Expected {
  int w = 0, h = 0;
  float gain = 0;
  Floats rgb;
};

std::vector<Expected> numpy_tone_map(const std::vector<std::string>& paths) {
  std::vector<Expected> out(paths.size());
  std::string cmd = std::string(python()) + " '" + test_script("hdr_tone_map.py") + "'";
  for (size_t i = 0; i < paths.size(); i++) {
    Floats px = decoded(paths[i], &out[i].w, &out[i].h);
    write_floats(paths[i] + ".f32", px);
    cmd += " '" + paths[i] + ".f32:" + paths[i] + ".mapped'";
  }
  std::istringstream gains(sh_out(cmd));
  for (size_t i = 0; i < paths.size(); i++) {
    gains >> out[i].gain;
    out[i].rgb = read_floats(paths[i] + ".mapped");
  }
  return out;
}

// "" when the loaded image is exactly the expected picture with alpha 1.
std::string loaded_equals(const Expected& e) {
  if (image_xres != e.w || image_yres != e.h) return "size " + std::to_string(image_xres) + " x " + std::to_string(image_yres);
  if (e.rgb.size() != (size_t)e.w * e.h * 3) return "no reference";
  for (size_t i = 0; i < (size_t)e.w * e.h; i++) {
    for (int k = 0; k < 3; k++)
      if (img_content[4 * i + k] != e.rgb[3 * i + k])
        return "pixel " + std::to_string(i) + " channel " + std::to_string(k) + ": " +
               std::to_string(img_content[4 * i + k]) + ", numpy " + std::to_string(e.rgb[3 * i + k]);
    if (img_content[4 * i + 3] != 1.0f) return "alpha of pixel " + std::to_string(i);
  }
  return "";
}

// A picture of `hot` values 1 (in channel order) over a dim background: the fewer hot values,
// the further the peak stands above the spread, and the larger the gain.
Floats hot_values(int w, int h, int hot, float background) {
  Floats px((size_t)w * h * 3, background);
  for (int i = 0; i < hot; i++) px[(size_t)i * 7919 % px.size()] = 1.0f;
  return px;
}

}  // namespace

TEST(Hdr, ImageMagickFilesMatchTheToneMapInNumpy) {
  headless_viewer();
  // Width 10 puts line ends into every scanline head and the EXPOSURE line pushes the size past
  // byte 128; neither may lose rows.
  std::vector<std::string> paths;
  for (const char* shape : {"10x4", "10x4 exposure", "300x20", "8x1"}) {
    int w, h;
    sscanf(shape, "%dx%d", &w, &h);
    bool exposure = strstr(shape, "exposure") != nullptr;
    std::string base = fixture(std::string("im_") + std::to_string(w) + (exposure ? "_exposure" : ""));
    ASSERT_EQ(sh(imagemagick() + " -seed " + std::to_string(w) + " -size " + std::to_string(w) + "x" +
                 std::to_string(h) + " xc: +noise Random -depth 8 '" + base + ".ppm'"),
              0);
    ASSERT_EQ(sh(imagemagick() + " '" + base + ".ppm'" + (exposure ? " -set hdr:exposure 2" : "") + " '" +
                 base + ".hdr'"),
              0);
    paths.push_back(base + ".hdr");
  }
  std::vector<Expected> expected = numpy_tone_map(paths);
  for (size_t i = 0; i < paths.size(); i++) {
    // The file buffer holds another file, line ends and all; the reader does not look at it.
    put_file_buffer(std::string(200, '\n'));
    set_status("");
    load_hdr_file(paths[i].c_str());
    EXPECT_EQ(status_text(), "") << paths[i];
    EXPECT_EQ(loaded_equals(expected[i]), "") << paths[i];
  }
}

TEST(Hdr, GainGrowsAsThePeakStandsAboveTheSpread) {
  headless_viewer();
  const int w = 200, h = 200;
  std::vector<std::string> paths;
  // From one hot value in 120,000 (the peak about 350 sigma above the mean) to half of them
  // over black, the widest spread there is (the peak 2 sigma above).
  for (int hot : {1, 5, 24, 100, 1200, 15000, 60000}) {
    std::string path = fixture("hot_" + std::to_string(hot) + ".hdr");
    write_hdr(path, hot_values(w, h, hot, hot == 60000 ? 0 : 0.001f), w, h);
    paths.push_back(path);
  }
  std::vector<Expected> expected = numpy_tone_map(paths);
  std::set<float> gains;
  for (size_t i = 0; i < paths.size(); i++) {
    load_hdr_file(paths[i].c_str());
    EXPECT_EQ(loaded_equals(expected[i]), "") << paths[i];
    gains.insert(expected[i].gain);
  }
  EXPECT_EQ(gains, (std::set<float>{1, 1.4f, 2.5f, 5, 7, 10, 16}));
}

TEST(Hdr, UniformPicturesAreWhiteAndBlackOnesBlack) {
  headless_viewer();
  struct Case {
    int w, h;
    float value, shown;
  } cases[] = {{16, 9, 0.3f, 1}, {1, 1, 5000, 1}, {12, 3, 0, 0}};
  for (const Case& c : cases) {
    std::string path = fixture("uniform.hdr");
    write_hdr(path, Floats((size_t)c.w * c.h * 3, c.value), c.w, c.h);
    load_hdr_file(path.c_str());
    ASSERT_EQ(image_xres, c.w);
    ASSERT_EQ(image_yres, c.h);
    for (int i = 0; i < c.w * c.h; i++)
      ASSERT_EQ(Floats(img_content + 4 * i, img_content + 4 * i + 4), (Floats{c.shown, c.shown, c.shown, 1}))
          << c.value << " pixel " << i;
  }
}

TEST(Hdr, RefusesInSilenceOverTheErrorCanvas) {
  headless_viewer();
  std::string dir = fixture("refused");
  sh("mkdir -p '" + dir + "'");
  struct Case {
    const char* name;
    std::string content;  // "" for a file that does not exist
    std::string status;
  } cases[] = {
      {"missing.hdr", "", "error opening file " + dir + "/missing.hdr"},
      {"pnm.hdr", "P6\n1 1\n255\nabc", "RGBE bad file format: bad initial token"},
      {"no_size.hdr", "#?RGBE\nFORMAT=32-bit_rle_rgbe\n\n", "RGBE bad file format: missing image size"},
      {"zero.hdr", "#?RGBE\n\n-Y 0 +X 5\n", "RGBE size not supported: 5 x 0"},
      {"wide.hdr", "#?RGBE\n\n-Y 1 +X 70000\n", "RGBE size not supported: 70000 x 1"},
      // 4 GiB of pixels, refused before anything is allocated.
      {"huge.hdr", "#?RGBE\n\n-Y 65535 +X 65535\n", "RGBE size not supported: 65535 x 65535"},
  };
  for (const Case& c : cases) {
    std::string path = dir + "/" + c.name;
    if (!c.content.empty()) write_file(path, Bytes(c.content.begin(), c.content.end()));
    size_loaded_image(3, 2);
    image_post(3, 2, 1);
    start_stdout_capture();
    load_hdr_file(path.c_str());
    std::string out = stop_stdout_capture();
    EXPECT_TRUE(shows_error_canvas()) << c.name;
    EXPECT_EQ(status_text(), c.status) << c.name;
    EXPECT_NE(out.find(c.status + "\n"), std::string::npos) << c.name << ": " << out;
  }
}

TEST(Hdr, ADamagedFileShowsWhatArrivedAndSaysSo) {
  headless_viewer();
  const int w = 20, h = 4;
  Floats px((size_t)w * h * 3);
  std::mt19937 rng(7);
  for (float& v : px) v = (rng() % 1000) / 250.0f;
  std::string whole = fixture("whole.hdr"), cut = fixture("cut.hdr");
  write_hdr(whole, px, w, h);
  Bytes b = read_file(whole);
  // Keep the header and two rows and a half of scanlines.
  int hw = 0, hh = 0;
  Floats all = decoded(whole, &hw, &hh);
  FILE* f = fopen(whole.c_str(), "rb");
  RGBE_ReadHeader(f, &hw, &hh, nullptr);
  Floats two(w * 2 * 3);
  RGBE_ReadPixels_RLE(f, two.data(), w, 2);
  long after_two = ftell(f);
  fclose(f);
  write_file(cut, Bytes(b.begin(), b.begin() + after_two + 10));

  load_hdr_file(cut.c_str());
  EXPECT_EQ(status_text(), DAMAGED_TEXT);
  ASSERT_EQ(image_xres, w);
  ASSERT_EQ(image_yres, h);
  // The tone map ran over what arrived with the rest black, so the rows that arrived keep their
  // order of brightness and the missing ones are black.
  for (int i = 0; i < w * 2; i++)
    for (int k = 0; k < 3; k++) EXPECT_EQ(img_content[4 * i + k] > 0, all[3 * i + k] > 0) << i;
  for (int i = w * 2; i < w * h; i++)
    EXPECT_EQ(Floats(img_content + 4 * i, img_content + 4 * i + 4), (Floats{0, 0, 0, 1})) << i;
}

TEST(Hdr, LoadHdrReadsTheOpenedFile) {
  headless_viewer();
  std::string path = fixture("opened.hdr");
  write_hdr(path, Floats(5 * 3 * 3, 0.5f), 5, 3);
  snprintf(openfilename, sizeof openfilename, "%s", path.c_str());
  load_hdr();
  EXPECT_EQ(image_xres, 5);
  EXPECT_EQ(image_yres, 3);
  EXPECT_EQ(img_content[0], 1.0f);
}
