#include <gtest/gtest.h>
#include "platform/d3d9/direct3d9.h"
TEST(Smoke, Builds) { SUCCEED(); }
