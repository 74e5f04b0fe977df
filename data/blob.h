// Access to the blobs that data/*.S links into the program (see data/blob.inc).
#pragma once
#include <cstddef>

#define SUNCALC_BLOB(sym) extern "C" const unsigned char sym[], sym##_end[]
#define SUNCALC_BLOB_SIZE(sym) (static_cast<size_t>(sym##_end - sym))
