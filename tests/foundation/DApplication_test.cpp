#include "foundation/DApplication.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/os/module_path.h"

namespace mirel {
namespace {

// The program directory worked out from an injected module path (UTF-8, as the system gives
// it) is CP932 with '/' separators and a final '/'.
TEST(DApplication, ProgramDirectoryFromModulePath) {
    struct Case {
        const char* modulePath;
        std::string directory;
    };
    const Case cases[] = {
        {"C:\\Games\\Title\\game.exe", "C:/Games/Title/"},
        {"\\\\server\\share\\game.exe", "//server/share/"},
        {"/opt/tessera/bin/tessera", "/opt/tessera/bin/"},
        // ゲーム/ソ: the last character's CP932 trail byte is 0x5C.
        {"/\xE3\x82\xB2\xE3\x83\xBC\xE3\x83\xA0/\xE3\x82\xBD/tessera",
         "/\x83\x51\x81\x5B\x83\x80/\x83\x5C/"},
    };
    for (const Case& c : cases) {
        platform::os::overrideModuleFileName(c.modulePath);
        DApplication application;
        ASSERT_TRUE(application.Init(nullptr, 10)) << c.modulePath;
        EXPECT_EQ(std::string(application.GetProgramDirectory().Text()), c.directory)
            << c.modulePath;
        EXPECT_EQ(application.GetShowCommand(), 10);
    }
    platform::os::overrideModuleFileName(std::nullopt);
}

TEST(DApplication, OverlongModulePathIsRefused) {
    // 262 bytes fit with the NUL of a 264-byte buffer; 264 do not.
    const std::string fits = "/" + std::string(254, 'd') + "/game.x";
    const std::string tooLong = "/" + std::string(256, 'd') + "/game.x";
    DApplication application;
    platform::os::overrideModuleFileName(fits);
    EXPECT_TRUE(application.Init(nullptr, 10));
    platform::os::overrideModuleFileName(tooLong);
    EXPECT_FALSE(application.Init(nullptr, 10));
    platform::os::overrideModuleFileName("");
    EXPECT_FALSE(application.Init(nullptr, 10));
    platform::os::overrideModuleFileName(std::nullopt);
}

TEST(DApplication, CurrentIsSetByItsOwner) {
    EXPECT_EQ(DApplication::Current(), nullptr);
    DApplication application;
    DApplication::SetCurrent(&application);
    EXPECT_EQ(DApplication::Current(), &application);
    DApplication::SetCurrent(nullptr);
}

}  // namespace
}  // namespace mirel
