// Readers still to come. Each one's module replaces its stub here.
#include "scene3d/scene_open.h"

namespace scene3d {

int OpenMolFile(const char*) { return scene_fail("molecules cannot be shown yet"); }

}  // namespace scene3d
