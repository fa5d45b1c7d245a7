#pragma once
// Sound-effect group files ("prp"): Shift-JIS text of section lines, each a section word
// ("@prop", "@se3") followed by `key = value` pairs on the same line.
#include <string>
#include <utility>
#include <vector>

namespace tools::writers {

struct SeGroupSection {
    std::string word;
    std::vector<std::pair<std::string, std::string>> pairs;
};

// A value as the file writes it: bare when it holds no blank (space, tab, full-width space),
// quote or backslash; otherwise in double quotes with every quote and backslash escaped by a
// backslash (the second byte of a double-byte character is left alone).
std::string seGroupValue(const std::string& value);
// One line per section, ending in `lineEnd`.
std::string seGroupFile(const std::vector<SeGroupSection>& sections,
                        const std::string& lineEnd = "\r\n");

}  // namespace tools::writers
