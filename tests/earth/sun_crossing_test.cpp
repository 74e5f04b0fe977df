// The crossing search and the dawn and dusk search, against PyEphem's risings and settings.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "earth/sun_times.h"
#include "sun_reference.h"

namespace {

const double kDeg = M_PI / 180.0;
const double kSecond = 1.0 / 86400.0;

// A function with a table of values at given moments, or a line, that records its calls.
struct Probe {
  std::vector<double> calls;
  double slope = 1, root = 0;
  double t0 = NAN, e0 = NAN, t1 = NAN, e1 = NAN;  // fixed values at the two ends, if set
  double nan_after = INFINITY;                    // NaN for calls beyond this count
};

double probe(double t, void* ctx) {
  Probe* p = static_cast<Probe*>(ctx);
  p->calls.push_back(t);
  if (p->calls.size() > p->nan_after) return NAN;
  if (t == p->t0 && !std::isnan(p->e0)) return p->e0;
  if (t == p->t1 && !std::isnan(p->e1)) return p->e1;
  return p->slope * (t - p->root);
}

TEST(FindZeroCrossing, EndsAndFailures) {
  struct Case {
    const char* name;
    double e0, e1;
    double nan_after;
    double result;
    size_t calls;
  } cases[] = {
      {"same sign above", 2.0, 3.0, INFINITY, -1.0, 2},
      {"same sign below", -2.0, -0.5, INFINITY, -1.0, 2},
      {"exactly zero at t0", 0.0, 3.0, INFINITY, 10.0, 2},
      {"exactly zero at t1", -1.0, 0.0, INFINITY, 11.0, 2},
      {"zero at both ends takes t0", 0.0, 0.0, INFINITY, 10.0, 2},
      {"NaN at t0", NAN, 1.0, 0, -1.0, 2},
      {"NaN at a trial moment", -1.0, 1.0, 2, -1.0, 3},
  };
  for (const Case& c : cases) {
    Probe p;
    p.t0 = 10.0;
    p.t1 = 11.0;
    p.e0 = c.e0;
    p.e1 = c.e1;
    p.root = 10.5;
    p.nan_after = c.nan_after;
    EXPECT_EQ(find_zero_crossing(10.0, 11.0, probe, &p), c.result) << c.name;
    EXPECT_EQ(p.calls.size(), c.calls) << c.name;
  }
}

// The first trial moment lies nearer the end of smaller magnitude, with the weights 0.95, 0.85,
// 0.5, 0.15 and 0.05 and their boundaries.
TEST(FindZeroCrossing, TrialWeights) {
  struct Case {
    double e0, e1, w;
  } cases[] = {
      {-1, 11, 0.95}, {-1, 10, 0.85}, {-1, 5, 0.85}, {-1, 4, 0.5},   {-1, 1, 0.5},
      {-4, 1, 0.5},   {-5, 1, 0.15},  {-10, 1, 0.15}, {-11, 1, 0.05}, {3, -40, 0.95},
  };
  for (const Case& c : cases) {
    Probe p;
    p.t0 = 0.0;
    p.t1 = 1.0;
    p.e0 = c.e0;
    p.e1 = c.e1;
    p.root = 0.5;
    p.nan_after = 2;  // stop after the first trial
    find_zero_crossing(0.0, 1.0, probe, &p);
    ASSERT_EQ(p.calls.size(), 3u);
    EXPECT_NEAR(p.calls[2], 1 - c.w, 1e-15) << c.e0 << " " << c.e1;  // t = w t0 + (1 - w) t1
  }
}

// Unless a trial hits the root exactly, the result is the midpoint of the last bracket: the one
// narrower than 0.1 s, or the one left after ten trials.
TEST(FindZeroCrossing, ResultIsTheMidpointOfTheLastBracket) {
  struct Case {
    const char* name;
    double t0, t1, root, slope;
    bool exact;
  } cases[] = {
      {"root hit by the first trial", 0.0, 1.0, 0.5, 1.0, true},
      {"narrow bracket stops early", 2450000.0, 2450000.05, 2450000.0123, -3.0, false},
      {"wide bracket runs ten trials", 2450000.0, 2450020.0, 2450013.7, 0.2, false},
      {"root near an end", 2450000.0, 2450000.05, 2450000.0004, 5.0, false},
  };
  for (const Case& c : cases) {
    Probe p;
    p.root = c.root;
    p.slope = c.slope;
    double r = find_zero_crossing(c.t0, c.t1, probe, &p);
    ASSERT_LE(p.calls.size(), 12u) << c.name;
    if (c.exact) {
      EXPECT_EQ(r, c.root) << c.name;
      continue;
    }
    // Rebuild the last bracket: the latest moment on each side of the root.
    double lo = c.t0, hi = c.t1;
    for (size_t i = 2; i < p.calls.size(); i++) (p.calls[i] < c.root ? lo : hi) = p.calls[i];
    EXPECT_EQ(r, (lo + hi) / 2) << c.name;
    size_t trials = p.calls.size() - 2;
    EXPECT_TRUE(trials == 10 || hi - lo < 1.1574074074074074e-6) << c.name;
  }
}

struct Reference {
  double jd, lon, lat, h, alt;
  // [horizon][0 rising, 1 setting][0 previous, 1 next]
  double event[2][2][2];
};

std::vector<Reference> crossings(const std::string& args) {
  std::vector<Reference> out;
  for (const auto& r : sun_reference("crossings " + args)) {
    EXPECT_EQ(r.size(), 13u);
    if (r.size() != 13) break;
    Reference c = {r[0], r[1], r[2], r[3], r[4], {}};
    for (int hz = 0; hz < 2; hz++) {
      c.event[hz][0][0] = r[5 + 4 * hz];
      c.event[hz][0][1] = r[6 + 4 * hz];
      c.event[hz][1][0] = r[7 + 4 * hz];
      c.event[hz][1][1] = r[8 + 4 * hz];
    }
    out.push_back(c);
  }
  return out;
}

// The nearer of PyEphem's previous and next event of one kind.
double nearest(const double ev[2], double t) { return std::fabs(ev[0] - t) < std::fabs(ev[1] - t) ? ev[0] : ev[1]; }

// Checks the four events of one moment against PyEphem's risings and settings: all found, on
// the right side of the moment, within 15 s. Returns false when the case was skipped.
bool check_against_risings(const Reference& c, double worst[4]) {
  if (std::fabs(c.alt) < 0.05) return false;  // the two might disagree on day or night
  sun_day_night s;
  EXPECT_EQ(find_dawn_dusk(c.jd, c.lon * kDeg, c.lat * kDeg, c.h, &s), 0);
  std::string where = "jd " + std::to_string(c.jd) + " lon " + std::to_string(c.lon) + " lat " +
                      std::to_string(c.lat) + " h " + std::to_string(c.h);
  EXPECT_EQ(s.daytime, c.alt > 0 ? 1 : 0) << where;
  // By day the last event is a rising and the next a setting; by night the other way round.
  int last_kind = s.daytime ? 0 : 1, next_kind = 1 - last_kind;
  const sun_crossing* got[4] = {&s.last0, &s.next0, &s.last50, &s.next50};
  const double* ref[4] = {c.event[0][last_kind], c.event[0][next_kind], c.event[1][last_kind],
                          c.event[1][next_kind]};
  const char* names[4] = {"last0", "next0", "last50", "next50"};
  for (int k = 0; k < 4; k++) {
    EXPECT_TRUE(got[k]->found) << names[k] << " " << where;
    if (!got[k]->found) continue;
    double err = std::fabs(got[k]->jd - nearest(ref[k], got[k]->jd)) / kSecond;
    EXPECT_LT(err, 15.0) << names[k] << " " << where;
    worst[k] = std::fmax(worst[k], err);
  }
  EXPECT_LT(s.last0.jd, c.jd) << where;
  EXPECT_GT(s.next0.jd, c.jd) << where;
  // The 50' events lie on the night side of the horizon events.
  EXPECT_LT(s.daytime ? s.last50.jd : s.last0.jd, s.daytime ? s.last0.jd : s.last50.jd) << where;
  EXPECT_LT(s.daytime ? s.next0.jd : s.next50.jd, s.daytime ? s.next50.jd : s.next0.jd) << where;
  return true;
}

// Dawn and dusk for the Sun's centre and for 50' below the horizon at random moments and places
// up to 65 degrees of latitude, and at 60 to 65 degrees around the solstices, where the nights
// are shortest and the 50' crossing lies furthest from the horizon crossing.
TEST(DawnDusk, AgainstPyEphemUpTo65Degrees) {
  struct Set {
    const char* args;
    size_t rows;
  } sets[] = {{"300 21", 300}, {"120 22 high", 120}};
  for (const Set& set : sets) {
    auto refs = crossings(set.args);
    ASSERT_EQ(refs.size(), set.rows) << set.args;
    double worst[4] = {};
    size_t compared = 0;
    for (const Reference& c : refs) compared += check_against_risings(c, worst);
    EXPECT_GT(compared, set.rows * 9 / 10) << set.args;
    for (int k = 0; k < 4; k++)
      RecordProperty(std::string("worst_seconds_") + set.args + "_" + std::to_string(k), std::to_string(worst[k]));
  }
}

// Polar day and night, where the nearest crossing lies days or months away: each one found where
// PyEphem finds it (a scan of its altitudes), the search reaching about 261 days; a time error of
// 15 s plus what 0.002 degrees of elevation is worth at the crossing's slow rate. A 50' crossing
// is either found where PyEphem has it or truly lies outside its 0.02-day window.
TEST(DawnDusk, PolarDayAndNightAgainstPyEphem) {
  auto rows = sun_reference("polar 16 41");
  ASSERT_EQ(rows.size(), 16u);
  int far = 0;
  for (const auto& r : rows) {
    ASSERT_EQ(r.size(), 13u);
    double jd = r[0], lon = r[1], lat = r[2], h = r[3], alt = r[4];
    std::string where = "jd " + std::to_string(jd) + " lon " + std::to_string(lon) + " lat " + std::to_string(lat);
    if (std::fabs(alt) < 0.05) continue;
    sun_day_night s;
    ASSERT_EQ(find_dawn_dusk(jd, lon * kDeg, lat * kDeg, h, &s), 0) << where;
    ASSERT_EQ(s.daytime, alt > 0 ? 1 : 0) << where;
    struct Event {
      const char* name;
      const sun_crossing* got;
      double ref, rate;
      const sun_crossing* horizon;  // for the 50' events, the horizon event they belong to
    } events[] = {
        {"last0", &s.last0, r[5], r[6], nullptr},
        {"next0", &s.next0, r[7], r[8], nullptr},
        {"last50", &s.last50, r[9], r[10], &s.last0},
        {"next50", &s.next50, r[11], r[12], &s.next0},
    };
    for (const Event& e : events) {
      double tolerance = 15.0 * kSecond + (std::isnan(e.rate) ? 0.0 : 0.002 / std::fabs(e.rate));
      if (e.horizon == nullptr) {
        ASSERT_EQ(e.got->found, !std::isnan(e.ref)) << e.name << " " << where;
        if (e.got->found) EXPECT_NEAR(e.got->jd, e.ref, tolerance) << e.name << " " << where;
      } else if (e.got->found) {
        EXPECT_NEAR(e.got->jd, e.ref, tolerance) << e.name << " " << where;
      } else if (e.horizon->found && !std::isnan(e.ref)) {
        EXPECT_GT(std::fabs(e.ref - e.horizon->jd), 0.02 - tolerance) << e.name << " " << where;
      }
    }
    if (s.last0.found && s.next0.found) {
      EXPECT_LT(s.last0.jd, jd) << where;
      EXPECT_GT(s.next0.jd, jd) << where;
      far += (s.next0.jd - s.last0.jd) > 2;
    }
  }
  EXPECT_GE(far, 8);  // most cases are days or months from their crossings
}

// Outside the tables there is no Sun to search: the tables' code, no day or night, NaN angles,
// nothing found. Near the end of the tables a search that runs off them finds nothing on that
// side instead of a made-up moment, while the other side is still found.
TEST(DawnDusk, TableEdges) {
  for (double jd : {2444208.0, 2462884.5, 2470000.0, static_cast<double>(NAN)}) {
    sun_day_night s;
    EXPECT_LT(find_dawn_dusk(jd, 0.2, 0.8, 0.0, &s), 0) << jd;
    EXPECT_EQ(s.daytime, -1) << jd;
    EXPECT_TRUE(std::isnan(s.elevation) && std::isnan(s.azimuth)) << jd;
    for (const sun_crossing* c : {&s.last0, &s.next0, &s.last50, &s.next50}) {
      EXPECT_EQ(c->found, 0) << jd;
      EXPECT_EQ(c->jd, -1.0) << jd;
    }
  }
  // A bracket that reaches past the tables has no crossing to give.
  EXPECT_EQ(find_zero_sun(2462884.0, 2462885.0, 0.0, 0.8, 0.0, 0.0), -1.0);
  EXPECT_EQ(find_zero_sun(2444208.0, 2444209.9, 0.0, 0.8, 0.0, 0.0), -1.0);
  // Midsummer of the southern polar day, two weeks before the tables end: the next dusk lies
  // beyond them, the last dawn two months back.
  sun_day_night s;
  ASSERT_EQ(find_dawn_dusk(2462860.0, 0.0, -80 * kDeg, 0.0, &s), 0);
  EXPECT_EQ(s.daytime, 1);
  EXPECT_EQ(s.next0.found, 0);
  EXPECT_EQ(s.next50.found, 0);
  ASSERT_EQ(s.last0.found, 1);
  EXPECT_GT(2462860.0 - s.last0.jd, 30.0);
  // Mid-latitudes on the last evening: both crossings lie inside the tables.
  ASSERT_EQ(find_dawn_dusk(2462883.9, 0.0, 45 * kDeg, 0.0, &s), 0);
  EXPECT_EQ(s.last0.found, 1);
  EXPECT_EQ(s.next0.found, 1);
}

}  // namespace
