#include "support/python_reference.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

bool python_rows(const std::string& script, const std::string& args,
                 std::vector<std::vector<double>>* rows, std::string* error) {
  rows->clear();
  const char* src = std::getenv("SUNCALC_SOURCE_DIR");
  std::string cmd =
      std::string("/usr/bin/python3 ") + (src ? src : ".") + "/tests/" + script + " " + args;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) {
    *error = "cannot run " + cmd;
    return false;
  }
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int status = pclose(p);
  if (status != 0) {
    *error = cmd + " failed with status " + std::to_string(status);
    return false;
  }
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::vector<double> row;
    std::string f;
    while (fields >> f) row.push_back(std::strtod(f.c_str(), nullptr));
    if (!row.empty()) rows->push_back(row);
  }
  if (rows->empty()) {
    *error = cmd + " printed nothing";
    return false;
  }
  return true;
}
