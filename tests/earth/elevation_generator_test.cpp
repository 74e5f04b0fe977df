// The table generator: deterministic output equal to the build's, and a clear refusal of inputs
// that are not the expected ETOPO5 variable. The bad inputs are written by netCDF's own ncgen.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/image_fixtures.h"
#include "support/temp_dir.h"

namespace {

const char* kOutputs[] = {"height05grid.bin", "elev_regional.bin", "elev_regional_sea.bin",
                          "elev_tiles75.bin", "elev_tiles15.bin",  "elev_coarse.bin"};

std::string build_dir() {
  const char* b = getenv("SUNCALC_BUILD_DIR");
  return b ? b : ".";
}

// Runs the generator; returns its exit status and its error output in *err.
int generate(const std::string& input, const std::string& outdir, std::string* err) {
  std::string log = outdir + "/stderr.txt";
  std::string cmd =
      "'" + build_dir() + "/gen_elevation' '" + input + "' '" + outdir + "' 2>'" + log + "'";
  int rc = std::system(cmd.c_str());
  Bytes text = read_file(log);
  err->assign(text.begin(), text.end());
  std::remove(log.c_str());
  return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

TEST(ElevationGenerator, RepeatsTheBuildsTablesExactly) {
  TempDir out("suncalc_gen_");
  std::string err;
  ASSERT_EQ(generate("/usr/share/ferret-vis/data/etopo5.cdf", out.path, &err), 0) << err;
  for (const char* name : kOutputs) {
    Bytes mine = read_file(out.path + "/" + name);
    EXPECT_FALSE(mine.empty()) << name;
    EXPECT_TRUE(mine == read_file(build_dir() + "/generated/" + name)) << name;
  }
}

std::string axis(const char* name, int n, double first, double step) {
  std::ostringstream s;
  s.precision(17);
  s << " " << name << " = ";
  for (int i = 0; i < n; i++) s << (i ? ", " : "") << first + i * step;
  s << " ;\n";
  return s.str();
}

// A CDL text with ETOPO5's dimensions and axes and the given ROSE declaration.
std::string cdl(const std::string& rose, int ny = 2161, int nx = 4320, double y0 = -90) {
  return "netcdf t {\ndimensions:\n ETOPO05_X = " + std::to_string(nx) +
         " ;\n ETOPO05_Y = " + std::to_string(ny) +
         " ;\nvariables:\n double ETOPO05_X(ETOPO05_X) ;\n double ETOPO05_Y(ETOPO05_Y) ;\n " +
         rose + "\ndata:\n" + axis("ETOPO05_X", nx, 0, 1 / 12.0) +
         axis("ETOPO05_Y", ny, y0, 1 / 12.0) + "}\n";
}

TEST(ElevationGenerator, RefusesWhatIsNotTheEtopoVariable) {
  TempDir dir("suncalc_gen_");
  ASSERT_FALSE(dir.path.empty());
  struct {
    const char* what;
    std::string cdl;
    size_t truncate_to;  // 0: keep whole
    const char* message;
  } cases[] = {
      {"wrong name", cdl("float HEIGHT(ETOPO05_Y, ETOPO05_X) ;", 3, 4), 0, "no variable ROSE"},
      {"wrong type", cdl("short ROSE(ETOPO05_Y, ETOPO05_X) ;", 3, 4), 0,
       "variable ROSE has type 3, expected 5"},
      {"wrong shape", cdl("float ROSE(ETOPO05_Y, ETOPO05_X) ;", 10, 20), 0,
       "variable ROSE dimension 0 is ETOPO05_Y(10), expected ETOPO05_Y(2161)"},
      {"swapped dimensions", cdl("float ROSE(ETOPO05_X, ETOPO05_Y) ;"), 0,
       "variable ROSE dimension 0 is ETOPO05_X(4320), expected ETOPO05_Y(2161)"},
      {"packed floats", cdl("float ROSE(ETOPO05_Y, ETOPO05_X) ; ROSE:scale_factor = 2.f ;"), 0,
       "variable ROSE is packed (scale_factor)"},
      {"upside-down rows", cdl("float ROSE(ETOPO05_Y, ETOPO05_X) ;", 2161, 4320, 90), 0,
       "ETOPO05_Y is not -90..90"},
      {"no heights (fill values only)", cdl("float ROSE(ETOPO05_Y, ETOPO05_X) ;"), 0,
       "ROSE holds a missing or impossible value"},
      {"truncated data", cdl("float ROSE(ETOPO05_Y, ETOPO05_X) ;"), 1 << 20,
       "runs past the end of the file"},
      {"truncated header", cdl("float ROSE(ETOPO05_Y, ETOPO05_X) ;"), 40,
       "header is damaged or truncated"},
      {"not netCDF", "", 0, "not a netCDF classic file"},
  };
  int n = 0;
  for (auto& c : cases) {
    std::string base = dir.path + "/case" + std::to_string(n++);
    std::string nc = base + ".nc", out = base + "_out";
    ASSERT_EQ(mkdir(out.c_str(), 0700), 0);
    if (c.cdl.empty()) {
      std::ofstream(nc) << "this is not a netCDF file";
    } else {
      std::ofstream(base + ".cdl") << c.cdl;
      ASSERT_EQ(std::system(("ncgen -k classic -b -o '" + nc + "' '" + base + ".cdl'").c_str()), 0)
          << c.what << ": ncgen (Debian netcdf-bin) failed";
    }
    if (c.truncate_to) ASSERT_EQ(truncate(nc.c_str(), (off_t)c.truncate_to), 0);
    std::string err;
    EXPECT_EQ(generate(nc, out, &err), 1) << c.what;
    EXPECT_NE(err.find(c.message), std::string::npos) << c.what << ": " << err;
    for (const char* name : kOutputs)
      EXPECT_TRUE(read_file(out + "/" + name).empty()) << c.what << " wrote " << name;
    std::remove(nc.c_str());
  }
}

}  // namespace
