#include "sun_reference.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

std::vector<std::vector<double>> sun_reference(const std::string& args) {
  std::vector<std::vector<double>> rows;
  const char* src = std::getenv("SUNCALC_SOURCE_DIR");
  std::string cmd = std::string("/usr/bin/python3 ") + (src ? src : ".") + "/tests/earth/sun_reference.py " + args;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) {
    ADD_FAILURE() << "cannot run " << cmd;
    return rows;
  }
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = pclose(p);
  if (status != 0) {
    ADD_FAILURE() << cmd << " failed with status " << status;
    rows.clear();
    return rows;
  }
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::vector<double> row;
    std::string f;
    while (fields >> f) row.push_back(std::strtod(f.c_str(), nullptr));
    if (!row.empty()) rows.push_back(row);
  }
  if (rows.empty()) ADD_FAILURE() << cmd << " printed nothing";
  return rows;
}
