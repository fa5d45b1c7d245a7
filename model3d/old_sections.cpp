// The sections of older model files that this system drops: read exactly, kept nowhere.
#include <vector>

#include "foundation/pack/field_readers.h"
#include "model3d/L3DObjectData.h"

using namespace mirel;

namespace {

void SkipBytes(DFile& file, uint32_t n) {
    uint8_t buffer[316];
    while (n > 0) {
        const uint32_t step = n < sizeof buffer ? n : static_cast<uint32_t>(sizeof buffer);
        lfmReadBytes(buffer, step, file);
        n -= step;
    }
}

void SkipString(DFile& file) {
    DString text;
    lfmReadString(file, text);
}

void SkipU32s(DFile& file, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i) lfmReadU32(file);
}

void SkipOldCollisionList(DFile& file) {
    const uint32_t n = l3dReadModelCount(file, 4 + 4 + 4 + 4 + 12 + 12);
    for (uint32_t i = 0; i < n; ++i) {
        SkipU32s(file, 2);
        SkipString(file);
        SkipString(file);
        SkipU32s(file, 3);
        SkipBytes(file, 12);
    }
}

void SkipOldBlockA(DFile& file) {
    const uint32_t n = l3dReadModelCount(file, 4 + 4 + 4 + 4);
    for (uint32_t i = 0; i < n; ++i) {
        SkipString(file);
        SkipString(file);
        lfmReadU32(file);
        const uint32_t items = l3dReadModelCount(file, 4 + 12 + 16 + 24);
        for (uint32_t k = 0; k < items; ++k) {
            const uint32_t kind = lfmReadU32(file);
            SkipBytes(file, 12 + 16 + 24);
            if (kind == 1)
                SkipBytes(file, 12);
            else if (kind == 2 || kind == 3)
                SkipBytes(file, 4);
        }
    }
}

// A tree of nodes {u32, u32, u32, subtree}, walked with a stack of counts left per level so
// that a deep tree from the file cannot exhaust the call stack.
void SkipOldTree(DFile& file) {
    std::vector<uint32_t> left{l3dReadModelCount(file, 16)};
    while (!left.empty()) {
        if (left.back() == 0) {
            left.pop_back();
            continue;
        }
        --left.back();
        SkipU32s(file, 3);
        left.push_back(l3dReadModelCount(file, 16));
    }
}

void SkipOldBlockB(DFile& file) {
    const uint32_t n = l3dReadModelCount(file, 4 + 4 + 4 + 4 + 4 + 4);
    for (uint32_t i = 0; i < n; ++i) {
        SkipString(file);
        SkipString(file);
        const uint32_t a = l3dReadModelCount(file, 316);
        SkipBytes(file, a * 316);
        SkipOldTree(file);
        const uint32_t b = l3dReadModelCount(file, 304);
        SkipBytes(file, b * 304);
        const uint32_t c = l3dReadModelCount(file, 12);
        SkipU32s(file, c * 3);
    }
}

}  // namespace

void L3DObjectData::_SkipOldSections(DFile& file, uint32_t version) {
    if (version <= 3) SkipOldCollisionList(file);
    if (version == 6) SkipOldBlockA(file);
    if (version <= 6) SkipOldBlockB(file);
}
