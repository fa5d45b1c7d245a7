#pragma once
// Helpers for the Squirrel suites: running scripts the way the reference host does, compiling
// to closure streams and reading files.

#include <string>

namespace sqtest {

struct RunResult {
    int status;
    std::string out;
    std::string err;
};

// Runs source text or a closure stream with the reference host conventions.
RunResult Run(const std::string& name, const std::string& data);

// Compiles UTF-8 source to a closure stream; `debuginfo` adds LINE instructions. Returns an
// empty string when compiling fails.
std::string Compile(const std::string& name, const std::string& source, bool debuginfo = false);

// A small program with its expected output.
struct ScriptCase {
    const char* name;
    const char* source;
    const char* out;
    const char* err;  // what the host writes to stderr ("" when the run succeeds)
};

// Runs the case from source and, when it compiles, from its closure stream, and checks
// standard output, standard error and the exit status of both runs.
void ExpectRunsFromSourceAndStream(const ScriptCase& c);

// The whole file; a file that cannot be read fails the current test with its path.
std::string ReadFile(const std::string& path);
bool FileExists(const std::string& path);

}  // namespace sqtest
