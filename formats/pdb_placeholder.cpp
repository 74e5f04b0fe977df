// A placeholder for PDB files as pictures: a grey image of the canvas's size.
#include "formats/pdb_placeholder.h"

#include <cstdio>

#include "formats/reader.h"
#include "view/canvas.h"

void load_pdb() {
  if (size_loaded_image(width, height) != SIZE_OK) {
    puts("memory error (init img)");
    return;
  }
  fill_pixels(img_content, (int64_t)width * height, 0.5f, 0.5f, 0.5f, 1.0f);
  image_post(width, height, 1);
}
