// ETOPO5 as netCDF's own dump tool (ncdump, Debian netcdf-bin) reads it, for the tests of the
// tables and images made from it.
#pragma once
#include <vector>

// ROSE [2161][4320]: metres, rows from 90 S, columns from 0 E, every 1/12 degree. Read once per
// test program; empty when ncdump could not read the file.
const std::vector<float>& etopo5_rose();
