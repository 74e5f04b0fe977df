// Pauses of the calling thread.
#pragma once

// Test hook: when set, pauses are recorded here (milliseconds summed) instead of slept.
extern int plat_skip_sleep;
extern long plat_slept_ms;

void plat_sleep_ms(int ms);
