#include "scene3d/gunzip.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "scene3d/scene_alloc.h"

namespace scene3d {

namespace {

bool member_starts(const unsigned char* p, int64_t left) {
  return left >= 2 && p[0] == 0x1f && p[1] == 0x8b;
}

// Makes the block hold at least `need` bytes, doubling it (never beyond cap). False when it
// would exceed cap or cannot be allocated.
bool reserve(unsigned char** block, int64_t* size, int64_t need, int64_t cap, int* code) {
  if (need <= *size) return true;
  if (need > cap) {
    *code = GUNZIP_TOO_LARGE;
    return false;
  }
  int64_t n = *size > 0 ? *size : 65536;
  while (n < need) n *= 2;
  if (n > cap) n = cap;
  unsigned char* p = (unsigned char*)scene_malloc((uint64_t)n);
  if (!p) {
    *code = GUNZIP_NO_MEMORY;
    return false;
  }
  if (*block) {
    memcpy(p, *block, (size_t)*size);
    free(*block);
  }
  *block = p;
  *size = n;
  return true;
}

}  // namespace

const char* gunzip_reason(int code) {
  switch (code) {
    case GUNZIP_OK:
      return "no failure";
    case GUNZIP_DAMAGED:
      return "damaged gzip data";
    case GUNZIP_TRUNCATED:
      return "gzip data ends early";
    case GUNZIP_TOO_LARGE:
      return "too large when inflated";
    default:
      return "not enough memory to inflate";
  }
}

int gunzip_bytes(const unsigned char* in, int64_t len, int64_t cap, unsigned char** out,
                 int64_t* out_len) {
  *out = nullptr;
  *out_len = 0;
  if (!in || len <= 0 || !member_starts(in, len)) return GUNZIP_DAMAGED;
  z_stream zs;
  memset(&zs, 0, sizeof zs);
  if (inflateInit2(&zs, 16 + MAX_WBITS) != Z_OK) return GUNZIP_NO_MEMORY;

  unsigned char* block = nullptr;
  int64_t size = 0, used = 0, pos = 0;
  int code = GUNZIP_OK;
  // zlib counts in 32-bit units: the input goes in slices, the output into windows of the block.
  const int64_t slice = 1 << 30;
  for (;;) {
    if (zs.avail_in == 0 && pos < len) {
      int64_t take = len - pos < slice ? len - pos : slice;
      zs.next_in = const_cast<unsigned char*>(in + pos);
      zs.avail_in = (uInt)take;
      pos += take;
    }
    if (used == size && !reserve(&block, &size, used + 1, cap, &code)) break;
    int64_t room = size - used < slice ? size - used : slice;
    zs.next_out = block + used;
    zs.avail_out = (uInt)room;
    int r = inflate(&zs, Z_NO_FLUSH);
    used += room - (int64_t)zs.avail_out;
    if (r == Z_STREAM_END) {
      int64_t rest = (int64_t)zs.avail_in + (len - pos);
      const unsigned char* next = zs.next_in;
      if (zs.avail_in == 0 && pos < len) next = in + pos;
      if (!member_starts(next, rest)) break;
      if (zs.avail_in == 0) {
        int64_t take = len - pos < slice ? len - pos : slice;
        zs.next_in = const_cast<unsigned char*>(in + pos);
        zs.avail_in = (uInt)take;
        pos += take;
      }
      inflateReset(&zs);
      continue;
    }
    if (r == Z_OK) continue;
    if (r == Z_BUF_ERROR) {
      // No progress: it needs room or input; with neither missing, the member is cut short.
      if (zs.avail_out == 0 || (zs.avail_in == 0 && pos < len)) continue;
      code = zs.avail_in == 0 ? GUNZIP_TRUNCATED : GUNZIP_DAMAGED;
      break;
    }
    code = r == Z_MEM_ERROR ? GUNZIP_NO_MEMORY : GUNZIP_DAMAGED;
    break;
  }
  inflateEnd(&zs);
  if (code != GUNZIP_OK) {
    free(block);
    return code;
  }
  *out = block;
  *out_len = used;
  return GUNZIP_OK;
}

}  // namespace scene3d
