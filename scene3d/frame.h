// The frame driver: the one-time set-up, the fit of a new scene to the canvas and UpdatePaint,
// which turns the current scene into one picture in the loaded image: the points turned and
// projected (project.h), what the chunks of rows share prepared (draw_order.h, abuffer.h), then
// each chunk drawn (abuffer.h), lit (shade.h) and copied out. What a frame reads and leaves
// beside the scene store (camera, rotation, geometry, frame buffers) is in frame_state.h. All of
// it runs on the main thread; the workers it lends chunks of a step to are done before it goes
// on.
#pragma once

namespace scene3d {

// Set by the shared opener while a reader fills a new scene: UpdatePaint paints nothing then.
extern int scene_reading;
// 1 until DoInit has done its work.
extern int FirstTimeInit;

// First-time set-up (light, gamma and specular tables, colour map, start rotation, empty scene);
// works on the first call only. 0, or 1 when the colour map cannot be allocated.
int DoInit();

// Fits the camera and the pan to the scene: the projected scene is centred on the canvas and
// fills about 70 % of its limiting side; ClipDist ends positive and magn at 2.7. fit is what the
// callers pass (1.4) and is read only for the camera of a scene without points.
void AutoZoom(float fit);

// Renders one frame of W x H (w, h below 1: ClientX x ClientY) into the loaded image, rows
// bottom-up. keep_cells: the cells of the last frame are lit again, not drawn (when the buffers
// kept them); keep_rotation: the points are not turned again; skip_output: the loaded image is
// left alone. Returns 0, or 1 when nothing was painted (a size below 1, no memory for the frame
// buffers, or a loaded image smaller than the canvas); then the loaded image is as it was.
int UpdatePaint(int w, int h, int keep_cells, int keep_rotation, int /*unused*/, int /*unused*/,
                int /*unused*/, int skip_output, int /*unused*/);
// The drawing step alone, at the cell sizes and centre the geometry globals hold (use_x x use_y
// cells, centred at xcenter + dispX, ycenter + dispY): the points projected, what the chunks
// share prepared, every chunk cleared and drawn (pass 1: into A2buffer). The frame buffers must
// hold that many rows, as after a frame of at least that size; the working storage and the room
// to order the scene are made here (when memory is short, the status line says so and nothing is
// drawn).
void abuf_mt(int pass);
void PaintNew(int keep_cells, int keep_rotation, int extra);
void ResetView();

// Makes the frame buffers fit cols x rows cells (see frame.cpp for the keep rule). 0, or 1 when
// they cannot be allocated (then there are none, and *keep_flag is 0).
int ReallocGraMem(int cols, int rows, int* xres, int* yres, int* lit_rows, int* keep_flag);

}  // namespace scene3d
