#include "support/time_zone.h"

#include <cstdlib>
#include <ctime>

ScopedTimeZone::ScopedTimeZone() {
  const char* tz = getenv("TZ");
  had_ = tz != nullptr;
  if (tz) old_ = tz;
}

ScopedTimeZone::~ScopedTimeZone() {
  if (had_)
    setenv("TZ", old_.c_str(), 1);
  else
    unsetenv("TZ");
  tzset();
}
