#include "tools/writers/effect_writers.h"

#include <cstring>
#include <vector>

#include "tools/writers/scrambled_fields.h"

namespace tools::writers {

namespace {

using WordOrder = std::vector<int>;

// The words a kind stores, in the order the file holds them.
WordOrder fileOrder(uint32_t kind, uint32_t version) {
    switch (kind) {
    case 1:
    case 28:
    case 37:
    case 38:
        return {0, 1};
    case 2:
        return {0};
    case 3:
    case 13:
    case 14:
    case 18:
    case 19:
    case 36:
    case 40:
    case 41:
        return {0, 1, 2};
    case 4:
    case 5:
        return {0, 1, 2, 3, 4};
    case 6:
    case 8:
    case 9:
    case 23:
    case 24:
        return {0, 1, 2, 3};
    case 10:
        return {0, 4, 1, 5, 2, 6, 3, 7, 8};
    case 11:
    case 29:
        return {0, 4, 1, 5, 2, 6, 3, 7};
    case 15:
    case 20:
    case 42:
        return {0, 3, 1, 4, 2, 5, 6};
    case 16:
    case 21:
    case 30:
    case 31:
    case 43:
    case 44:
        return {0, 3, 1, 4, 2, 5};
    case 25:
        return {0, 3, 1, 4, 2, 5, 6, 7, 8};
    case 26:
    case 32:
        return {0, 3, 1, 4, 2, 5, 6, 7};
    case 33:
        return {0, 2, 1, 3, 4};
    case 34:
    case 35:
        return {0, 2, 1, 3};
    case 39:
        if (version >= 6) return {0, 1, 2};
        return {0, 1};
    default:  // 0, 7, 12, 17, 22, 27 and kinds past the table
        return {};
    }
}

void writePart(ScrambledFieldWriter& out, const EffectPart& part, uint32_t version) {
    out.u32(part.flags);
    out.u32(static_cast<uint32_t>(part.events.size()));
    for (const EffectEvent& event : part.events) {
        out.u32(static_cast<uint32_t>(event.time));
        out.u32(event.kind);
        for (int word : fileOrder(event.kind, version)) out.u32(event.words[word]);
    }
}

}  // namespace

uint32_t effectFloatWord(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::string effectDefinitionFile(const EffectDefinition& definition) {
    ScrambledFieldWriter out;
    out.u32(definition.magic);
    out.u32(definition.version);
    out.u32(static_cast<uint32_t>(definition.imageOptions.size()));
    for (uint8_t option : definition.imageOptions) out.u8(option);
    out.u32(static_cast<uint32_t>(definition.imageDefs.size()));
    for (const EffectImageDef& def : definition.imageDefs) {
        out.u32(def.image);
        out.f32(def.left);
        out.f32(def.top);
        out.f32(def.right);
        out.f32(def.bottom);
        out.f32(def.pivotX);
        out.f32(def.pivotY);
        for (uint32_t word : def.unread) out.u32(word);
        for (float channel : def.colour) out.f32(channel);
        out.u32(def.blend);
    }
    out.u32(static_cast<uint32_t>(definition.models.size()));
    for (const EffectModel& model : definition.models) {
        out.u32(static_cast<uint32_t>(model.vertices.size()));
        for (const EffectModelVertex& vertex : model.vertices) {
            for (float value : vertex.position) out.f32(value);
            for (float value : vertex.colour) out.f32(value);
            out.f32(vertex.s);
            out.f32(vertex.t);
        }
        out.u32(static_cast<uint32_t>(model.indices.size()));
        for (uint32_t index : model.indices) out.u32(index);
    }
    return out.data();
}

std::string effectDataFile(const EffectData& data) {
    ScrambledFieldWriter out;
    out.u32(data.magic);
    out.u32(data.version);
    out.u32(static_cast<uint32_t>(data.roots.size()));
    for (const EffectRoot& root : data.roots) {
        out.u32(root.flags);
        writePart(out, root.rootPart, data.version);
        out.u32(static_cast<uint32_t>(root.parts.size()));
        for (const EffectPart& part : root.parts) writePart(out, part, data.version);
    }
    return out.data();
}

}  // namespace tools::writers
