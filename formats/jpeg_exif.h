// The orientation a JPEG file asks to be shown in, from the EXIF Orientation tag.
#pragma once
#include <cstdint>

// Walks the markers at the start of a JPEG held in data[0 .. size-1] and returns the EXIF
// orientation, 1 to 8 (1 when the file says nothing usable). Call it only for data that start
// with 0xFF 0xD8. APP0, APP2, APP13, DQT and SOF0 segments are stepped over; an APP1 that holds
// an Exif block sets the orientation from tag 0x0112 of IFD0 (Intel or Motorola byte order), or
// 1 when that IFD has no such tag; any other APP1 ends the walk. Any other marker ends the walk
// after printing "app ver = %d\n" with the marker byte. Every read stays inside the data.
int jpeg_orientation(const unsigned char* data, int64_t size);
