#include "model3d/model_pool.h"

#include "foundation/DSjisText.h"
#include "foundation/pack/field_readers.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

void l3dModelReadFailed(DFile& file) {
    l3dError(DSjis<"ファイル \"%s\" を読み込めませんでした。">(), file.GetPath());
}

void l3dCheckModelCount(DFile& file, uint32_t count, uint32_t recordBytes) {
    lfmCheckCount(file, count, recordBytes);
}

L3DModelPool l3dReadModelPool(DFile& file, DString& text) {
    const int32_t before = file.Tell();
    lfmReadString(file, text);
    const int32_t after = file.Tell();
    if (before < 0 || after < before + 4) l3dModelReadFailed(file);
    return {text.Text(), static_cast<uint32_t>(after - before - 4)};
}

L3D_NAMEREF l3dReadNameRef(DFile& file, const L3DModelPool& pool) {
    auto* base = reinterpret_cast<uint8_t*>(const_cast<char*>(pool.base));
    const lfmBlobRef ref = lfmReadBlobRef(file, base);
    if (!ref.address) return {};
    // The offset in 32-bit arithmetic, as the file stores it, then checked against the pool.
    const uint32_t offset = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(ref.address) -
                                                  reinterpret_cast<uintptr_t>(base));
    if (offset > pool.size || ref.length > pool.size - offset) l3dModelReadFailed(file);
    return {pool.base + offset, ref.length};
}

void l3dReadNameField(DFile& file, char (&field)[L3DNameFieldSize]) {
    const uint32_t length = lfmReadU32(file);
    if (length > L3DNameMaxLength) l3dModelReadFailed(file);
    lfmReadBytes(field, length, file);
    field[length] = '\0';
}

uint32_t l3dReadModelCount(DFile& file, uint32_t recordBytes) {
    const uint32_t count = lfmReadU32(file);
    l3dCheckModelCount(file, count, recordBytes);
    return count;
}
