#include "framework/input/hat_direction.h"

using platform::input::DWORD;

namespace {

struct HatRange {
    DWORD from;
    DWORD to;
};
constexpr HatRange kHatRanges[4] = {{29300, 6800}, {11300, 24800}, {20300, 33800}, {2300, 15800}};

}  // namespace

bool pelInputHatCentred(DWORD pov) { return (pov & 0xFFFF) == 0xFFFF; }

bool pelInputHatPoints(DWORD pov, uint32_t direction) {
    if (pelInputHatCentred(pov)) return false;
    const HatRange& range = kHatRanges[direction];
    return range.from <= range.to ? pov >= range.from && pov <= range.to
                                  : pov >= range.from || pov <= range.to;
}
