#pragma once
// The run-time copy of one part of a model inside an object instance: its nodes (the part's
// root and one per bone) with local and world matrices and world blocks, the matrix palette the
// renderer skins with, the pieces with their own vertex copy, buffers, material and texture,
// and the morph maps that move those vertices. The renderer draws it through `draw`.
#include <cstdint>

#include "foundation/rcptr.h"
#include "model3d/L3DCollGroupInstance.h"
#include "model3d/L3DKeySegments.h"
#include "model3d/L3DPartData.h"
#include "model3d/L3DWorldBlock.h"
#include "render3d/L3DAnimInstMat.h"
#include "render3d/L3DPartDraw.h"
#include "render3d/LMat.h"

class L3DObjectInstance;
struct L3D_ANIMINST_MOT;

// Piece flags beside those the renderer reads (L3D_PARTINST_MAT): kept until the next upload
// or restore.
inline constexpr uint32_t L3DPieceCopyChanged = 0x02;       // the copy differs from the buffer
inline constexpr uint32_t L3DPiecePositionsMorphed = 0x04;  // positions and normals moved
inline constexpr uint32_t L3DPieceTexCoordsChanged = 0x08;  // texture coordinates moved

// A node: the part's root or one bone.
struct L3DAnimState {
    static constexpr uint32_t FlagFirstUpdate = 0x1;  // the next update starts previous values
    static constexpr uint32_t FlagResetPose = 0x2;    // the next _ResetPose gives the rest pose

    uint32_t flags = FlagFirstUpdate | FlagResetPose;
    LMat* output = nullptr;  // the palette slot that receives the world matrix
    L3DWorldBlock block;
    uint32_t sphereCount = 0;
    mirel::rcptr<L3D_COLLGROUPINST_SPHERE*> spheres;  // collision spheres placed on this node
    // The bone's reference vector; for a root node the pivot of its motion (0 without one).
    float reference[3] = {};
    L3D_ANIMINST_MOT* motion = nullptr;
    L3DKeyPose key;  // segment, frames left, current key flags, local pose and matrix
    LMat world = LMat::Identity();

    // Back to the start of the bound motion and its morph tracks; the next update is a first.
    void Rewind();
};

struct L3DBoneInstance {
    mirel::rcptr<L3DBoneData> bone;
    float reference[3] = {};
    uint32_t paletteIndex = 0;  // 1 + the bone's place in the part's pre-order table
    L3DAnimState node;
    uint32_t childCount = 0;
    mirel::rcptr<L3DBoneInstance> children;
};

struct L3D_PARTINST_MMAPVERTEX {
    const L3D_PARTDATA_VERTEXMAP_ENTRY* target = nullptr;  // piece, vertex, position, normal
    L3D_RENDERER_VERTEX* vertex = nullptr;                 // in that piece's vertex copy
    float positionDelta[3] = {};                           // per frame
    float normalDelta[3] = {};
};

struct L3D_PARTINST_MMAP {
    mirel::rcptr<L3D_PARTDATA_VERTEXMAP> map;
    uint32_t vertexCount = 0;
    mirel::rcptr<L3D_PARTINST_MMAPVERTEX> vertices;
};

class L3DPartInstance {
public:
    mirel::rcptr<L3DObjectInstance> object;  // non-owning: the instance owns its parts
    mirel::rcptr<L3DPartData> part;
    // What the renderer reads: hidden flag, palette (bones + 1), pieces and centre.
    L3DPartDraw draw;
    mirel::rcptr<L3D_ANIMINST_MAT> baseMaterials;  // one per piece
    uint32_t boneCount = 0;                        // top-level bones
    mirel::rcptr<L3DBoneInstance> bones;
    uint32_t mmapCount = 0;
    mirel::rcptr<L3D_PARTINST_MMAP> mmaps;
    L3DAnimState root;

    L3DPartInstance() = default;
    // Nodes, morph maps and materials point into the instance's own arrays.
    L3DPartInstance(const L3DPartInstance&) = delete;
    L3DPartInstance& operator=(const L3DPartInstance&) = delete;

    // Builds the instance of the model's part: palette, pieces (vertex buffers only on a device
    // with vertex shaders), bones, morph maps and materials. The instance's collision groups
    // must exist: the nodes collect the spheres placed on them.
    void _Create(const mirel::rcptr<L3DObjectInstance>& instance, const L3DPartData* data);
    // Base materials from the part's options, then the model's, else the renderer's default
    // with the callback's texture; then the nodes afresh.
    void _SetupMaterials();

    // One frame below the parent's world matrix and block.
    void Update(const LMat& parent, const L3DWorldBlock& parentBlock);
    // Vertex copies that changed and were not drawn from memory into their buffers.
    void _UploadVertices();

    // Look-ups; each is fatal when nothing matches.
    mirel::rcptr<L3D_PARTINST_MAT> GetMat(const char* name);
    mirel::rcptr<L3DBoneInstance> GetBone(const L3DBoneData* bone);
    mirel::rcptr<L3D_PARTINST_MMAP> GetMMap(const L3D_PARTDATA_VERTEXMAP* map);

    // Resets and restores.
    void _MarkBonesForReset();
    void _ResetPose();
    void _RewindBones();
    void _Restore();
    void _RestorePositions();
    void _RestoreTexCoords();

    // Calls visit(bone instance) for every bone, a bone before its children.
    template <class Visit>
    void forEachBone(Visit visit) {
        forEachBoneBelow(bones, boneCount, visit);
    }

    uint32_t pieceCount() const { return draw.pieceCount; }
    L3D_PARTINST_MAT& piece(uint32_t i) const { return draw.pieces[i]; }

private:
    template <class Visit>
    static void forEachBoneBelow(const mirel::rcptr<L3DBoneInstance>& level, uint32_t count,
                                 Visit& visit) {
        for (uint32_t i = 0; i < count; ++i) {
            visit(level[i]);
            forEachBoneBelow(level[i].children, level[i].childCount, visit);
        }
    }
    void _CreatePieces();
    void _CreateMMaps();
    void _CreateBone(uint32_t count, const mirel::rcptr<L3DBoneData>& level,
                     mirel::rcptr<L3DBoneInstance>& out);
    void _InitAnimState(L3DAnimState& node, LMat* output, const L3DBoneInstance* bone,
                        const mirel::rcptr<L3DBoneInstance>& children, uint32_t childCount);
    void _UpdateNode(L3DAnimState& node, uint32_t frames, const LMat& parent,
                     const L3DWorldBlock& parentBlock,
                     const mirel::rcptr<L3DBoneInstance>& children, uint32_t childCount);
};
