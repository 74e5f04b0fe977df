#include "etopo_reference.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {
const int kRows = 2161, kCols = 4320;
const char kEtopo[] = "/usr/share/ferret-vis/data/etopo5.cdf";
}  // namespace

const std::vector<float>& etopo5_rose() {
  static std::vector<float> rose;
  if (!rose.empty()) return rose;
  std::string cmd = std::string("ncdump -v ROSE ") + kEtopo;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return rose;
  std::string text;
  char buf[1 << 16];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
  pclose(p);
  size_t at = text.find("ROSE =", text.find("data:"));
  if (at == std::string::npos) return rose;
  const char* s = text.c_str() + at + 6;
  rose.reserve((size_t)kRows * kCols);
  while (*s) {
    while (*s == ' ' || *s == ',' || *s == '\n') s++;
    char* end;
    float v = strtof(s, &end);
    if (end == s) break;
    rose.push_back(v);
    s = end;
  }
  if (rose.size() != (size_t)kRows * kCols) rose.clear();
  return rose;
}
