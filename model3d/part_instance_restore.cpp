// Resets and restores of a part instance: nodes marked for their rest pose and rewound, and
// the vertex copies brought back to the run-time mesh's positions or texture coordinates.
#include "model3d/L3DAnimInstance.h"
#include "model3d/L3DObjectInstance.h"
#include "model3d/L3DPartInstance.h"

using namespace mirel;

namespace {

// Animation flag: a reset of a part it moves also restores the texture coordinates.
constexpr uint32_t L3DAnimRestoresTexCoords = 0x1;

void resetNode(L3DAnimState& node) {
    if (!(node.flags & L3DAnimState::FlagResetPose)) return;
    node.flags &= ~L3DAnimState::FlagResetPose;
    node.key.Rest(node.motion ? &node.motion->keys : nullptr);
    node.Rewind();
}

// Copies the chosen fields of every vertex of the pieces flagged `changed` back from the
// run-time mesh, then marks the copy as differing from the buffer.
template <class CopyFields>
void restorePieces(L3DPartDraw& draw, uint32_t changed, CopyFields copyFields) {
    for (uint32_t i = 0; i < draw.pieceCount; ++i) {
        L3D_PARTINST_MAT& piece = draw.pieces[i];
        if (!(piece.flags & changed)) continue;
        const L3D_RENDERER_VERTEX* source = piece.pieceData->vertices.Get();
        for (uint32_t v = 0; v < piece.vertexCount; ++v) copyFields(piece.vertices[v], source[v]);
        piece.flags = (piece.flags & ~changed) | L3DPieceCopyChanged;
    }
}

}  // namespace

void L3DPartInstance::_MarkBonesForReset() {
    forEachBone([](L3DBoneInstance& bone) {
        bone.node.flags |= L3DAnimState::FlagResetPose;
        bone.node.motion = nullptr;
    });
}

void L3DPartInstance::_ResetPose() {
    resetNode(root);
    forEachBone([](L3DBoneInstance& bone) { resetNode(bone.node); });
}

void L3DPartInstance::_RewindBones() {
    forEachBone([](L3DBoneInstance& bone) { bone.node.Rewind(); });
}

void L3DPartInstance::_RestorePositions() {
    restorePieces(draw, L3DPiecePositionsMorphed,
                  [](L3D_RENDERER_VERTEX& to, const L3D_RENDERER_VERTEX& from) {
                      to.x = from.x;
                      to.y = from.y;
                      to.z = from.z;
                      to.nx = from.nx;
                      to.ny = from.ny;
                      to.nz = from.nz;
                  });
}

void L3DPartInstance::_RestoreTexCoords() {
    restorePieces(draw, L3DPieceTexCoordsChanged,
                  [](L3D_RENDERER_VERTEX& to, const L3D_RENDERER_VERTEX& from) {
                      to.u = from.u;
                      to.v = from.v;
                  });
}

void L3DPartInstance::_Restore() {
    _RestorePositions();
    object->_ResetCollGroups();
    // Texture coordinates that events changed survive unless the part's animation asks.
    if (root.motion && (root.motion->owner->anim->flags & L3DAnimRestoresTexCoords))
        _RestoreTexCoords();
}
