#include <gtest/gtest.h>

#include <sys/stat.h>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/os/known_folders.h"
#include "tests/support/temp_dir.h"

namespace {

// Sets environment variables for one test and restores them afterwards.
class ScopedEnv {
public:
    void set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::string(old) : std::string(), old != nullptr});
        if (value) {
            setenv(name, value, 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->present) {
                setenv(it->name.c_str(), it->value.c_str(), 1);
            } else {
                unsetenv(it->name.c_str());
            }
        }
    }

private:
    struct Saved {
        std::string name;
        std::string value;
        bool present;
    };
    std::vector<Saved> saved_;
};

TEST(KnownFolders, XdgVariablesElseFoldersBelowHome) {
    tessera::test::TempDir temp;
    ScopedEnv env;
    env.set("HOME", temp.path().c_str());
    env.set("XDG_DATA_HOME", nullptr);
    env.set("XDG_CONFIG_HOME", "relative/ignored");
    env.set("TMPDIR", nullptr);
    EXPECT_EQ(platform::os::localAppDataFolder(), temp.path() + "/.local/share");
    EXPECT_EQ(platform::os::userAppDataFolder(), temp.path() + "/.config");
    EXPECT_EQ(platform::os::temporaryFolder(), "/tmp");
    struct stat status {};
    ASSERT_EQ(stat((temp.path() + "/.local/share").c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);

    env.set("XDG_DATA_HOME", (temp.path() + "/data/").c_str());
    env.set("TMPDIR", (temp.path() + "/t/").c_str());
    EXPECT_EQ(platform::os::localAppDataFolder(), temp.path() + "/data");
    EXPECT_EQ(platform::os::temporaryFolder(), temp.path() + "/t");

    temp.write("file", "x");
    env.set("XDG_DATA_HOME", (temp.path() + "/file/below").c_str());
    EXPECT_EQ(platform::os::localAppDataFolder(), "");
}

}  // namespace
