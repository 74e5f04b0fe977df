// Meshes and surface grids on a 1000 x 800 canvas: a torus of 100,000 facets written by
// tests/scene3d/stl_write.py, binary and ASCII, opened as a user opens it (file read, mesh read,
// fit, frame, posting), read alone, and turned by a drag step; a 2000 x 2000 surface grid opened
// and framed. admesh's reader (libadmesh, Debian's admesh) reads the same mesh files in the same
// run. The figures to hold (medians): mesh opened in 200 ms binary and 400 ms ASCII, a drag step
// in 50 ms; the grid opened in 2 s and framed in 100 ms.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "scene3d/navigate.h"
#include "scene3d/read_mesh.h"
#include "scene3d/scene.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "support/temp_dir.h"
#include "view/canvas.h"
#include "view/screen.h"

#ifdef HAVE_ADMESH
#include <admesh/stl.h>
#endif

namespace {

struct Files {
  TempDir dir{"bench_scene_files_"};
  std::string binary, ascii, grid;
  bool ok = false;
};

std::string script(const std::string& name) {
  const char* src = getenv("SUNCALC_SOURCE_DIR");
  return std::string(src && *src ? src : ".") + "/tests/scene3d/" + name;
}

const Files& files() {
  static Files f;
  static bool made = false;
  if (made) return f;
  made = true;
  headless_viewer(1000, 800);
  if (f.dir.path.empty()) return f;
  f.binary = f.dir.path + "/torus.stl";
  f.ascii = f.dir.path + "/torus_ascii.stl";
  f.grid = f.dir.path + "/grid.sdf";
  // 500 x 100 quads of two facets; edges of about 0.5, so the facets are not cut.
  f.ok = sh(std::string(python()) + " '" + script("stl_write.py") + "' torus '" + f.binary + "' '" +
            f.ascii + "' 500 100 30 10") == 0 &&
         sh(std::string(python()) + " '" + script("sdf_write.py") + "' '" + f.grid +
            "' 'SURFMT=1;L;B;{rows};{cols};{w};{h}' 2000 2000 100 100 --digits 3") == 0;
  return f;
}

void open_file(benchmark::State& state, const std::string& path, int kind) {
  const Files& f = files();
  if (!f.ok) return state.SkipWithError("the fixture scripts failed");
  for (auto _ : state) {
    set_content_empty();
    open_as_user(path);
    if (content != kind) return state.SkipWithError(("not opened: " + path).c_str());
  }
  state.counters["points"] = scene3d::n_atoms;
}

void BM_mesh_open_binary(benchmark::State& state) { open_file(state, files().binary, CONTENT_STL); }
BENCHMARK(BM_mesh_open_binary)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

void BM_mesh_open_ascii(benchmark::State& state) { open_file(state, files().ascii, CONTENT_STL); }
BENCHMARK(BM_mesh_open_ascii)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// The reading alone, from the file as it lies in the file buffer: what admesh's figure compares
// with.
void read_only(benchmark::State& state, const std::string& path) {
  const Files& f = files();
  if (!f.ok) return state.SkipWithError("the fixture scripts failed");
  put_file_buffer(read_file(path));
  for (auto _ : state) {
    scene3d::v.clear();
    scene3d::InitMolData();
    scene3d::StlReport report;
    if (scene3d::read_stl(bin_content, bin_allocated, &report))
      return state.SkipWithError(report.why);
    state.counters["facets"] = (double)report.facets;
  }
  scene3d::SetContent(0);
}
void BM_mesh_read_binary(benchmark::State& state) { read_only(state, files().binary); }
BENCHMARK(BM_mesh_read_binary)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
void BM_mesh_read_ascii(benchmark::State& state) { read_only(state, files().ascii); }
BENCHMARK(BM_mesh_read_ascii)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

#ifdef HAVE_ADMESH
// admesh reading the same file from disk (it reads by name), with the checks stl_open makes.
void admesh_read(benchmark::State& state, const std::string& path) {
  const Files& f = files();
  if (!f.ok) return state.SkipWithError("the fixture scripts failed");
  for (auto _ : state) {
    stl_file stl;
    stl_open(&stl, (char*)path.c_str());
    if (stl_get_error(&stl)) return state.SkipWithError("admesh could not read the mesh");
    state.counters["facets"] = stl.stats.number_of_facets;
    stl_close(&stl);
  }
}
void BM_admesh_read_binary(benchmark::State& state) { admesh_read(state, files().binary); }
BENCHMARK(BM_admesh_read_binary)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
void BM_admesh_read_ascii(benchmark::State& state) { admesh_read(state, files().ascii); }
BENCHMARK(BM_admesh_read_ascii)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
#endif

// One step of a drag over the opened mesh: a turn and a new frame, posted.
void BM_mesh_drag_step(benchmark::State& state) {
  const Files& f = files();
  if (!f.ok) return state.SkipWithError("the fixture scripts failed");
  open_as_user(f.binary);
  if (content != CONTENT_STL) return state.SkipWithError("the mesh did not open");
  for (auto _ : state) scene3d::srtm3_rotate(7, 4);
}
BENCHMARK(BM_mesh_drag_step)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

void BM_grid_open_2000(benchmark::State& state) { open_file(state, files().grid, CONTENT_SDF); }
BENCHMARK(BM_grid_open_2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// A frame of the opened grid, as a drag step renders it.
void BM_grid_frame_2000(benchmark::State& state) {
  const Files& f = files();
  if (!f.ok) return state.SkipWithError("the fixture scripts failed");
  open_as_user(f.grid);
  if (content != CONTENT_SDF) return state.SkipWithError("the grid did not open");
  for (auto _ : state) scene3d::srtm3_rotate(7, 4);
}
BENCHMARK(BM_grid_frame_2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace
