#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/os/file_lock.h"
#include "platform/os/single_instance.h"
#include "tests/platform/os/child_process.h"
#include "tests/support/temp_dir.h"

namespace platform::os {
namespace {

using tessera::test::ChildProcess;
using tessera::test::readFileBytes;
using tessera::test::TempDir;

TEST(FileLock, SecondHolderIsRefusedAndTheFileIsNeverCut) {
    TempDir temp;
    const std::string path = temp.write("game.log", "running game's lines\r\n");
    FileLock first, second;
    ASSERT_EQ(first.tryAcquire(path), FileLock::Result::Acquired);
    EXPECT_EQ(second.tryAcquire(path), FileLock::Result::HeldElsewhere);
    EXPECT_FALSE(second.held());
    EXPECT_EQ(readFileBytes(path), "running game's lines\r\n");
    first.release();
    EXPECT_EQ(second.tryAcquire(path), FileLock::Result::Acquired);
    EXPECT_EQ(FileLock().tryAcquire(temp.file("no/folder/x.lock")), FileLock::Result::Unavailable);
}

TEST(SingleInstance, HolderInAnotherProcessRefusesAndReceivesTheRaiseRequest) {
    TempDir temp;
    setenv("XDG_RUNTIME_DIR", temp.path().c_str(), 1);
    ChildProcess holder([](int in, int out) {
        SingleInstance instance;
        if (instance.acquire("PELLAM_MSW_WINDOW_CLASS_game") != SingleInstance::Result::First)
            return 1;
        const char ready = instance.takeRaiseRequests() ? 'x' : 'L';  // nothing pending yet
        if (!ChildProcess::writeByte(out, ready) || ChildProcess::readByte(in) != 'S') return 2;
        const char raised = instance.takeRaiseRequests() ? 'R' : 'N';
        return ChildProcess::writeByte(out, raised) && ChildProcess::readByte(in) == 'Q' ? 0 : 3;
    });
    ASSERT_EQ(holder.read(), 'L');
    SingleInstance second;
    EXPECT_EQ(second.acquire("PELLAM_MSW_WINDOW_CLASS_game"),
              SingleInstance::Result::AlreadyRunning);
    EXPECT_FALSE(second.held());
    // The request is complete once acquire returns: the holder's next look finds it.
    holder.write('S');
    EXPECT_EQ(holder.read(), 'R');
    holder.write('Q');
    EXPECT_EQ(holder.wait(), 0);
    // The lock ended with the holder's process; a socket file it left does not matter.
    EXPECT_EQ(second.acquire("PELLAM_MSW_WINDOW_CLASS_game"), SingleInstance::Result::First);
    EXPECT_FALSE(second.takeRaiseRequests());
    unsetenv("XDG_RUNTIME_DIR");
}

TEST(SingleInstance, NamesStayInsideThePrivateRuntimeFolder) {
    TempDir temp;
    unsetenv("XDG_RUNTIME_DIR");
    setenv("TMPDIR", temp.path().c_str(), 1);
    const std::string folder = temp.path() + "/tessera-" + std::to_string(getuid());
    EXPECT_EQ(runtimeFolder(), folder);
    struct stat status {};
    ASSERT_EQ(stat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    SingleInstance instance;
    EXPECT_EQ(instance.acquire("../escape/name"), SingleInstance::Result::First);
    EXPECT_EQ(access((folder + "/.._escape_name.lock").c_str(), F_OK), 0);
    instance.release();
    unsetenv("TMPDIR");
}

}  // namespace
}  // namespace platform::os
