// Geocentric stage of SG2: the Sun's apparent longitude, right ascension and declination, the
// apparent sidereal time and the equation of time, with the nutation and obliquity of the
// nearest 30-day entry.
#include <cmath>

#include "earth/sg2.h"
#include "earth/sg2_tables.h"

void SG2_geocentric_set_geoc_data(const tabjd* jd, const helioc* hc, geoc* gc, int* err) {
  if (jd->tt_set != 1) {
    *err = SG2_ERR_GEOC_TT_NOT_SET;
    return;
  }
  gc->jd = jd;
  gc->helioc = hc;
  double k = std::floor((jd->jd_tt - SG2_TABLE_JD0) / SG2_NUTATION_STEP + 0.5);
  if (!(k >= 0.0 && k < static_cast<double>(SG2_COUNT(SG2_precomputed_geocentric_epsilon)))) {
    *err = SG2_ERR_GEOC_RANGE;
    return;
  }
  int i = static_cast<int>(k);
  double dpsi = SG2_precomputed_geocentric_Delta_psi[i];
  double eps = SG2_precomputed_geocentric_epsilon[i];
  double cos_eps = std::cos(eps), sin_eps = std::sin(eps);
  gc->Delta_psi = dpsi;
  gc->epsilon = eps;
  gc->Theta_a = hc->L + M_PI + dpsi - SG2_ABERRATION;
  double sin_theta = std::sin(gc->Theta_a), cos_theta = std::cos(gc->Theta_a);
  gc->r_alpha = std::atan2(sin_theta * cos_eps, cos_theta);
  gc->delta = std::asin(sin_eps * sin_theta);
  // Sidereal time from the UT date, the equation of time from the TT date; neither is reduced,
  // their users take sines and cosines only.
  gc->nu = 6.300388099 * jd->jd_ut - 15399655.71482657 + dpsi * cos_eps;
  gc->EoT = 0.01720279169744191 * jd->jd_tt - 42049.14238795757 - 0.0001 - gc->r_alpha + dpsi * cos_eps;
}
