// GIF pictures (87a and 89a) and the frames of animated ones.
#pragma once
#include <cstdio>

// The RGBA bytes of the GIF image last decoded, rows top first, stride its width; alpha 0 marks a
// transparent pixel (and pixels that damaged data left undecoded), 255 every other. Made by
// ReadGIF; load_gif reads and releases it after every call.
extern unsigned char* gif_frame;

// Images whose data has been LZW-decoded since the program started (what opening and stepping
// cost; the tests check it).
extern int gif_images_decoded;

// Decodes image n (1-based, in file order) of the GIF in data (length bytes; length 0 reads the GIF
// from stream instead) into gif_frame. frame_w and frame_h receive the logical screen's size, then
// the image's size when image n exists, left and top its place on the screen; delay receives ten
// times the file's last frame delay (milliseconds), 0 when there is none. Returns 0 when image n
// exists or n <= 0, -1 when it does not (or the header is cut short), 1 when the data is not a GIF.
// Diagnostics go to standard output.
int ReadGIF(FILE* stream, int n, int* left, int* top, int* frame_w, int* frame_h, int* delay,
            int length, const unsigned char* data);

// The frame loader over the file buffer. reset: clears the loader's state (the opener does so for
// every newly opened GIF) and returns 0. frame -1: counts the frames and returns the count, or 1
// for a file of several frames without any delay (a layered still: showing frame 1 then draws
// every frame over it). frame k >= 1: shows frame k on the logical screen and posts it with `fit`
// as the recentre flag; returns 0, -1 when there is no frame k, 1 when the file is not a GIF, 2
// when memory ran out, 3 when the screen is too large. Opening and stepping decode one frame each:
// the file is indexed once after a reset.
int load_gif(int frame, int fit, int reset);
