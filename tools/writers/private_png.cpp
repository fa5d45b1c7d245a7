#include "tools/writers/private_png.h"

#include <stdexcept>

#include "tools/writers/scrambled_fields.h"

namespace tools::writers {

std::string privatePng(const std::string& png, bool scrambled) {
    static const std::string kSignature = "\x89PNG\r\n\x1a\n";
    if (png.compare(0, kSignature.size(), kSignature) != 0)
        throw std::invalid_argument("privatePng: not a PNG file");
    std::string chunks = png.substr(kSignature.size());
    if (!scrambled) return std::string("\x44\x43\x49\x88\x99\xAA\xBB\xCC", 8) + chunks;
    scrambleFields(chunks, 8);
    return std::string("\x44\x43\x49\xCC\xBB\xAA\x99\x88", 8) + chunks;
}

}  // namespace tools::writers
