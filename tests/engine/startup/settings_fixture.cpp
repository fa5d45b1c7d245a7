#include "tests/engine/startup/settings_fixture.h"

#include <filesystem>

#include "framework/config/d3d9_settings.h"
#include "platform/os/profile_file.h"
#include "platform/os/utf8.h"

namespace tessera::test {

void writeWindowSettings(const std::string& path, uint32_t width, uint32_t height) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    const std::u16string file = platform::os::utf8ToUtf16(path);
    // The adapter's identity in the file comes from the Direct3D object.
    pelD3d9Initialize();
    const PEL_D3D9_SETTINGS settings{PEL_D3D9_VALID, 0, {PEL_D3D9_WINDOW, width, height, 0}, 0};
    pelD3d9ConfigSave(u"Config", file.c_str(), &settings);
    // The dialog starts from the saved settings rather than its defaults.
    platform::os::writePrivateProfileString(u"Config", u"default", u"1", file.c_str());
}

}  // namespace tessera::test
