// The Radiance RGBE picture codec over stdio streams: a text header, then pixels of four bytes (red,
// green and blue mantissas sharing one exponent), flat or run-length encoded per scanline.
// Pixels in memory are three floats each (red, green, blue), rows top first.
//
// Every function returns 0 on success and -1 on failure, after its message: write failures through
// perror("RGBE write error"), read failures through perror("RGBE read error"), format errors as
// "RGBE bad file format: <reason>" on standard error.
#pragma once
#include <cstdio>

// Bits of rgbe_header::flags: which optional fields hold a value.
enum { RGBE_VALID_PROGRAMTYPE = 1, RGBE_VALID_GAMMA = 2, RGBE_VALID_EXPOSURE = 4 };

// Filled by the caller for writing; the reader resets it and reads nothing into it.
struct rgbe_header {
  int flags;
  char program_type[16];  // need not be terminated when all 16 characters are used
  float gamma;
  float exposure;
};

// The longest header the reader accepts (all lines before the pixels together).
constexpr long RGBE_MAX_HEADER = 64 * 1024;
// Rows of this width range are run-length encoded; others are always flat.
constexpr int RGBE_RLE_MIN_WIDTH = 8;
constexpr int RGBE_RLE_MAX_WIDTH = 32767;

// One pixel to and from its four bytes. Channels that are negative or not a number encode as 0;
// values beyond the largest exponent are limited to the largest encodable value.
void rgbe_encode(unsigned char rgbe[4], float r, float g, float b);
void rgbe_decode(float rgb[3], const unsigned char rgbe[4]);

// The text of the last failure of any function below ("" before the first).
const char* rgbe_last_error();

int RGBE_WriteHeader(FILE* file, int width, int height, rgbe_header* header);
// Reads the header lines (at most RGBE_MAX_HEADER bytes): the first must begin with "#?"; the
// size comes from the resolution line ("-Y <rows> +X <columns>") that follows the blank line
// ending the header, or that stands in the header's place. Missing digits give 0. The stream is
// left at the first pixel byte. A header without that line fails ("missing image size"), as does
// a resolution line of another orientation ("unsupported orientation").
int RGBE_ReadHeader(FILE* file, int* width, int* height, rgbe_header* header);

int RGBE_WritePixels(FILE* file, const float* pixels, int count);
// Decodes count flat pixels; on a short read those that arrived are decoded and the call fails.
int RGBE_ReadPixels(FILE* file, float* pixels, int count);

// Run-length scanlines for widths RGBE_RLE_MIN_WIDTH..RGBE_RLE_MAX_WIDTH, flat pixels otherwise.
int RGBE_WritePixels_RLE(FILE* file, const float* pixels, int width, int rows);
// Reads rows scanlines; a scanline that does not start like a run-length one makes the rest of
// the picture flat. Rows decoded before a failure stay in pixels.
int RGBE_ReadPixels_RLE(FILE* file, float* pixels, int width, int rows);
