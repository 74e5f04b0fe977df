// A terrain tile file as the opener read it: the tile's samples (the file's own bytes, or entry 0
// of a zip archive), its kind and corner from the file's name and the samples' length, and the
// checks that refuse what is no tile before anything else is touched.
#pragma once
#include <cstdint>

#include "earth/srtm.h"

// The largest tile (4800 x 6000 samples): a zip entry declaring more is refused unextracted.
constexpr int64_t kSrtmLargestTile = 4800LL * 6000 * 2;
// The entry size refused in force: kSrtmLargestTile, lowered by the fuzz target so that no input
// makes one run inflate and show tens of megabytes.
extern int64_t srtm_entry_cap;

enum SrtmFileResult {
  SRTM_FILE_OK = 0,
  SRTM_FILE_GZIP,           // gzip data, which is not read
  SRTM_FILE_BAD_ARCHIVE,    // starts like a zip archive, but cannot be opened or examined
  SRTM_FILE_EMPTY_ARCHIVE,  // a zip archive without entries
  SRTM_FILE_BAD_ENTRY,      // entry 0 cannot be extracted (damaged, encrypted, size unknown)
  SRTM_FILE_LARGE_ENTRY,    // entry 0 declares more than srtm_entry_cap bytes
  SRTM_FILE_NOT_TILE,       // text, not samples
  SRTM_FILE_SHORT,          // fewer bytes than the tile's grid holds
  SRTM_FILE_NO_MEMORY,      // no block for the extracted entry
};

// The outcome of srtm_unpack. On success `samples` points at the tile's bytes (the caller's, or
// `entry`) and tile says what they hold; on failure `reason` says why, for the status line.
struct SrtmFile {
  SrtmTile tile = {};
  const unsigned char* samples = nullptr;
  int64_t length = 0;
  // The extracted entry (malloc'd) when the file was an archive; freed with the SrtmFile unless
  // taken over (then set it to null).
  unsigned char* entry = nullptr;
  char reason[400] = "";

  SrtmFile() = default;
  SrtmFile(const SrtmFile&) = delete;
  SrtmFile& operator=(const SrtmFile&) = delete;
  ~SrtmFile();
};

// Reads the tile file `name` (a path) held in bytes[0..len): gzip data is refused; a zip archive
// gives its entry 0, extracted only when it declares at most srtm_entry_cap bytes and then no
// more than it declares; the kind and corner come from the name and the length of the samples
// (so a packed one-arc-second tile is a 3601 x 3601 grid however small its archive). The
// samples must hold the whole grid; bytes beyond it are ignored. Touches no global state. The
// zip steps print their console lines as they fail.
SrtmFileResult srtm_unpack(const char* name, const unsigned char* bytes, int64_t len, SrtmFile* out);
