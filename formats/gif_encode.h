// GIF89a writer: an LZW compressor with the blocks a file is made of. The compressor keeps its
// state in the module, so one encoding runs at a time.
//
// A one-image file: GIFEncode, then Gif_end. A file of several images: TrueGif_start, optionally
// NetscapeExt, then per image GraphicsExt, the caller's own image descriptor (with a local colour
// table) and code size byte, do_gif_compress and a 0 terminator byte; Gif_end last.
//
// Every writer returns 0, or -1 when the stream reported an error or the arguments cannot be
// written (nothing is written then).
#pragma once
#include <cstdio>

// The colour index of pixel (x, y), rows top first; v is the value the caller set for the block.
// -1 ends the image early. An index the code size cannot carry (at or above 2^code size, or
// below -1) ends the image too, with a message on the error stream.
using gif_pixel_fn = int (*)(int x, int y, int v);

// Writes the header, a global colour table of 2^bits_per_pixel entries, all black (the call takes
// no palette: what it writes are the indices), a Graphic Control Extension (GraphicsExt with
// delay 0), the image descriptor and the image data, ending with the block terminator but no
// trailer. Rows are fetched in interlaced order when `interlace` is set. Sides of 0 to 65,535 and
// 1 to 8 bits per pixel are written; anything else is refused. The pixel function's third
// argument is the value of the last do_gif_compress (0 before any).
int GIFEncode(FILE* stream, int width, int height, int interlace, int background,
              int bits_per_pixel, gif_pixel_fn get_pixel, int transparent);

// The header of a multi-image file: logical screen width x height, no global colour table.
int TrueGif_start(FILE* stream, int width, int height, int interlace);

// A Graphic Control Extension for the next image: disposal 2, `delay` in hundredths of a second,
// index 255 transparent when `transparent` is set.
int GraphicsExt(int transparent, int delay, FILE* stream);

// The looping application extension: for ever when `loop_forever` is set, else once.
int NetscapeExt(FILE* stream, int loop_forever);

// The LZW data of one width x height image in row order, initial code width init_bits (3 to 9,
// one more than the code size byte the caller wrote), with v handed to every pixel call.
int do_gif_compress(int width, int height, int init_bits, FILE* stream, gif_pixel_fn get_pixel,
                    int v);

// A pixel source for do_gif_compress: a counter that starts at 0 when the program starts, is never
// reset and advances by one a call; it returns the counter modulo 256.
int TrueGetPixel(int x, int y, int v);

// The trailer; flushes the stream.
int Gif_end(FILE* stream);

// rows pointers into one block of rows x columns x size bytes, row i at byte i x columns x size.
// Release with free(array[0]) and free(array). Null ("out of memory" on the error stream) when
// either allocation fails; null also for rows < 1, columns < 0 or size < 1.
char** pm_allocarray(int columns, int rows, int size);
