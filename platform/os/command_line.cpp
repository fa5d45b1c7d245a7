#include "platform/os/command_line.h"

#include <mutex>
#include <string_view>

#include "platform/os/utf8.h"

namespace platform::os {
namespace {

std::mutex lineMutex;
std::u16string savedLine;

// Appends one argument with the Windows quoting rules: quoted when empty or holding a blank or
// a quote; inside quotes, backslashes are doubled only where they precede a quote (or the
// closing quote), and a quote is escaped with a backslash.
void appendQuoted(std::u16string& line, std::u16string_view argument) {
    if (!argument.empty() && argument.find_first_of(u" \t\n\v\"") == std::u16string_view::npos) {
        line += argument;
        return;
    }
    line += u'"';
    size_t backslashes = 0;
    for (char16_t c : argument) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        if (c == u'"') {
            line.append(backslashes * 2 + 1, u'\\');
        } else {
            line.append(backslashes, u'\\');
        }
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, u'\\');
    line += u'"';
}

}  // namespace

void saveArgs(int argc, const char* const* argv) {
    std::u16string line;
    for (int i = 0; i < argc; ++i) {
        if (i > 0) line += u' ';
        appendQuoted(line, utf8ToUtf16(argv[i] ? argv[i] : ""));
    }
    std::lock_guard lock(lineMutex);
    savedLine = std::move(line);
}

std::u16string commandLine() {
    std::lock_guard lock(lineMutex);
    return savedLine;
}

}  // namespace platform::os
