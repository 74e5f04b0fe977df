// The way into a 3D scene: the flow that every opener shares (the scene entry old_render and the
// openers in scene3d/file_openers.h go through it). A new scene is read while the shown one waits;
// only a scene that was read whole becomes current, and is then fitted to the canvas, rendered
// into the loaded image and posted. When reading or rendering fails, the status line says why and
// the picture, the scene and everything a frame of it depends on stay as they were (the title and
// the content kind are the caller's: it changes them only after a 0).
//
// A reader (the callable given to scene_open) runs on the main thread and finds an empty store
// (content 0), the radius table as built (ElemRad = ElemRadBack, RadMagn 1), ambientterm 0.2, no
// grid description (zmat_* 0, isXYZ2d and isXYZ2d_mat 0) and UseBall 1; the rotation, colSelection
// and show_surface / show_triangles are as the shown scene left them. It
//   - starts the scene with InitMolData() and adds its points (a point is counted only when
//     AddBall stored it; append_grid_point counts it itself);
//   - sets show_surface / show_triangles, the grid description, the radii (RadiusElement), the
//     scheme code and calls ColorUpdate(), and ambientterm where it wants another;
//   - returns 0, or `return scene_fail("...", ...)` with the reason for the status line.
// It does not call AutoZoom or UpdatePaint: the flow does (UpdatePaint paints nothing while a
// reader runs). A scene without points counts as a failure.
#pragma once
#include <functional>

namespace scene3d {

using SceneReader = std::function<int()>;

// Reads a scene with `read` into a new store and shows it (see above). 0, or 1 when nothing new
// is shown.
int scene_open(const SceneReader& read);

// Records the reason a reading failed (printf format; also printed on the console) and returns
// 1. The last reason wins.
int scene_fail(const char* format, ...);

// The last part of a path: what the readers' reasons name a file by.
const char* file_part(const char* path);

// True while a reader runs when the scene shown before was a terrain tile.
bool previous_scene_terrain();

}  // namespace scene3d
