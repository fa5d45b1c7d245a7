// The sphere centres that hit tests read, as the engines convert them (× 1024, rounded), agree
// bit for bit on every machine running this build: a fixed constant for 1,000 animated frames.
// The benchmark checks the same constant in the release build.
#include <gtest/gtest.h>

#include "tests/model3d/instance_fixture.h"

namespace tessera::test {
namespace {

class DeterminismTest : public InstanceTest {};

TEST_F(DeterminismTest, SphereCentresOfAThousandFramesHashToTheConstant) {
    EXPECT_EQ(dancerSphereHash(1000), kDancerSphereHash1000)
        << "hash 0x" << std::hex << dancerSphereHash(1000);
}

}  // namespace
}  // namespace tessera::test
