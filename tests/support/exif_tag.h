// Exif orientation tags added to JPEG files by hand, for the reader's tests and benchmarks.
#pragma once
#include <vector>

// The same JPEG with an Exif block (Intel order, IFD0 holding only Orientation = k) right after
// its start marker.
std::vector<unsigned char> with_orientation_tag(const std::vector<unsigned char>& jpg, int k);
