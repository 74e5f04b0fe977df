// Heliocentric stage of SG2: the Sun-Earth distance and the Earth's longitude from the daily
// tables, interpolated linearly between the 0 h TT entries.
#include <cmath>

#include "earth/sg2.h"
#include "earth/sg2_tables.h"

void SG2_heliocentric_set_helioc_data(const tabjd* jd, helioc* hc, int* err) {
  if (jd->tt_set != 1) {
    *err = SG2_ERR_HELIOC_TT_NOT_SET;
    return;
  }
  hc->jd = jd;
  double x = jd->jd_tt - SG2_TABLE_JD0;
  double c = std::floor(x);
  // Entry c + 1 must exist too; a double test, so that NaN fails.
  if (!(c >= 0.0 && c < static_cast<double>(SG2_COUNT(SG2_precomputed_heliocentric_L) - 1))) {
    *err = SG2_ERR_HELIOC_RANGE;
    return;
  }
  int i = static_cast<int>(c);
  double w = x - c;
  hc->R = (1.0 - w) * SG2_precomputed_heliocentric_R[i] + w * SG2_precomputed_heliocentric_R[i + 1];
  hc->L = (1.0 - w) * SG2_precomputed_heliocentric_L[i] + w * SG2_precomputed_heliocentric_L[i + 1];
}
