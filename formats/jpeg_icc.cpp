// ICC profile markers, written and read through the library's marker calls.
#include "formats/jpeg_icc.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace {

constexpr int ICC_MARKER = JPEG_APP0 + 2;
constexpr unsigned ICC_OVERHEAD_LEN = 14;  // identifier, zero byte, sequence number, count
constexpr unsigned MAX_BYTES_IN_MARKER = 65533;  // a segment's 16-bit length counts itself
constexpr unsigned MAX_DATA_BYTES_IN_MARKER = MAX_BYTES_IN_MARKER - ICC_OVERHEAD_LEN;
constexpr unsigned MAX_CHUNKS = 255;  // the count is one byte
const char IDENTIFIER[12] = "ICC_PROFILE";  // with its zero byte

bool is_icc_marker(const jpeg_saved_marker_ptr m) {
  return m->marker == ICC_MARKER && m->data_length >= ICC_OVERHEAD_LEN &&
         memcmp(m->data, IDENTIFIER, sizeof IDENTIFIER) == 0;
}

}  // namespace

int write_icc_profile(jpeg_compress_struct* cinfo, const unsigned char* data, unsigned int length) {
  const unsigned long chunks =
      ((unsigned long)length + MAX_DATA_BYTES_IN_MARKER - 1) / MAX_DATA_BYTES_IN_MARKER;
  // A count that does not fit its byte would be written wrapped and the profile lost on reading.
  if (chunks > MAX_CHUNKS) {
    fprintf(stderr, "icc profile of %u bytes is too long for %u segments: not written\n", length,
            MAX_CHUNKS);
    return -1;
  }
  for (unsigned long k = 1; k <= chunks; k++) {
    unsigned n = length < MAX_DATA_BYTES_IN_MARKER ? length : MAX_DATA_BYTES_IN_MARKER;
    jpeg_write_m_header(cinfo, ICC_MARKER, n + ICC_OVERHEAD_LEN);
    for (unsigned char c : IDENTIFIER) jpeg_write_m_byte(cinfo, c);
    jpeg_write_m_byte(cinfo, (int)k);
    jpeg_write_m_byte(cinfo, (int)chunks);
    for (unsigned i = 0; i < n; i++) jpeg_write_m_byte(cinfo, *data++);
    length -= n;
  }
  return 0;
}

void setup_read_icc_profile(jpeg_decompress_struct* cinfo) {
  jpeg_save_markers(cinfo, ICC_MARKER, 0xFFFF);
}

int read_icc_profile(jpeg_decompress_struct* cinfo, unsigned char** data, unsigned int* length) {
  *data = nullptr;
  *length = 0;
  unsigned count = 0;
  bool seen[MAX_CHUNKS + 1] = {};
  unsigned chunk_length[MAX_CHUNKS + 1] = {}, offset[MAX_CHUNKS + 1] = {};
  for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next) {
    if (!is_icc_marker(m)) continue;
    unsigned n = m->data[13];
    if (count == 0)
      count = n;
    else if (count != n)
      return false;
    unsigned seq = m->data[12];
    if (seq == 0 || seq > count || seen[seq]) return false;
    seen[seq] = true;
    chunk_length[seq] = m->data_length - ICC_OVERHEAD_LEN;
  }
  if (count == 0) return false;
  unsigned total = 0;
  for (unsigned seq = 1; seq <= count; seq++) {
    if (!seen[seq]) return false;
    offset[seq] = total;
    total += chunk_length[seq];
  }
  if (total == 0) return false;
  unsigned char* block = (unsigned char*)malloc(total);
  if (!block) return false;
  for (jpeg_saved_marker_ptr m = cinfo->marker_list; m; m = m->next)
    if (is_icc_marker(m))
      memcpy(block + offset[m->data[12]], m->data + ICC_OVERHEAD_LEN,
             m->data_length - ICC_OVERHEAD_LEN);
  *data = block;
  *length = total;
  return true;
}
