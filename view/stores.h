// The three shared pixel and byte stores (canvas, loaded image, file buffer), what the canvas
// shows of them, and the plain writes into them. Everything that draws stands on these; nothing
// here draws a view (view/canvas.h does).
#pragma once
#include <cstdint>

class Fl_RGB_Image;

// Canvas: what the picture widget shows. fimage is float RGBA, width x height, rows top first;
// uimage is the same as packed 8-bit RGB, written only by the quantiser; fl_temp wraps uimage.
extern int width, height;
extern float* fimage;
extern unsigned char* uimage;
extern Fl_RGB_Image* fl_temp;

// Loaded image: float RGBA 0..1, image_xres x image_yres, rows top first. img_allocated is the
// pixel count of the block img_content points to, -1 when there is none.
extern float* img_content;
extern int img_allocated;
extern int image_xres, image_yres;

// File buffer: the whole opened file; bin_allocated is its length, -1 when there is none.
extern unsigned char* bin_content;
extern int bin_allocated;

// What do_draw paints when neither the hex nor the text view applies: 0 background gradient,
// 1 loaded image, 3 page view. zoom is a row of the zoom table, shiftx/shifty the pan in pixels.
extern int contentview;
extern int zoom, shiftx, shifty;

// The most pixels a picture may have, whoever makes it (a reader, a renderer), checked before
// anything is allocated; image_pixel_cap is the cap in force, lowered by the fuzz targets so that
// a hostile header cannot make them allocate gigabytes.
constexpr int64_t MAX_IMAGE_PIXELS = 128LL * 1024 * 1024;
extern int64_t image_pixel_cap;

// True when w and h are positive and w x h is within the cap in force (taken in 64 bits, for any
// sides). Nothing is allocated.
bool pixel_count_ok(int64_t w, int64_t h);

// Sizes the loaded image for n = w*h pixels by the reallocation rule: the block is reused when n
// equals img_allocated, else freed and allocated anew. Returns 0, or -1 after a failed allocation
// (img_allocated is then -1 and img_content null). w, h <= 0 or a product that does not fit the
// int count are refused with -1 before anything changes. The caller prints its own message.
int resize_loaded_image(int64_t w, int64_t h);

// True when the loaded image's block holds at least image_xres x image_yres pixels.
bool loaded_image_valid();

int alloc_fimage(int w, int h);

// Sets n RGBA float pixels from p on to one colour: backgrounds, and the pixels a file does not
// give.
void fill_pixels(float* p, int64_t n, float r, float g, float b, float a);

// Paints the background gradient into the whole canvas (shared by do_clear and do_draw).
void paint_gradient();
void do_clear();
void do_clear_text();
void set_pixel(int x, int y, float r, float g, float b, float a);
void set_pixel_img(int x, int y, float r, float g, float b, float a);
