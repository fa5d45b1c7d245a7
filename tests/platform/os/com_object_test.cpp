// The shared COM-style reference count: one reference at creation, deletion on the last release.
#include "platform/os/com_object.h"

#include <gtest/gtest.h>

namespace tessera::test {
namespace {

class Counted final : public platform::os::ComObject {
public:
    explicit Counted(bool& deleted) : deleted_(deleted) {}
    ~Counted() override { deleted_ = true; }

private:
    bool& deleted_;
};

TEST(ComObject, StartsWithOneReferenceAndDeletesItselfOnTheLastRelease) {
    bool deleted = false;
    auto* object = new Counted(deleted);
    EXPECT_EQ(object->AddRef(), 2u);
    EXPECT_EQ(object->Release(), 1u);
    EXPECT_FALSE(deleted);
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_TRUE(deleted);
}

}  // namespace
}  // namespace tessera::test
