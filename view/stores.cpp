#include "view/stores.h"

#include <cstdlib>

int width = 0, height = 0;
float* fimage = nullptr;
unsigned char* uimage = nullptr;
Fl_RGB_Image* fl_temp = nullptr;

float* img_content = nullptr;
int img_allocated = -1;
int image_xres = 0, image_yres = 0;

unsigned char* bin_content = nullptr;
int bin_allocated = -1;

int contentview = 0;
int zoom = 0, shiftx = 0, shifty = 0;

int64_t image_pixel_cap = MAX_IMAGE_PIXELS;

bool pixel_count_ok(int64_t w, int64_t h) {
  const int64_t cap = image_pixel_cap < MAX_IMAGE_PIXELS ? image_pixel_cap : MAX_IMAGE_PIXELS;
  // Each side at most the cap first, so that the product cannot overflow.
  return w > 0 && h > 0 && w <= cap && h <= cap && w * h <= cap;
}

int resize_loaded_image(int64_t w, int64_t h) {
  // A size the count cannot hold is refused before anything is freed: the shown picture stays.
  if (w <= 0 || h <= 0 || w > INT32_MAX / h) return -1;
  int n = (int)(w * h);
  if (n == img_allocated && img_content) return 0;
  if (img_allocated != -1) free(img_content);
  img_content = (float*)malloc((size_t)n * 16);
  if (!img_content) {
    img_allocated = -1;
    return -1;
  }
  img_allocated = n;
  return 0;
}

bool loaded_image_valid() {
  return img_content && img_allocated > 0 && image_xres > 0 && image_yres > 0 &&
         (int64_t)image_xres * image_yres <= img_allocated;
}

int alloc_fimage(int w, int h) {
  fimage = (float*)malloc((size_t)w * h * 16);
  return fimage ? 0 : 1;
}

void fill_pixels(float* p, int64_t n, float r, float g, float b, float a) {
  for (int64_t i = 0; i < n; i++, p += 4) {
    p[0] = r;
    p[1] = g;
    p[2] = b;
    p[3] = a;
  }
}

void paint_gradient() {
  if (!fimage) return;
  for (int y = 0; y < height; y++) {
    double b = (double)0.1f * (1.0 - (double)y / height);
    float r = (float)((double)0.4f + b), g = (float)((double)0.45f + b), bl = (float)(0.5 + b);
    fill_pixels(fimage + 4L * y * width, width, r, g, bl, 1.0f);
  }
}

void do_clear() { paint_gradient(); }

void do_clear_text() {
  if (!fimage) return;
  fill_pixels(fimage, (int64_t)width * height, 0.8f, 0.85f, 0.9f, 1.0f);
}

void set_pixel(int x, int y, float r, float g, float b, float a) {
  if (!fimage || x < 0 || y < 0 || x >= width || y >= height) return;
  float* p = fimage + 4L * (y * width + x);
  p[0] = r, p[1] = g, p[2] = b, p[3] = a;
}

void set_pixel_img(int x, int y, float r, float g, float b, float a) {
  if (!loaded_image_valid() || x < 0 || y < 0 || x >= image_xres || y >= image_yres) return;
  float* p = img_content + 4L * (y * image_xres + x);
  p[0] = r, p[1] = g, p[2] = b, p[3] = a;
}
