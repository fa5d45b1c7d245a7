#pragma once
// The D3DX matrix helpers the runtime calls, from their public formulas. Matrices are
// row-major with row vectors (v' = v * M); the right-handed projections map the near plane to
// z = 0 and the far plane to z = 1.
#include "platform/d3d9/d3d9_structs.h"

namespace platform::d3d9 {

using D3DXMATRIX = D3DMATRIX;

// The inverse of `m` into `out`; returns `out`, or null (with `out` untouched) when `m` is
// singular. The determinant is stored when `determinant` is given.
D3DXMATRIX* D3DXMatrixInverse(D3DXMATRIX* out, float* determinant, const D3DXMATRIX* m);
D3DXMATRIX* D3DXMatrixPerspectiveFovRH(D3DXMATRIX* out, float fovy, float aspect, float zn,
                                       float zf);
D3DXMATRIX* D3DXMatrixOrthoRH(D3DXMATRIX* out, float w, float h, float zn, float zf);
D3DXMATRIX* D3DXMatrixOrthoOffCenterRH(D3DXMATRIX* out, float l, float r, float b, float t,
                                       float zn, float zf);

}  // namespace platform::d3d9
