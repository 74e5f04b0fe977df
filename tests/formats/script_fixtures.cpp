#include "script_fixtures.h"

#include <gtest/gtest.h>

#include "support/image_fixtures.h"

std::string script_fixtures(const std::string& folder, const std::string& script) {
  std::string d = fixture(folder);
  sh("mkdir -p '" + d + "'");
  EXPECT_EQ(sh(test_script(script) + " '" + d + "' >/dev/null 2>&1"), 0);
  return d;
}
