// One frame of a part instance: each node steps its motion, takes its world matrix and world
// block, moves its morphs and its collision spheres and fills its palette slot; the renderer's
// record then shows whether the part is hidden and where it is.
#include <algorithm>

#include "model3d/L3DAnimInstance.h"
#include "model3d/L3DObjectInstance.h"
#include "model3d/L3DPartInstance.h"
#include "render3d/LQuat.h"

using namespace mirel;

namespace {

constexpr uint32_t PieceFrameFlags =
    L3D_PARTINST_MAT::FlagCpuVertices | L3D_PARTINST_MAT::FlagTexCoordsMoved;

void copy3(float (&to)[3], const float (&from)[3]) { std::copy(from, from + 3, to); }

void copyQuat(float (&to)[4], const LQuat& q) {
    to[0] = q.x;
    to[1] = q.y;
    to[2] = q.z;
    to[3] = q.w;
}

// The world block after a frame that moved the node to `position` turned by `rotation`.
void moveBlock(L3DAnimState& node, const LVec& position, const LQuat& rotation) {
    L3DWorldBlock& b = node.block;
    const float now[3] = {position.x, position.y, position.z};
    if (node.flags & L3DAnimState::FlagFirstUpdate) {
        node.flags &= ~L3DAnimState::FlagFirstUpdate;
        copy3(b.position, now);
        copy3(b.previousPosition, now);
        std::fill(b.movement, b.movement + 3, 0.0f);
        copyQuat(b.rotation, rotation);
        copyQuat(b.previousRotation, rotation);
        std::fill(b.previousScale, b.previousScale + 3, 1.0f);
    } else {
        copy3(b.previousPosition, b.position);
        copy3(b.position, now);
        for (int i = 0; i < 3; ++i) b.movement[i] = b.position[i] - b.previousPosition[i];
        std::copy(b.rotation, b.rotation + 4, b.previousRotation);
        copyQuat(b.rotation, rotation);
        copy3(b.previousScale, b.scale);
    }
    std::fill(b.scale, b.scale + 3, 1.0f);
}

}  // namespace

void L3DPartInstance::Update(const LMat& parent, const L3DWorldBlock& parentBlock) {
    for (uint32_t i = 0; i < draw.pieceCount; ++i) draw.pieces[i].flags &= ~PieceFrameFlags;
    _UpdateNode(root, 1, parent, parentBlock, bones, boneCount);
    draw.flags = (draw.flags & ~L3DPartDraw::FlagHidden) |
                 (root.key.keyFlags & L3D_ANIMDATA_KEY::FlagHidden ? L3DPartDraw::FlagHidden : 0);
    copy3(draw.centre, root.block.position);
}

void L3DPartInstance::_UpdateNode(L3DAnimState& node, uint32_t frames, const LMat& parent,
                                  const L3DWorldBlock& parentBlock,
                                  const rcptr<L3DBoneInstance>& children, uint32_t childCount) {
    L3D_ANIMINST_MOT* motion = node.motion;
    node.key.Step(motion ? &motion->keys : nullptr, frames);

    LMat::Multiply(node.key.local, parent, node.world);
    LVec position;
    LMat::TransformCoord(LVec{node.reference[0], node.reference[1], node.reference[2]}, node.world,
                         position);
    const LQuat parentRotation{parentBlock.rotation[0], parentBlock.rotation[1],
                               parentBlock.rotation[2], parentBlock.rotation[3]};
    LQuat rotation;
    LQuat::Multiply(rotation, parentRotation, node.key.rotation);
    moveBlock(node, position, rotation);

    // Only a part's own key hides it.
    if (&node != &root) node.key.keyFlags &= ~L3D_ANIMDATA_KEY::FlagHidden;

    if (motion) motion->_StepMorphs(frames);
    for (uint32_t i = 0; i < node.sphereCount; ++i) node.spheres[i]->Place(node.world);
    *node.output = node.world;

    for (uint32_t i = 0; i < childCount; ++i) {
        L3DBoneInstance& child = children[i];
        _UpdateNode(child.node, frames, node.world, node.block, child.children, child.childCount);
    }
}

void L3DPartInstance::_UploadVertices() {
    for (uint32_t i = 0; i < draw.pieceCount; ++i) {
        L3D_PARTINST_MAT& piece = draw.pieces[i];
        if ((piece.flags & L3D_PARTINST_MAT::FlagCpuVertices) ||
            !(piece.flags & L3DPieceCopyChanged))
            continue;
        if (piece.vertexBuffer && !(piece.flags & L3D_PARTINST_MAT::FlagThreeUvSets))
            piece.vertexBuffer->SetData(piece.vertices.Get(),
                                        piece.vertexCount * sizeof(L3D_RENDERER_VERTEX));
        piece.flags &= ~L3DPieceCopyChanged;
    }
}

void L3DAnimState::Rewind() {
    flags |= FlagFirstUpdate;
    key.Rewind(motion ? &motion->keys : nullptr);
    if (motion) motion->_RewindMorphs();
}
