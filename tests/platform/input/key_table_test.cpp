// The table from DirectInput key codes to SDL scancodes.
#include <gtest/gtest.h>

#include <map>

#include "platform/input/key_table.h"

namespace {

using namespace platform::input;

TEST(KeyTable, NoTwoKeyCodesShareAScancode) {
    std::map<int, DWORD> owner;
    for (DWORD code = 0; code < 256; ++code) {
        const int scancode = sdlScancodeOfKey(code);
        if (scancode == 0) continue;
        const auto [it, added] = owner.emplace(scancode, code);
        EXPECT_TRUE(added) << "codes " << it->second << " and " << code;
    }
    EXPECT_EQ(sdlScancodeOfKey(0), 0);
    EXPECT_EQ(sdlScancodeOfKey(256), 0);
}

TEST(KeyTable, CoversTheKeysGamesAssign) {
    // Escape, digits, letters, Enter, both Ctrl, Shift and Alt, Space, F1 to F12, the keypad,
    // the Japanese keys and the editing and arrow keys.
    std::vector<DWORD> codes = {0x01, 0x1C, 0x1D, 0x2A, 0x36, 0x38, 0x39, 0x57, 0x58,
                                0x70, 0x79, 0x7B, 0x7D, 0x9C, 0x9D, 0xB5, 0xB8, 0xC7,
                                0xC8, 0xC9, 0xCB, 0xCD, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3};
    for (DWORD code = 0x02; code <= 0x0B; ++code) codes.push_back(code);
    for (DWORD code = 0x10; code <= 0x19; ++code) codes.push_back(code);
    for (DWORD code = 0x1E; code <= 0x26; ++code) codes.push_back(code);
    for (DWORD code = 0x2C; code <= 0x32; ++code) codes.push_back(code);
    for (DWORD code = 0x3B; code <= 0x44; ++code) codes.push_back(code);
    for (DWORD code = 0x47; code <= 0x53; ++code) codes.push_back(code);
    for (DWORD code : codes) EXPECT_NE(sdlScancodeOfKey(code), 0) << code;
    // Spot checks of the letters' order: 30 is A, 44 is Z, 0x10 is Q.
    EXPECT_EQ(keyName(30), u"A");
    EXPECT_EQ(keyName(44), u"Z");
    EXPECT_EQ(keyName(0x10), u"Q");
    EXPECT_EQ(keyName(0xCB), u"Left");
    EXPECT_EQ(keyName(0x52), u"Keypad 0");
}

}  // namespace
