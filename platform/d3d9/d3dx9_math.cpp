#include "platform/d3d9/d3dx9_math.h"

#include <cmath>

namespace platform::d3d9 {

D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* in) {
    const float(&m)[4][4] = in->m;
    // Cofactors through the 2x2 minors of the top and bottom row pairs.
    const float s0 = m[0][0] * m[1][1] - m[1][0] * m[0][1];
    const float s1 = m[0][0] * m[1][2] - m[1][0] * m[0][2];
    const float s2 = m[0][0] * m[1][3] - m[1][0] * m[0][3];
    const float s3 = m[0][1] * m[1][2] - m[1][1] * m[0][2];
    const float s4 = m[0][1] * m[1][3] - m[1][1] * m[0][3];
    const float s5 = m[0][2] * m[1][3] - m[1][2] * m[0][3];
    const float c5 = m[2][2] * m[3][3] - m[3][2] * m[2][3];
    const float c4 = m[2][1] * m[3][3] - m[3][1] * m[2][3];
    const float c3 = m[2][1] * m[3][2] - m[3][1] * m[2][2];
    const float c2 = m[2][0] * m[3][3] - m[3][0] * m[2][3];
    const float c1 = m[2][0] * m[3][2] - m[3][0] * m[2][2];
    const float c0 = m[2][0] * m[3][1] - m[3][0] * m[2][1];
    const float det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (determinant) *determinant = det;
    if (det == 0.0f || !std::isfinite(det)) return nullptr;
    const float k = 1.0f / det;
    D3DXMATRIX r;
    r.m[0][0] = (m[1][1] * c5 - m[1][2] * c4 + m[1][3] * c3) * k;
    r.m[0][1] = (-m[0][1] * c5 + m[0][2] * c4 - m[0][3] * c3) * k;
    r.m[0][2] = (m[3][1] * s5 - m[3][2] * s4 + m[3][3] * s3) * k;
    r.m[0][3] = (-m[2][1] * s5 + m[2][2] * s4 - m[2][3] * s3) * k;
    r.m[1][0] = (-m[1][0] * c5 + m[1][2] * c2 - m[1][3] * c1) * k;
    r.m[1][1] = (m[0][0] * c5 - m[0][2] * c2 + m[0][3] * c1) * k;
    r.m[1][2] = (-m[3][0] * s5 + m[3][2] * s2 - m[3][3] * s1) * k;
    r.m[1][3] = (m[2][0] * s5 - m[2][2] * s2 + m[2][3] * s1) * k;
    r.m[2][0] = (m[1][0] * c4 - m[1][1] * c2 + m[1][3] * c0) * k;
    r.m[2][1] = (-m[0][0] * c4 + m[0][1] * c2 - m[0][3] * c0) * k;
    r.m[2][2] = (m[3][0] * s4 - m[3][1] * s2 + m[3][3] * s0) * k;
    r.m[2][3] = (-m[2][0] * s4 + m[2][1] * s2 - m[2][3] * s0) * k;
    r.m[3][0] = (-m[1][0] * c3 + m[1][1] * c1 - m[1][2] * c0) * k;
    r.m[3][1] = (m[0][0] * c3 - m[0][1] * c1 + m[0][2] * c0) * k;
    r.m[3][2] = (-m[3][0] * s3 + m[3][1] * s1 - m[3][2] * s0) * k;
    r.m[3][3] = (m[2][0] * s3 - m[2][1] * s1 + m[2][2] * s0) * k;
    *out = r;
    return out;
}

D3DXMATRIX* D3DXMatrixPerspectiveFovRH(D3DXMATRIX* out, float fovy, float aspect, float zn,
                                       float zf) {
    const float yScale = 1.0f / std::tan(fovy / 2.0f);
    const float xScale = yScale / aspect;
    *out = {};
    out->m[0][0] = xScale;
    out->m[1][1] = yScale;
    out->m[2][2] = zf / (zn - zf);
    out->m[2][3] = -1.0f;
    out->m[3][2] = zn * zf / (zn - zf);
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoRH(D3DXMATRIX* out, float w, float h, float zn, float zf) {
    *out = {};
    out->m[0][0] = 2.0f / w;
    out->m[1][1] = 2.0f / h;
    out->m[2][2] = 1.0f / (zn - zf);
    out->m[3][2] = zn / (zn - zf);
    out->m[3][3] = 1.0f;
    return out;
}

D3DXMATRIX* D3DXMatrixOrthoOffCenterRH(D3DXMATRIX* out, float l, float r, float b, float t,
                                       float zn, float zf) {
    *out = {};
    out->m[0][0] = 2.0f / (r - l);
    out->m[1][1] = 2.0f / (t - b);
    out->m[2][2] = 1.0f / (zn - zf);
    out->m[3][0] = (l + r) / (l - r);
    out->m[3][1] = (t + b) / (b - t);
    out->m[3][2] = zn / (zn - zf);
    out->m[3][3] = 1.0f;
    return out;
}

}  // namespace platform::d3d9
