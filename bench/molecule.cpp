// Reading molecules: ubiquitin (1ubq, 660 atoms), an NMR file of ten models (1d3z, 12,310 atoms)
// and 200 copies of 1ubq tiled in a lattice (132,000 atoms), each read into the scene store with
// its bonds perceived; bond perception alone on the lattice; and Open Babel converting the same
// lattice to mol2 beside it, in the same run. The figures to hold: the lattice read in well under
// 500 ms, of which perception under 60 ms.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "scene3d/bond_perception.h"
#include "scene3d/colour_map.h"
#include "scene3d/read_molecule.h"
#include "scene3d/scene.h"
#include "support/image_fixtures.h"

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
    state.SetIterationTime(std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  }
}
void BM_obabel_1ubq_to_mol2(benchmark::State& state) { obabel_bench(state, kUbq, "mol2"); }
void BM_obabel_1d3z_to_mol2(benchmark::State& state) { obabel_bench(state, kNmr, "mol2"); }
void BM_obabel_lattice_to_xyz(benchmark::State& state) { obabel_bench(state, lattice_file(), "xyz"); }
void BM_obabel_lattice_to_mol2(benchmark::State& state) { obabel_bench(state, lattice_file(), "mol2"); }

BENCHMARK(BM_read_1ubq)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_read_1d3z)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_read_lattice)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_find_bonds_lattice)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_obabel_1ubq_to_mol2)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_obabel_1d3z_to_mol2)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3)->ReportAggregatesOnly(true);
BENCHMARK(BM_obabel_lattice_to_xyz)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_obabel_lattice_to_mol2)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace
