#pragma once
// The pool of blended-piece records: one per blended piece queued in a frame, handed out in
// order and all free again after the frame's depth-sorted pass. Records come in chunks of 128
// that never move and are kept until the renderer is released.
#include <cstdint>

#include "foundation/DBuffer.h"
#include "foundation/DList.h"
#include "render3d/zsd_records.h"

struct L3DAlphaRecordPool {
    // The next free record, taking a new chunk when every record is in use.
    _L3D_RENDERER_ALPHASHADER* Take();
    // After the depth-sorted pass: every record is free again.
    void Recycle() { used = 0; }
    // Frees the chunks and the record table.
    void Release();

    mirel::DBuffer<_L3D_RENDERER_ALPHASHADER*, 128> records;
    uint32_t count = 0;  // records of all chunks
    uint32_t used = 0;   // handed out since the last Recycle
    mirel::DList<_L3D_RENDERER_ALPHASHADER_ALLOC> chunks;
};
