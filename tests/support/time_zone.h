// Tests that set TZ give the process back the zone it had, or none, when they are done.
#pragma once
#include <string>

class ScopedTimeZone {
 public:
  ScopedTimeZone();   // remembers TZ as it is now
  ~ScopedTimeZone();  // puts it back (unset when it was unset) and re-reads it with tzset
  ScopedTimeZone(const ScopedTimeZone&) = delete;
  ScopedTimeZone& operator=(const ScopedTimeZone&) = delete;

 private:
  bool had_ = false;
  std::string old_;
};
