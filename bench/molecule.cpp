// Molecules on a 1000 x 800 canvas: ubiquitin (1ubq, 660 atoms), an NMR file of ten models (1d3z,
// 12,310 atoms) and 200 copies of 1ubq tiled in a lattice (132,000 atoms), each opened as a user
// opens it (file read, molecule read with bond perception, fit, frame, posting) and read alone;
// bond perception alone and one frame of the lattice; a drag step on 1d3z; and Open Babel reading
// the same files beside them, in the same run. The figures to hold (medians): 1ubq opened in
// 60 ms, 1d3z in 200 ms, the lattice in 500 ms with perception under 60 ms and a frame under
// 100 ms; a drag step under 50 ms.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "scene3d/bond_perception.h"
#include "scene3d/colour_map.h"
#include "scene3d/frame.h"
#include "scene3d/navigate.h"
#include "scene3d/read_molecule.h"
#include "scene3d/scene.h"
#include "support/bench_timing.h"
#include "support/headless.h"
#include "support/image_fixtures.h"
#include "support/reader_checks.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

const char kUbq[] = "/usr/share/freesasa/test-data/1ubq.pdb";
const char kNmr[] = "/usr/share/freesasa/test-data/1d3z.pdb";

// 1ubq's atom records repeated on a 5 x 5 x 8 lattice 45 A apart, serials wrapping after 99,999.
const std::string& lattice_file() {
  static const std::string path = [] {
    std::string out = fixture("lattice.pdb");
    Bytes src = read_file(kUbq);
    std::string text(src.begin(), src.end()), pdb;
    int serial = 0;
    for (int cx = 0; cx < 5; cx++)
      for (int cy = 0; cy < 5; cy++)
        for (int cz = 0; cz < 8; cz++) {
          size_t at = 0;
          while (at < text.size()) {
            size_t end = text.find('\n', at);
            if (end == std::string::npos) end = text.size();
            std::string line = text.substr(at, end - at);
            at = end + 1;
            if (line.compare(0, 6, "ATOM  ") != 0 && line.compare(0, 6, "HETATM") != 0) continue;
            double x = atof(line.substr(30, 8).c_str()) + 45 * cx;
            double y = atof(line.substr(38, 8).c_str()) + 45 * cy;
            double z = atof(line.substr(46, 8).c_str()) + 45 * cz;
            char head[16], xyz[32];
            snprintf(head, sizeof head, "%5d", serial++ % 99999 + 1);
            snprintf(xyz, sizeof xyz, "%8.3f%8.3f%8.3f", x, y, z);
            pdb += line.substr(0, 6) + head + line.substr(11, 19) + xyz + line.substr(54) + "\n";
          }
        }
    pdb += "END\n";
    write_file(out, Bytes(pdb.begin(), pdb.end()));
    return out;
  }();
  return path;
}

void setup() {
  if (!scene3d::CMap) scene3d::InitColorMap();
}

void read_file_bench(benchmark::State& state, const std::string& path) {
  setup();
  Bytes bytes = read_file(path);
  for (auto _ : state) {
    if (scene3d::read_molecule(path.c_str(), bytes.data(), (int64_t)bytes.size()) != 0) {
      state.SkipWithError(scene3d::mol_failure);
      return;
    }
  }
  state.counters["atoms"] = scene3d::n_atoms;
  state.counters["bonds"] = scene3d::n_bonds;
  scene3d::SetContent(0);
}

void BM_read_1ubq(benchmark::State& state) { read_file_bench(state, kUbq); }
void BM_read_1d3z(benchmark::State& state) { read_file_bench(state, kNmr); }
void BM_read_lattice(benchmark::State& state) { read_file_bench(state, lattice_file()); }

void open_bench(benchmark::State& state, const std::string& path) {
  headless_viewer(1000, 800);
  for (auto _ : state) {
    set_content_empty();
    open_as_user(path);
    if (content != CONTENT_PDB) return state.SkipWithError(("not opened: " + path).c_str());
  }
  state.counters["atoms"] = scene3d::n_atoms;
}
void BM_open_1ubq(benchmark::State& state) { open_bench(state, kUbq); }
void BM_open_1d3z(benchmark::State& state) { open_bench(state, kNmr); }
void BM_open_lattice(benchmark::State& state) { open_bench(state, lattice_file()); }

// One frame of the opened lattice, and a drag step (a turn rendered and posted) on 1d3z.
void BM_frame_lattice(benchmark::State& state) {
  headless_viewer(1000, 800);
  open_as_user(lattice_file());
  if (content != CONTENT_PDB) return state.SkipWithError("the lattice did not open");
  for (auto _ : state) benchmark::DoNotOptimize(scene3d::UpdatePaint(0, 0, 0, 0, 0, 0, 0, 0, 0));
}
void BM_drag_step_1d3z(benchmark::State& state) {
  headless_viewer(1000, 800);
  open_as_user(kNmr);
  if (content != CONTENT_PDB) return state.SkipWithError("1d3z did not open");
  for (auto _ : state) scene3d::srtm3_rotate(7, 4);
}

void BM_find_bonds_lattice(benchmark::State& state) {
  setup();
  Bytes bytes = read_file(lattice_file());
  scene3d::read_molecule("lattice.pdb", bytes.data(), (int64_t)bytes.size());
  for (auto _ : state) {
    scene3d::n_bonds = 0;
    scene3d::find_bonds(0);
  }
  state.counters["bonds"] = scene3d::n_bonds;
  scene3d::SetContent(0);
}

// Open Babel on the same files, timed around the whole command: reading (its bond perception
// included) and writing mol2; and reading alone (writing plain XYZ), since its mol2 writer takes
// time that grows with the square of the residues (about 4 minutes for the lattice).
void obabel_bench(benchmark::State& state, const std::string& path, const char* format) {
  std::string cmd = "obabel -ipdb " + path + " -o" + format + " -O /dev/null 2>/dev/null";
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    if (system(cmd.c_str()) != 0) {
      state.SkipWithError("obabel failed (Debian: openbabel)");
      return;
    }
    state.SetIterationTime(seconds_since(t0));
  }
}
void BM_obabel_1ubq_to_mol2(benchmark::State& state) { obabel_bench(state, kUbq, "mol2"); }
void BM_obabel_1d3z_to_mol2(benchmark::State& state) { obabel_bench(state, kNmr, "mol2"); }
void BM_obabel_lattice_to_xyz(benchmark::State& state) {
  obabel_bench(state, lattice_file(), "xyz");
}
void BM_obabel_lattice_to_mol2(benchmark::State& state) {
  obabel_bench(state, lattice_file(), "mol2");
}

BENCHMARK(BM_open_1ubq)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_open_1d3z)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_open_lattice)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_frame_lattice)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_drag_step_1d3z)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_read_1ubq)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_read_1d3z)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_read_lattice)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_find_bonds_lattice)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_obabel_1ubq_to_mol2)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_obabel_1d3z_to_mol2)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_obabel_lattice_to_xyz)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_obabel_lattice_to_mol2)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace
