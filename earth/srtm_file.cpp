// Taking a tile's samples out of the file that holds them.
#include "earth/srtm_file.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/zip_archive.h"

int64_t srtm_entry_cap = kSrtmLargestTile;

SrtmFile::~SrtmFile() { free(entry); }

namespace {

const char* base_name(const char* path) {
  const char* base = path;
  for (const char* p = path; *p; p++)
    if (*p == '/' || *p == '\\') base = p + 1;
  return base;
}

SrtmFileResult fail(SrtmFile* out, SrtmFileResult r, const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  vsnprintf(out->reason, sizeof out->reason, format, ap);
  va_end(ap);
  return r;
}

// Text rather than samples: in a tile every sample whose high byte is a printable character is
// 8192 m or more, so a run of printable bytes at the start is no tile (a row of sea is zeros).
bool looks_like_text(const unsigned char* b, int64_t len) {
  const int64_t n = len < 256 ? len : 256;
  if (n <= 0) return false;
  for (int64_t i = 0; i < n; i++) {
    unsigned char c = b[i];
    if (!(c >= 0x20 && c < 0x7F) && c != '\t' && c != '\n' && c != '\r') return false;
  }
  return true;
}

SrtmFileResult extract(const char* name, const unsigned char* bytes, int64_t len, SrtmFile* out) {
  ZipArchive* z = zip_archive_open(bytes, len);
  if (!z) return fail(out, SRTM_FILE_BAD_ARCHIVE, "unreadable archive: %s", name);
  ZipEntry e;
  int st = zip_archive_stat_first(z, &e);
  if (st <= 0) {
    zip_archive_close(z);
    if (st == 0) return fail(out, SRTM_FILE_EMPTY_ARCHIVE, "empty archive: %s", name);
    printf("mz_zip_reader_file_stat() failed!\n");
    return fail(out, SRTM_FILE_BAD_ARCHIVE, "unreadable archive: %s", name);
  }
  if (e.size > srtm_entry_cap) {
    zip_archive_close(z);
    return fail(out, SRTM_FILE_LARGE_ENTRY,
                "archive entry of %lld bytes, more than the largest tile (%lld): %s",
                (long long)e.size, (long long)srtm_entry_cap, name);
  }
  if (e.size < 0) {
    zip_archive_close(z);
    printf("mz_zip_reader_extract_file_to_heap() failed!\n");
    return fail(out, SRTM_FILE_BAD_ENTRY, "archive entry of unknown size: %s", name);
  }
  unsigned char* block = (unsigned char*)malloc(e.size > 0 ? (size_t)e.size : 1);
  if (!block) {
    zip_archive_close(z);
    printf("memory error (bin)\n");
    return fail(out, SRTM_FILE_NO_MEMORY, "memory error (bin): %s", name);
  }
  bool ok = zip_archive_extract_first(z, block, e.size);
  zip_archive_close(z);
  if (!ok) {
    free(block);
    printf("mz_zip_reader_extract_file_to_heap() failed!\n");
    return fail(out, SRTM_FILE_BAD_ENTRY, "damaged archive entry: %s", name);
  }
  out->entry = block;
  out->samples = block;
  out->length = e.size;
  return SRTM_FILE_OK;
}

}  // namespace

SrtmFileResult srtm_unpack(const char* path, const unsigned char* bytes, int64_t len, SrtmFile* out) {
  free(out->entry);
  out->entry = nullptr;
  out->samples = nullptr;
  out->length = 0;
  out->reason[0] = 0;
  const char* name = base_name(path);
  if (len < 0) len = 0;
  if (len >= 1 && bytes[0] == 0x1F)
    return fail(out, SRTM_FILE_GZIP, "gzip data, not read (tiles are read bare or zipped): %s",
                name);
  if (len >= 2 && bytes[0] == 'P' && bytes[1] == 'K') {
    SrtmFileResult r = extract(name, bytes, len, out);
    if (r != SRTM_FILE_OK) return r;
  } else {
    out->samples = bytes;
    out->length = len;
  }
  out->tile = srtm_classify(path, out->length);
  if (looks_like_text(out->samples, out->length))
    return fail(out, SRTM_FILE_NOT_TILE, "not a terrain tile (text): %s", name);
  const int64_t need = 2LL * out->tile.n_cols * out->tile.n_rows;
  if (out->length < need)
    return fail(out, SRTM_FILE_SHORT, "short file: %lld bytes, a %d x %d tile needs %lld: %s",
                (long long)out->length, out->tile.n_cols, out->tile.n_rows, (long long)need, name);
  return SRTM_FILE_OK;
}
