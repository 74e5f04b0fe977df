#include "formats/reader.h"

#include "view/canvas.h"

int size_loaded_image(int64_t w, int64_t h) {
  if (w <= 0 || h <= 0 || w > MAX_IMAGE_SIDE || h > MAX_IMAGE_SIDE || w * h > MAX_IMAGE_PIXELS)
    return SIZE_REFUSED;
  return resize_loaded_image(w, h) == 0 ? SIZE_OK : SIZE_NO_MEMORY;
}
