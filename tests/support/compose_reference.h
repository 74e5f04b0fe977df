// A plain per-pixel composer written straight from the composition rules, with none of the
// production composer's row set-up, so tests can check the fast one bit for bit.
#pragma once

// Composes the w x h RGBA picture `img` into the W x H RGBA `canvas` at zoom step `step` with
// pan (sx, sy) and colour mode `mode`, pixel by pixel. Channel 4 of the canvas is left as it was
// wherever the rules leave it.
void reference_compose(int step, int sx, int sy, const float* img, int w, int h, float* canvas,
                       int W, int H, int mode);
