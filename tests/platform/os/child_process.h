#pragma once
// A forked copy of the test process that runs one function and talks to the test through two
// pipes, one byte at a time: for tests of what two processes do to each other (locks, requests
// between running programs). The child ends with _exit, so it runs no exit handlers and no
// leak check of the state it inherited.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace tessera::test {

class ChildProcess {
public:
    // body(in, out) runs in the child; its result is the child's exit status.
    template <typename Body>
    explicit ChildProcess(Body body) {
        if (pipe(toChild_) != 0 || pipe(toParent_) != 0) std::abort();
        pid_ = fork();
        if (pid_ < 0) std::abort();
        if (pid_ == 0) {
            close(toChild_[1]);
            close(toParent_[0]);
            _exit(body(toChild_[0], toParent_[1]));
        }
        close(toChild_[0]);
        close(toParent_[1]);
    }
    ~ChildProcess() {
        close(toChild_[1]);
        close(toParent_[0]);
        if (pid_ > 0) waitpid(pid_, nullptr, 0);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // The next byte from the child, 0 when it ended without sending one.
    char read() { return readByte(toParent_[0]); }
    void write(char c) { ASSERT_EQ(writeByte(toChild_[1], c), true); }
    // Waits for the child's end: its exit status, or -1 when it did not exit normally.
    int wait() {
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // For the child's side.
    static char readByte(int file) {
        char c = 0;
        return ::read(file, &c, 1) == 1 ? c : 0;
    }
    static bool writeByte(int file, char c) { return ::write(file, &c, 1) == 1; }

private:
    int toChild_[2] = {-1, -1};
    int toParent_[2] = {-1, -1};
    pid_t pid_ = -1;
};

}  // namespace tessera::test
