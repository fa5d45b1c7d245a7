#pragma once
// The effect system of one renderer: the definition tables and the loaded effect data, the
// playing instances with their pooled parts and trails, and the dense table of keys under which
// instances can be stopped. Everything runs on the main thread.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "effects/L3DEffectData.h"
#include "effects/L3DEffectDraw.h"
#include "effects/L3DEffectWork.h"
#include "effects/effect_pool.h"
#include "foundation/DArray.h"
#include "foundation/DBuffer.h"
#include "foundation/DFile.h"
#include "foundation/DList.h"
#include "foundation/rcptr.h"

class L3DRenderer;

class L3DEffectManager {
public:
    static constexpr uint32_t InstanceBlock = 128;
    static constexpr uint32_t PartBlock = 256;
    static constexpr uint32_t TrackerBlock = 256;
    static constexpr uint32_t KeyStep = 64;
    static constexpr uint32_t ZsdBlock = 64;
    static constexpr int32_t BatchVertexStep = 768;
    static constexpr int32_t BatchIndexStep = 2304;
    // Draw flags: bit 0 hands the geometry to the renderer's depth-sorted pass.
    static constexpr uint32_t DrawSorted = 0x1;

    L3DEffectManager() = default;
    ~L3DEffectManager();
    L3DEffectManager(const L3DEffectManager&) = delete;
    L3DEffectManager& operator=(const L3DEffectManager&) = delete;

    // Binds the manager to its renderer (a non-owning handle: the renderer owns the manager)
    // and starts empty, on the default pack.
    void Init(const mirel::rcptr<L3DRenderer>& renderer);
    // Clear, then frees every pool, table and list, and unbinds the renderer.
    void Release();
    // Without a renderer nothing; otherwise frees every instance, drops the loaded data with
    // their sound-effect groups and the definition tables.
    void Clear();

    // Loading (effect_definition.cpp, effect_data.cpp). Load errors are fatal; a missing file
    // is only logged.
    void SetProp(uint32_t pack, const char* name);
    L3D_EFFECT_DATA* LoadData(const L3D_RENDERER_NNID* nnid, uint32_t pack, const char* name);
    L3D_EFFECT_DATA* GetFirstData();
    L3D_EFFECT_DATA* FindData(const L3D_RENDERER_NNID* nnid);
    void SetSeGroupList(L3D_EFFECT_DATA* data, const L3D_SEGROUPLIST& list);

    // Playing (effect_manager.cpp). Position and scale are 3 floats, rotation a quaternion
    // (x, y, z, w); key, attach target and trail points may be null.
    void Play(const L3D_EFFECT_DATA* data, uint32_t index, uint32_t startDelay, uint32_t lifetime,
              const float position[3], const float rotation[4], const float scale[3],
              const uint32_t user[2], const void* key, const float* attach, const float* trailA,
              const float* trailB);
    void PlayAt(const float* attach, const void* key, const L3D_EFFECT_DATA* data, uint32_t index,
                uint32_t lifetime, const float position[3], const float rotation[4],
                const float scale[3]);
    void StopByKey(const void* key);
    void StopAll();
    void _FreeRoot(L3D_EFFECT_WORKROOT* instance);

    // The per-frame update of every playing instance (effect_task.cpp): holds, following,
    // lifetimes, start delays, then one step of the root part and of each child part. Clears
    // blendSeen first and sets its bit 0 when a stepped part uses an order-dependent blend.
    void Task();
    // One step of one part: due events, then the per-frame animation. True when the part
    // ended and has been freed.
    bool _TaskPart(L3D_EFFECT_WORKPART* work);
    // The first step of a part spawned by a child part, which the child loop has passed.
    void _StepSpawned(L3D_EFFECT_WORKPART* work);
    // The per-frame animation of a part step (effect_animation.cpp): image, colour, scale,
    // rotation, position, matrices, final colour, trail and the blend-seen word.
    void _AnimatePart(L3D_EFFECT_WORKPART* work, bool imageChanged);

    // Parts (effect_parts.cpp).
    L3D_EFFECT_WORKPART* _AllocPart(L3D_EFFECT_WORKROOT* instance, const L3D_EFFECT_PART* part,
                                    int32_t basePriority);
    bool _InitPart(L3D_EFFECT_WORKPART* work, L3D_EFFECT_WORKROOT* instance,
                   const L3D_EFFECT_PART* part, int32_t basePriority);
    void _FreePart(L3D_EFFECT_WORKPART* work);
    // Places the part in its instance's draw list before the first part of a priority at least
    // its own; nothing when it is listed already with that priority.
    void _SetPartOrder(L3D_EFFECT_WORKPART* work, int32_t priority);

    // Drawing (effect_draw.cpp): the playing parts in immediate batches of one texture and
    // blend mode, or with DrawSorted one group of elements per instance for the renderer's
    // depth-sorted pass. Instances hidden by their hold flags are left out.
    void Draw(uint32_t drawFlags);
    // Draws one batch (never an empty one) with the blend mode and texture of the key, an
    // L3D_EFFECT_IMAGEKEY; the renderer calls it back for the sorted elements too.
    static void _DrawBatch(L3DRenderer* renderer, const L3D_RENDERER_VERTEX* vertices,
                           uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount,
                           void* key);
    // Vertex generation (effect_vertices.cpp): appends the part's view-space geometry to the
    // batch array or to the element's own; false when the part yields nothing.
    bool _BuildPartVertices(const L3D_EFFECT_WORKPART& work, L3DEffectGeometry& geometry);
    bool _BuildPartZsd(_L3D_EFFECT_ZSDPART& element, const L3D_EFFECT_WORKPART& work,
                       L3DEffectGeometry& geometry);
    // The batch key of the part's image definition; null for an image outside the table.
    const L3D_EFFECT_IMAGEKEY* _PartKey(const L3D_EFFECT_WORKPART& work) const;

    uint32_t flags = 0;
    mirel::rcptr<L3DRenderer> renderer;
    uint32_t pack = 0;
    char name[L3DEffectNameCapacity] = {};
    uint32_t imageCount = 0;
    mirel::rcptr<L3DEffectManagerItemA> images;
    uint32_t imageDefCount = 0;
    mirel::rcptr<L3D_EFFECT_IMAGEDEF> imageDefs;
    uint32_t modelCount = 0;
    mirel::rcptr<L3DEffectManagerItemB> models;
    mirel::DList<L3D_EFFECT_DATA> dataList;
    L3D_EFFECT_WORKROOT* active = nullptr;  // newest first
    L3DEffectPool<L3D_EFFECT_WORKPART, PartBlock> parts;
    L3DEffectPool<L3D_EFFECT_WORKROOT, InstanceBlock> instances;
    uint32_t keyCount = 0;
    mirel::DBuffer<L3D_EFFECT_KEY, KeyStep> keys;
    L3DEffectPool<L3D_EFFECT_TRACKER, TrackerBlock> trackers;
    // Bit 0 (L3DEffectBlendSeenOrdered): the last Task stepped a part whose image definition
    // has an order-dependent blend.
    uint32_t blendSeen = 0;
    // Sorted elements, numbered afresh for every instance; blocks of ZsdBlock.
    uint32_t zsdCount = 0;
    mirel::DBuffer<_L3D_EFFECT_ZSDPART*, ZsdBlock> zsdParts;
    std::vector<std::unique_ptr<std::array<_L3D_EFFECT_ZSDPART, ZsdBlock>>> zsdBlocks;
    mirel::DArray<L3D_RENDERER_VERTEX, BatchVertexStep> batchVertices;
    mirel::DArray<unsigned short, BatchIndexStep> batchIndices;

private:
    // Nested first steps of parts spawned by child parts (effect_task.cpp).
    uint32_t spawnDepth_ = 0;

    void _LoadProp(const char* name);
    void readImages(mirel::DFile& file);
    void readImageDefs(mirel::DFile& file, const char* path);
    void readModels(mirel::DFile& file, const char* path);
    void dropDefinition();
    void _LoadData(L3D_EFFECT_DATA& data);
    // The key's entry in the key table, or keyCount when it has none.
    uint32_t findKey(const void* key) const;
    void registerKey(L3D_EFFECT_WORKROOT* instance, const void* key);
    void unregisterKey(L3D_EFFECT_WORKROOT* instance);
    void unloadSeGroups(L3D_EFFECT_DATA& data);
    template <class Vertices>
    bool buildPartGeometry(Vertices& vertices, const L3D_EFFECT_WORKPART& work,
                           L3DEffectGeometry& geometry);
    void drawBatches();
    void drawSorted();
    _L3D_EFFECT_ZSDPART& zsdElement(uint32_t number);
    void releaseDrawArrays();
};
