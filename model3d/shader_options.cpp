// The shader-option section of a model: kind, the kind's own fields, then the common fields.
#include "foundation/DSjisText.h"
#include "foundation/pack/field_readers.h"
#include "model3d/L3DObjectData.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

// The smallest record: kind 3's payload and the common fields of a version 0 file.
constexpr uint32_t MinShaderOptionBytes = 4 + 16 + 24 + 1 + 4 + 16;

void ReadColours(DFile& file, float (&first)[4], float (&second)[4]) {
    lfmReadBytes(first, sizeof first, file);
    lfmReadBytes(second, sizeof second, file);
}

// The kind's own fields, in file order, into a new option of its class.
rcptr<L3D_RENDERER_SHADEROPT> ReadPayload(DFile& file, uint32_t kind, const L3DModelPool& pool) {
    switch (kind) {
    case L3DShaderNormal: {
        rcptr<L3D_RENDERER_SHADEROPT_NORMAL> option;
        option.Create();
        ReadColours(file, option->color1, option->color2);
        return option;
    }
    case L3DShaderHighlight: {
        rcptr<L3D_RENDERER_SHADEROPT_HIGHLIGHT> option;
        option.Create();
        ReadColours(file, option->color1, option->color2);
        option->textureName = l3dReadNameRef(file, pool);
        option->power = lfmReadF32(file);
        return option;
    }
    case L3DShaderFurlight: {
        rcptr<L3D_RENDERER_SHADEROPT_FURLIGHT> option;
        option.Create();
        ReadColours(file, option->color1, option->color2);
        option->textureName = l3dReadNameRef(file, pool);
        option->power = lfmReadF32(file);
        lfmReadBytes(option->furVector, sizeof option->furVector, file);
        return option;
    }
    case L3DShaderTexlight: {
        rcptr<L3D_RENDERER_SHADEROPT_TEXLIGHT> option;
        option.Create();
        option->textureName1 = l3dReadNameRef(file, pool);
        option->factor1 = lfmReadF32(file);
        return option;
    }
    case L3DShaderTexhighlight: {
        rcptr<L3D_RENDERER_SHADEROPT_TEXHIGHLIGHT> option;
        option.Create();
        option->textureName1 = l3dReadNameRef(file, pool);
        option->factor1 = lfmReadF32(file);
        option->textureName2 = l3dReadNameRef(file, pool);
        option->factor2 = lfmReadF32(file);
        return option;
    }
    case L3DShaderTexfurlight: {
        rcptr<L3D_RENDERER_SHADEROPT_TEXFURLIGHT> option;
        option.Create();
        option->textureName1 = l3dReadNameRef(file, pool);
        option->factor1 = lfmReadF32(file);
        option->textureName2 = l3dReadNameRef(file, pool);
        option->factor2 = lfmReadF32(file);
        lfmReadBytes(option->furVector, sizeof option->furVector, file);
        return option;
    }
    case L3DShaderMap3: {
        rcptr<L3D_RENDERER_SHADEROPT_MAP3> option;
        option.Create();
        ReadColours(file, option->color1, option->color2);
        option->textureName1 = l3dReadNameRef(file, pool);
        option->textureName2 = l3dReadNameRef(file, pool);
        return option;
    }
    default:
        l3dError(DSjis<"[L3DObjectData::_LoadShader] 未対応のシェーダタイプ(%d)">(),
                 static_cast<int>(kind));
    }
}

}  // namespace

void L3DObjectData::_LoadShader(DFile& file, uint32_t version, const L3DModelPool& pool,
                                DList<L3D_RENDERER_SHADEROPT>& list) {
    if (version > L3DObjectDataMaxVersion)
        l3dError(DSjis<"[L3DObjectData::_LoadShader] サポートしていないバージョン(%d)">(),
                 static_cast<int>(version));
    list._EraseAllNodes();
    const uint32_t count = lfmReadU32(file);
    l3dCheckModelCount(file, count, MinShaderOptionBytes);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t kind = lfmReadU32(file);
        rcptr<L3D_RENDERER_SHADEROPT> option = ReadPayload(file, kind, pool);
        // The renderer's records name the file's part name its material name and the file's
        // material name its alternative name; flags, value, block and extra word are its
        // blend type, edge width, edge colour and address flag.
        option->shaderType = kind;
        option->materialName = l3dReadNameRef(file, pool);
        option->alternativeName = l3dReadNameRef(file, pool);
        option->blendType = version <= 2 ? (lfmReadU8(file) != 0 ? 1u : 0u) : lfmReadU32(file);
        option->edgeWidth = lfmReadF32(file);
        lfmReadBytes(option->edgeColor, sizeof option->edgeColor, file);
        option->addressFlag = version >= 14 ? lfmReadU32(file) : 0;
        list.AddTail(option);
    }
}
