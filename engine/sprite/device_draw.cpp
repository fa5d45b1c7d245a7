#include <algorithm>

#include "engine/script/core_natives.h"
#include "engine/sprite/device_set.h"
#include "framework/core/report.h"
#include "platform/d3d9/d3d9_enums.h"
#include "render3d/L3DDevice.h"

using namespace platform::d3d9;

namespace {

constexpr const char* kRenderTag = "deviceRender";

struct BlendRow {
    bool enable;
    D3DBLEND source;
    D3DBLEND destination;
};
// Backend blend codes 0 to 8.
constexpr BlendRow kBlends[] = {
    {false, D3DBLEND_ONE, D3DBLEND_ZERO},         {true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
    {true, D3DBLEND_SRCALPHA, D3DBLEND_ONE},      {true, D3DBLEND_ONE, D3DBLEND_ONE},
    {true, D3DBLEND_ONE, D3DBLEND_INVSRCALPHA},   {true, D3DBLEND_DESTCOLOR, D3DBLEND_SRCALPHA},
    {true, D3DBLEND_DESTCOLOR, D3DBLEND_ZERO},    {true, D3DBLEND_INVDESTCOLOR, D3DBLEND_SRCALPHA},
    {true, D3DBLEND_INVDESTCOLOR, D3DBLEND_ZERO},
};
// Backend alpha-test codes 1 to 4.
constexpr D3DCMPFUNC kAlphaTests[] = {D3DCMP_GREATER, D3DCMP_LESS, D3DCMP_EQUAL, D3DCMP_NOTEQUAL};

uint32_t colourOf(const PEL_SPRITE_VERTEX& vertex) {
    return static_cast<uint32_t>(unitToByte(vertex.alpha)) << 24 |
           static_cast<uint32_t>(unitToByte(vertex.red)) << 16 |
           static_cast<uint32_t>(unitToByte(vertex.green)) << 8 | unitToByte(vertex.blue);
}

void setStageTexture(L3DDevice& device, uint32_t stage, const L3DTexture* texture,
                     D3DTEXTUREADDRESS address) {
    device.SetStateTexture(stage, texture ? texture->texture : nullptr);
    device.SetStateSampler(stage, D3DSAMP_ADDRESSU, address);
    device.SetStateSampler(stage, D3DSAMP_ADDRESSV, address);
}

// False (after the fatal report) for a code outside the table.
bool setBlend(L3DDevice& device, const PEL_SPRITE_BATCH& batch) {
    if (batch.blend < 0 || batch.blend >= static_cast<int32_t>(std::size(kBlends))) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] 未対応のブレンド", kRenderTag);
        return false;
    }
    const BlendRow& row = kBlends[batch.blend];
    device.SetStateRender(D3DRS_ALPHABLENDENABLE, row.enable ? 1 : 0);
    if (row.enable) {
        device.SetStateRender(D3DRS_SRCBLEND, row.source);
        device.SetStateRender(D3DRS_DESTBLEND, row.destination);
    }
    return true;
}

bool setAlphaTest(L3DDevice& device, const PEL_SPRITE_BATCH& batch) {
    if ((batch.blend == 1 || batch.blend == 2) && batch.alphaTest == 0) {
        device.SetStateRender(D3DRS_ALPHATESTENABLE, 1);
        device.SetStateRender(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        device.SetStateRender(D3DRS_ALPHAREF, 0);
        return true;
    }
    if (batch.alphaTest < 0 || batch.alphaTest > static_cast<int32_t>(std::size(kAlphaTests))) {
        pelReport(PEL_REPORT_ERROR, u"Error: [%s] 未対応のアルファテスト", kRenderTag);
        return false;
    }
    if (batch.alphaTest == 0) {
        device.SetStateRender(D3DRS_ALPHATESTENABLE, 0);
        return true;
    }
    device.SetStateRender(D3DRS_ALPHATESTENABLE, 1);
    device.SetStateRender(D3DRS_ALPHAFUNC, kAlphaTests[batch.alphaTest - 1]);
    device.SetStateRender(D3DRS_ALPHAREF, unitToByte(batch.alphaReference));
    return true;
}

}  // namespace

void deviceBegin(void* user) {
    L3DDevice& device = *sprite2Set(user)->target.device;
    device.ResetStates();
    device.SetVShader(0, nullptr);
    device.SetFVF(kSprite2Fvf);
    device.SetStateRender(D3DRS_ZENABLE, 0);
    device.SetStateRender(D3DRS_CULLMODE, D3DCULL_NONE);
    for (uint32_t stage = 0; stage < 2; ++stage) {
        device.SetStateTexStage(stage, D3DTSS_COLOROP, D3DTOP_MODULATE);
        device.SetStateTexStage(stage, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    }
}

void deviceFlush(Sprite2DeviceSet* set) {
    if (set->pendingIndices != 0)
        set->target.device->DrawIndexedUP(sizeof(Sprite2Vertex), D3DPT_TRIANGLELIST,
                                          set->pendingVertices, set->pendingIndices / 3,
                                          set->indices, set->vertices);
    set->pendingVertices = 0;
    set->pendingIndices = 0;
}

void deviceRender(void* user, PEL_SPRITE_BATCH* batches, uint32_t count) {
    Sprite2DeviceSet* set = sprite2Set(user);
    L3DDevice& device = *set->target.device;
    for (uint32_t b = 0; b < count; ++b) {
        const PEL_SPRITE_BATCH& batch = batches[b];
        deviceFlush(set);

        const Sprite2Surface* image = sprite2Surface(batch.image);
        Sprite2Wipe* wipe = reinterpret_cast<Sprite2Wipe*>(batch.mask);
        uint32_t stages = 0;
        if (image) setStageTexture(device, stages++, image->texture.Get(), D3DTADDRESS_CLAMP);
        const uint32_t maskStage = stages;
        // The handle keeps the mask alive while it is bound; the wipe holds it beyond that.
        mirel::rcptr<L3DTexture> mask;
        if (wipe) {
            mask = wipeGetHandle(wipe);
            setStageTexture(device, stages++, mask.Get(), D3DTADDRESS_WRAP);
        }
        for (uint32_t stage = stages; stage < 2; ++stage) device.SetStateTexture(stage, nullptr);

        // A code outside the tables ends the run; should the report return, the batches go
        // undrawn.
        if (batch.filter != 0 && batch.filter != 1) {
            pelReport(PEL_REPORT_ERROR, u"Error: [%s] 未対応のスケーリング", kRenderTag);
            return;
        }
        const uint32_t filter = batch.filter == 0 ? D3DTEXF_POINT : D3DTEXF_LINEAR;
        for (uint32_t stage = 0; stage < stages; ++stage) {
            device.SetStateSampler(stage, D3DSAMP_MAGFILTER, filter);
            device.SetStateSampler(stage, D3DSAMP_MINFILTER, filter);
            device.SetStateSampler(stage, D3DSAMP_MIPFILTER, filter);
        }
        if (!setBlend(device, batch) || !setAlphaTest(device, batch)) return;
        device.ApplyStates();

        const float imageWidth = image ? static_cast<float>(image->width) : 1.0f;
        const float imageHeight = image ? static_cast<float>(image->height) : 1.0f;
        const uint32_t vertexCount = std::min(batch.vertexCount, kPelSpriteBatchVertices) & ~3u;
        for (uint32_t first = 0; first < vertexCount; first += 4) {
            if (set->pendingIndices != 0 && (set->pendingVertices > kSprite2Vertices - 4 ||
                                             set->pendingIndices > kSprite2Indices - 6))
                deviceFlush(set);
            const auto n = static_cast<uint16_t>(set->pendingVertices);
            for (uint32_t corner = 0; corner < 4; ++corner) {
                const PEL_SPRITE_VERTEX& from = batch.vertices[first + corner];
                Sprite2Vertex& to = set->vertices[n + corner];
                to.x = from.x - 0.5f;
                to.y = from.y - 0.5f;
                to.colour = colourOf(from);
                if (image) {
                    to.uv[0][0] = from.u / imageWidth;
                    to.uv[0][1] = from.v / imageHeight;
                }
                if (wipe) {
                    to.uv[maskStage][0] = from.x / wipe->width;
                    to.uv[maskStage][1] = from.y / wipe->height;
                }
            }
            uint16_t* index = set->indices + set->pendingIndices;
            const uint16_t quad[6] = {0, 1, 2, 2, 1, 3};
            for (uint16_t corner : quad) *index++ = static_cast<uint16_t>(n + corner);
            set->pendingVertices += 4;
            set->pendingIndices += 6;
        }
    }
    deviceFlush(set);
}
