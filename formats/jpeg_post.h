// The JPEG reader's post-processing: the decoded samples, read from the library's bytes in the
// file's own frame and turned upright on the way, to RGB in a squared domain, a 5 x 5 weighted
// mean whose change to each pixel is limited (it smooths the block edges of a compressed picture
// away), the square root back, and alpha 1, into the loaded image.
#pragma once
#include <cstdint>
#include <vector>

// Smoothing strength, set from the compression ratio before any worker starts and unchanged
// while they run: k0 the centre strength (10 to 180), m0 the largest change of a squared value
// (1/256 to 10/256), bartlett5 the 5 x 5 weights, row by row, the outer product of
// (1, 2, 3, 2, 1) with the centre raised to k0/0.7 + 9.
extern double k0;
extern double m0;
extern float bartlett5[25];

// Sets k0, m0 and the centre of bartlett5 for `samples` decoded samples (components x width x
// height) taken from a file of file_bytes bytes: the more the file was compressed, the weaker
// the centre and the larger the change allowed.
void jpeg_smoothing_params(int64_t samples, int64_t file_bytes);

// How the library delivers the samples of a pixel: Y (1 byte), Y Cb Cr (3), R G B as stored
// in an RGB file (3), or C M Y K (4).
enum { SAMPLES_GREY = 1, SAMPLES_YCBCR = 2, SAMPLES_RGB = 3, SAMPLES_CMYK = 4 };
int sample_bytes(int kind);

// The decoded samples of a file: w x h pixels in the file's frame, rows top first, packed. The
// picture they make is shown turned by the Exif orientation (1 to 8). File rows from `rows` on
// were not decoded and show grey.
struct JpegSamples {
  const unsigned char* bytes;
  int w, h, kind, orientation;
  int rows;
};

// The upright picture's size for a file of w x h pixels.
void upright_size(int orientation, int w, int h, int* xres, int* yres);

// One picture being made: img is the upright picture, w x h pixels of four floats, rows top
// first. It is made in pieces, each the part of the picture that a run of file rows gives, so
// that a piece can start as soon as its rows (and two more on each side) are decoded, whatever
// the orientation. A piece is made in chunks of its rows, each taken by whichever worker is free
// and made in that worker's own scratch slot.
struct SmoothJob {
  float* img;
  int w, h, slots;
  JpegSamples src;
  int x0, x1, y0, y1;  // the piece being made, upright
  std::vector<float> scratch;
};

// Prepares a job for `slots` workers (at least 1). Returns false when the scratch memory cannot
// be had.
bool smooth_begin(SmoothJob& job, float* img, const JpegSamples& src, int slots);

// The file rows that must be decoded before the piece of file rows f0 .. f1-1 is made.
int smooth_rows_needed(const SmoothJob& job, int f1);

// Makes the piece of file rows f0 .. f1-1 on `slots` band workers. k0, m0 and bartlett5 must be
// set.
void smooth_rows(SmoothJob& job, int f0, int f1);

// smooth_rows in parts, for callers that hand the chunks out themselves: smooth_prepare on one
// thread before any chunk starts, then smooth_chunk for chunks 0 .. smooth_chunk_count-1 in any
// order and on any threads, each with a slot that no other running chunk uses (each writes its
// own rows of the piece and reads only the file's bytes).
void smooth_prepare(SmoothJob& job, int f0, int f1);
int smooth_chunk_count(const SmoothJob& job);
void smooth_chunk(SmoothJob& job, int chunk, int slot);

// Lets the toolkit handle pending events.
void do_wait();

// The channel of the current smoothing pass over the loaded image: 0 red, 1 green, 2 blue.
extern int do_component;

// A 3 x 3 smoothing band worker over the loaded image, for a pass whose source (the squared
// channel) the caller has put in slot 3: every pixel of the band's rows gets, in slot
// do_component, the square root of the mean of slot 3 over its 3 x 3 window clipped to the image,
// with weights 1 2 1 / 2 k0 2 / 1 2 1 and the weights present as divisor. arg points to two ints,
// the band index k and the band count n: band k covers rows k*yres/n .. (k+1)*yres/n - 1. Returns
// 0.
//
// On entry k0 is divided by 1.1 for green and by 1.4 for blue; after a blue band it is set back to
// its value on entry, as a float. Before the middle row of its band the worker lets the toolkit
// handle events and then takes the image, k0 and do_component as they are then. Since it changes
// k0 and lets the toolkit in, the bands of a pass run one after another on the toolkit's thread.
// A band outside the count, an invalid loaded image or a channel other than 0 to 2 writes nothing.
int smooth_comp3(void* arg);
