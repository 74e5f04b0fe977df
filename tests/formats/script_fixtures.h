// Fixture folders filled by the shell scripts beside the reader tests (tests/formats/*.sh).
#pragma once
#include <string>

// Makes fixture(folder) and runs tests/formats/<script> with it as its argument; a script that
// fails is a test failure. Returns the folder. Call it once per run, from a static.
std::string script_fixtures(const std::string& folder, const std::string& script);
