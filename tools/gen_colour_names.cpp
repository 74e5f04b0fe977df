// Writes colour_names.bin: the colour names that pictures may use, sorted for binary search.
//
// Sources, in order of precedence: the X11 colour database of Debian's x11-common package
// (/usr/share/X11/rgb.txt, the names that X pixmaps are defined over), then netpbm's colour
// dictionary (/usr/share/netpbm/rgb.txt), which adds the names that netpbm's own writers use.
// A name defined in both keeps its X11 value. Names are matched without regard to case.
//
// Encoding: records of 32 bytes, sorted by name (byte order); each is the name in lower case,
// NUL-padded to 28 bytes, then red, green and blue (0 to 255) and a 0 byte.
//
// usage: gen_colour_names <x11 rgb.txt> <netpbm rgb.txt> <out.bin>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "tools/gen_file_io.h"

constexpr size_t NAME_BYTES = 28;

static bool add_file(const char* path, std::map<std::string, unsigned>& names) {
  FILE* f = fopen(path, "r");
  if (!f) {
    perror(path);
    return false;
  }
  char line[512];
  while (fgets(line, sizeof line, f)) {
    if (line[0] == '!' || line[0] == '#') continue;
    int r, g, b, used = 0;
    if (sscanf(line, "%d %d %d %n", &r, &g, &b, &used) < 3 || used == 0) continue;
    std::string name(line + used);
    while (!name.empty() && isspace((unsigned char)name.back())) name.pop_back();
    if (name.empty() || r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) continue;
    for (char& ch : name) ch = (char)tolower((unsigned char)ch);
    if (name.size() >= NAME_BYTES) {
      fprintf(stderr, "gen_colour_names: name too long, skipped: %s\n", name.c_str());
      continue;
    }
    names.emplace(name, (unsigned)(r << 16 | g << 8 | b));  // an earlier definition stays
  }
  fclose(f);
  return true;
}

int main(int argc, char** argv) {
  if (argc != 4) {
    fprintf(stderr, "usage: gen_colour_names <x11 rgb.txt> <netpbm rgb.txt> <out.bin>\n");
    return 2;
  }
  std::map<std::string, unsigned> names;
  if (!add_file(argv[1], names) || !add_file(argv[2], names)) return 1;
  if (names.count("blue") == 0 || names["blue"] != 0x0000FF) {
    fprintf(stderr, "gen_colour_names: no usable colour database in %s\n", argv[1]);
    return 1;
  }
  std::vector<unsigned char> out;
  for (const auto& [name, rgb] : names) {
    unsigned char rec[32] = {};
    memcpy(rec, name.data(), name.size());
    rec[28] = (unsigned char)(rgb >> 16);
    rec[29] = (unsigned char)(rgb >> 8);
    rec[30] = (unsigned char)rgb;
    out.insert(out.end(), rec, rec + sizeof rec);
  }
  return write_file_atomic(argv[3], out.data(), out.size()) ? 0 : 1;
}
