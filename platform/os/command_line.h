#pragma once
#include <string>

namespace platform::os {

// Keeps main's arguments for commandLine(). Call once, first thing in main.
void saveArgs(int argc, const char* const* argv);

// The command line as one UTF-16 text, the form Windows programs read: the arguments (UTF-8
// on Linux) from argv[0] on, separated by spaces, each quoted where needed so that the
// standard Windows splitting rules give the same arguments back.
std::u16string commandLine();

}  // namespace platform::os
