// Placeholder until frame composition lands: 1:1, top-left, nearest sample.
#include "view/zoom.h"

#include "view/canvas.h"

int find_best_zoom(int, int, int, int) { return 31; }

void image2frame(int) {
  paint_gradient();
  for (int y = 0; y < height && y < image_yres; y++)
    for (int x = 0; x < width && x < image_xres; x++)
      for (int k = 0; k < 4; k++)
        fimage[4L * (y * width + x) + k] = img_content[4L * (y * image_xres + x) + k];
}
