// ICC colour profiles in JPEG files. A profile is cut into chunks of at most 65,519 bytes, each
// in an APP2 segment whose payload is "ICC_PROFILE", a zero byte, the chunk's sequence number
// (from 1), the number of chunks (at most 255) and the chunk's bytes.
#pragma once

struct jpeg_compress_struct;
struct jpeg_decompress_struct;

// Writes a profile of `length` bytes as consecutive APP2 segments; call it after
// jpeg_start_compress and before the first scan line. A profile of 0 bytes writes nothing.
// Returns 0, or -1 for a profile longer than 255 chunks carry (16,707,345 bytes): then nothing is
// written and the message goes to the error stream.
int write_icc_profile(jpeg_compress_struct* cinfo, const unsigned char* data, unsigned int length);

// Asks the decompressor to keep every APP2 segment whole; call it before jpeg_read_header.
void setup_read_icc_profile(jpeg_decompress_struct* cinfo);

// After jpeg_read_header: joins the profile's chunks from the kept segments into one block from
// malloc, which the caller frees. APP2 segments of other kinds are passed over. Returns true with
// *data and *length set; false, with *data null and *length 0, when there is no profile or its
// chunks disagree (different counts, a sequence number repeated, missing or out of range, no
// bytes at all) or memory ran out.
int read_icc_profile(jpeg_decompress_struct* cinfo, unsigned char** data, unsigned int* length);
