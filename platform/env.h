// Environment look-up.
#pragma once

// Copies the value of `name` into buf (at most size-1 characters, always terminated) and returns
// its length, or 0 when the variable is not set. "NUMBER_OF_PROCESSORS" is always present on the
// systems this program was first written for; when it is missing here the answer is the number of
// online processors, so the documented caps on worker counts keep their meaning.
int plat_getenv(const char* name, char* buf, int size);

// The worker count a split should use: the decimal value of NUMBER_OF_PROCESSORS (as above),
// `fallback` when it does not parse, then clamped to 1 .. max.
int plat_worker_count(int fallback, int max);
