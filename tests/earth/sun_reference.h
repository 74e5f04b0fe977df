// Runs tests/earth/sun_reference.py (PyEphem under /usr/bin/python3) and returns its output as
// rows of numbers ("nan" where the reference has no value).
#pragma once
#include <string>
#include <vector>

// Rows of the script's output for the given arguments; empty, with a GoogleTest failure already
// recorded, when the script could not be run.
std::vector<std::vector<double>> sun_reference(const std::string& args);
