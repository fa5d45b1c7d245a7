// Reads any bytes as a sound-effect group file, and each of its lines as a property value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "render3d/text/text_scan.h"
#include "render3d/text/text_token.h"
#include "sound/LSeGroupFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const mirel::LSeGroupFile file = mirel::LSeParseGroupFile(text.c_str());
    if (file.effects.size() > mirel::kLSeMaxEffects) std::abort();
    for (const mirel::LSeEffectSettings& effect : file.effects)
        if (effect.count > mirel::kLSeMaxVoices) std::abort();

    char token[kL3DTokenSize];
    for (const char* cursor = text.c_str(); *cursor != '\0';) {
        l3dParseToken(token, sizeof token, cursor);
        l3dSkipLine(cursor);
    }
    return 0;
}
