// Files in and out for the image generators: a bounded JPEG decode to packed RGB and an atomic
// write of a finished blob.
#pragma once
#include <string>
#include <vector>

// Decodes the JPEG file at path into packed RGB rows, top first (libjpeg's accurate integer
// transform, so the bytes are the same on every run with the same library). Refuses, with a
// message in *error, a file that is not a JPEG, is damaged, or whose size is not within
// max_w x max_h.
bool decode_jpeg_rgb(const char* path, int max_w, int max_h, std::vector<unsigned char>* rgb,
                     int* w, int* h, std::string* error);

// Reads the whole file at path; false (with perror) when it cannot be read.
bool read_whole_file(const char* path, std::vector<unsigned char>* out);

// Writes data to dir/name through a temporary file renamed into place, so a failed run never
// leaves a partial blob behind. False (with perror) on failure.
bool write_blob(const std::string& dir, const char* name, const std::vector<unsigned char>& data);
