#pragma once
// An animation bound to one object instance: one motion record per part and bone that the
// animation moves, re-materials or morphs (key segments, override materials, morph tracks),
// and the animation's event set.
#include <cstdint>

#include "foundation/DBuffer.h"
#include "foundation/DList.h"
#include "foundation/rcptr.h"
#include "model3d/L3DAnimData.h"
#include "model3d/L3DEventSet.h"
#include "model3d/L3DKeySegments.h"
#include "model3d/L3DPartInstance.h"
#include "render3d/L3DAnimInstMat.h"

class L3DAnimInstance;
class L3DObjectInstance;

// A material an animation puts on one piece while it is current.
struct L3D_ANIMINST_OVERRIDE {
    L3D_PARTINST_MAT* piece = nullptr;
    L3D_ANIMINST_MAT material;
    L3D_ANIMINST_MAT* apply = nullptr;  // the material to draw: this entry's own
};

struct L3D_ANIMINST_MORPHITEM {
    mirel::rcptr<L3D_PARTINST_MMAP> map;  // empty: the unmorphed shape
    // Frames spent blending from the previous shape, not counting the frame that reaches it.
    uint32_t frames = 0;
};

struct L3D_ANIMINST_MORPHTRACK {
    mirel::rcptr<L3D_ANIMDATA_MORPHGROUP> group;
    uint32_t itemCount = 0;
    mirel::rcptr<L3D_ANIMINST_MORPHITEM> items;
    uint32_t loopItem = 0;  // equal to itemCount: the track stops after its last item
    uint32_t currentItem = 0;
    uint32_t framesLeft = 0;
};

struct L3D_ANIMINST_MOT {
    L3DAnimInstance* owner = nullptr;
    mirel::rcptr<L3D_ANIMDATA_MOT> motion;
    mirel::rcptr<L3DPartInstance> partInstance;
    mirel::rcptr<L3DBoneInstance> boneInstance;  // empty for the part's own motion
    // The member's pivot for a part's motion, the bone's reference vector for a bone's.
    const float* pivot = nullptr;
    L3DKeySegments keys;
    uint32_t overrideCount = 0;
    mirel::rcptr<L3D_ANIMINST_OVERRIDE> overrides;
    uint32_t trackCount = 0;
    mirel::rcptr<L3D_ANIMINST_MORPHTRACK> tracks;
    uint32_t movedCount = 0;  // pieces whose vertices a track moves, each once
    mirel::DBuffer<L3D_PARTINST_MAT*, 4> moved;

    // Advances every morph track by `frames`; the pieces they move are drawn from their copy.
    void _StepMorphs(uint32_t frames);
    // Every track back to its first item.
    void _RewindMorphs();
};

class L3DAnimInstance {
public:
    mirel::rcptr<L3DObjectInstance> object;  // non-owning: the instance owns its animations
    mirel::rcptr<L3DAnimData> anim;
    uint32_t motionCount = 0;
    mirel::rcptr<L3D_ANIMINST_MOT> motions;  // room for every part and bone
    L3D_OBJINST_EVENTSET events;

    L3DAnimInstance() = default;
    // Motion records point back here.
    L3DAnimInstance(const L3DAnimInstance&) = delete;
    L3DAnimInstance& operator=(const L3DAnimInstance&) = delete;

    // Builds the motion records of the animation for the instance: per part of the model, the
    // part's record, then its bones' in pre-order; a record that animates nothing is dropped.
    void _Create(const mirel::rcptr<L3DAnimData>& data,
                 const mirel::rcptr<L3DObjectInstance>& instance);
    // Fills a record from the animation's motion for its part or bone; true when it moves,
    // re-materials or morphs anything. `member` is the part's member in the animation's part
    // group (null for a bone).
    bool _BindMotion(L3D_ANIMINST_MOT& record, L3DPartInfoData* member);
    bool _CreateMaterials(L3D_ANIMINST_MOT& record, L3DPartInfoData* member);
    bool _CreateKeySegments(L3D_ANIMINST_MOT& record);
    bool _CreateMorphTracks(L3D_ANIMINST_MOT& record);
    // The event set from the events and texture areas.
    static void __CreateEvents(L3DObjectInstance& instance, L3D_OBJINST_EVENTSET& set,
                               mirel::DList<L3D_OBJDATA_EVENT>& events,
                               mirel::DList<L3D_OBJDATA_TEXAREA>& areas);

private:
    void _BindBoneMotions(const mirel::rcptr<L3DPartInstance>& part,
                          const mirel::rcptr<L3DBoneInstance>& level, uint32_t count);
};
