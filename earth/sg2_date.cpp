// Dates of the SG2 chain: calendar conversions and the TT date from the Delta T table.
#include <cmath>

#include "earth/sg2.h"
#include "earth/sg2_tables.h"

namespace {

int is_leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

void SG2_date_tabjd_to_tabymdh(const tabjd* jd, tabymdh* ymdh) {
  double z = std::floor(jd->jd_ut + 0.5);
  double c = z + 68569.0;
  double n = std::floor(4.0 * c / 146097.0);
  c = c - std::floor((146097.0 * n + 3.0) / 4.0);
  double i = std::floor(4000.0 * (c + 1.0) / 1461001.0);
  c = c - std::floor(1461.0 * i / 4.0) + 31.0;
  double j = std::floor(80.0 * c / 2447.0);
  double day = c - std::floor(2447.0 * j / 80.0);
  double k = std::floor(j / 11.0);
  double month = j + 2.0 - 12.0 * k;
  double year = 100.0 * (n - 49.0) + i + k;
  ymdh->year = static_cast<int16_t>(static_cast<int>(year));
  ymdh->month = static_cast<int16_t>(static_cast<int>(month));
  ymdh->day = static_cast<int16_t>(static_cast<int>(day));
  ymdh->hour = 24.0 * (jd->jd_ut + 0.5 - z);
}

void SG2_date_tabymdh_to_tabjd(const tabymdh* ymdh, tabjd* jd) {
  double y = ymdh->year, m = ymdh->month;
  if (ymdh->month < 3) {  // January and February are months 13 and 14 of the year before
    m += 12.0;
    y -= 1.0;
  }
  jd->jd_ut = 1721028.0 + ymdh->day + std::floor((153.0 * m - 2.0) / 5.0) + 365.0 * y + std::floor(y / 4.0) -
              std::floor(y / 100.0) + std::floor(y / 400.0) + ymdh->hour / 24.0 - 0.5;
  jd->tt_set = 0;
}

void SG2_date_tabymdh_to_tabydoyh(const tabymdh* ymdh, tabydoyh* ydoyh) {
  int k = ymdh->month < 3 ? 0 : (is_leap_year(ymdh->year) ? 1 : 2);
  ydoyh->year = ymdh->year;
  ydoyh->day_of_year = static_cast<int16_t>(275 * ymdh->month / 9 - k + ymdh->day - 30);
  ydoyh->hour = ymdh->hour;
}

void SG2_date_tabydoyh_to_tabymdh(const tabydoyh* ydoyh, tabymdh* ymdh) {
  int doy = ydoyh->day_of_year;
  int leap = is_leap_year(ydoyh->year);
  int month, day;
  if (doy <= 31) {
    month = 1;
    day = doy;
  } else {
    month = (5 * (doy - 59 - leap) + 303) / 153 + 1;  // the numerator is positive from day 32 on
    if (month == 2)
      day = doy - 31;
    else
      day = doy - ((153 * month - 2) / 5 - 32 + leap);
  }
  ymdh->year = ydoyh->year;
  ymdh->month = static_cast<int16_t>(month);
  ymdh->day = static_cast<int16_t>(day);
  ymdh->hour = ydoyh->hour;
}

void SG2_date_set_tabjd_tt(const double* delta_tt, tabjd* jd, int* err) {
  if (delta_tt) {
    jd->jd_tt = jd->jd_ut + *delta_tt / 86400.0;
    jd->tt_set = 1;
    return;
  }
  // The index is tested as a double, so that NaN and huge dates fail here too.
  double day = std::floor(jd->jd_ut - SG2_TABLE_JD0 + 0.5);
  if (!(day >= 0.0 && day < static_cast<double>(SG2_COUNT(SG2_precomputed_delta_tt)))) {
    *err = SG2_ERR_DATE_DELTA_TT;
    return;
  }
  jd->jd_tt = jd->jd_ut + SG2_precomputed_delta_tt[static_cast<int>(day)] / 86400.0;
  jd->tt_set = 1;
}
