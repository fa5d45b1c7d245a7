#pragma once
// The checks of a part's indices against the tables they point into: what fails here fails
// like a short read, so that neither the compilation nor the drawing reads outside a table.
#include "foundation/DFile.h"
#include "model3d/L3DPartData.h"

// Indices within the corners, corner fields within the part's and mesh's tables, and enough
// indices for the primitive count.
void l3dCheckSourceMesh(mirel::DFile& file, const L3DPartData& part, const L3D_PARTDATA_MESH& mesh);
// Entries within the part's meshes and their corners.
void l3dCheckVertexMap(mirel::DFile& file, const L3DPartData& part,
                       const L3D_PARTDATA_VERTEXMAP& map);
// One vertex per corner of the source mesh, 16-bit indices within the vertices, enough of them
// for the primitive count, bone bytes within the used-bone list and its entries within the
// part's bones.
void l3dCheckRuntimeMesh(mirel::DFile& file, const L3DPartData& part,
                         const L3D_PARTDATA_RUNTIME& runtime);
