#include "render3d/radix_sort.h"

#include <algorithm>
#include <cstring>

#include "foundation/DBuffer.h"

namespace {

using IndexList = mirel::DBuffer<uint32_t, 256>;

// The sort's two lists live from call to call, one pair per thread; each thread's pair goes
// with the thread.
thread_local IndexList tlsLists[2];

uint32_t keyBits(const float* keys, uint32_t i) {
    uint32_t bits;
    std::memcpy(&bits, &keys[i], sizeof bits);
    return bits;
}

}  // namespace

const uint32_t* l3dRadixSortFloat(const float* keys, uint32_t count) {
    if (count == 0 || keys == nullptr) return nullptr;
    tlsLists[0].Reserve(count);
    tlsLists[1].Reserve(count);
    uint32_t* current = tlsLists[0].Items();
    uint32_t* other = tlsLists[1].Items();
    for (uint32_t i = 0; i < count; ++i) current[i] = i;

    // One pass: the four byte histograms and whether the keys already ascend.
    uint32_t histogram[4][256] = {};
    bool ascending = true;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t bits = keyBits(keys, i);
        ++histogram[0][bits & 0xFF];
        ++histogram[1][(bits >> 8) & 0xFF];
        ++histogram[2][(bits >> 16) & 0xFF];
        ++histogram[3][bits >> 24];
        if (i > 0 && keys[i] < keys[i - 1]) ascending = false;
    }
    if (ascending) return current;

    const uint32_t firstBits = keyBits(keys, 0);
    for (int byte = 0; byte < 3; ++byte) {
        const uint32_t shift = 8 * byte;
        if (histogram[byte][(firstBits >> shift) & 0xFF] == count) continue;
        uint32_t start[256];
        uint32_t offset = 0;
        for (int b = 0; b < 256; ++b) {
            start[b] = offset;
            offset += histogram[byte][b];
        }
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t index = current[i];
            other[start[(keyBits(keys, index) >> shift) & 0xFF]++] = index;
        }
        std::swap(current, other);
    }

    // Byte 3 holds the sign: negative keys order by decreasing magnitude, so their buckets come
    // first in decreasing byte order and each fills from its end.
    const uint32_t* high = histogram[3];
    if (high[firstBits >> 24] == count) {
        if (firstBits >> 24 >= 0x80) std::reverse(current, current + count);
        return current;
    }
    uint32_t next[256];  // the slot each bucket writes next
    uint32_t offset = 0;
    for (int b = 255; b >= 0x80; --b) {
        offset += high[b];
        next[b] = offset;  // one past the bucket's end; decremented before each write
    }
    for (int b = 0; b < 0x80; ++b) {
        next[b] = offset;
        offset += high[b];
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t index = current[i];
        const uint32_t b = keyBits(keys, index) >> 24;
        if (b >= 0x80)
            other[--next[b]] = index;
        else
            other[next[b]++] = index;
    }
    return other;
}
