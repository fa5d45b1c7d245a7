#include "render3d/L3DAnimInstMat.h"

#include "foundation/DSjisText.h"
#include "foundation/DStr.h"
#include "render3d/diagnostics/diagnostics.h"
#include "render3d/text/text_token.h"

namespace {

bool nameEquals(const L3DNameRef& reference, const char* name) {
    char text[kL3DTokenSize];
    l3dGetToken(text, L3D_NAMEREF{reference.text, reference.length});
    return mirel::DStrEqualsNoCase(text, name ? name : "") == 0;
}

bool matches(const L3D_RENDERER_SHADEROPT& option, const char* name, const char* alternativeName) {
    if (nameEquals(option.materialName, name)) return true;
    return option.alternativeName.text && nameEquals(option.alternativeName, alternativeName);
}

mirel::rcptr<L3DTexture> load(const L3DTextureCallback& textures, const L3DNameRef& reference) {
    if (!textures) return {};
    char text[kL3DTokenSize];
    l3dGetToken(text, L3D_NAMEREF{reference.text, reference.length});
    return textures(text, 0);
}

}  // namespace

bool L3D_ANIMINST_MAT::Create(L3D_ANIMINST_MAT& material,
                              mirel::DList<L3D_RENDERER_SHADEROPT>& options, const char* name,
                              const char* alternativeName, const L3DTextureCallback& textures,
                              const char* partTexture) {
    mirel::rcptr<L3D_RENDERER_SHADEROPT> option;
    for (auto it = options._GetFirstNode(); it != options._GetEndNode(); it = it.Next()) {
        mirel::rcptr<L3D_RENDERER_SHADEROPT> candidate = it.GetRef();
        if (candidate && matches(*candidate, name, alternativeName)) {
            option = candidate;
            break;
        }
    }
    if (!option) return false;

    material.option = option;
    material.texture1 =
        textures ? textures(partTexture ? partTexture : "", 1) : mirel::rcptr<L3DTexture>();
    switch (option->shaderType) {
    case L3DShaderNormal:
        break;
    case L3DShaderHighlight:
        material.texture2 =
            load(textures, static_cast<L3D_RENDERER_SHADEROPT_HIGHLIGHT&>(*option).textureName);
        break;
    case L3DShaderFurlight:
        material.texture2 =
            load(textures, static_cast<L3D_RENDERER_SHADEROPT_FURLIGHT&>(*option).textureName);
        break;
    case L3DShaderTexlight:
        material.texture2 =
            load(textures, static_cast<L3D_RENDERER_SHADEROPT_TEXLIGHT&>(*option).textureName1);
        break;
    case L3DShaderTexhighlight: {
        auto& o = static_cast<L3D_RENDERER_SHADEROPT_TEXHIGHLIGHT&>(*option);
        material.texture2 = load(textures, o.textureName1);
        material.texture3 = load(textures, o.textureName2);
        break;
    }
    case L3DShaderTexfurlight: {
        auto& o = static_cast<L3D_RENDERER_SHADEROPT_TEXFURLIGHT&>(*option);
        material.texture2 = load(textures, o.textureName1);
        material.texture3 = load(textures, o.textureName2);
        break;
    }
    case L3DShaderMap3: {
        auto& o = static_cast<L3D_RENDERER_SHADEROPT_MAP3&>(*option);
        material.texture2 = load(textures, o.textureName1);
        material.texture3 = load(textures, o.textureName2);
        break;
    }
    default:
        l3dError(mirel::DSjis<"[L3D_ANIMINST_MAT::Create] 認識できないシェーダタイプ(%d)">(),
                 static_cast<int>(option->shaderType));
    }
    return true;
}
