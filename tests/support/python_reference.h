// Runs one of the reference scripts of tests/ under /usr/bin/python3 (which has PyEphem) and reads
// its output as rows of numbers.
#pragma once
#include <string>
#include <vector>

// Rows of numbers ("nan" where the script has no value) printed by tests/<script> run with args.
// False, with the reason in *error, when the script could not be run, failed or printed nothing.
bool python_rows(const std::string& script, const std::string& args,
                 std::vector<std::vector<double>>* rows, std::string* error);
