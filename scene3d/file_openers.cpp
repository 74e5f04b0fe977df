// The openers of 3D scene files. Each shows the new scene only when it was read whole; otherwise
// the status line says why and the view stays as it was.
#include "scene3d/file_openers.h"

#include <cstdio>

#include "scene3d/read_mesh.h"
#include "scene3d/read_molecule.h"
#include "scene3d/read_surface_grid.h"
#include "scene3d/scene_open.h"
#include "scene3d/terrain_scene.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace scene3d {

int old_render(const char* path, int surface, int molecule, int mesh) {
  if (surface) return scene_open([path] { return OpenSdfFile(path, 0); });
  if (molecule) return scene_open([path] { return OpenMolFile(path); });
  if (mesh) return scene_open([path] { return OpenStlFile(path); });
  const TerrainGrid grid =
      terrain_grid(srtm_classify(path, bin_allocated), bin_content, bin_allocated);
  return scene_open([&grid] { return terrain_scene(grid); });
}

}  // namespace scene3d

// Posting the picture clears the status line: a note on what could not be read comes after.
static int shown_with_note(int result, const char* note) {
  if (result == 0 && *note) set_status(note);
  return result;
}

int load_stl(const char* name) {
  return shown_with_note(scene3d::old_render(name, 0, 0, 1), scene3d::stl_note);
}

int load_sdf(const char* name) {
  printf("%s\n", name);
  // Compressed grids are not read: saying so beats the "no header" a gzip stream would get.
  if (bin_allocated > 0 && bin_content && bin_content[0] == 0x1F) {
    printf("zip format not supported\n");
    set_status("zip format not supported");
    return 1;
  }
  return shown_with_note(scene3d::old_render(name, 1, 0, 0), scene3d::sdf_note);
}

int load_mypdb(const char* name) {
  int r = scene3d::scene_open(
      [name] { return scene3d::open_molecule_bytes(name, bin_content, bin_allocated); });
  return shown_with_note(r, scene3d::mol_note);
}
