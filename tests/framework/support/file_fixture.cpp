#include "tests/framework/support/file_fixture.h"

#include <cstdlib>
#include <filesystem>

#include "framework/core/core.h"
#include "platform/os/module_path.h"

namespace tessera::test {

void FrameworkFiles::SetUp() {
    std::filesystem::create_directories(executableFolder());
    std::filesystem::create_directories(temp_.path() + "/tmp");
    platform::os::overrideModuleFileName(executableFolder() + "/game");
    setenv("XDG_DATA_HOME", (temp_.path() + "/data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (temp_.path() + "/config").c_str(), 1);
    setenv("TMPDIR", (temp_.path() + "/tmp").c_str(), 1);
    pelFinalize();
    pelFileRegisterModule();
    pelInitialize();
}

void FrameworkFiles::TearDown() {
    pelFinalize();
    platform::os::overrideModuleFileName(std::nullopt);
    unsetenv("XDG_DATA_HOME");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("TMPDIR");
}

std::string FrameworkFiles::writeBesideExecutable(const std::string& name,
                                                  const std::string& bytes) const {
    return temp_.write("Bin/" + name, bytes);
}

std::string FrameworkFiles::readAll(PEL_FILE* file) {
    uint64_t size = 0;
    pelFileGetSize(&size, file);
    std::string bytes(size, '\0');
    size_t got = 0;
    EXPECT_EQ(pelFileRead(&got, bytes.data(), bytes.size(), file), PEL_OK);
    bytes.resize(got);
    return bytes;
}

}  // namespace tessera::test
