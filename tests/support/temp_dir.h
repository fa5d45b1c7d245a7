#pragma once
#include <string>

namespace tessera::test {

// A fresh folder below the system's temporary folder, removed with everything in it on
// destruction. Paths are UTF-8 and end without a slash.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;
    // Writes bytes to path() + "/" + name, creating folders on the way; returns the full path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};

// The whole content of a file, or throws std::runtime_error.
std::string readFileBytes(const std::string& path);

}  // namespace tessera::test
