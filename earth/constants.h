// The numbers the geometry shares, written once. Where a computation is defined with its own
// rounding of a number (the globe's pi/2 and degree, the readouts' pi), that rounding has a name
// here too, so that every caller uses the same bits and none is "corrected" by accident.
#pragma once

constexpr double PI = 3.141592653589793;
constexpr double TWO_PI = 6.283185307179586;
constexpr double RAD_PER_DEG = 0.017453292519943295;
constexpr double DEG_PER_RAD = 57.29577951308232;

// The globe's roundings: its pi/2 lies two steps above the nearest double (a latitude there still
// counts as the pole), and its degree is cut after 15 digits.
constexpr double GLOBE_HALF_PI = 1.570796326794897;
constexpr double GLOBE_RAD_PER_DEG = 0.017453292519943;
// pi to eight decimals: the globe's degree readouts (the pointer readout, the colour model's
// latitude and longitude in degrees) divide by it.
constexpr double PI_8 = 3.14159265;

// The WGS84 ellipsoid: semi-major axis a and semi-minor axis b in metres, and their squares in
// square metres as the globe's surface normal uses them.
constexpr double WGS84_A = 6378137.0;
constexpr double WGS84_B = 6356752.314;
constexpr double WGS84_A2 = 40680631590769.0;
constexpr double WGS84_B2 = 40408299981544.36;
