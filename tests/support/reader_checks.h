// Checks shared by the reader tests: whether the error canvas is shown, references decoded by
// netpbm's converters, opening a file through the file opener, and a reader's file cut short at
// every offset. (The status line's text: status_text() of support/headless.h.)
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
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

// What a reader must make of its file cut short. Every cut leaves a valid image; one that is not
// the error canvas has the whole file's width, each pixel is the whole file's or the grey fill, and
// the status line says the file is damaged exactly when some pixel differs.
struct CutRules {
  size_t refused_below = 0;     // cuts shorter than this (the header) must show the error canvas,
  bool refuses_longer = true;   // and, when false, no longer cut may show it
  bool palette_last = false;    // the palette trails the pixels (a cut shows grey indices): only
                                // the width is compared
  size_t sparse_from = SIZE_MAX;  // past this offset cuts are taken every sparse_step bytes
  size_t sparse_step = 1;
};
// Loads the whole file and then each cut of it through `load`; returns "" when every cut keeps the
// rules, else what the first one that breaks them shows ("cut at 40: ...").
std::string first_bad_cut(const Bytes& whole, const std::function<void(const Bytes&)>& load,
                          const CutRules& rules = {});
