// Morph tracks of a part's motion: the shapes a morph group's keys name, blended toward in
// equal steps per frame and reached exactly on each key's frame, then looped like the keys.
#include <algorithm>

#include "model3d/L3DAnimInstance.h"
#include "model3d/L3DObjectInstance.h"

using namespace mirel;

namespace {

constexpr uint32_t MovedPieceFlags =
    L3D_PARTINST_MAT::FlagCpuVertices | L3DPieceCopyChanged | L3DPiecePositionsMorphed;

// The morph-map instance of a key; an empty map is the unmorphed shape.
rcptr<L3D_PARTINST_MMAP> mapOf(L3DPartInstance& part, const L3D_ANIMDATA_MORPH& key) {
    return key.morphMap ? part.GetMMap(key.morphMap.Get()) : rcptr<L3D_PARTINST_MMAP>();
}

void buildTrack(L3D_ANIMINST_MORPHTRACK& track, const rcptr<L3D_ANIMDATA_MORPHGROUP>& group,
                L3DPartInstance& part, uint32_t endFrame, uint32_t loopFrame) {
    DList<L3D_ANIMDATA_MORPH>& keys = group->morphs;
    track.group = group;
    track.itemCount = 0;
    track.items.Allocate(keys.Count() + 2);
    auto add = [&](rcptr<L3D_PARTINST_MMAP> map, uint32_t frames) {
        L3D_ANIMINST_MORPHITEM& item = track.items[track.itemCount++];
        item.map = std::move(map);
        item.frames = frames;
    };

    const L3D_ANIMDATA_MORPH* loopKey = nullptr;  // the first key after the loop frame
    uint32_t keysBeforeLoop = 0;
    for (auto it = keys._GetFirstNode(); it != keys._GetEndNode(); it = it.Next()) {
        if (it.GetRef()->frame > loopFrame) {
            loopKey = it.GetRef().Get();
            break;
        }
        ++keysBeforeLoop;
    }

    const L3D_ANIMDATA_MORPH& first = *keys._GetFirstRef();
    const bool startsUnmorphed = first.frame != 0;
    auto it = keys._GetFirstNode();
    if (startsUnmorphed) {
        add({}, 0);
    } else {
        add(mapOf(part, first), 0);
        it = it.Next();
    }
    uint32_t previousFrame = startsUnmorphed ? 0 : first.frame;
    for (; it != keys._GetEndNode(); it = it.Next()) {
        const L3D_ANIMDATA_MORPH& key = *it.GetRef();
        add(mapOf(part, key), key.frame - previousFrame - 1);
        previousFrame = key.frame;
    }
    if (loopKey)
        add(mapOf(part, *loopKey), loopKey->frame + (endFrame - loopFrame) - previousFrame - 1);
    const uint32_t loop = (startsUnmorphed ? 1 : 0) + keysBeforeLoop + 1;
    track.loopItem = std::min(loop, track.itemCount);
    track.currentItem = 0;
    track.framesLeft = track.items[0].frames;
}

void addDeltas(const L3D_PARTINST_MMAP& map, float times) {
    for (uint32_t v = 0; v < map.vertexCount; ++v) {
        L3D_PARTINST_MMAPVERTEX& m = map.vertices[v];
        float* position = &m.vertex->x;
        float* normal = &m.vertex->nx;
        for (int i = 0; i < 3; ++i) {
            position[i] += m.positionDelta[i] * times;
            normal[i] += m.normalDelta[i] * times;
        }
    }
}

void snap(const L3D_PARTINST_MMAP& map) {
    for (uint32_t v = 0; v < map.vertexCount; ++v) {
        L3D_PARTINST_MMAPVERTEX& m = map.vertices[v];
        const float* target = m.target->values;
        m.vertex->x = target[0];
        m.vertex->y = target[1];
        m.vertex->z = target[2];
        m.vertex->nx = target[3];
        m.vertex->ny = target[4];
        m.vertex->nz = target[5];
    }
}

// Deltas that reach the targets in frames + 1 equal steps. The divisor is taken in float, so
// that a key on the frame of the one before (frames wrapped to 0xFFFFFFFF) gives tiny steps
// instead of a division by zero.
void startBlend(const L3D_PARTINST_MMAP& map, uint32_t frames) {
    const float steps = static_cast<float>(frames) + 1.0f;
    for (uint32_t v = 0; v < map.vertexCount; ++v) {
        L3D_PARTINST_MMAPVERTEX& m = map.vertices[v];
        const float* target = m.target->values;
        const float* position = &m.vertex->x;
        const float* normal = &m.vertex->nx;
        for (int i = 0; i < 3; ++i) {
            m.positionDelta[i] = (target[i] - position[i]) / steps;
            m.normalDelta[i] = (target[3 + i] - normal[i]) / steps;
        }
    }
}

// Advances one track by `frames`; false when it has stopped.
bool stepTrack(L3D_ANIMINST_MORPHTRACK& track, uint32_t frames) {
    if (track.currentItem == track.itemCount) return false;
    while (frames > 0) {
        if (track.framesLeft > 0) {
            if (track.framesLeft >= frames) {
                const L3D_ANIMINST_MORPHITEM& item = track.items[track.currentItem];
                if (item.map) addDeltas(*item.map, static_cast<float>(frames));
                track.framesLeft -= frames;
                break;
            }
            frames -= track.framesLeft;
            track.framesLeft = 0;
            continue;
        }
        const L3D_ANIMINST_MORPHITEM& reached = track.items[track.currentItem];
        if (reached.map) snap(*reached.map);
        if (++track.currentItem == track.itemCount) {
            track.currentItem = track.loopItem;
            if (track.loopItem == track.itemCount) break;
        }
        const L3D_ANIMINST_MORPHITEM& next = track.items[track.currentItem];
        track.framesLeft = next.frames;
        if (next.map) startBlend(*next.map, next.frames);
        --frames;
    }
    return true;
}

}  // namespace

bool L3DAnimInstance::_CreateMorphTracks(L3D_ANIMINST_MOT& record) {
    record.trackCount = 0;
    record.movedCount = 0;
    if (record.boneInstance || !record.partInstance || record.motion->morphGroups.Count() == 0)
        return false;
    L3DPartInstance& part = *record.partInstance;
    DList<L3D_ANIMDATA_MORPHGROUP>& groups = record.motion->morphGroups;
    record.tracks.Allocate(groups.Count());
    for (auto it = groups._GetFirstNode(); it != groups._GetEndNode(); it = it.Next()) {
        if (it.GetRef()->morphs.Count() == 0) continue;
        buildTrack(record.tracks[record.trackCount++], it.GetRef(), part, anim->endFrame,
                   anim->loopFrame);
    }

    for (uint32_t t = 0; t < record.trackCount; ++t) {
        const L3D_ANIMINST_MORPHTRACK& track = record.tracks[t];
        for (uint32_t i = 0; i < track.itemCount; ++i) {
            const L3D_PARTINST_MMAP* map = track.items[i].map.Get();
            if (!map) continue;
            for (uint32_t v = 0; v < map->vertexCount; ++v) {
                L3D_PARTINST_MAT* piece = &part.piece(map->vertices[v].target->mesh);
                L3D_PARTINST_MAT** listed = record.moved.Items();
                if (std::find(listed, listed + record.movedCount, piece) ==
                    listed + record.movedCount)
                    record.moved.At(static_cast<int32_t>(record.movedCount++)) = piece;
            }
        }
    }
    return record.trackCount > 0;
}

void L3D_ANIMINST_MOT::_StepMorphs(uint32_t frames) {
    bool stepped = false;
    for (uint32_t t = 0; t < trackCount; ++t) stepped |= stepTrack(tracks[t], frames);
    if (!stepped) return;
    for (uint32_t i = 0; i < movedCount; ++i)
        moved[static_cast<int32_t>(i)]->flags |= MovedPieceFlags;
}

void L3D_ANIMINST_MOT::_RewindMorphs() {
    for (uint32_t t = 0; t < trackCount; ++t) {
        tracks[t].currentItem = 0;
        tracks[t].framesLeft = tracks[t].items[0].frames;
    }
}
