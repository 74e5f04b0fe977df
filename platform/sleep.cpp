#include "platform/sleep.h"

#include <chrono>
#include <thread>

int plat_skip_sleep = 0;
long plat_slept_ms = 0;

void plat_sleep_ms(int ms) {
  if (ms <= 0) return;
  if (plat_skip_sleep) {
    plat_slept_ms += ms;
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}
