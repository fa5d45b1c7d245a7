#pragma once
// The default-pack path "sys/posteffect/<name>" of a noise texture name of at most 32 units.
#include <cstddef>

inline void postEffectNoisePath(const char16_t (&name)[32], char16_t (&path)[48]) {
    static constexpr char16_t kPrefix[] = u"sys/posteffect/";
    size_t n = 0;
    for (; kPrefix[n]; ++n) path[n] = kPrefix[n];
    for (size_t i = 0; i < 32 && name[i]; ++i) path[n++] = name[i];
    path[n] = 0;
}
