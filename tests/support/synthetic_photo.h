// A photo-like picture for the JPEG benchmarks: smooth light and colour gradients, edges, fine
// texture and sensor-like noise, so that the entropy-coded data are about as dense as a camera's.
#pragma once
#include <cstdint>

// Writes row y of a w x h picture as packed RGB bytes. The noise comes from *seed, which the
// caller starts at 12345 and carries from row to row, so a whole picture is the same every time.
void synthetic_photo_row(int y, int w, int h, uint32_t* seed, unsigned char* rgb);
