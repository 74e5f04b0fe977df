// Fixtures for the JPEG reader's tests: files made at test time by Debian's tools, reference
// decodes by decoders nobody here wrote, and the comparison the reader's smoothing allows.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "support/exif_tag.h"
#include "support/reader_checks.h"  // fixture_dir, sh, read_file, pnm_rgba, status_text

// Go's JPEG test pictures and their reference PNGs (Debian's golang source package).
std::string go_testdata(const char* name);

// A small photo (Go's video-001, 150 x 103) as a binary PPM, for the encoders to start from.
std::string photo_ppm();

// A binary PGM or PPM as 8-bit levels: channels 1 or 3.
struct Picture {
  int w = 0, h = 0, channels = 0;
  std::vector<float> px;  // levels 0..255, channels per pixel
  float at(int x, int y, int c) const { return px[((int64_t)y * w + x) * channels + (channels == 1 ? 0 : c)]; }
};
bool read_pnm(const std::string& path, Picture& out);
// Any picture file converted by netpbm / djpeg / PIL into a Picture.
bool decode_png(const std::string& png, Picture& out);
bool decode_djpeg(const std::string& jpg, Picture& out);  // libjpeg's own float decode
// The file's samples as the library delivers them (PIL, YCbCr or L), turned into RGB levels x 256
// by the reader's own conversion without smoothing.
bool decode_unsmoothed(const std::string& jpg, Picture& out);

// Puts the bytes in the file buffer and opens them as JPEG (sleeps skipped). Returns load_jpg's
// result; console output goes to *console when given.
int open_jpeg(const Bytes& data, std::string* console = nullptr);



// How far the loaded image lies from a reference decode. A pixel passes when, per channel, its
// squared value lies within m0 of the square of some value within tol levels of the reference
// (the smoothing moves a squared value by at most m0); the divisor is 256.
struct Agreement {
  int64_t outside = 0;   // channel values that fail the bound
  double mean = 0;       // mean |ours x 256 - reference| in levels
  double worst = 0;      // largest such difference
  std::string first;     // where the first failure is
};
Agreement agree(const Picture& ref, double tol_levels);
