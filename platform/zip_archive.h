// The first entry of a zip archive held in memory, read over libzip in four steps: open the
// archive, examine entry 0, extract it into a block the caller sized, close. Nothing is written
// and nothing is read from disk; the archive's bytes are not copied and must outlive the handle.
#pragma once
#include <cstdint>

struct ZipArchive;

// Null when the bytes are no archive libzip can read.
ZipArchive* zip_archive_open(const unsigned char* bytes, int64_t len);

// Entry 0 as the archive's directory declares it: its uncompressed size, -1 when not declared.
struct ZipEntry {
  int64_t size = -1;
};

// 1 when entry 0 was examined, 0 when the archive has no entries, -1 when it cannot be examined.
int zip_archive_stat_first(ZipArchive* z, ZipEntry* entry);

// Extracts entry 0 into out[0..size), size being the size zip_archive_stat_first declared. True
// when exactly that many bytes came out and the entry's check sum matched; false for damaged,
// encrypted or shorter data and for data that runs on past the declared size. Never writes
// beyond out + size.
bool zip_archive_extract_first(ZipArchive* z, unsigned char* out, int64_t size);

// Closes the archive (null is allowed).
void zip_archive_close(ZipArchive* z);
