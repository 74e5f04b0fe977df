// A bounded JPEG decode to packed RGB for the image generators.
#pragma once
#include <string>
#include <vector>

// Decodes the JPEG file at path into packed RGB rows, top first (libjpeg's accurate integer
// transform, so the bytes are the same on every run with the same library). Refuses, with a
// message in *error, a file that is not a JPEG, is damaged, or whose size is not within
// max_w x max_h.
bool decode_jpeg_rgb(const char* path, int max_w, int max_h, std::vector<unsigned char>* rgb,
                     int* w, int* h, std::string* error);
