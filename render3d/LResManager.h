#pragma once
// The registry of resource names of one renderer: names lower-cased for ASCII letters (Shift-JIS
// characters kept), at most 263 bytes, in 256 buckets keyed by the byte sum. Records are kept
// in blocks of 32 that never move, so a record's address is its identity for the registry's
// lifetime; nothing is ever removed.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "foundation/rcptr.h"

class L3DObjectInstance;
struct L3DTexture;

struct L3D_RENDERER_NNID {
    static constexpr uint32_t NameCapacity = 264;
    char name[NameCapacity] = {};
    uint32_t length = 0;
    uint32_t hash = 0;
    L3D_RENDERER_NNID* previous = nullptr;  // in the same bucket
    L3D_RENDERER_NNID* next = nullptr;
};

// The lower-cased name (cut to 263 bytes), its length and its hash.
struct L3DNameKey {
    char name[L3D_RENDERER_NNID::NameCapacity];
    uint32_t length;
    uint32_t hash;
};

class LResManager {
public:
    static constexpr uint32_t BlockSize = 32;
    static constexpr uint32_t BucketCount = 256;

    // Fatal for an empty name or one already registered.
    L3D_RENDERER_NNID* AddNnid(const char* name);
    L3D_RENDERER_NNID* FindNnid(const char* name) const;
    // Fatal when the name is not registered.
    L3D_RENDERER_NNID* GetNnid(const char* name) const;

    // The texture callback of instances made by the engines' loader (render3d/scene): the
    // texture of the name inside the directory of the instance's resource record, tried as
    // it is and with the image extensions "dgt:dgi:png:jpg:jpeg:bmp" in the default pack;
    // empty (and logged) when no file exists, empty for an empty name. An instance without a
    // resource record is fatal.
    static void GetNnidName(mirel::rcptr<L3DTexture>& texture, L3DObjectInstance& instance,
                            const char* name, uint32_t flags);

    uint32_t nnidCount() const { return nnidCount_; }
    L3D_RENDERER_NNID* bucket(uint32_t hash) const { return nnidBuckets_[hash]; }

private:
    L3D_RENDERER_NNID* find(const L3DNameKey& key) const;

    uint32_t nnidCount_ = 0;
    std::vector<std::unique_ptr<std::array<L3D_RENDERER_NNID, BlockSize>>> nnids_;
    std::array<L3D_RENDERER_NNID*, BucketCount> nnidBuckets_{};
};

// The renderer's key computation; fatal for a name that is empty.
L3DNameKey l3dCalcNameHash(const char* name);
