// What every raster reader shares: the checked sizing of the loaded image.
#pragma once
#include <cstdint>

// Caps on a decoded picture, checked before anything is allocated. They are at least as generous
// as common image tools' defaults (16K a side, 128 megapixels).
constexpr int64_t MAX_IMAGE_SIDE = 65535;
constexpr int64_t MAX_IMAGE_PIXELS = 128LL * 1024 * 1024;

enum { SIZE_OK = 0, SIZE_REFUSED = 1, SIZE_NO_MEMORY = 999 };

// Sizes the loaded image for a w x h picture by the reallocation rule. Returns SIZE_OK;
// SIZE_REFUSED when a side is not positive or a side or the pixel count is above its cap (then
// nothing changed and the shown picture stays); SIZE_NO_MEMORY when the allocation failed (then
// img_allocated is -1). The products are taken in 64 bits.
int size_loaded_image(int64_t w, int64_t h);
