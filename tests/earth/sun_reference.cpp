#include "sun_reference.h"

#include <gtest/gtest.h>

#include "support/python_reference.h"

std::vector<std::vector<double>> sun_reference(const std::string& args) {
  std::vector<std::vector<double>> rows;
  std::string error;
  if (!python_rows("earth/sun_reference.py", args, &rows, &error)) ADD_FAILURE() << error;
  return rows;
}
