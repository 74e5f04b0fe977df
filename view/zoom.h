// The zoom table and the composition of the loaded image onto the canvas.
#pragma once

// Chooses the zoom step at which a w x h picture fits a cw x ch canvas.
int find_best_zoom(int w, int h, int cw, int ch);

// Composes the loaded image at zoom step `step` and the pan offsets over the background.
void image2frame(int step);
