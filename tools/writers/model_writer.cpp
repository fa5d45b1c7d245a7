#include "tools/writers/model_writer.h"

namespace tools::writers {

namespace {

template <size_t N>
void floats(ScrambledFieldWriter& out, const std::array<float, N>& values) {
    for (float value : values) out.f32(value);
}

void zeroBytes(ScrambledFieldWriter& out, size_t n) { out.bytes(std::string(n, '\0')); }

}  // namespace

ModelRef modelRef(uint32_t offset, uint32_t length, uint32_t base) {
    return {base + offset, base, length};
}

void writeModelRef(ScrambledFieldWriter& out, const ModelRef& ref) {
    out.u32(ref.pointer);
    out.u32(ref.base);
    out.u32(ref.length);
}

void writeModelShaderOptions(ScrambledFieldWriter& out, uint32_t version,
                             const std::vector<ModelShaderOption>& options) {
    out.u32(static_cast<uint32_t>(options.size()));
    for (const ModelShaderOption& option : options) {
        out.u32(option.kind);
        const bool colours = option.kind <= 2 || option.kind == 10;
        if (colours) {
            floats(out, option.colour1);
            floats(out, option.colour2);
        }
        if (option.kind == 10) {
            writeModelRef(out, option.texture1);
            writeModelRef(out, option.texture2);
        } else if (option.kind == 1 || option.kind == 2 || option.kind == 3) {
            writeModelRef(out, option.texture1);
            out.f32(option.factor1);
        } else if (option.kind == 4 || option.kind == 5) {
            writeModelRef(out, option.texture1);
            out.f32(option.factor1);
            writeModelRef(out, option.texture2);
            out.f32(option.factor2);
        }
        if (option.kind == 2 || option.kind == 5) floats(out, option.furVector);
        writeModelRef(out, option.partName);
        writeModelRef(out, option.materialName);
        if (version <= 2)
            out.u8(static_cast<uint8_t>(option.flags));
        else
            out.u32(option.flags);
        out.f32(option.value);
        floats(out, option.block);
        if (version >= 14) out.u32(option.extraWord);
    }
}

void writeModelTexAreas(ScrambledFieldWriter& out, const std::vector<ModelTexArea>& areas) {
    out.u32(static_cast<uint32_t>(areas.size()));
    for (const ModelTexArea& area : areas) {
        writeModelRef(out, area.areaName);
        writeModelRef(out, area.partName);
        writeModelRef(out, area.materialName);
        writeModelRef(out, area.textureName);
        out.f32(area.u);
        out.f32(area.v);
        out.f32(area.width);
        out.f32(area.height);
    }
}

void writeModelEvents(ScrambledFieldWriter& out, uint32_t version,
                      const std::vector<ModelEvent>& events) {
    out.u32(static_cast<uint32_t>(events.size()));
    for (const ModelEvent& event : events) {
        out.u32(event.kind);
        switch (event.kind) {
        case 0:
            writeModelRef(out, event.name1);
            writeModelRef(out, event.name2);
            break;
        case 1:
            if (version >= 9) out.u32(event.groupIndex);
            out.u32(event.soundNumber);
            if (version >= 13) {
                out.u32(static_cast<uint32_t>(event.alternatives.size()));
                for (uint32_t alternative : event.alternatives) out.u32(alternative);
            }
            writeModelRef(out, event.name1);
            writeModelRef(out, event.name2);
            break;
        case 2:
        case 3:
            out.u32(event.effectNumber);
            writeModelRef(out, event.name1);
            writeModelRef(out, event.name2);
            floats(out, event.position);
            floats(out, event.rotation);
            floats(out, event.scale);
            writeModelRef(out, event.userPair);
            if (version >= 10) {
                writeModelRef(out, event.follow[0]);
                writeModelRef(out, event.follow[1]);
            }
            if (version >= 11) {
                writeModelRef(out, event.follow[2]);
                writeModelRef(out, event.follow[3]);
            }
            if (version >= 12) out.u32(event.lifetime);
            break;
        case 4:
            writeModelRef(out, event.name1);
            out.u32(event.word);
            break;
        case 5:
            out.u32(event.word);
            break;
        case 6: {
            writeModelRef(out, event.name1);
            writeModelRef(out, event.name2);
            const auto& f = event.texAnimFloats;
            out.u8(event.texAnimBytes[0]);
            out.f32(f[0]);
            out.f32(f[1]);
            out.u8(event.texAnimBytes[1]);
            out.f32(f[2]);
            out.f32(f[3]);
            out.u32(event.texAnimPeriods[0]);
            out.u32(event.texAnimPeriods[1]);
            out.u8(event.texAnimBytes[2]);
            out.f32(f[4]);
            out.f32(f[5]);
            out.f32(f[6]);
            out.f32(f[7]);
            break;
        }
        default:  // kinds the reader refuses: no body
            break;
        }
        out.u32(event.frame);
    }
}

void writeModelOldSections(ScrambledFieldWriter& out, uint32_t version) {
    if (version <= 3) {
        out.u32(1);
        out.u32(7);
        out.f32(1.0f);
        out.string("old");
        out.string("list");
        out.u32(1);
        out.u32(2);
        out.u32(3);
        zeroBytes(out, 12);
    }
    if (version == 6) {
        out.u32(1);
        out.string("block");
        out.string("A");
        out.u32(0);
        out.u32(3);
        for (uint32_t kind : {1u, 2u, 0u}) {
            out.u32(kind);
            zeroBytes(out, 12 + 16 + 24);
            if (kind == 1) zeroBytes(out, 12);
            if (kind == 2) out.f32(0.5f);
        }
    }
    if (version <= 6) {
        out.u32(1);
        out.string("block");
        out.string("B");
        out.u32(1);
        zeroBytes(out, 316);
        // A root with one child, which has no children.
        out.u32(1);
        out.u32(1);
        out.u32(2);
        out.u32(3);
        out.u32(1);
        out.u32(4);
        out.u32(5);
        out.u32(6);
        out.u32(0);
        out.u32(1);
        zeroBytes(out, 304);
        out.u32(1);
        out.u32(1);
        out.u32(2);
        out.u32(3);
    }
}

}  // namespace tools::writers
