// The ellipsoid geometry against ERFA's geodetic conversions on the same ellipsoid.
#include <gtest/gtest.h>

#include <erfa.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>

#include "earth/wgs84.h"

namespace {

const double kPi = 3.141592653589793;
const double kF = 1 - WGS84_B / WGS84_A;

struct Place {
  double lon, lat, h;
};

// Random places with heights from 500 m below the surface to 1000 km above, and the poles.
std::vector<Place> places() {
  std::mt19937_64 rng(20260107);
  std::uniform_real_distribution<double> lon(-kPi, kPi), z(-1, 1), h(-500, 1e6);
  std::vector<Place> out;
  for (int k = 0; k < 400; k++) out.push_back({lon(rng), std::asin(z(rng)), h(rng)});
  for (double lat : {kPi / 2, -kPi / 2})
    for (double height : {-500.0, 0.0, 1e6}) out.push_back({0.3, lat, height});
  out.push_back({kPi / 2, 0, 0});
  out.push_back({0, 0, 1e6});
  return out;
}

std::string where(const Place& p) {
  std::ostringstream s;
  s.precision(17);
  s << "lon " << p.lon << " lat " << p.lat << " h " << p.h;
  return s.str();
}

void era_point(double lon, double lat, double h, double xyz[3]) {
  ASSERT_EQ(eraGd2gce(WGS84_A, kF, lon, lat, h, xyz), 0);
}

TEST(Wgs84, PointsAlongTheNormalMatchErfa) {
  for (const Place& p : places()) {
    SCOPED_TRACE(where(p));
    double e[3], n[3], x, y, z;
    era_point(p.lon, p.lat, p.h, e);
    geographic2normal(p.lon, p.lat, &n[0], &n[1], &n[2]);
    normal2wgs84(n[0], n[1], n[2], p.h, &x, &y, &z);
    EXPECT_NEAR(x, e[0], 1e-6);
    EXPECT_NEAR(y, e[1], 1e-6);
    EXPECT_NEAR(z, e[2], 1e-6);

    era_point(p.lon, p.lat, 0, e);
    EXPECT_EQ(geographic2surface(p.lon, p.lat, &x, &y, &z), z);
    EXPECT_NEAR(x, e[0], 1e-6);
    EXPECT_NEAR(y, e[1], 1e-6);
    EXPECT_NEAR(z, e[2], 1e-6);

    // The normal at the surface point is the one it was made from.
    double m[3];
    EXPECT_EQ(get_normal_s(x, y, z, &m[0], &m[1], &m[2]), m[2]);
    for (int k = 0; k < 3; k++) EXPECT_NEAR(m[k], n[k], 1e-12);
  }
}

TEST(Wgs84, FootPointsMatchErfa) {
  for (const Place& p : places()) {
    SCOPED_TRACE(where(p));
    // P is built from its foot point, so that point is known to the last bit; ERFA's way back
    // gives the place (its latitude drifts by some 1e-13 rad at 1000 km, some microns).
    double P[3], foot[3], lon, lat, h;
    era_point(p.lon, p.lat, p.h, P);
    era_point(p.lon, p.lat, 0, foot);
    ASSERT_EQ(eraGc2gde(WGS84_A, kF, P, &lon, &lat, &h), 0);
    double x, y, z;
    testing::internal::CaptureStdout();
    wgs84_to_geographic(P[0], P[1], P[2], &x, &y, &z);
    testing::internal::GetCapturedStdout();
    EXPECT_NEAR(x, foot[0], 1e-6);
    EXPECT_NEAR(y, foot[1], 1e-6);
    EXPECT_NEAR(z, foot[2], 1e-6);

    // The place of the foot point; the longitude comes back modulo pi.
    double l0, b0;
    wgs84_to_geographic0(x, y, z, &l0, &b0);
    EXPECT_NEAR(b0, lat, 1e-12);
    if (std::fabs(std::cos(lat)) > 1e-6) {
      double dl = std::remainder(l0 - lon, kPi);
      EXPECT_NEAR(dl, 0, 1e-12);
      EXPECT_LE(std::fabs(l0), kPi / 2);
    }

    // The geocentric point lies on the surface and on the ray through P.
    double g[3];
    wgs84_to_geocentric(P[0], P[1], P[2], &g[0], &g[1], &g[2]);
    double on = (g[0] / WGS84_A) * (g[0] / WGS84_A) + (g[1] / WGS84_A) * (g[1] / WGS84_A) +
                (g[2] / WGS84_B) * (g[2] / WGS84_B);
    EXPECT_NEAR(on, 1, 1e-14);
    double cx = g[1] * P[2] - g[2] * P[1], cy = g[2] * P[0] - g[0] * P[2],
           cz = g[0] * P[1] - g[1] * P[0];
    double len = std::sqrt(P[0] * P[0] + P[1] * P[1] + P[2] * P[2]);
    EXPECT_NEAR(std::sqrt(cx * cx + cy * cy + cz * cz) / len, 0, 1e-6);
  }
}

TEST(Wgs84, PlaceOnTheAxis) {
  struct {
    double z, lat;
  } poles[] = {{WGS84_B, kPi / 2}, {-WGS84_B, -kPi / 2}, {WGS84_B + 1e6, kPi / 2}};
  for (auto p : poles) {
    double lon = 1, lat = 0;
    wgs84_to_geographic0(0, 0, p.z, &lon, &lat);
    EXPECT_EQ(lon, 0) << p.z;
    EXPECT_EQ(lat, p.lat) << p.z;
  }
}

TEST(Wgs84, FootPointSearchPrintsItsResiduals) {
  double P[3], x, y, z;
  era_point(0.2, 0.9, 8000, P);
  testing::internal::CaptureStdout();
  wgs84_to_geographic(P[0], P[1], P[2], &x, &y, &z);
  std::string out = testing::internal::GetCapturedStdout();
  std::istringstream lines(out);
  std::string line;
  int step = 0;
  double last = 1;
  while (std::getline(lines, line)) {
    int k;
    double r;
    char tail;
    ASSERT_EQ(sscanf(line.c_str(), "%d: %le%c", &k, &r, &tail), 2) << line;
    EXPECT_EQ(k, step++);
    EXPECT_NE(line.find("e"), std::string::npos) << line;
    last = r;
  }
  EXPECT_GE(step, 2);
  EXPECT_LE(step, 10);
  EXPECT_LT(std::fabs(last), 1e-14);

  // On the surface the first residual already ends the search.
  double S[3];
  era_point(0.2, 0.9, 0, S);
  testing::internal::CaptureStdout();
  wgs84_to_geographic(S[0], S[1], S[2], &x, &y, &z);
  out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << out;
  EXPECT_EQ(out.substr(0, 3), "0: ");
}

}  // namespace
