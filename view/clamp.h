// Colour values limited to 0..1 (a NaN passes through unchanged), for the colour code and the
// frame composer alike.
#pragma once

inline float clamp01(float c) { return c < 0.0f ? 0.0f : c > 1.0f ? 1.0f : c; }
