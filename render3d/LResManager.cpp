#include "render3d/LResManager.h"

#include "foundation/DSjisText.h"
#include "foundation/DStr.h"
#include "render3d/diagnostics/diagnostics.h"
#include "render3d/text/text_lower.h"

using mirel::DSjis;
namespace {

L3DNameKey makeKey(const char* name) {
    L3DNameKey key{};
    mirel::DStrCopyN(key.name, name, sizeof key.name);
    l3dToLower(key.name, key.name);
    key.length = 0;
    key.hash = 0;
    for (const char* p = key.name; *p != '\0'; ++p, ++key.length)
        key.hash = (key.hash + static_cast<uint8_t>(*p)) & 0xFF;
    return key;
}

}  // namespace

L3DNameKey l3dCalcNameHash(const char* name) {
    const L3DNameKey key = makeKey(name ? name : "");
    if (key.length == 0)
        l3dError(
            DSjis<"[L3DRenderer::_CalcHash] 無名リソースに対してハッシュの計算が指示された">());
    return key;
}

L3D_RENDERER_NNID* LResManager::find(const L3DNameKey& key) const {
    for (L3D_RENDERER_NNID* record = nnidBuckets_[key.hash]; record; record = record->next)
        if (record->length == key.length &&
            mirel::DStrCompareN(record->name, key.name, key.length) == 0)
            return record;
    return nullptr;
}

L3D_RENDERER_NNID* LResManager::FindNnid(const char* name) const {
    return find(l3dCalcNameHash(name));
}

L3D_RENDERER_NNID* LResManager::GetNnid(const char* name) const {
    L3D_RENDERER_NNID* record = FindNnid(name);
    if (!record) l3dError(DSjis<"[LResManager::GetNnid] 名前 \"%s\" は登録されていません">(), name);
    return record;
}

L3D_RENDERER_NNID* LResManager::AddNnid(const char* name) {
    if (!name || name[0] == '\0') l3dError(DSjis<"[LResManager::AddNnid] 無名は無効">());
    const L3DNameKey key = makeKey(name);
    if (find(key))
        l3dError(DSjis<"[LResManager::AddNnid] すでに名前 \"%s\" は登録されている">(), name);
    const uint32_t index = nnidCount_++;
    if (index / BlockSize >= nnids_.size())
        nnids_.push_back(std::make_unique<std::array<L3D_RENDERER_NNID, BlockSize>>());
    L3D_RENDERER_NNID& record = (*nnids_[index / BlockSize])[index % BlockSize];
    mirel::DStrCopyN(record.name, key.name, sizeof record.name);
    record.length = key.length;
    record.hash = key.hash;
    record.previous = nullptr;
    record.next = nnidBuckets_[key.hash];
    if (record.next) record.next->previous = &record;
    nnidBuckets_[key.hash] = &record;
    return &record;
}
