// Brightness, contrast and the quarter turns of the loaded image. The panel (app/panel.cpp)
// decides which content kind a press acts on; these do the image's part.
#pragma once

enum adjust_op { DARKER, BRIGHTER, FLATTER, STEEPER };

// Rewrites every pixel's HSV value of the loaded image in place (so presses accumulate): darker
// or brighter by an exponential step within 0.02..0.98, flatter or steeper through the contrast
// curves. False, with nothing changed, when there is no valid loaded image.
bool adjust_loaded_image(adjust_op op);

// Turns the W x H loaded image into an H x W one and posts it. False when there is no valid
// loaded image, or when the scratch block cannot be had (then the picture stays as it was and
// the status line says so).
bool turn_loaded_image(bool left);

// The steeper and the flatter contrast curve for a value v in 0..1; both keep 0 and 1.
double s_shape_plus(double v);
double s_shape_minus(double v);
