// MacPaint pictures: 576 x 720 pixels of one bit (set is black), 72 bytes a row, the rows coded
// with PackBits runs. load_mac reads them from a bare MacPaint file; the BinHex reader from the
// data fork it unpacks.
#pragma once
#include "formats/reader.h"

constexpr int MACPAINT_W = 576, MACPAINT_H = 720;
// The MacPaint document header that comes before the coded rows.
constexpr int MACPAINT_HEADER = 512;

// Sizes the loaded image for a picture and fills it grey, so rows a file does not give show grey.
// Returns false after a failed allocation (img_allocated is then -1).
bool start_macpaint_image();

// Decodes coded rows from c into the loaded image: a header byte h below 128 is followed by h + 1
// literal bytes, one above 128 by a byte repeated 257 - h times, and 128 by a byte repeated
// `repeats_of_128` times. Returns true when all 720 rows were given before the data ended.
bool decode_macpaint_rows(Cursor& c, int repeats_of_128);

// Reads a bare MacPaint file from the file buffer into the loaded image and posts it. Always
// returns 0: the one refusal (no memory) leaves the error canvas.
int load_mac();
