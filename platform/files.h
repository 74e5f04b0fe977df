// Files read whole, and files that replace their target whole: written under a temporary name in
// the target's folder and renamed over it once complete, so that a failed write leaves the target
// as it was.
#pragma once
#include <cstdint>
#include <cstdio>
#include <functional>

// What plat_read_whole made of a file.
enum PlatReadResult {
  PLAT_READ_OK = 0,
  PLAT_READ_CANNOT_OPEN = 1,  // no such file, not a regular file, or not readable
  PLAT_READ_TOO_LARGE = 2,    // longer than the most the caller takes
  PLAT_READ_NO_ROOM = 3,      // room gave no block
};

// Reads the regular file `path` whole into the block room(length) gives (length may be 0; the
// block holds at least length bytes; null when there is no room). Only a regular file is opened:
// a directory cannot be read as one, and a pipe or device could wait for ever. The length is
// taken from the opened file, so that a file replaced in between cannot mislead the read, and a
// file longer than max_bytes is refused before room is asked. *length is the file's length
// (also when it is too large), *got the bytes read: fewer when the file ended early or a read
// failed, and the rest of the block is then zeros.
PlatReadResult plat_read_whole(const char* path, int64_t max_bytes,
                               const std::function<unsigned char*(int64_t length)>& room,
                               int64_t* length, int64_t* got);

// Creates a new, empty file for writing in the folder of `name`, under a unique hidden name, with
// the permission bits of `name` when it exists, else those fopen would give a new file. The
// temporary file's name goes to temp (size bytes). Null when it cannot be created.
FILE* plat_create_beside(const char* name, char* temp, int size);

// Closes the stream and, when every byte reached the file, renames the temporary file over
// `name`. Returns 0, or -1 with the temporary file removed.
int plat_replace_with(FILE* f, const char* temp, const char* name);

// Closes the stream and removes the temporary file.
void plat_discard(FILE* f, const char* temp);
