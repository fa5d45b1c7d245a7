#pragma once
// A part of a model: its tables of colours and texture coordinates, one source mesh per
// material, weight and morph maps, its bone tree and the run-time meshes the renderer draws.
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DList.h"
#include "foundation/DString.h"
#include "foundation/rcptr.h"
#include "model3d/model_pool.h"
#include "render3d/L3DPartDraw.h"
#include "render3d/L3DShaderOption.h"

// A corner of a source mesh: one index into each table of its part and mesh.
struct L3D_PARTDATA_CORNER {
    uint32_t position;
    uint32_t normal;
    uint32_t colour;
    uint32_t uv;
};

// The second and third texture-coordinate pairs of a corner, as indices into the part's table.
struct L3D_PARTDATA_EXTRAUV {
    uint32_t second;
    uint32_t third;
};

struct L3D_PARTDATA_MESH {
    // Set when the loader computed the pivot (files of version 7 and older store none).
    static constexpr uint32_t FlagPivotComputed = 0x2;

    char materialName[L3DNameFieldSize];
    uint32_t flags;
    char textureName[L3DNameFieldSize];
    uint32_t primitiveType;  // 4 triangle list
    uint32_t primitiveCount;
    uint32_t indexCount;
    mirel::rcptr<uint32_t> indices;  // corner indices
    uint32_t cornerCount;
    mirel::rcptr<L3D_PARTDATA_CORNER> corners;
    mirel::rcptr<L3D_PARTDATA_EXTRAUV> extraUvs;  // one per corner, or empty
    uint32_t positionCount;
    mirel::rcptr<float> positions;  // x, y, z each
    uint32_t normalCount;
    mirel::rcptr<float> normals;  // x, y, z each
    float pivot[3];
};

// An entry of a vertex map: a corner of a mesh and its values (a weight map's weight is the
// first; a morph map's are the target position and normal).
struct L3D_PARTDATA_VERTEXMAP_ENTRY {
    uint32_t mesh;
    uint32_t corner;
    float values[6];
};
static_assert(sizeof(L3D_PARTDATA_VERTEXMAP_ENTRY) == 32);

struct L3D_PARTDATA_VERTEXMAP {
    char name[L3DNameFieldSize];
    uint32_t entryCount;
    mirel::rcptr<L3D_PARTDATA_VERTEXMAP_ENTRY> entries;
};

struct L3DBoneData {
    // The bone's reference point is its second point instead of its first.
    static constexpr uint32_t FlagSecondPoint = 0x1;

    char name[L3DNameFieldSize];
    char weightMapName[L3DNameFieldSize];  // empty: the bone weights no vertex
    float point1[3];
    float point2[3];
    uint32_t flags;
    uint32_t childCount;
    mirel::rcptr<L3DBoneData> children;
};

class L3DPartData {
public:
    mirel::DString name;
    mirel::DString pool;
    uint32_t colourCount = 0;
    mirel::rcptr<uint32_t> colours;  // ARGB
    uint32_t uvCount = 0;
    mirel::rcptr<float> uvs;  // u, v each
    uint32_t meshCount = 0;
    mirel::rcptr<L3D_PARTDATA_MESH> meshes;
    uint32_t weightMapCount = 0;
    mirel::rcptr<L3D_PARTDATA_VERTEXMAP> weightMaps;
    uint32_t morphMapCount = 0;
    mirel::rcptr<L3D_PARTDATA_VERTEXMAP> morphMaps;
    uint32_t rootBoneCount = 0;
    mirel::rcptr<L3DBoneData> rootBones;
    mirel::DList<L3D_RENDERER_SHADEROPT> shaderOptions;
    // Every bone of the tree in pre-order; bone number n is entry n - 1.
    uint32_t flatBoneCount = 0;
    mirel::rcptr<L3DBoneData*> flatBones;
    uint32_t runtimeCount = 0;
    mirel::rcptr<L3D_PARTDATA_RUNTIME> runtimes;

    // Reads one part record of a model file of that version.
    void _Load(mirel::DFile& file, uint32_t version);
    // Reads a list of sibling bones (and their children) into `count` and `bones`.
    static void _LoadBone(mirel::DFile& file, uint32_t version, uint32_t& count,
                          mirel::rcptr<L3DBoneData>& bones, uint32_t depth = 0);
    // Builds the flat bone table and one run-time mesh per source mesh (files of version 1
    // and older store none).
    void CompileRuntime();
    // The centre of the bounding box of the mesh's positions; the mesh must be a triangle list.
    static void CalcMatPivot(const L3D_PARTDATA_MESH& mesh, float (&pivot)[3]);

    // Number 0 is none; a number past the last morph map is fatal.
    mirel::rcptr<L3D_PARTDATA_VERTEXMAP> GetMmapDataFromNumber(uint32_t number) const;
    // The n-th bone of the tree in pre-order (from 1); empty for 0 or past the last bone.
    mirel::rcptr<L3DBoneData> _BoneFromNumber(uint32_t number) const;
    // The first bone in pre-order, or weight map, of that name (same length, ASCII letters
    // without case); empty for an empty name or none.
    mirel::rcptr<L3DBoneData> FindBone(const char* name) const;
    mirel::rcptr<L3D_PARTDATA_VERTEXMAP> FindWeightMap(const char* name) const;
    mirel::rcptr<L3D_PARTDATA_VERTEXMAP> GetBoneWeightMap(const L3DBoneData& bone) const {
        return FindWeightMap(bone.weightMapName);
    }

private:
    void _BuildFlatBones();
};
