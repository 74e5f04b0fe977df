// Writes the globe's day texture and its 4 x 4 reduction.
//
// Source: Debian's xplanet-images, /usr/share/xplanet/images/earth.jpg: NASA Visible Earth, "not
// copyrighted", a 2048 x 1024 equirectangular JPEG with rows from 90 N and column 0 at 180 W,
// which is already the layout the globe reads. It is taken at exactly that size: a picture of
// any other size is refused, not resampled.
//
// Outputs (8-bit RGB, packed rows from the north):
//   earth_day.bin        2048 x 1024, the decoded pixels unchanged.
//   earth_day_small.bin  512 x 256, each pixel the mean of a 4 x 4 block, rounded to nearest.
//
// usage: gen_day_texture <earth.jpg> <output directory>
#include <cstdio>
#include <string>
#include <vector>

#include "earth/globe_texture_sizes.h"
#include "tools/gen_file_io.h"
#include "tools/gen_image_io.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    fprintf(stderr, "usage: gen_day_texture <earth.jpg> <output directory>\n");
    return 2;
  }
  std::vector<unsigned char> day;
  int w = 0, h = 0;
  std::string err;
  if (!decode_jpeg_rgb(argv[1], 16384, 16384, &day, &w, &h, &err)) {
    fprintf(stderr, "gen_day_texture: %s: %s\n", argv[1], err.c_str());
    return 1;
  }
  if (w != GLOBE_DAY_W || h != GLOBE_DAY_H) {
    fprintf(stderr, "gen_day_texture: %s is %d x %d, the texture must be %d x %d\n", argv[1], w, h,
            GLOBE_DAY_W, GLOBE_DAY_H);
    return 1;
  }
  const int f = GLOBE_DAY_W / GLOBE_SMALL_W;
  static_assert(GLOBE_DAY_W / GLOBE_SMALL_W == GLOBE_DAY_H / GLOBE_SMALL_H, "one factor both ways");
  std::vector<unsigned char> small((size_t)GLOBE_SMALL_BYTES);
  for (int y = 0; y < GLOBE_SMALL_H; y++)
    for (int x = 0; x < GLOBE_SMALL_W; x++)
      for (int c = 0; c < 3; c++) {
        int sum = 0;
        for (int j = 0; j < f; j++)
          for (int i = 0; i < f; i++)
            sum += day[((size_t)(f * y + j) * GLOBE_DAY_W + f * x + i) * 3 + c];
        small[((size_t)y * GLOBE_SMALL_W + x) * 3 + c] =
            (unsigned char)((sum + f * f / 2) / (f * f));
      }
  if (!write_blob(argv[2], "earth_day.bin", day) ||
      !write_blob(argv[2], "earth_day_small.bin", small))
    return 1;
  return 0;
}
