#pragma once
// The string pool of a model record and the name fields that point into it or stand alone.
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DString.h"
#include "render3d/L3DShaderOption.h"

// Names inside a record's string pool are L3D_NAMEREF ({null, 0} for no name).

// The bytes of a pool as stored: references may point past an inner NUL, so the pool keeps
// the byte count it was read with, not the length up to its first NUL.
struct L3DModelPool {
    const char* base = "";
    uint32_t size = 0;
};

// Reads a pool string into `text` and returns its full byte extent.
L3DModelPool l3dReadModelPool(mirel::DFile& file, mirel::DString& text);

// Reads a reference (stored pointer P, stored base B, length N). P = 0 is no name; otherwise
// P - B (32-bit) plus N must lie inside the pool, or the read fails like a short read.
L3D_NAMEREF l3dReadNameRef(mirel::DFile& file, const L3DModelPool& pool);

// The fixed text field a NAME fills: at most 262 bytes and a NUL.
inline constexpr uint32_t L3DNameFieldSize = 264;
inline constexpr uint32_t L3DNameMaxLength = 262;
// Reads a NAME (u32 length, then the bytes) into `field`; a longer name fails like a short read.
void l3dReadNameField(mirel::DFile& file, char (&field)[L3DNameFieldSize]);

// The read failure of the model reader, for checks of its own on what the file stores.
[[noreturn]] void l3dModelReadFailed(mirel::DFile& file);

// Fails like a short read unless `count` records of at least `recordBytes` bytes each fit in
// what is left of the file, so that no count from the file allocates more than the file holds.
void l3dCheckModelCount(mirel::DFile& file, uint32_t count, uint32_t recordBytes);

// Reads a count of records of at least `recordBytes` bytes each, checked like
// l3dCheckModelCount.
uint32_t l3dReadModelCount(mirel::DFile& file, uint32_t recordBytes);
