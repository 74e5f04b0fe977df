// The rendered globe against PyEphem (the day-night line and the Moon's disc), against the plain
// per-pixel transcription of its colour model, and its moment, view centre and band split.
#include <gtest/gtest.h>

#include <FL/Fl_Choice.H>

#include <cmath>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/window.h"
#include "earth/elevation.h"
#include "earth/globe.h"
#include "globe_pixel_reference.h"
#include "platform/bands.h"
#include "platform/clock.h"
#include "support/headless.h"
#include "support/python_reference.h"
#include "support/time_zone.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

const double kPi = 3.141592653589793;
const double kDeg = 180 / kPi;

// 2026-06-21 10:00 UTC and 2026-12-10 18:30 UTC.
const time_t kJune = 1782036000, kDecember = 1796927400;

double jd_of(time_t t) { return 2440587.5 + t / 86400.0; }

class GlobeRender : public ::testing::Test {
 protected:
  void SetUp() override {
    use_zone("UTC");
    canvas(400, 300);
  }
  void TearDown() override {
    plat_fixed_now = 0;
    plat_fail_thread_starts = 0;
    globe_workers = 0;
    reset_globe_view();
    look_at_laenge = look_at_breite = 0;
    v_night = 0.55f, v_contrast = 1.0f;
    view(0);
    set_content_empty();
  }
  // A canvas of w x h showing the globe in its "std" view.
  static void canvas(int w, int h) {
    headless_viewer(w, h);
    set_content_vglobe();
    view(0);
  }
  static void use_zone(const char* tz) {
    setenv("TZ", tz, 1);
    tzset();
  }
  // The view choice's item: 0 "std", 1 "moon".
  static void view(int item) {
    choice->value(item);
    choice_vglobe = item;
  }
  // Renders the globe at `moment` and returns a copy of the picture.
  static std::vector<float> render(time_t moment) {
    plat_fixed_now = moment;
    EXPECT_EQ(globe_render(), 0);
    return std::vector<float>(img_content, img_content + 4 * (size_t)xres * yres);
  }
  // Longitude (0..2 pi) and latitude of the pixel centre (x, y) of the current view, radians.
  static double lon_at(int x) {
    double l = (x - xres * 0.5) * scale() + look_at_laenge - globe_dx;
    return l - 2 * kPi * std::floor(l / (2 * kPi));
  }
  static double lat_at(int y) {
    double p = look_at_breite - (y - yres * 0.5) * scale() - globe_dy;
    return p - kPi * std::floor((p + kPi / 2) / kPi);
  }
  static double scale() { return 0.35 * globe_zoom * 0.017453292519943; }

  ScopedTimeZone zone_;
};

// Difference of two longitudes in degrees, brought into -180..180.
double lon_diff(double a, double b) {
  double d = std::fmod(a - b, 360.0);
  if (d > 180) d -= 360;
  if (d < -180) d += 360;
  return d;
}

TEST_F(GlobeRender, TerminatorLiesWherePyEphemPutsTheSunOnTheHorizon) {
  // The whole globe across: 1000 pixels of 0.36 degrees.
  canvas(1000, 500);
  globe_zoom = 1.03;
  globe_dy = 0;
  for (time_t moment : {kJune, kDecember}) {
    std::vector<float> lit = render(moment);
    v_contrast = 0;  // the sunlight weighs nothing: every pixel as on the night side
    std::vector<float> unlit = render(moment);
    v_contrast = 1;
    std::string args = "terminator " + std::to_string(jd_of(moment));
    std::vector<int> rows;
    for (double want : {-55.0, -35.0, -10.0, 0.0, 20.0, 40.0, 55.0}) {
      int y = (int)std::lround(yres * 0.5 - want / kDeg / scale());
      rows.push_back(y);
      args += " " + std::to_string(lat_at(y) * kDeg);
    }
    std::vector<std::vector<double>> ref;
    std::string err;
    ASSERT_TRUE(python_rows("earth/globe_reference.py", args, &ref, &err)) << err;
    ASSERT_EQ(ref.size(), rows.size());
    for (size_t k = 0; k < rows.size(); k++) {
      const std::vector<double>& r = ref[k];
      ASSERT_EQ(r.size(), 5u) << "two horizon crossings at latitude " << r[0];
      int y = rows[k];
      // Day and night along the row: lit where the sunlight changed the colour. City lights
      // (on land of 2 m and more, above 0.65) change it by night too, and slopes turned from or
      // towards a low Sun move the line by their own tilt: only level ground (within a metre
      // over the 330 m to the neighbours that give the normal; the sea is level) is looked at.
      std::vector<std::pair<double, bool>> seen;
      for (int x = 0; x < xres; x++) {
        float q, q2, q3;
        double h0, hE, hN;
        geographic2altitude3(lon_at(x), lat_at(y), 5.2359877559829e-5, &h0, &hE, &hN);
        h0 = std::fmax(h0, 0), hE = std::fmax(hE, 0), hN = std::fmax(hN, 0);
        if (std::fabs(hE - h0) > 1 || std::fabs(hN - h0) > 1) continue;
        night_function(lon_at(x), lat_at(y), &q, &q2, &q3);
        if (q > 0.65f && h0 >= 2) continue;
        size_t i = 4 * ((size_t)y * xres + x);
        bool day = std::memcmp(&lit[i], &unlit[i], 3 * sizeof(float)) != 0;
        seen.push_back({lon_at(x) * kDeg, day});
      }
      ASSERT_GT(seen.size(), 100u);
      // PyEphem's day side: the arc between the two crossings that holds the sub-solar point.
      const double t1 = r[1], t2 = r[2], sub = r[3];
      auto in_arc = [](double lon, double from, double to) {  // eastward from `from` to `to`
        return std::fmod(lon - from + 720, 360.0) < std::fmod(to - from + 720, 360.0);
      };
      const bool day_east_of_t1 = in_arc(sub, t1, t2);
      auto expect_day = [&](double lon) { return in_arc(lon, t1, t2) == day_east_of_t1; };
      // Away from the line, day and night as PyEphem has them (slopes turned from a low Sun may
      // stay dark a little longer).
      int far = 0, wrong = 0;
      for (const auto& px : seen) {
        if (std::fabs(lon_diff(px.first, t1)) < 5 || std::fabs(lon_diff(px.first, t2)) < 5)
          continue;
        far++;
        wrong += px.second != expect_day(px.first);
      }
      EXPECT_LT(wrong, far / 100 + 1) << "latitude " << r[0] << ", moment " << moment;
      // Near each crossing, the picture's day-night line: the place that leaves the fewest
      // pixels on the wrong side of it.
      for (double t : {t1, t2}) {
        const bool day_to_east = in_arc(t + 1, t1, t2) == day_east_of_t1;
        // Where level ground is missing (mountains) every place in the gap does as well: the
        // middle of the best places is taken.
        double first = NAN, last = NAN;
        int best_wrong = 1 << 30;
        for (int k = -200; k <= 200; k++) {
          double line = t + 0.05 * k;
          int n = 0;
          for (const auto& px : seen) {
            double d = lon_diff(px.first, line);
            if (std::fabs(d) > 10) continue;
            n += px.second != (d > 0 ? day_to_east : !day_to_east);
          }
          if (n < best_wrong) best_wrong = n, first = last = line;
          if (n == best_wrong) last = line;
        }
        double best_line = (first + last) / 2;
        EXPECT_LT(std::fabs(lon_diff(best_line, t)), 1.0)
            << "terminator at " << t << " E, latitude " << r[0] << ", moment " << moment;
      }
    }
  }
}

TEST_F(GlobeRender, MoonDiscIsCentredOnPyEphemsSubLunarPoint) {
  canvas(1000, 500);
  globe_zoom = 1.03;
  globe_dy = 0;
  for (time_t moment : {kJune, kDecember, (time_t)1577836800 /* 2020-01-01 */}) {
    view(0);
    std::vector<float> plain = render(moment);
    view(1);
    std::vector<float> moon = render(moment);
    std::vector<std::vector<double>> ref;
    std::string err;
    ASSERT_TRUE(python_rows("earth/globe_reference.py", "sublunar " + std::to_string(jd_of(moment)),
                            &ref, &err))
        << err;
    double want_lon = ref[0][0], want_lat = ref[0][1];
    // The disc: exactly the pixels that differ from the plain view, all of them grey 0.8.
    double sum_lon = 0, sum_lat = 0, first_lon = NAN;
    int n = 0;
    for (int y = 0; y < yres; y++)
      for (int x = 0; x < xres; x++) {
        size_t i = 4 * ((size_t)y * xres + x);
        if (std::memcmp(&plain[i], &moon[i], 4 * sizeof(float)) == 0) continue;
        ASSERT_EQ(moon[i], 0.8f);
        ASSERT_EQ(moon[i + 1], 0.8f);
        ASSERT_EQ(moon[i + 2], 0.8f);
        double lon = lon_at(x) * kDeg;
        if (n == 0) first_lon = lon;
        sum_lon += first_lon + lon_diff(lon, first_lon);
        sum_lat += lat_at(y) * kDeg;
        n++;
        EXPECT_LT(std::hypot(lon_diff(lon, moon_azimuth), lat_at(y) * kDeg - moon_altitude),
                  1.3417);
      }
    // A disc of 1.34 degrees' radius covers about 44 pixels of 0.36 degrees.
    ASSERT_GT(n, 30);
    EXPECT_LT(n, 60);
    EXPECT_LT(std::fabs(lon_diff(sum_lon / n, want_lon)), 0.5) << moment;
    EXPECT_LT(std::fabs(sum_lat / n - want_lat), 0.5) << moment;
  }
}

// After a failed open the empty view's items ("none", "auto") stand over the globe with "auto",
// the second item, selected; the globe keeps its own view and shows no Moon for it.
TEST_F(GlobeRender, EmptyViewItemsOverTheGlobeKeepItsView) {
  std::vector<float> plain = render(kJune);
  show_empty_choices();
  ASSERT_EQ(get_view_val(), 1);
  std::vector<float> over = render(kJune);
  EXPECT_EQ(globe_moon_view, 0);
  EXPECT_EQ(std::memcmp(plain.data(), over.data(), plain.size() * sizeof(float)), 0);
  choice_vglobe = 1;  // "moon" chosen before the failed open
  render(kJune);
  EXPECT_EQ(globe_moon_view, 1);
}

// The renderer's road (heights three at a time, trigonometry per row and column, one reciprocal)
// gives the picture the plain transcription gives, in views that cross the seam at 180 degrees,
// pan past a pole and back by many turns, zoom in over land, with the knobs moved, the Moon
// drawn, and for a moment without solar data.
TEST_F(GlobeRender, FastRoadMatchesThePlainTranscription) {
  struct Case {
    const char* what;
    double zoom, dx, dy;
    float night, contrast;
    int moon;
    time_t moment;
    const char* zone;
  } cases[] = {
      {"start", GLOBE_ZOOM_START, 0, -0.3 * GLOBE_ZOOM_START, 0.55f, 1.0f, 0, kJune,
       "Europe/Zurich"},
      {"across the seam, in the moon view", 1.03, 3.0, 0, 0.55f, 1.0f, 1, kDecember, "Asia/Tokyo"},
      {"past the north pole", 0.8, -1.0, -1.2, 0.3f, 1.2f, 0, kJune, "UTC"},
      {"many turns of pan", 0.6561, 2000 * kPi + 0.5, -31 * kPi, 0.7f, 0.8f, 0, kDecember, "UTC"},
      {"Alps close up", 0.02, -0.14, -0.62, 0.55f, 1.0f, 0, kJune, "Europe/Zurich"},
      {"Himalaya close up", 0.05, -1.52, -0.49, 0.55f, 1.0f, 0, kDecember, "Asia/Kolkata"},
      // 2032-06-05 lies past the solar tables.
      {"no solar data", GLOBE_ZOOM_START, 0, -0.2, 0.55f, 1.0f, 0, (time_t)1970000000, "UTC"},
  };
  for (const Case& c : cases) {
    use_zone(c.zone);
    globe_zoom = c.zoom, globe_dx = c.dx, globe_dy = c.dy;
    v_night = c.night, v_contrast = c.contrast;
    view(c.moon);
    std::vector<float> got = render(c.moment);
    int off = 0;
    double worst = 0;
    for (int y = 0; y < yres; y++)
      for (int x = 0; x < xres; x++) {
        float want[4];
        globe_pixel_reference(x, y, want);
        const float* p = &got[4 * ((size_t)y * xres + x)];
        double d = 0;
        for (int k = 0; k < 4; k++) d = std::fmax(d, std::fabs(p[k] - want[k]));
        worst = std::fmax(worst, d);
        if (d > 1e-5) off++;
      }
    EXPECT_EQ(off, 0) << c.what << ": worst difference " << worst;
  }
}

TEST_F(GlobeRender, MomentAndViewCentreFollowTheZone) {
  struct Case {
    const char* zone;
    time_t moment;
    double centre_deg;  // the zone's standard-time meridian
  } cases[] = {
      {"UTC", kJune, 0},
      {"Europe/Zurich", kDecember, 15},  // standard time
      {"Europe/Zurich", kJune, 15},      // daylight saving time: the same meridian, one hour less
      {"Asia/Kolkata", kJune, 75},       // 5:30 ahead: the truncation keeps 75 E
      {"America/St_Johns", kJune, -45},  // 3:30 behind, with daylight saving
      {"America/Los_Angeles", kDecember, -120},
      {"Pacific/Auckland", kDecember, 180},
  };
  for (const Case& c : cases) {
    use_zone(c.zone);
    plat_fixed_now = c.moment;
    ASSERT_EQ(globe_render(), 0);
    EXPECT_NEAR(JD, jd_of(c.moment), 1e-8) << c.zone;
    EXPECT_NEAR(look_at_laenge * kDeg, c.centre_deg, 1e-9) << c.zone;
  }
}

TEST_F(GlobeRender, BandsCoverEveryRowOnceWhateverTheHeight) {
  for (int h : {3, 301, 302, 303}) {
    canvas(97, h);
    ASSERT_EQ(resize_loaded_image(97, h), 0);
    for (int i = 0; i < 4 * 97 * h; i++) img_content[i] = NAN;
    std::vector<float> threads = render(kJune);
    for (size_t i = 0; i < threads.size(); i += 4) {
      ASSERT_EQ(threads[i + 3], 1.0f) << "pixel " << i / 4 << " of 97 x " << h;
      ASSERT_TRUE(std::isfinite(threads[i]) && std::isfinite(threads[i + 1]) &&
                  std::isfinite(threads[i + 2]));
    }
    // Workers that cannot start leave their bands to the caller: the same picture.
    plat_fail_thread_starts = 3;
    std::vector<float> caller = render(kJune);
    EXPECT_EQ(plat_fail_thread_starts, 0);
    EXPECT_EQ(std::memcmp(threads.data(), caller.data(), threads.size() * sizeof(float)), 0) << h;
  }
}

// However many workers share the rows, and also band by band on the caller, the picture is the
// same to the bit.
TEST_F(GlobeRender, EverySplitGivesTheSamePicture) {
  canvas(203, 161);
  globe_workers = 1;
  std::vector<float> one = render(kDecember);
  for (int workers : {2, 3, 4, 8, 16}) {
    globe_workers = workers;
    std::vector<float> got = render(kDecember);
    EXPECT_EQ(std::memcmp(got.data(), one.data(), one.size() * sizeof(float)), 0) << workers;
  }
  globe_workers = 0;
  for (int i = 0; i < 4 * 203 * 161; i++) img_content[i] = NAN;
  for (int k = 0; k < 3; k++) {
    globe_band b = {k, 3};
    EXPECT_EQ(globe2d_comp(&b), 0);
  }
  EXPECT_EQ(std::memcmp(img_content, one.data(), one.size() * sizeof(float)), 0);
}

// Loading the globe paints, composes and quantises the rows together; the canvas and the
// screen's bytes are those of the render followed by the posting and the redraw, for every
// split, one band after another, and with workers that cannot start.
TEST_F(GlobeRender, LoadingShowsWhatRenderAndRedrawShow) {
  canvas(211, 157);
  plat_fixed_now = kJune;
  ASSERT_EQ(globe_render(), 0);
  image_post(xres, yres, 1);
  upd_rgb(0);
  const std::vector<float> frame(fimage, fimage + 4 * 211 * 157);
  const std::vector<unsigned char> bytes(uimage, uimage + 3 * 211 * 157);
  struct Split {
    int workers, sequential, failing;
  } splits[] = {{1, 0, 0}, {2, 0, 0}, {3, 0, 0}, {4, 0, 0}, {8, 0, 0}, {16, 0, 0}, {4, 1, 0}, {4, 0, 2}, {2, 0, 2}};
  for (const Split& sp : splits) {
    SCOPED_TRACE(std::to_string(sp.workers) + (sp.sequential ? " in turn" : "") +
                 (sp.failing ? " failing starts" : ""));
    std::fill(fimage, fimage + 4 * 211 * 157, -1.0f);
    std::fill(uimage, uimage + 3 * 211 * 157, 7);
    globe_workers = sp.workers;
    is9xline = sp.sequential;
    plat_fail_thread_starts = sp.failing;
    load_globe2d();
    is9xline = 0;
    plat_fail_thread_starts = 0;
    int differ = 0;  // colours only: the composition leaves the canvas's alpha as it was
    for (size_t i = 0; i < frame.size(); i++)
      differ += i % 4 != 3 && std::memcmp(&fimage[i], &frame[i], sizeof(float)) != 0;
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(std::memcmp(uimage, bytes.data(), bytes.size()), 0);
    EXPECT_EQ(contentview, 1);
    EXPECT_EQ(image_xres, 211);
  }
}

TEST_F(GlobeRender, WithoutSolarDataTheGlobeIsUnlit) {
  canvas(360, 180);
  globe_zoom = 2.86;  // the whole globe
  globe_dy = 0;
  std::vector<float> june = render(kJune);
  EXPECT_EQ(globe_sun_known, 1);
  // 1975 and 2032 lie outside the solar tables.
  std::vector<float> before = render(157766400);
  EXPECT_EQ(globe_sun_known, 0);
  std::vector<float> after = render(1970000000);
  EXPECT_EQ(globe_sun_known, 0);
  EXPECT_EQ(std::memcmp(before.data(), after.data(), before.size() * sizeof(float)), 0);
  // The same as the night side of a moment with a Sun, and darker than its day side.
  int night = 0, day = 0;
  for (size_t i = 0; i < june.size(); i += 4) {
    if (std::memcmp(&june[i], &after[i], 4 * sizeof(float)) == 0) {
      night++;
    } else {
      day++;
      EXPECT_LT(after[i] + after[i + 1] + after[i + 2], june[i] + june[i + 1] + june[i + 2]);
    }
  }
  EXPECT_GT(night, (int)june.size() / 4 / 3);
  EXPECT_GT(day, (int)june.size() / 4 / 3);
}

TEST_F(GlobeRender, LoadPostsThePictureAtOneToOne) {
  canvas(400, 300);
  zoom = 5, shiftx = 7, shifty = -3;
  set_status("Ready");
  plat_fixed_now = kJune;
  load_globe2d();
  EXPECT_EQ(image_xres, 400);
  EXPECT_EQ(image_yres, 300);
  EXPECT_EQ(contentview, 1);
  EXPECT_EQ(zoom, 31);
  EXPECT_EQ(shiftx, 0);
  EXPECT_EQ(shifty, 0);
  // The canvas shows the picture as rendered.
  for (int i : {0, 4 * (150 * 400 + 200), 4 * (400 * 300 - 1)})
    for (int k = 0; k < 3; k++) EXPECT_NEAR(fimage[i + k], img_content[i + k], 1e-6);
  for (double o : opti) EXPECT_EQ(o, 1.0);
}

}  // namespace
