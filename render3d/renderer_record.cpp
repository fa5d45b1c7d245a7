// One draw of a piece with the device states already set: from its vertex and index buffers,
// or from memory when its vertices were deformed on the CPU or vertices are processed in
// software.
#include "platform/d3d9/d3d9_enums.h"
#include "render3d/L3DDevice.h"
#include "render3d/L3DPartDraw.h"
#include "render3d/L3DRenderer.h"

using namespace platform::d3d9;

void L3DRenderer::_LoadBoneMatrices(const L3DPartDraw& part) {
    boneMatrices.Reserve(part.matrixCount);
    for (uint32_t i = 0; i < part.matrixCount; ++i)
        LMat::Transpose(boneMatrices[static_cast<int32_t>(i)], part.matrices[i]);
}

void L3DRenderer::_DrawRecord(const L3D_PARTINST_MAT& record) {
    const L3D_PARTDATA_RUNTIME& mesh = *record.pieceData;
    const auto type = static_cast<D3DPRIMITIVETYPE>(mesh.primitiveType);
    const bool threeUv = (record.flags & L3D_PARTINST_MAT::FlagThreeUvSets) != 0;
    const uint32_t stride = threeUv ? sizeof(L3D_RENDERER_VERTEX3) : sizeof(L3D_RENDERER_VERTEX);
    const bool fromMemory = device->softwareVertexProcessing() || !record.vertexBuffer ||
                            !record.indexBuffer ||
                            (!threeUv && (record.flags & L3D_PARTINST_MAT::FlagCpuVertices));
    if (threeUv) device->SetFVF(L3DDevice::ThreeUvFvf);
    device->ApplyStates();
    if (fromMemory) {
        const void* vertices = threeUv ? static_cast<const void*>(mesh.vertices3.Get())
                                       : static_cast<const void*>(record.vertices.Get());
        device->DrawIndexedUP(stride, type, record.vertexCount, mesh.primitiveCount,
                              mesh.indices.Get(), vertices);
    } else {
        device->SetStreamSource(record.vertexBuffer->buffer, stride);
        device->SetIndices(record.indexBuffer->buffer);
        device->DrawIndexed(mesh.primitiveCount, type, record.vertexCount);
    }
    if (threeUv) device->SetPShader(nullptr);
}
