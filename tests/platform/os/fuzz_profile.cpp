// Reads arbitrary bytes as a profile (ini) file. Besides staying inside its buffers, the
// reader must agree with the writer: once written (as UTF-8, which replaces what the input
// could not encode), a text reads back the same, a value set is found again after a rewrite,
// and setting one key leaves the others alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "platform/os/profile_file.h"

using namespace platform::os;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    ProfileText text = ProfileText::parse(bytes);
    const std::optional<std::u16string> level = text.find(u"debug", u"level");
    if (level) profileInteger(*level, 0);

    const std::string rewritten = text.serialize();
    ProfileText again = ProfileText::parse(rewritten);
    if (again.serialize() != rewritten) std::abort();
    const std::optional<std::u16string> kept = again.find(u"debug", u"level");

    again.set(u"Config", u"videoWidth", u"1024");
    const ProfileText written = ProfileText::parse(again.serialize());
    if (written.find(u"Config", u"videoWidth") != u"1024") std::abort();
    if (written.find(u"debug", u"level") != kept) std::abort();
    return 0;
}
