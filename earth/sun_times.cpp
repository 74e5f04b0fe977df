// Sun position for an observer, the crossing search, and the dawn and dusk search around a moment.
#include "earth/sun_times.h"

#include <cmath>

#include "earth/sg2.h"

// The three SG2 stages for UT Julian date jd: the date, the heliocentric and the geocentric
// record, each linked to the ones before, so the caller owns all three. 0, or the SG2 code of a
// date outside the tables.
static int geocentric_sun(double jd, tabjd* date, helioc* hc, geoc* gc) {
  *date = {jd, 0, 0.0};
  int err = 0;
  SG2_date_set_tabjd_tt(nullptr, date, &err);
  if (err == 0) SG2_heliocentric_set_helioc_data(date, hc, &err);
  if (err == 0) SG2_geocentric_set_geoc_data(date, hc, gc, &err);
  return err;
}

int calc_sun_pos(double jd, double lon, double lat, double h, double* azimuth, double* elevation) {
  tabjd date;
  helioc hc = {};
  geoc gc = {};
  int err = geocentric_sun(jd, &date, &hc, &gc);
  if (err != 0) {
    *azimuth = NAN;
    *elevation = NAN;
    return err;
  }
  tabgeopoint gp = {};
  gp.ellipsoid_code = 4;
  gp.a = 6378140.0;
  gp.f = 0.00335281;
  SG2_topocecentric_set_tabgeopoint(lon, lat, h, &gp);
  topoc tp = {};
  SG2_topocentric_set_topoc_data(&gc, &gp, &tp);
  *azimuth = tp.azimuth;
  *elevation = tp.elevation;
  return 0;
}

double find_zero_crossing(double t0, double t1, double (*f)(double t, void* ctx), void* ctx) {
  double e0 = f(t0, ctx), e1 = f(t1, ctx);
  if (std::isnan(e0) || std::isnan(e1)) return -1.0;
  if (e0 == 0.0) return t0;
  if (e1 == 0.0) return t1;
  if (e0 * e1 > 0.0) return -1.0;
  for (int step = 0; step < 10; step++) {
    // The trial moment lies nearer the end whose value is smaller in magnitude.
    double a0 = std::fabs(e0), a1 = std::fabs(e1), w;
    if (a1 > 10.0 * a0)
      w = 0.95;
    else if (a1 > 4.0 * a0)
      w = 0.85;
    else if (a0 > 10.0 * a1)
      w = 0.05;
    else if (4.0 * a1 < a0)
      w = 0.15;
    else
      w = 0.5;
    double t = w * t0 + (1.0 - w) * t1;
    double e = f(t, ctx);
    if (std::isnan(e)) return -1.0;
    if (e == 0.0) return t;
    if (e0 * e > 0.0) {
      t0 = t;
      e0 = e;
    } else {
      t1 = t;
      e1 = e;
    }
    if (std::fabs(t1 - t0) < 1.1574074074074074e-6) break;  // 0.1 s
  }
  return (t0 + t1) / 2.0;
}

namespace {

struct observer {
  double lon, lat, h;
  double offset;  // radians added to the elevation
};

double elevation_at(double t, const observer& o) {
  double az, el;
  calc_sun_pos(t, o.lon, o.lat, o.h, &az, &el);
  return el;  // NaN outside the tables
}

double shifted_elevation(double t, void* ctx) {
  const observer* o = static_cast<const observer*>(ctx);
  return elevation_at(t, *o) + o->offset;
}

sun_crossing crossing(double t) {
  sun_crossing c = {t != -1.0 ? 1 : 0, t};
  return c;
}

const sun_crossing kNotFound = {0, -1.0};

// jd's side of the horizon: above by day, below by night; false for NaN (no data).
bool on_side(double el, int daytime) { return daytime ? el > 0.0 : el < 0.0; }

// The Sun's geocentric hour angle at lon, or NaN outside the tables.
double hour_angle(double t, double lon) {
  tabjd date;
  helioc hc;
  geoc gc;
  return geocentric_sun(t, &date, &hc, &gc) == 0 ? gc.nu + lon - gc.r_alpha : NAN;
}

// The culmination within half a day of t: the upper one (hour angle 0) or the lower (pi). The
// Sun's hour angle turns once a day to within a minute, so two corrections settle it.
double culmination_near(double t, double lon, double hour) {
  for (int i = 0; i < 2; i++) t -= std::remainder(hour_angle(t, lon) - hour, 2 * M_PI) / (2 * M_PI);
  return t;  // NaN outside the tables
}

const double kStep = 0.05;      // days between the samples that bracket a crossing
const int kFineSteps = 18;      // samples next to jd: 0.9 day
const double kReachDays = 261;  // how far from jd a crossing is looked for

// Looks for the horizon crossing nearest jd in the direction dir (+1 or -1), the Sun being on
// the side `daytime` at jd. Returns a bracket [*t0, *t1] (t0 < t1) with the Sun on opposite
// sides at its ends, or false when there is none within reach or the tables end first.
//
// First the samples 0.05 day apart next to jd. Beyond them, polar day or night: every night
// holds a lower culmination with the Sun below the horizon (every day an upper one above it),
// so the culminations are walked day by day; at the first one on the other side, samples from it
// back towards jd find the crossing.
bool bracket_crossing(double jd, int dir, int daytime, const observer& o, double* t0, double* t1) {
  double inside = jd, past = jd;
  bool found = false;
  for (int step = 1; step <= kFineSteps && !found; step++) {
    inside = past;
    past = jd + dir * step * kStep;
    double el = elevation_at(past, o);
    if (std::isnan(el)) return false;
    found = !on_side(el, daytime);
  }
  if (!found) {
    double extreme = daytime ? M_PI : 0.0;  // the Sun's lowest point by day, its highest by night
    double near_jd = jd;                    // moment on jd's side, nearest to the culmination
    for (int day = 0; day < kReachDays && !found; day++) {
      double c = culmination_near(jd + dir * (day + 0.5), o.lon, extreme);
      double el = elevation_at(c, o);
      if (std::isnan(el)) return false;
      if (on_side(el, daytime)) {
        near_jd = c;
        continue;
      }
      // Back towards jd: the Sun regains jd's side before the previous culmination.
      past = c;
      for (int step = 1; step <= 2 / kStep && !found; step++) {
        inside = c - dir * step * kStep;
        if (dir * (inside - near_jd) <= 0) inside = near_jd;
        double e = elevation_at(inside, o);
        if (std::isnan(e)) return false;
        if (on_side(e, daytime))
          found = true;
        else
          past = inside;
      }
      if (!found) return false;
    }
    if (!found) return false;
  }
  *t0 = dir < 0 ? past : inside;
  *t1 = dir < 0 ? inside : past;
  return true;
}

}  // namespace

double find_zero_sun(double t0, double t1, double lon, double lat, double h, double offset) {
  observer o = {lon, lat, h, offset * 0.0174532925};
  return find_zero_crossing(t0, t1, shifted_elevation, &o);
}

int find_dawn_dusk(double jd, double lon, double lat, double h, sun_day_night* out) {
  out->daytime = -1;
  out->last0 = out->next0 = out->last50 = out->next50 = kNotFound;
  int err = calc_sun_pos(jd, lon, lat, h, &out->azimuth, &out->elevation);
  if (err != 0) return err;
  if (out->elevation == 0.0) return 0;  // on the horizon: neither day nor night
  int day = out->elevation > 0.0;
  out->daytime = day;
  observer o = {lon, lat, h, 0.0};

  // Each crossing is searched in a bracket of one 0.05-day step: ten weighted steps narrow it to
  // a few seconds, where a bracket all the way back to jd (up to 0.9 day) would leave half a
  // minute.
  double t0, t1;
  if (bracket_crossing(jd, -1, day, o, &t0, &t1))
    out->last0 = crossing(find_zero_sun(t0, t1, lon, lat, h, SUN_OFFSET_HORIZON));
  if (bracket_crossing(jd, +1, day, o, &t0, &t1))
    out->next0 = crossing(find_zero_sun(t0, t1, lon, lat, h, SUN_OFFSET_HORIZON));

  // The 50' crossings lie on the night side of the horizon crossings.
  const double w = 0.02;
  if (out->last0.found) {
    double t = out->last0.jd;
    out->last50 = crossing(day ? find_zero_sun(t - w, t, lon, lat, h, SUN_OFFSET_50_ARCMIN)
                               : find_zero_sun(t, t + w, lon, lat, h, SUN_OFFSET_50_ARCMIN));
  }
  if (out->next0.found) {
    double t = out->next0.jd;
    out->next50 = crossing(day ? find_zero_sun(t, t + w, lon, lat, h, SUN_OFFSET_50_ARCMIN)
                               : find_zero_sun(t - w, t, lon, lat, h, SUN_OFFSET_50_ARCMIN));
  }
  return 0;
}

double julian_date_local(const plat_local_time& t) {
  int a = (14 - t.month) / 12;
  int y = t.year + 4800 - a;
  int m = t.month + 12 * a - 3;
  long jdn = t.day + (153 * m + 2) / 5 + 365L * y + y / 4 - y / 100 + y / 400 - 32045;
  double jd = jdn + (t.hour - 12) / 24.0 + t.minute / 1440.0 + t.second / 86400.0 +
              t.bias_minutes / 1440.0;
  if (t.isdst) jd -= 0.041666666666666664;  // one hour
  return jd;
}
