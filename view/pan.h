// Where the loaded image's view stands over the canvas: the pan carried across a zoom step and
// kept within the picture. The panel and the picture widget (app/) move the view through these.
#pragma once

// Moves the loaded image's view to zoom step `to`, carrying the pan along about the canvas
// centre: when `recentre_fitting`, the pan is first cleared on each axis where the picture then
// fits; the rest is scaled by new/old shown size (0 when the old size is 0) and kept within
// half the overflow where the picture is larger than the canvas.
void zoom_to_step(int to, bool recentre_fitting);

// The pan along one axis after a move: 0 when the picture side (at the current step's scale,
// without the rounding term) fits the canvas side, else `shift` kept within 10 pixels beyond
// the picture's edges.
int limit_pan(int shift, int image_side, int canvas_side);
