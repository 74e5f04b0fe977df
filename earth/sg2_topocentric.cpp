// Topocentric stage of SG2: the observer record and the Sun's elevation and azimuth for it.
#include <cmath>

#include "earth/sg2.h"

void SG2_topocecentric_set_tabgeopoint(double lon, double lat, double h, tabgeopoint* gp) {
  gp->phi = lat;
  gp->lambda = lon;
  gp->h = h;
  gp->cos_phi = std::cos(lat);
  gp->sin_phi = std::sin(lat);
  // atan2 rather than atan of the quotient: the same for |lat| < pi/2, and a latitude a rounding
  // step beyond pi/2 (such as 1.570796326794897) keeps the northern reduced latitude instead of
  // flipping to -pi/2 with the sign of the parallax.
  gp->u = std::atan2((1.0 - gp->f) * gp->sin_phi, gp->cos_phi);
  gp->x = std::cos(gp->u) + gp->h / gp->a * gp->cos_phi;
  gp->y = (1.0 - gp->f) * std::sin(gp->u) + gp->h / gp->a * gp->sin_phi;
}

void SG2_topocentric_set_topoc_data(const geoc* gc, const tabgeopoint* gp, topoc* tp) {
  tp->jd = gc->jd;
  tp->helioc = gc->helioc;
  tp->geoc = gc;
  tp->geopoint = gp;
  double xi = gp->a / SG2_AU_METRES;  // equatorial radius in au, not divided by R
  double hour_angle = gc->nu + gp->lambda - gc->r_alpha;
  double sin_h = std::sin(hour_angle), cos_h = std::cos(hour_angle);
  double sin_d = std::sin(gc->delta), cos_d = std::cos(gc->delta);
  double d_alpha = -gp->x * sin_h / cos_d * xi;
  tp->r_alpha_topo = gc->r_alpha + d_alpha;
  tp->delta_topo = gc->delta + (gp->x * cos_h * sin_d - gp->y * cos_d) * xi;
  tp->omega_topo = hour_angle - d_alpha;
  double sin_w = std::sin(tp->omega_topo), cos_w = std::cos(tp->omega_topo);
  double sin_dt = std::sin(tp->delta_topo), cos_dt = std::cos(tp->delta_topo);
  // Rounding can push the sine a hair past 1 with the Sun in the zenith; asin would give NaN.
  double sin_el = gp->sin_phi * sin_dt + gp->cos_phi * cos_dt * cos_w;
  tp->elevation = std::asin(std::fmin(1.0, std::fmax(-1.0, sin_el)));
  // + pi turns the southern origin of the formula into north 0, east pi/2.
  tp->azimuth = std::atan2(sin_w, cos_w * gp->sin_phi - gp->cos_phi * sin_dt / cos_dt) + M_PI;
}
