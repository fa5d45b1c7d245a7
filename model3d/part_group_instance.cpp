#include "model3d/L3DObjectInstance.h"
#include "model3d/L3DPartGroupInstance.h"
#include "render3d/diagnostics/diagnostics.h"

using namespace mirel;

namespace {

// Calls visit(parentLink or null, member) for every member placed on the next level: with no
// parent level the members without a parent part; else, per entry of the parent level, the
// members hanging from that entry's part.
template <class Visit>
void forNextLevel(DList<L3DPartInfoData>& members, const L3D_PARTGROUPINST_DATASET* parent,
                  Visit visit) {
    auto eachMember = [&](const L3D_PARTGROUPINST_LINK* link) {
        for (auto it = members._GetFirstNode(); it != members._GetEndNode(); it = it.Next()) {
            L3DPartInfoData& member = *it.GetRef();
            const bool placed =
                link ? member.parentPart.Get() == link->part->part.Get() : !member.parentPart;
            if (placed) visit(link, member);
        }
    };
    if (!parent) {
        eachMember(nullptr);
        return;
    }
    for (uint32_t i = 0; i < parent->count; ++i) eachMember(&parent->links[i]);
}

}  // namespace

void L3DPartGroupInstance::Build(const rcptr<L3DObjectInstance>& instance,
                                 const rcptr<L3DPartGroupData>& data) {
    object = instance;
    group = data;
    const L3D_PARTGROUPINST_DATASET* parent = nullptr;
    for (;;) {
        uint32_t count = 0;
        forNextLevel(data->members, parent,
                     [&](const L3D_PARTGROUPINST_LINK*, L3DPartInfoData&) { ++count; });
        if (count == 0) return;
        // Without a cycle every level holds parts deeper than the last, so there are at most
        // as many levels as members; a cycle of parent parts would add levels for ever.
        if (levels.Count() >= data->members.Count())
            l3dError("[L3DPartGroupInstance::Build] Part group \"%s\" hangs its parts in a cycle",
                     data->name.Text());
        rcptr<L3D_PARTGROUPINST_DATASET> level;
        level.Create();
        level->count = count;
        level->links.Allocate(count);
        uint32_t i = 0;
        forNextLevel(data->members, parent,
                     [&](const L3D_PARTGROUPINST_LINK* link, L3DPartInfoData& member) {
                         L3D_PARTGROUPINST_LINK& entry = level->links[i++];
                         entry.part = instance->GetPartInstance(member.part.Get());
                         if (!link) return;
                         entry.parentPart = link->part;
                         if (member.parentBone)
                             entry.parentBone = link->part->GetBone(member.parentBone.Get());
                     });
        levels.AddTail(level);
        parent = level.Get();
    }
}
