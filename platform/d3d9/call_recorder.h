#pragma once
// A log of device calls with their arguments, switched on by tests that check what the
// runtime asked of the device. Arguments are kept as text: integers in decimal, floats in %g,
// pointers as "null" or "ptr".
#include <cstdint>
#include <string>
#include <type_traits>
#include <vector>

namespace platform::d3d9 {

struct RecordedCall {
    std::string method;
    std::string arguments;  // "a, b, c"
};

class CallRecorder {
public:
    void setEnabled(bool enabled) { enabled_ = enabled; }
    bool enabled() const { return enabled_; }
    const std::vector<RecordedCall>& calls() const { return calls_; }
    void clear() { calls_.clear(); }

    template <typename... Args>
    void record(const char* method, const Args&... args) {
        if (!enabled_) return;
        std::string text;
        (append(text, args), ...);
        calls_.push_back({method, std::move(text)});
    }

private:
    static void separate(std::string& text) {
        if (!text.empty()) text += ", ";
    }
    static void appendInteger(std::string& text, long long value);
    static void appendUnsigned(std::string& text, unsigned long long value);
    static void appendFloat(std::string& text, double value);

    template <typename T>
    static void append(std::string& text, const T& value) {
        separate(text);
        if constexpr (std::is_pointer_v<T> || std::is_null_pointer_v<T>)
            text += value ? "ptr" : "null";
        else if constexpr (std::is_floating_point_v<T>)
            appendFloat(text, value);
        else if constexpr (std::is_enum_v<T>)
            appendUnsigned(text, static_cast<unsigned long long>(value));
        else if constexpr (std::is_signed_v<T>)
            appendInteger(text, value);
        else
            appendUnsigned(text, value);
    }

    bool enabled_ = false;
    std::vector<RecordedCall> calls_;
};

}  // namespace platform::d3d9
