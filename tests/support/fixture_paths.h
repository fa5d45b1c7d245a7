#pragma once
#include <string>

namespace tessera::test {

// The shared reference-data folder (TESSERA_SHARED_DIR, set by ctest), without a trailing slash.
// Fails the current test when the variable is missing.
std::string sharedDir();

// The value of an environment variable that ctest passes to the suite (a generated fixture's
// path, say); fails the current test when it is missing.
std::string requiredEnv(const char* name);

// True when running under CI (CI=true): tests that need an external tool then fail instead of
// skipping when the tool is missing.
bool runningInCi();

}  // namespace tessera::test
