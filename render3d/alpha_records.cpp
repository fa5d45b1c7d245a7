#include "render3d/alpha_records.h"

#include <memory>

_L3D_RENDERER_ALPHASHADER* L3DAlphaRecordPool::Take() {
    if (used >= count) {
        mirel::rcptr<_L3D_RENDERER_ALPHASHADER_ALLOC> chunk;
        chunk.Create();
        chunks.AddTail(chunk);
        constexpr uint32_t n = _L3D_RENDERER_ALPHASHADER_ALLOC::Count;
        records.Reserve(int64_t{count} + n);
        for (uint32_t i = 0; i < n; ++i)
            records[static_cast<int32_t>(count + i)] = &chunk->records[i];
        count += n;
    }
    return records[static_cast<int32_t>(used++)];
}

void L3DAlphaRecordPool::Release() {
    chunks._EraseAllNodes();
    std::destroy_at(&records);
    std::construct_at(&records);
    count = 0;
    used = 0;
}
