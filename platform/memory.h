// Large blocks of memory.
#pragma once
#include <cstddef>

// A block of n bytes for a large picture, or null. Blocks of several megabytes are placed so that
// the system can back them with large pages, which makes their first touch many times cheaper
// than page by page. Released with free().
void* plat_alloc_large(size_t n);
