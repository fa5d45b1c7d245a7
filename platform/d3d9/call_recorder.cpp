#include "platform/d3d9/call_recorder.h"

#include <cstdio>

namespace platform::d3d9 {

void CallRecorder::appendInteger(std::string& text, long long value) {
    text += std::to_string(value);
}

void CallRecorder::appendUnsigned(std::string& text, unsigned long long value) {
    text += std::to_string(value);
}

void CallRecorder::appendFloat(std::string& text, double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    text += buffer;
}

}  // namespace platform::d3d9
