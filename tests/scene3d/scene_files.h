// Files for the mesh and surface grid tests: real meshes from Debian packages (unpacked, never
// installed), meshes and grids written by the scripts beside this file, and admesh's report.
#pragma once
#include <string>
#include <vector>

// The folder the fixture packages (uranium-plugins, openscad-testing-data) are unpacked into,
// fetching them on first use; "" (with the reason in *error) when they cannot be had.
std::string debian_fixture_root(std::string* error);

// A script of tests/scene3d run by the system Python; its exit status.
int run_scene_script(const std::string& script, const std::string& args);

// What admesh reports for a mesh file: the facet count as read and the bounding box.
struct AdmeshReport {
  bool ok = false;
  long facets = 0;
  double min[3] = {0, 0, 0}, max[3] = {0, 0, 0};
};
AdmeshReport admesh_report(const std::string& path);
