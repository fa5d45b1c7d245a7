#pragma once
#include <cstdint>
#include <string>
#include <vector>

// The script parameters that persist from one run to the next: integers and strings by index,
// kept in the parameter file. Big-endian: N, N x i32, M, then M x {u32 length L, L x u16}.
struct SystemParameters {
    // Grow to n entries (new ones 0 or empty); a smaller n changes nothing.
    void resizeInts(uint32_t n);
    void resizeStrings(uint32_t n);
    void clear();

    // Reads the file at the framework path, replacing the parameters. Every failure is a
    // level-0 report tagged with the read that failed; counts the rest of the file cannot
    // hold fail as the short read of "File::readU32" before anything is allocated.
    void load(const char16_t* path);
    // The file's bytes.
    std::string serialize() const;
    // Writes the file through a temporary file renamed over the old one, so a crash never
    // leaves a cut file; a failure is the level-0 report of "File::create".
    void save(const char16_t* path) const;

    std::vector<int32_t> ints;
    std::vector<std::u16string> strings;
};
