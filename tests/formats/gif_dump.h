// Reading giflib's `gifbuild -d` dump, for the tests of the GIF reader and of the GIF writer.
#pragma once
#include <array>
#include <string>
#include <vector>

// A colour table of the dump, and the characters that stand for its indices in image rows.
struct Map : std::vector<std::array<int, 3>> {
  int label[256];
  Map() {
    for (int& l : label) l = -1;
  }
};

struct DumpImage {
  int left = 0, top = 0, w = 0, h = 0;
  int transparent = -1, delay = 0, disposal = 0;
  Map map;
  std::vector<int> index;  // rows top first
};

// giflib's text dump of a GIF (gifbuild -d): screen, maps, controls and every image's indices.
struct Dump {
  int w = 0, h = 0;
  Map map;
  std::vector<DumpImage> images;
  int last_delay = 0;  // of the last graphic control block
};

// Reads the dump written to `file`; no images when it could not be read.
Dump read_dump(const std::string& file);
