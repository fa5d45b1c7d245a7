#include "tests/support/fixture_paths.h"

#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

namespace tessera::test {

std::string requiredEnv(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) {
        ADD_FAILURE() << "environment variable " << name
                      << " is not set (run the suite through ctest)";
        return {};
    }
    return value;
}

std::string sharedDir() { return requiredEnv("TESSERA_SHARED_DIR"); }

bool runningInCi() {
    const char* ci = std::getenv("CI");
    return ci && std::strcmp(ci, "true") == 0;
}

}  // namespace tessera::test
