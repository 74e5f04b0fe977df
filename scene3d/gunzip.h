// gzip data inflated in memory: one member or several written one after the other, as `cat`
// joins .gz files.
#pragma once
#include <cstdint>

namespace scene3d {

enum {
  GUNZIP_OK = 0,
  GUNZIP_DAMAGED,    // not gzip, or a member that does not inflate (bad data or check value)
  GUNZIP_TRUNCATED,  // the data ends inside a member
  GUNZIP_TOO_LARGE,  // the inflated data would exceed the cap
  GUNZIP_NO_MEMORY,
};

// Inflates the gzip data in[0 .. len) into a new block (*out, *out_len bytes; release it with
// free). Bytes after a member that do not start another member are ignored. The block never
// exceeds `cap` bytes. GUNZIP_OK, or one of the failures above with *out null.
int gunzip_bytes(const unsigned char* in, int64_t len, int64_t cap, unsigned char** out,
                 int64_t* out_len);

// What a gunzip failure means, for a message.
const char* gunzip_reason(int code);

}  // namespace scene3d
