// Readers still to come. Each one's module replaces its stub here.
#include "scene3d/scene_open.h"

namespace scene3d {

int OpenSdfFile(const char*, int) { return scene_fail("surface grids cannot be shown yet"); }

int OpenMolFile(const char*) { return scene_fail("molecules cannot be shown yet"); }

int OpenStlFile(const char*) { return scene_fail("meshes cannot be shown yet"); }

}  // namespace scene3d
