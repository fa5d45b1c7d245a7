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
