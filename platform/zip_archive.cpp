#include "platform/zip_archive.h"

#include <zip.h>

#include <new>

struct ZipArchive {
  zip_t* zip;
};

ZipArchive* zip_archive_open(const unsigned char* bytes, int64_t len) {
  if (!bytes || len <= 0) return nullptr;
  zip_error_t error;
  zip_error_init(&error);
  zip_source_t* src = zip_source_buffer_create(bytes, (zip_uint64_t)len, 0, &error);
  zip_error_fini(&error);
  if (!src) return nullptr;
  zip_error_init(&error);
  zip_t* zip = zip_open_from_source(src, ZIP_RDONLY, &error);
  zip_error_fini(&error);
  if (!zip) {
    zip_source_free(src);
    return nullptr;
  }
  ZipArchive* z = new (std::nothrow) ZipArchive{zip};
  if (!z) zip_discard(zip);
  return z;
}

int zip_archive_stat_first(ZipArchive* z, ZipEntry* entry) {
  entry->size = -1;
  if (!z) return -1;
  zip_int64_t n = zip_get_num_entries(z->zip, 0);
  if (n == 0) return 0;
  if (n < 0) return -1;
  zip_stat_t st;
  zip_stat_init(&st);
  if (zip_stat_index(z->zip, 0, 0, &st) != 0) return -1;
  if ((st.valid & ZIP_STAT_SIZE) && st.size <= (zip_uint64_t)INT64_MAX) entry->size = (int64_t)st.size;
  return 1;
}

bool zip_archive_extract_first(ZipArchive* z, unsigned char* out, int64_t size) {
  if (!z || size < 0) return false;
  zip_file_t* f = zip_fopen_index(z->zip, 0, 0);
  if (!f) return false;
  int64_t got = 0;
  bool ok = true;
  while (got < size) {
    zip_int64_t n = zip_fread(f, out + got, (zip_uint64_t)(size - got));
    if (n <= 0) {
      ok = false;
      break;
    }
    got += n;
  }
  if (ok) {
    // One more read must find the end: only there does libzip compare the check sum, and data
    // past the declared size means the directory lied.
    unsigned char probe;
    ok = zip_fread(f, &probe, 1) == 0;
  }
  zip_fclose(f);
  return ok;
}

void zip_archive_close(ZipArchive* z) {
  if (!z) return;
  zip_discard(z->zip);
  delete z;
}
