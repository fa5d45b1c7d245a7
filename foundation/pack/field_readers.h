#pragma once
#include <cstdint>

#include "foundation/DFile.h"
#include "foundation/DString.h"

// Readers of the scrambled fields of model, effect and shader files: a value of n bytes that
// starts at position p of its file or archive member is stored as v[i] XOR ((p + i) mod 256),
// integers and floats little-endian. A position that cannot be read or a short read is fatal
// (l3dError, which throws LExceptGame); with the file's throw flag set, the file's own
// DExceptFile comes first.

// Reads n bytes at the position and unscrambles them in place.
void lfmReadBytes(void* buffer, uint32_t n, mirel::DFile& file);
uint8_t lfmReadU8(mirel::DFile& file);
uint32_t lfmReadU32(mirel::DFile& file);
float lfmReadF32(mirel::DFile& file);
// Fatal with the short-read text when `count` records of `recordBytes` bytes cannot fit in what
// is left of the file: counts read from a file are checked before anything is allocated.
void lfmCheckCount(mirel::DFile& file, uint64_t count, uint32_t recordBytes);
// A u32 length n, then n bytes; the string ends at the first NUL among them. A length beyond
// the rest of the file is a short read.
void lfmReadString(mirel::DFile& file, mirel::DString& string);

// A reference into a blob the caller holds: the address is the caller's base plus the stored
// address minus the stored base, unchecked (callers check it against their blob).
struct lfmBlobRef {
    uint8_t* address = nullptr;
    uint32_t length = 0;
};
// Three u32: stored address a, stored base s, length n; (null, 0) when a is 0.
lfmBlobRef lfmReadBlobRef(mirel::DFile& file, uint8_t* blobBase);
