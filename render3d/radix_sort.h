#pragma once
// The 3D library's float sort: a stable least-significant-byte radix sort of 32-bit float keys
// that returns an index list instead of moving the keys.
#include <cstdint>

// The indices 0 .. count - 1 ordered so that their keys ascend as floats; non-negative equal
// keys keep their input order. Null for no keys. The list belongs to the calling thread's sort
// and stays valid until that thread's next call.
const uint32_t* l3dRadixSortFloat(const float* keys, uint32_t count);
