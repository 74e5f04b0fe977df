#include "scene_files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "support/image_fixtures.h"

namespace {

std::string source_dir() {
  const char* src = getenv("SUNCALC_SOURCE_DIR");
  return src && *src ? src : ".";
}

}  // namespace

std::string debian_fixture_root(std::string* error) {
  const char* build = getenv("SUNCALC_BUILD_DIR");
  std::string root = std::string(build && *build ? build : "/tmp") + "/debian-fixtures";
  std::string cmd = "sh '" + source_dir() + "/tests/scene3d/debian_packages.sh' '" + root +
                    "' uranium-plugins openscad-testing-data";
  if (sh(cmd) != 0) {
    *error = "the fixture packages could not be fetched (" + cmd + ")";
    return "";
  }
  return root;
}

int run_scene_script(const std::string& script, const std::string& args) {
  return sh("/usr/bin/python3 '" + source_dir() + "/tests/scene3d/" + script + "' " + args);
}

AdmeshReport admesh_report(const std::string& path) {
  AdmeshReport r;
  std::string out = sh_out("admesh '" + path + "' 2>/dev/null");
  std::istringstream lines(out);
  std::string line;
  int boxes = 0;
  while (std::getline(lines, line)) {
    double lo, hi;
    char axis;
    if (sscanf(line.c_str(), "Min %c = %lf, Max %*c = %lf", &axis, &lo, &hi) == 3 && axis >= 'X' &&
        axis <= 'Z') {
      r.min[axis - 'X'] = lo, r.max[axis - 'X'] = hi;
      boxes++;
    }
    long n;
    if (sscanf(line.c_str(), "Number of facets : %ld", &n) == 1) r.facets = n;
  }
  r.ok = boxes == 3 && r.facets > 0;
  return r;
}
