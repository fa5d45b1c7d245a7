#pragma once
#include <string_view>

namespace platform::os {

// The debugger-output channel: CP932 text, converted to UTF-8 and written to standard error
// when the environment variable TESSERA_DEBUG_OUTPUT is "1"; silent otherwise, so tests and
// normal runs stay quiet. Lines from several threads are never interleaved within one call.
void outputDebugString(std::string_view cp932Text);

}  // namespace platform::os
