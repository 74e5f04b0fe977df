// Checks shared by the reader tests: whether the error canvas is shown, references decoded by
// netpbm's converters, and opening a file through the file opener. (The status line's text:
// status_text() of support/headless.h.)
#pragma once
#include <string>

#include "support/headless.h"
#include "support/image_fixtures.h"

// True when the loaded image is the error canvas (its dark blue fill at the top left).
bool shows_error_canvas();

// A Netpbm file (P1 to P6, any maxval up to 65535) as 8-bit RGBA, or w = 0.
Rgba pnm_rgba(const Bytes& file);
// The picture a netpbm converter prints for a file ("rasttopnm", "tgatoppm", ...): the command
// is run as `<converter> '<path>'` and its output read as a Netpbm file.
Rgba netpbm_rgba(const std::string& converter, const std::string& path);

// Copies a file of a Debian package into this run's fixture directory (so reference decodings
// written beside it never land in the package's folder); "" when the file is missing.
std::string copy_of(const std::string& path);

// Opens a file as a drop on the window would: through the file opener, which reads it into the
// file buffer and hands it to the reader its extension names.
void open_as_user(const std::string& path);

// The loaded image's pixel (x, y) as 8-bit RGBA.
struct Px {
  int r, g, b, a;
  bool operator==(const Px& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};
Px loaded_px(int x, int y);
