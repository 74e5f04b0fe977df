#include "formats/byte_table.h"

#include "formats/byte_readers.h"
#include "formats/reader.h"
#include "view/canvas.h"

namespace {
struct Table {
  float v[256];
  Table() {
    for (int i = 0; i < 256; i++) v[i] = byte2float(i);
  }
};
}  // namespace

const float* byte_table() {
  static const Table t;
  return t.v;
}

void fill_grey_from(int64_t from, int64_t n) {
  if (from < n) fill_pixels(img_content + 4 * from, n - from, 0.5f, 0.5f, 0.5f, 1.0f);
}
