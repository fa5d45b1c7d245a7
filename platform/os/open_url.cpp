#include "platform/os/open_url.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <mutex>

extern char** environ;

namespace platform::os {
namespace {

std::mutex openerMutex;
std::function<bool(const std::string&)> urlOpener;

// A short-lived shell starts xdg-open in the background and ends at once, so the browser is
// never our child and nothing waits for it. The address is the shell's positional parameter,
// quoted where it is used, so no character of it is interpreted.
bool launchXdgOpen(const std::string& url) {
    char shell[] = "/bin/sh";
    char name[] = "sh";
    char flag[] = "-c";
    char script[] = "xdg-open \"$1\" </dev/null >/dev/null 2>&1 &";
    char* argv[] = {name, flag, script, name, const_cast<char*>(url.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, shell, nullptr, nullptr, argv, environ) != 0) return false;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0)
        if (errno != EINTR) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool openUrl(const std::string& url) {
    std::function<bool(const std::string&)> opener;
    {
        std::lock_guard lock(openerMutex);
        opener = urlOpener;
    }
    return opener ? opener(url) : launchXdgOpen(url);
}

void setUrlOpener(std::function<bool(const std::string& url)> opener) {
    std::lock_guard lock(openerMutex);
    urlOpener = std::move(opener);
}

}  // namespace platform::os
