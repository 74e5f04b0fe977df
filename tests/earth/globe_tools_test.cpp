// The globe's console tools: the geometry test's printed numbers, the arctangent, the tuning
// search with a merit that reads its parameters, and the planned 3D globe's buffers.
#include <gtest/gtest.h>

#include <erfa.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "earth/elevation.h"
#include "earth/globe.h"
#include "earth/globe3d.h"
#include "earth/globe_tools.h"
#include "earth/wgs84.h"

namespace {

const double kLon = 0.122173047639601, kLat = 0.820304748437321;  // 7 E, 47 N

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream s(text);
  std::string line;
  while (std::getline(s, line)) out.push_back(line);
  return out;
}

template <typename... Args>
std::string format(const char* f, Args... args) {
  char buf[256];
  snprintf(buf, sizeof buf, f, args...);
  return buf;
}

// The three numbers after the label of a "label: x y z" line.
void numbers(const std::string& line, double v[3]) {
  size_t colon = line.find(':');
  ASSERT_NE(colon, std::string::npos) << line;
  ASSERT_EQ(sscanf(line.c_str() + colon + 1, "%lf %lf %lf", &v[0], &v[1], &v[2]), 3) << line;
}

TEST(GlobeTools, TestGlobePrintsItsPlace) {
  testing::internal::CaptureStdout();
  int last = test_globe();
  std::vector<std::string> out = lines_of(testing::internal::GetCapturedStdout());
  ASSERT_GE(out.size(), 12u);

  // The coarse grids (the 30- and 20-degree ones print their rows first), then the cascade.
  testing::internal::CaptureStdout();
  double h30 = geographic2altitude_30(kLon, kLat), h20 = geographic2altitude_20(kLon, kLat);
  std::vector<std::string> rows = lines_of(testing::internal::GetCapturedStdout());
  ASSERT_EQ(rows.size(), 2u);
  double h = geographic2altitude(kLon, kLat);
  std::vector<std::string> head = {
      rows[0],
      format("altitude30 (7,47) = %f", h30),
      rows[1],
      format("altitude20 (7,47) = %f", h20),
      format("altitude15 (7,47) = %f", geographic2altitude_15(kLon, kLat)),
      format("altitude10 (7,47) = %f", geographic2altitude_10(kLon, kLat)),
      format("altitude (7,47) = %f", h),
      "surface point: 4325206.165991 531068.539906 4641764.788558",
  };
  for (size_t k = 0; k < head.size(); k++) EXPECT_EQ(out[k], head[k]) << k;

  // The surface point is the geodetic point at height 0; the space point lies h above it.
  double era[3];
  const double f = 1 - WGS84_B / WGS84_A;
  ASSERT_EQ(eraGd2gce(WGS84_A, f, kLon, kLat, 0, era), 0);
  EXPECT_EQ(out[7], format("surface point: %f %f %f", era[0], era[1], era[2]));
  double space[3];
  numbers(out[8], space);
  EXPECT_EQ(out[8].substr(0, 13), "space point: ");
  EXPECT_NEAR(space[0], (6389586.785769067 + h) * 0.6769148477057358, 1e-6);
  EXPECT_NEAR(space[1], (6389586.785769067 + h) * 0.08311469234420389, 1e-6);
  EXPECT_NEAR(space[2], (6346812.4633555515 + h) * 0.731353701619161, 1e-6);
  ASSERT_EQ(eraGd2gce(WGS84_A, f, kLon, kLat, h, era), 0);
  for (int k = 0; k < 3; k++) EXPECT_NEAR(space[k], era[k], 1e-6);

  // Along the ray from the centre the surface is met a little off the normal's foot.
  double geo[3];
  numbers(out[9], geo);
  EXPECT_EQ(out[9].substr(0, 20), "delta (geocentric): ");
  double len = std::sqrt(geo[0] * geo[0] + geo[1] * geo[1] + geo[2] * geo[2]);
  EXPECT_GT(len, 0.5 * h * 0.00335);  // about h times the tilt of the normal from the radius
  EXPECT_LT(len, 2 * h * 0.00335);

  EXPECT_EQ(out[10], "ph=7.000000 th=47.000000");

  // The foot-point search prints its residuals, then lands on the surface point.
  size_t k = 11;
  while (k + 1 < out.size() && out[k].find("delta") == std::string::npos) {
    EXPECT_EQ(out[k].substr(0, out[k].find(':')), std::to_string(k - 11));
    k++;
  }
  ASSERT_EQ(k + 1, out.size());
  double foot[3];
  numbers(out[k], foot);
  EXPECT_EQ(out[k].substr(0, 20), "delta (geographic): ");
  for (double d : foot) EXPECT_LT(std::fabs(d), 1e-6);
  EXPECT_EQ(last, (int)out[k].size() + 1);
}

TEST(GlobeTools, FastAtan) {
  double worst = 0;
  for (int i = -1000; i <= 1000; i++) {
    double x = i / 1000.0;
    worst = std::fmax(worst, std::fabs(fast_atan(x) - std::atan(x)));
  }
  EXPECT_LT(worst, 0.0016);
  EXPECT_DOUBLE_EQ(fast_atan(1), 0.7853981633974485);
  EXPECT_DOUBLE_EQ(fast_atan(-1), -0.7853981633974485);
  for (double x : {1.0000001, 10.0, 1e300, (double)INFINITY}) {
    EXPECT_EQ(fast_atan(x), 1.570796326794897) << x;
    EXPECT_EQ(fast_atan(-x), -1.570796326794897) << -x;
  }
}

// A merit that reads the parameters: squared distance from a target set, counting its calls.
double target[28];
int merit_calls = 0;
double distance_merit() {
  merit_calls++;
  double s = 0;
  for (int k = 0; k < 28; k++) s += (opti[k] - target[k]) * (opti[k] - target[k]);
  return s;
}
double constant_merit() {
  merit_calls++;
  return 0.25;
}

class Tuning : public ::testing::Test {
 protected:
  void SetUp() override {
    for (double& o : opti) o = 1.0;
    merit_calls = 0;
  }
  void TearDown() override {
    opt_merit_function = compute_merit;
    for (double& o : opti) o = 1.0;
  }
};

TEST_F(Tuning, SearchWalksTheParametersToTheMinimum) {
  for (int k = 0; k < 28; k++) target[k] = 1 + (k % 2 ? -0.037 : 0.052) + 0.001 * k;
  opt_merit_function = distance_merit;
  testing::internal::CaptureStdout();
  opt_merit();
  std::vector<std::string> out = lines_of(testing::internal::GetCapturedStdout());
  ASSERT_EQ(out.size(), 40u + 1 + 28);
  double previous = INFINITY;
  for (int pass = 0; pass < 40; pass++) {
    int n;
    double m;
    ASSERT_EQ(sscanf(out[pass].c_str(), "%d: %lf", &n, &m), 2) << out[pass];
    EXPECT_EQ(n, pass);
    EXPECT_LE(m, previous);
    previous = m;
  }
  EXPECT_EQ(previous, 0.0) << "a merit this small prints as 0.000000";
  EXPECT_EQ(out[40].substr(0, 7), "lambda=");
  double lambda = atof(out[40].c_str() + 7);
  EXPECT_LT(lambda, 0.01);
  for (int k = 0; k < 28; k++) {
    EXPECT_NEAR(opti[k], target[k], 2e-3) << k;
    EXPECT_EQ(out[41 + k], format("%d: %f", k, opti[k]));
  }
  EXPECT_EQ(opti[28], 1.0);  // only the first 28 are tuned
}

TEST_F(Tuning, AMeritBlindToTheParametersChangesNothing) {
  opt_merit_function = constant_merit;
  testing::internal::CaptureStdout();
  opt_merit();
  std::vector<std::string> out = lines_of(testing::internal::GetCapturedStdout());
  // One merit at the start, then two for each parameter in each of the 40 passes.
  EXPECT_EQ(merit_calls, 1 + 40 * 28 * 2);
  ASSERT_EQ(out.size(), 69u);
  EXPECT_EQ(out[0], "0: 0.250000");
  EXPECT_EQ(out[39], "39: 0.250000");
  EXPECT_EQ(out[40], "lambda=0.000000");  // 0.01 x 0.6^40
  for (int k = 0; k < 28; k++) EXPECT_EQ(out[41 + k], format("%d: %f", k, 1.0));
  for (int k = 0; k < 100; k++) EXPECT_EQ(opti[k], 1.0);
}

TEST_F(Tuning, ColourMeritIgnoresTheParameters) {
  double m = compute_merit();
  EXPECT_TRUE(std::isfinite(m));
  EXPECT_GT(m, 0);
  // Each of the three terms is a squared difference of values 0..1 (hue within -0.1..1).
  EXPECT_LT(m, 1.21);
  for (int k = 0; k < 28; k++) opti[k] = 0.5 + 0.1 * k;
  EXPECT_EQ(compute_merit(), m);
}

class Globe3d : public ::testing::Test {
 protected:
  void TearDown() override { close3d(); }
};

TEST_F(Globe3d, BuffersAndCamera) {
  ASSERT_EQ(init3d(640, 480), 0);
  EXPECT_EQ(globe3d::alloc_size, 640 * 480);
  ASSERT_NE(globe3d::D, nullptr);
  ASSERT_NE(globe3d::A, nullptr);
  globe3d::D[640 * 480 - 1] = 1;  // the whole picture fits
  globe3d::A[640 * 480 - 1] = 1;
  EXPECT_EQ(globe3d::X, 640);
  EXPECT_EQ(globe3d::Y, 480);
  EXPECT_EQ(globe3d::eye_dist, 2);
  EXPECT_EQ(globe3d::eye_x, 6408137);
  EXPECT_EQ(globe3d::eye_y, 0);
  EXPECT_EQ(globe3d::eye_z, 0);
  EXPECT_EQ(globe3d::look_x, 0);
  EXPECT_EQ(globe3d::look_y, 0);
  EXPECT_EQ(globe3d::look_z, 1);

  // A second call replaces the buffers (the sanitizer build sees any leak or double free).
  ASSERT_EQ(init3d(33, 17), 0);
  EXPECT_EQ(globe3d::alloc_size, 33 * 17);
  globe3d::D[33 * 17 - 1] = 1;
  close3d();
  EXPECT_EQ(globe3d::alloc_size, -1);
  EXPECT_EQ(globe3d::D, nullptr);
  EXPECT_EQ(globe3d::A, nullptr);
  close3d();
  for (int k = 0; k < 50; k++) ASSERT_EQ(init3d(200 + k, 100), 0);
}

TEST_F(Globe3d, RefusedSizesKeepWhatWasThere) {
  ASSERT_EQ(init3d(8, 8), 0);
  double* d = globe3d::D;
  struct {
    int x, y;
  } refused[] = {{0, 10},        {10, 0},        {-2, -3},       {-1, 5},
                 {65536, 65536}, {46341, 46341}, {16384, 16384}, {16384, 8193}};
  for (auto r : refused) {
    EXPECT_EQ(init3d(r.x, r.y), 1) << r.x << " x " << r.y;
    EXPECT_EQ(globe3d::D, d);
    EXPECT_EQ(globe3d::alloc_size, 64);
    EXPECT_EQ(globe3d::X, 8);
  }
  tesselation();
  draw_globe();
  load_globe3d();
  double x = 1, y = 2, z = 3;
  build_ray(1, 2, &x, &y, &z);
  EXPECT_EQ(x + y + z, 6);
}

}  // namespace
