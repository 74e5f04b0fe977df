#include "support/exif_tag.h"

std::vector<unsigned char> with_orientation_tag(const std::vector<unsigned char>& jpg, int k) {
  const unsigned char app1[] = {0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0,
                                8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, (unsigned char)k,
                                0, 0, 0, 0, 0, 0, 0};
  if (jpg.size() < 2) return jpg;
  std::vector<unsigned char> out(jpg.begin(), jpg.begin() + 2);
  out.insert(out.end(), app1, app1 + sizeof app1);
  out.insert(out.end(), jpg.begin() + 2, jpg.end());
  return out;
}
