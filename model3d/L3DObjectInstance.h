#pragma once
// One drawable, animated copy of a loaded model: its part, part-group and collision-group
// instances, the animation instances asked for so far, its event sets and its placement. The
// renderer's instance list holds the instance; everything below it points back without a count.
#include <cstdint>

#include "foundation/DList.h"
#include "foundation/rcptr.h"
#include "model3d/L3DCollGroupInstance.h"
#include "model3d/L3DEventSet.h"
#include "model3d/L3DObjectData.h"
#include "model3d/L3DWorldBlock.h"
#include "render3d/L3DAnimInstMat.h"
#include "render3d/L3DSeGroupList.h"
#include "render3d/L3DTexture.h"

class L3DAnimInstance;
class L3DPartGroupInstance;
class L3DPartInstance;
class L3DRenderer;
struct L3D_EFFECT_DATA;
struct L3D_RENDERER_NNID;
struct L3DAnimState;
struct L3D_PARTINST_MAT;
class L3DObjectInstance;

// The texture of a name for an instance: flag 1 for a part's own texture, 0 for those an
// option names. `out` stays empty when there is none.
using L3DObjectTextureCallback = void (*)(mirel::rcptr<L3DTexture>& out,
                                          L3DObjectInstance& instance, const char* name,
                                          uint32_t flags);

// What an instance is created with: a word for its user, its texture callback (null: no
// textures) and the resource record of the model's directory (null: none).
struct L3DTextureContext {
    uint32_t userWord = 0;
    L3DObjectTextureCallback textureCallback = nullptr;
    const L3D_RENDERER_NNID* resource = nullptr;
};

class L3DObjectInstance {
public:
    // Bits of status: sound events are skipped while set.
    static constexpr uint32_t StatusMuted = 0x1;
    // Bits of materialFlags: a piece draws with a blend type that reads the frame buffer.
    static constexpr uint32_t MaterialReadsFrameBuffer = 0x1;

    mirel::rcptr<L3DRenderer> renderer;  // non-owning: the renderer's list holds the instance
    mirel::rcptr<L3DObjectData> model;
    L3DTextureContext context;

    L3DWorldBlock placement;  // engines write position, rotation and scale
    const L3D_EFFECT_DATA* firstEffectData = nullptr;
    const L3D_EFFECT_DATA* resourceEffectData = nullptr;
    L3D_SEGROUPLIST seGroups;
    L3D_OBJINST_EVENTSET ownEvents;
    mirel::DList<L3DPartInstance> parts;  // one per part, in the model's order
    mirel::DList<L3DPartGroupInstance> partGroups;
    mirel::DList<L3DCollGroupInstance> collGroups;
    mirel::DList<L3DAnimInstance> anims;  // in the order they were first asked for
    uint32_t status = 0;
    mirel::rcptr<L3DPartGroupInstance> currentPartGroup;
    // The spheres of groups placed on the object itself (not bound to parts).
    uint32_t freeSphereCount = 0;
    mirel::rcptr<L3D_COLLGROUPINST_SPHERE*> freeSpheres;
    L3DBoundingSphereTable bounds;
    mirel::DList<L3D_OBJINST_EVENTSET> eventSets;  // non-owning handles
    mirel::DList<L3D_OBJINST_TSR> residentEvents;
    uint32_t materialFlags = 0;

    L3DObjectInstance() = default;
    // _Release: the instance leaves its renderer's list when its last handle goes.
    ~L3DObjectInstance();
    // Sub-instances point back here: the instance stays where it was made.
    L3DObjectInstance(const L3DObjectInstance&) = delete;
    L3DObjectInstance& operator=(const L3DObjectInstance&) = delete;

    // Operations of the instance's life, its animations and its events.
    void Init(const mirel::rcptr<L3DRenderer>& renderer, const mirel::rcptr<L3DObjectData>& model,
              const L3DTextureContext& context);
    void _Setup();
    mirel::rcptr<L3DAnimInstance> CreateAnim(const char* name);
    mirel::rcptr<L3DAnimInstance> FindAnimInstance(const mirel::rcptr<L3DAnimData>& anim);
    void SetCurrentAnim(const mirel::rcptr<L3DAnimInstance>& anim, uint32_t restart);
    void ForwardAnimFrame();
    void ResetAnim();
    void SetSeGroups(const L3D_SEGROUPLIST& groups);
    void _Release();
    bool _workEvent(L3DEventInstance& event, uint32_t& target, uint32_t startDelay);
    L3DAnimState* _FindAnimState(const char* part, const char* bone);
    L3D_PARTINST_MAT* _FindMat(const char* part, const char* material);

    // The texture of a name through the context's callback; empty without one.
    mirel::rcptr<L3DTexture> _LoadTexture(const char* name, uint32_t flags);
    // The same as a material's loader; empty without a callback.
    L3DTextureCallback _TextureLoader();
    // The part instance made for that part (identity); fatal when there is none.
    mirel::rcptr<L3DPartInstance> GetPartInstance(const L3DPartData* part);
    // Every collision group enabled as the model says, every sphere and every previous
    // bounding sphere to be placed afresh.
    void _ResetCollGroups();
    // The free sphere table: the spheres of the groups not bound to parts, group by group.
    void _CollectFreeSpheres();
    // Places the free spheres with the instance's world matrix.
    void _PlaceFreeSpheres(const LMat& world);
};
