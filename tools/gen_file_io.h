// Files in and out for the generators: a whole input file read, and an atomic write of a finished
// blob.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// Reads the whole file at path; false (with perror) when it cannot be read.
bool read_whole_file(const char* path, std::vector<unsigned char>* out);

// Writes `bytes` bytes from data to path through a temporary file renamed into place, so a failed
// run never leaves a partial blob behind. False (with perror) on failure.
bool write_file_atomic(const std::string& path, const void* data, size_t bytes);

// The same for data written to dir/name.
bool write_blob(const std::string& dir, const char* name, const std::vector<unsigned char>& data);
