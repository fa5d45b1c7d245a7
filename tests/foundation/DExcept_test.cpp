#include "foundation/DExcept.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "foundation/DExceptFile.h"
#include "foundation/DSection.h"

namespace mirel {
namespace {

TEST(DExcept, KeepsAtMost255Characters) {
    const std::string text(300, 'x');
    DExcept e(text.c_str());
    EXPECT_EQ(std::strlen(e.Message()), 255u);
    EXPECT_EQ(std::string(e.Message()), text.substr(0, 255));
    DExcept copy(e);
    EXPECT_STREQ(copy.Message(), e.Message());
    EXPECT_STREQ(DExcept(nullptr).Message(), "");
}

TEST(DExcept, FileErrorsAreCaughtAsTheBase) {
    try {
        throw DExceptFile();
    } catch (const DExcept& e) {
        EXPECT_STREQ(e.Message(), "DExceptFile");
        return;
    }
    FAIL() << "not caught";
}

TEST(DSection, IsRecursiveAndExcludesOtherThreads) {
    DSection section;
    section.Enter();
    section.Enter();
    section.Leave();
    section.Leave();

    long counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            section.Enter();
            section.Enter();
            ++counter;
            section.Leave();
            section.Leave();
        }
    };
    std::thread a(work), b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
}

}  // namespace
}  // namespace mirel
