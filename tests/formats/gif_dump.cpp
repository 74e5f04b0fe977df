#include "gif_dump.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "support/image_fixtures.h"

namespace {

Map read_map(std::istream& in) {
  Map m;
  std::string line;
  while (std::getline(in, line) && line != "end") {
    int r, g, b;
    char is[2];
    int n = sscanf(line.c_str(), " rgb %d %d %d is %1s", &r, &g, &b, is);
    if (n >= 3) m.push_back({r, g, b});
    if (n == 4) m.label[(unsigned char)is[0]] = (int)m.size() - 1;
  }
  return m;
}

}  // namespace

Dump read_dump(const std::string& file) {
  Bytes b = read_file(file);
  std::istringstream in(std::string(b.begin(), b.end()));
  Dump d;
  DumpImage pending;
  std::string line;
  while (std::getline(in, line)) {
    int a, c;
    char hex[8] = "";
    if (sscanf(line.c_str(), "screen width %d", &a) == 1) d.w = a;
    if (sscanf(line.c_str(), "screen height %d", &a) == 1) d.h = a;
    if (line == "screen map") d.map = read_map(in);
    if (line == "graphics control")
      while (std::getline(in, line) && line != "end") {
        sscanf(line.c_str(), " disposal mode %d", &pending.disposal);
        if (sscanf(line.c_str(), " delay %d", &pending.delay) == 1) d.last_delay = pending.delay;
        sscanf(line.c_str(), " transparent index %d", &pending.transparent);
      }
    if (line.rfind("image # ", 0) == 0) {
      d.images.push_back(pending);
      pending = DumpImage();
    }
    if (d.images.empty()) continue;
    DumpImage& im = d.images.back();
    if (sscanf(line.c_str(), "image left %d", &a) == 1) im.left = a;
    if (sscanf(line.c_str(), "image top %d", &a) == 1) im.top = a;
    if (line == "image map") im.map = read_map(in);
    if (sscanf(line.c_str(), "image bits %d by %d %7s", &a, &c, hex) >= 2) {
      im.w = a;
      im.h = c;
      bool pairs = strcmp(hex, "hex") == 0;
      const Map& m = im.map.empty() ? d.map : im.map;
      for (int y = 0; y < c && std::getline(in, line); y++)
        for (int x = 0; x < a; x++)
          im.index.push_back(pairs ? (int)strtol(line.substr(2 * x, 2).c_str(), nullptr, 16)
                                   : m.label[(unsigned char)line[x]]);
    }
  }
  return d;
}

