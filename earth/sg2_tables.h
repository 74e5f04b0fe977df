// The five SG2 tables: read-only data written at build time by tools/gen_sg2 and linked by
// data/sg2.S. This header is also the generator's one source for their layout.
//
// Day 0 of every table is JD 2444209.5 (1979-12-02 0 h). The daily tables hold one entry a day
// up to 2031-01-31; the nutation tables one entry every 30 days up to 2031-01-03.
//   SG2_precomputed_delta_tt             float,  seconds TT - UT, indexed by the UT day; the
//                                        value of the calendar month, repeated for its days
//   SG2_precomputed_heliocentric_R       float,  Sun-Earth distance, astronomical units, 0 h TT
//   SG2_precomputed_heliocentric_L       double, heliocentric ecliptic longitude of the Earth
//                                        (mean equinox of date), radians, 0 h TT, unwrapped
//   SG2_precomputed_geocentric_Delta_psi double, nutation in longitude, radians, 0 h TT
//   SG2_precomputed_geocentric_epsilon   double, true obliquity of the ecliptic, radians, 0 h TT
// Little-endian IEEE values, packed, in the order of the days.
#pragma once
#include <cstddef>

constexpr double SG2_TABLE_JD0 = 2444209.5;
constexpr int SG2_DAILY_COUNT = 18689;
constexpr int SG2_NUTATION_STEP = 30;  // days between two nutation entries
constexpr int SG2_NUTATION_COUNT = 623;

extern "C" {
extern const float SG2_precomputed_delta_tt[SG2_DAILY_COUNT];
extern const float SG2_precomputed_heliocentric_R[SG2_DAILY_COUNT];
extern const double SG2_precomputed_heliocentric_L[SG2_DAILY_COUNT];
extern const double SG2_precomputed_geocentric_Delta_psi[SG2_NUTATION_COUNT];
extern const double SG2_precomputed_geocentric_epsilon[SG2_NUTATION_COUNT];
// One past the last byte of each blob, so tests can check that what was linked is what the
// declarations promise.
extern const unsigned char SG2_precomputed_delta_tt_end[];
extern const unsigned char SG2_precomputed_heliocentric_R_end[];
extern const unsigned char SG2_precomputed_heliocentric_L_end[];
extern const unsigned char SG2_precomputed_geocentric_Delta_psi_end[];
extern const unsigned char SG2_precomputed_geocentric_epsilon_end[];
}

// Number of entries of a table, from its declaration.
#define SG2_COUNT(table) (sizeof(table) / sizeof((table)[0]))
