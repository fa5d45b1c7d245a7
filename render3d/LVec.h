#pragma once
// Three-component float vectors.
struct LVec {
    float x, y, z;

    // out = v divided by its length; a zero vector stays zero. out may be v.
    static void Normalize(const LVec& v, LVec& out);
};
