#include "render3d/zsd_pass.h"

#include <algorithm>
#include <cstring>

#include "render3d/diagnostics/diagnostics.h"
#include "render3d/radix_sort.h"

namespace {

template <class Chunks>
void clearList(Chunks& chunks) {
    chunks._EraseAllNodes();
}

float squaredLength(float x, float y, float z) { return x * x + y * y + z * z; }

}  // namespace

bool l3dIndicesInRange(const uint16_t* indices, uint32_t indexCount, uint32_t vertexCount,
                       const char* caller) {
    for (uint32_t i = 0; i < indexCount; ++i) {
        if (indices[i] >= vertexCount) {
            l3dLog(1, "[%s] index %u of %u vertices at %u: not drawn", caller, indices[i],
                   vertexCount, i);
            return false;
        }
    }
    return true;
}

_L3D_RENDERER_ZSD_REGISTGROUP* L3DZsdPass::takeGroup() {
    if (freeGroupCount == 0) {
        mirel::rcptr<_L3D_RENDERER_ZSD_REGISTGROUP_ALLOC> chunk;
        chunk.Create();
        groupChunks.AddTail(chunk);
        constexpr uint32_t n = _L3D_RENDERER_ZSD_REGISTGROUP_ALLOC::Count;
        freeGroups.Reserve(n);
        for (uint32_t i = 0; i < n; ++i) freeGroups[i] = &chunk->records[i];
        freeGroupCount = n;
    }
    return freeGroups[--freeGroupCount];
}

_L3D_RENDERER_ZSD_REGISTELEMENT* L3DZsdPass::takeElement() {
    if (freeElementCount == 0) {
        mirel::rcptr<_L3D_RENDERER_ZSD_REGISTELEMENT_ALLOC> chunk;
        chunk.Create();
        elementChunks.AddTail(chunk);
        constexpr uint32_t n = _L3D_RENDERER_ZSD_REGISTELEMENT_ALLOC::Count;
        freeElements.Reserve(n);
        for (uint32_t i = 0; i < n; ++i) freeElements[i] = &chunk->records[i];
        freeElementCount = n;
    }
    return freeElements[--freeElementCount];
}

void L3DZsdPass::Register(const L3DZsdRegistration& registration, const L3DFogBlock& fog) {
    _L3D_RENDERER_ZSD_REGISTGROUP* group = takeGroup();
    const float* p = registration.position;
    group->key = squaredLength(p[0], p[1], p[2]);
    group->fog = fog;
    group->elements = nullptr;
    group->next = head;
    head = group;
    ++groupCount;

    _L3D_RENDERER_ZSD_REGISTELEMENT** tail = &group->elements;
    for (const L3DZsdElementDesc* desc = registration.first; desc; desc = desc->next) {
        if (!l3dIndicesInRange(desc->indices, desc->indexCount, desc->vertexCount,
                               "L3DRenderer::RegistZsdElement"))
            continue;
        _L3D_RENDERER_ZSD_REGISTELEMENT* element = takeElement();
        element->next = nullptr;
        element->callback = desc->callback;
        element->user = desc->user;
        element->vertexCount = desc->vertexCount;
        element->vertices.Reserve(desc->vertexCount);
        if (desc->vertexCount > 0)
            std::memcpy(element->vertices.Items(), desc->vertices,
                        desc->vertexCount * sizeof(L3D_RENDERER_VERTEX));

        const uint16_t* indices = desc->indices;
        uint32_t indexCount = desc->indexCount;
        if ((desc->flags & L3DZsdElementDesc::FlagKeepOrder) == 0) {
            SortTriangles(desc->positions, desc->indices, desc->indexCount, desc->flags);
            indices = sortedIndices.Items();
            indexCount = sortedIndexCount;
        }
        element->indexCount = indexCount;
        element->indices.Reserve(indexCount);
        if (indexCount > 0)
            std::memcpy(element->indices.Items(), indices, indexCount * sizeof(uint16_t));

        *tail = element;
        tail = &element->next;
    }
}

void L3DZsdPass::SortTriangles(const L3D_RENDERER_VERTEX* positions, const uint16_t* indices,
                               uint32_t indexCount, uint32_t flags) {
    if ((flags & L3DZsdElementDesc::FlagKeepOrder) != 0 || indexCount < 3) {
        sortedIndices.Reserve(indexCount);
        if (indexCount > 0)
            std::memcpy(sortedIndices.Items(), indices, indexCount * sizeof(uint16_t));
        sortedIndexCount = indexCount;
        return;
    }
    const uint32_t triangles = indexCount / 3;
    triangleKeys.Reserve(triangles);
    for (uint32_t t = 0; t < triangles; ++t) {
        const L3D_RENDERER_VERTEX& a = positions[indices[3 * t]];
        const L3D_RENDERER_VERTEX& b = positions[indices[3 * t + 1]];
        const L3D_RENDERER_VERTEX& c = positions[indices[3 * t + 2]];
        triangleKeys[t] = squaredLength(a.x + b.x + c.x, a.y + b.y + c.y, a.z + b.z + c.z);
    }
    const uint32_t* order = l3dRadixSortFloat(triangleKeys.Items(), triangles);
    sortedIndices.Reserve(3 * triangles);
    unsigned short* out = sortedIndices.Items();
    for (uint32_t i = 0; i < triangles; ++i) {
        const uint16_t* tri = indices + 3 * order[triangles - 1 - i];
        out[3 * i] = tri[0];
        out[3 * i + 1] = tri[1];
        out[3 * i + 2] = tri[2];
    }
    sortedIndexCount = 3 * triangles;
}

namespace {

// The elements being merged into one draw.
struct Run {
    const _L3D_RENDERER_ZSD_REGISTELEMENT* first = nullptr;
    L3DFogBlock fog;
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    bool batched = false;  // copied into the batch buffers
};

}  // namespace

void L3DZsdPass::Draw(L3DRenderer* renderer, const L3DFogFields& fog) {
    sortGroups.Reserve(groupCount);
    sortKeys.Reserve(groupCount);
    uint32_t n = 0;
    for (_L3D_RENDERER_ZSD_REGISTGROUP* g = head; g; g = g->next, ++n) {
        sortGroups[n] = g;
        sortKeys[n] = g->key;
    }
    const uint32_t* order = l3dRadixSortFloat(sortKeys.Items(), n);
    const L3DFogBlock saved = fog.load();

    Run run;
    auto appendToBatch = [&](const _L3D_RENDERER_ZSD_REGISTELEMENT& e) {
        batchVertices.Reserve(int64_t{run.vertexCount} + e.vertexCount);
        batchIndices.Reserve(int64_t{run.indexCount} + e.indexCount);
        std::copy_n(e.vertices.Items(), e.vertexCount, batchVertices.Items() + run.vertexCount);
        unsigned short* out = batchIndices.Items() + run.indexCount;
        for (uint32_t i = 0; i < e.indexCount; ++i)
            out[i] = static_cast<unsigned short>(e.indices[i] + run.vertexCount);
        run.vertexCount += e.vertexCount;
        run.indexCount += e.indexCount;
    };
    auto flush = [&] {
        if (run.first == nullptr || run.vertexCount == 0) return;
        fog.store(run.fog);
        if (run.batched)
            run.first->callback(renderer, batchVertices.Items(), run.vertexCount,
                                batchIndices.Items(), run.indexCount, run.first->user);
        else
            run.first->callback(renderer, run.first->vertices.Items(), run.vertexCount,
                                run.first->indices.Items(), run.indexCount, run.first->user);
    };

    for (uint32_t i = n; i-- > 0;) {
        const _L3D_RENDERER_ZSD_REGISTGROUP* group = sortGroups[order[i]];
        for (const _L3D_RENDERER_ZSD_REGISTELEMENT* e = group->elements; e; e = e->next) {
            if (run.first && e->callback == run.first->callback && e->user == run.first->user &&
                run.vertexCount + e->vertexCount <= MaxRunVertices) {
                if (!run.batched) {
                    const uint32_t count = run.vertexCount;
                    run.vertexCount = run.indexCount = 0;
                    appendToBatch(*run.first);
                    run.vertexCount = count;
                    run.batched = true;
                }
                appendToBatch(*e);
                continue;
            }
            flush();
            run = Run{e, group->fog, e->vertexCount, e->indexCount, false};
        }
    }
    flush();
    fog.store(saved);

    for (_L3D_RENDERER_ZSD_REGISTGROUP* g = head; g; g = g->next) {
        for (_L3D_RENDERER_ZSD_REGISTELEMENT* e = g->elements; e; e = e->next)
            freeElements.At(static_cast<int32_t>(freeElementCount++)) = e;
        g->elements = nullptr;
        freeGroups.At(static_cast<int32_t>(freeGroupCount++)) = g;
    }
    head = nullptr;
    groupCount = 0;
}

void L3DZsdPass::Release() {
    head = nullptr;
    groupCount = 0;
    freeGroupCount = 0;
    freeGroups.Free();
    clearList(groupChunks);
    freeElementCount = 0;
    freeElements.Free();
    clearList(elementChunks);
    sortGroups.Free();
    sortKeys.Free();
    triangleKeys.Free();
    sortedIndices.Free();
    sortedIndexCount = 0;
    batchVertices.Free();
    batchIndices.Free();
}
