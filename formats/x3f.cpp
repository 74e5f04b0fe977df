// X3F camera files (.x3f) are recognised, not decoded: the reader checks the signature, records the
// picture's size and answers that the file cannot be shown, so the file opener reports it as
// unreadable. The wait cursor is shown meanwhile.
#include "formats/x3f.h"

#include <cstdio>

#include "formats/byte_table.h"
#include "formats/reader.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

int probe() {
  Cursor c = file_cursor();
  const char* signature = "FOVb";
  for (int i = 0; i < 4; i++)
    if (c.u8() != signature[i]) return refused(1, "expected %c", signature[i]);
  auto le24 = [&c](int64_t at) {
    c.seek(at);
    int64_t low = c.le16();
    return low | (int64_t)c.u8() << 16;
  };
  int64_t w = le24(28), h = le24(32);
  // A size the caps refuse is not allocated: the answer is the same.
  if (!image_size_ok(w, h)) return refused(1, "X3F size not supported: %lld x %lld", (long long)w, (long long)h);
  if (size_loaded_image(w, h) != SIZE_OK) return refused(2, "memory error (img post)");
  // The pixels are not decoded; they are set so that nothing undefined is ever shown.
  fill_grey_from(0, w * h);
  image_post((int)w, (int)h, 1);
  return 1;
}

}  // namespace

int load_x3f() {
  show_wait_cursor(true);
  int r = probe();
  show_wait_cursor(false);
  return r;
}
