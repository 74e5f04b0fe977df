// The globe's render: the moment from the clock, the Sun and the Moon once per render, the
// picture's rows handed out to band workers, then posted and shown like any picture.
#include "earth/globe.h"

#include <FL/Fl.H>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "earth/constants.h"
#include "earth/elevation.h"
#include "earth/globe_shade.h"
#include "earth/moon.h"
#include "earth/sun_times.h"
#include "platform/bands.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

// The columns of the render, shared by the bands; grown, never shrunk.
globe_column* columns = nullptr;
int columns_allocated = 0;

// A pan of many turns is first brought near the range, so that the steps below stay few.
double near_range(double v, double period) {
  return std::fabs(v) > 64 * period ? std::fmod(v, period) : v;
}

double pixel_scale() { return 0.35 * globe_zoom * GLOBE_RAD_PER_DEG; }

}  // namespace

double globe_longitude_at(double x, double w, double lon_low) {
  double lambda = near_range((x - w * 0.5) * pixel_scale() + look_at_laenge - globe_dx, TWO_PI);
  const double lon_high = lon_low + TWO_PI;
  while (lambda > lon_high) lambda -= TWO_PI;
  while (lambda < lon_low) lambda += TWO_PI;
  return lambda;
}

double globe_latitude_at(double y, double h) {
  // Beyond a pole the map starts again from the other one: the latitude is taken modulo pi.
  double phi = near_range(look_at_breite - (y - h * 0.5) * pixel_scale() - globe_dy, PI);
  while (phi > GLOBE_HALF_PI) phi -= PI;
  while (phi < -GLOBE_HALF_PI) phi += PI;
  return phi;
}

void globe_point(double x, double y, double w, double h, double* lon, double* lat) {
  *lon = globe_longitude_at(x, w, -PI);
  *lat = globe_latitude_at(y, h);
}

namespace {

void paint_rows(int64_t y0, int64_t y1) {
  for (int64_t y = y0; y < y1; y++) {
    globe_row row;
    globe_row_at(globe_latitude_at((double)y, yres), &row);
    globe_paint_row(row, columns, xres, img_content + 4 * y * xres);
  }
}

}  // namespace

int globe_workers = 0;

int globe2d_comp(void* band) {
  const globe_band* b = static_cast<const globe_band*>(band);
  int k = b->band & 0xFFFF, n = b->nbands & 0xFFFF;
  if (n == 0 || k >= n) return 0;
  paint_rows((int64_t)k * yres / n, (int64_t)(k + 1) * yres / n);
  return 0;
}

namespace {

// globe_render up to the painting of the rows.
int render_begin() {
  // A reader that lets the toolkit run part-way still owns the loaded image: a resize, pan or
  // knob on the globe meanwhile must not reallocate it under the reader.
  if (do_open_busy()) return -1;
  xres = width;
  yres = height;
  if (xres <= 0 || yres <= 0) return -1;  // no canvas to paint for
  // The block is reused while the pixel count stays; otherwise it is allocated anew.
  if (resize_loaded_image(xres, yres) != 0) {
    printf("memory error (init img)\n");
    return -1;
  }
  if (xres > columns_allocated) {
    globe_column* c = (globe_column*)malloc(sizeof(globe_column) * xres);
    if (!c) {
      printf("memory error (init img)\n");
      return -1;
    }
    free(columns);
    columns = c;
    columns_allocated = xres;
  }
  for (double& o : opti) o = 1.0;

  plat_local_time now;
  plat_now(&now);
  JD = julian_date_local(now);

  // The Sun for an observer at the North Pole: its azimuth is the Greenwich hour angle plus pi
  // and its elevation the declination, which together give the direction of the sunlight.
  globe_sun_known = calc_sun_pos(JD, 0, GLOBE_HALF_PI, height_north_pole, &sol_phi_northpole,
                                 &sol_theta_northpole) == 0;
  SOLX = -std::sin(sol_phi_northpole) * std::cos(sol_theta_northpole);
  SOLY = -std::cos(sol_phi_northpole) * std::cos(sol_theta_northpole);
  SOLZ = -std::sin(sol_theta_northpole);

  // At the pole the Moon's azimuth and altitude are the sub-lunar point.
  compute_moon(0, 1, JD, 0, 90, &moon_azimuth, &moon_altitude, &moon_phase, 0, 0);

  // The view is centred on the meridian of the zone's standard time.
  look_at_laenge = -(double)(now.bias_minutes / 60) * 15 * GLOBE_RAD_PER_DEG;

  // The view choice is a widget: it is read here, once, not by the workers. While the empty
  // view's items stand over the globe (after a failed open) the selection shown is not the
  // globe's, and the globe keeps the view it had.
  globe_moon_view = (empty_choices_shown() ? choice_vglobe : get_view_val()) == 1;

  for (int x = 0; x < xres; x++) globe_column_at(globe_longitude_at(x, xres, 0.0), &columns[x]);
  return 0;
}

// Rows take unequal times (land against open sea), so they are handed out a few at a time to as
// many workers as there are processors rather than in four fixed bands.
int painting_workers() { return globe_workers > 0 ? globe_workers : plat_processor_count(); }

}  // namespace

int globe_render() {
  if (render_begin() != 0) return -1;
  run_pieces(yres, GLOBE_ROWS_A_PIECE, painting_workers(), [](int y0, int y1) { paint_rows(y0, y1); });
  return 0;
}

void load_globe2d() {
  if (render_begin() != 0) return;
  // The picture is posted before its rows are painted (posting reads only its size), so that
  // each row can be composed and quantised as soon as it is painted; one processor is left to
  // the quantiser, which follows the painters row by row.
  image_post(xres, yres, 1);
  const int painters = globe_workers > 0 ? globe_workers : plat_processor_count() - 1;
  upd_rgb_as_made(GLOBE_ROWS_A_PIECE, painters, [](int y0, int y1) { paint_rows(y0, y1); });
  Fl::flush();
}
