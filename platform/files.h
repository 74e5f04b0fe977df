// Files that replace their target whole: written under a temporary name in the target's folder and
// renamed over it once complete, so that a failed write leaves the target as it was.
#pragma once
#include <cstdio>

// Creates a new, empty file for writing in the folder of `name`, under a unique hidden name, with
// the permission bits of `name` when it exists, else those fopen would give a new file. The
// temporary file's name goes to temp (size bytes). Null when it cannot be created.
FILE* plat_create_beside(const char* name, char* temp, int size);

// Closes the stream and, when every byte reached the file, renames the temporary file over
// `name`. Returns 0, or -1 with the temporary file removed.
int plat_replace_with(FILE* f, const char* temp, const char* name);

// Closes the stream and removes the temporary file.
void plat_discard(FILE* f, const char* temp);
