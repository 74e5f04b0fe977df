// The openers of 3D scene files: the scene entry, which picks a file's reader, and the openers of
// the files held in the file buffer; name is the file's path (for messages). 0 when the scene is
// shown; otherwise the status line says why and the view stays as it was.
#pragma once

int load_stl(const char* name);
int load_sdf(const char* name);
int load_mypdb(const char* name);

namespace scene3d {

// The scene entry: records the canvas as the frame size, sets up the renderer once and reads
// the file `path` with the first reader whose flag is set (OpenSdfFile, OpenMolFile,
// OpenStlFile: each follows the reader contract of scene_open.h) or, with no flag, builds the
// terrain scene (terrain_scene.h) of the tile that the file buffer holds under the name `path`;
// then shows it as scene_open does. 0, or 1 when nothing new is shown.
int old_render(const char* path, int surface, int molecule, int mesh);

}  // namespace scene3d
