// The JPEG reader's post-processing of the loaded image: the decoded samples to RGB in a squared
// domain, a 5 x 5 weighted mean whose change to each pixel is limited (it smooths the block
// edges of a compressed picture away), the square root back, and alpha 1.
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

// What slots 0, 1 and 2 of each pixel hold when the post-processing starts.
enum { SLOTS_YCBCR = 0,  // Y, Cb and Cr (Cb and Cr centred on 0), from YCbCr, grey and CMYK files
       SLOTS_RGB = 1 };  // red, green and blue as stored in an RGB file

// One picture being smoothed in place: img is w x h pixels of four floats, rows top first.
// Rows are done in order, each call of smooth_rows going on where the last one ended; the job
// keeps the converted rows that the next call's window needs from rows already overwritten.
struct SmoothJob {
  float* img;
  int w, h, slots, bands;
  int done;                  // rows 0 .. done-1 hold their final red, green, blue, 1
  int y0, y1;                // the rows smooth_prepare made ready for smooth_band
  std::vector<float> carry;  // the converted rows done-2 and done-1
  std::vector<float> carry_next;
  std::vector<float> scratch;
};

// Prepares a job for `bands` band workers (at least 1). Returns false when the scratch memory
// cannot be had.
bool smooth_begin(SmoothJob& job, float* img, int w, int h, int slots, int bands);

// Converts and smooths rows job.done .. y1-1 on the band workers: slots 0, 1 and 2 become red,
// green and blue, slot 3 becomes 1. k0, m0 and bartlett5 must be set. Rows up to y1+1 must
// hold their samples.
void smooth_rows(SmoothJob& job, int y1);

// smooth_rows in three parts, for callers that run the bands themselves: smooth_prepare on one
// thread before any band starts, then smooth_band for k = 0 .. bands-1 in any order and on any
// threads (the bands write disjoint rows and read only their own rows and the prepared ones),
// then smooth_finish once all have ended.
void smooth_prepare(SmoothJob& job, int y1);
void smooth_band(SmoothJob& job, int k);
void smooth_finish(SmoothJob& job);

// Lets the toolkit handle pending events.
void do_wait();
