// The 3D view driver.
#pragma once

// Follows a change of the canvas size with a new frame of the 3D scene.
void old_resize(int w, int h);
