// GIF frames.
#pragma once

// frame: 1-based frame to decode, or -1 for the frame count; fit: choose the fitting zoom step;
// reset: only clear the reader's state. Returns 0 on success (or the count for frame -1).
int load_gif(int frame, int fit, int reset);
