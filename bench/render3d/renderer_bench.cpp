// The renderer's opaque path against the bare device: 200 two-bone skinned parts of 10
// triangles each drawn through DrawObjectInstance at 640 x 480, and the same triangles drawn
// with the same shader and constants set up once. The ratio of the two is reported as a counter
// (target: within 1.3x).
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/support/bench_device.h"
#include "bench/support/time_against.h"
#include "foundation/DFile.h"
#include "platform/d3d9/d3d9_enums.h"
#include "platform/d3d9/direct3d9.h"
#include "render3d/L3DAnimInstMat.h"
#include "render3d/L3DDevice.h"
#include "render3d/L3DPartDraw.h"
#include "render3d/L3DRenderer.h"
#include "render3d/shader_pass.h"
#include "tests/render3d/support/matrices.h"

using namespace platform::d3d9;
using tessera::test::perspective43;
using tessera::test::translation;

namespace {

constexpr uint32_t kParts = 200;
constexpr uint32_t kTriangles = 10;

// A strip of 10 triangles along x, its vertices weighted between the part's two bones.
struct Mesh {
    std::vector<L3D_RENDERER_VERTEX> vertices;
    std::vector<uint16_t> indices;
};

Mesh skinnedRibbon() {
    Mesh mesh;
    for (uint32_t i = 0; i < kTriangles / 2 + 1; ++i)
        for (int row = 0; row < 2; ++row) {
            L3D_RENDERER_VERTEX v{};
            v.x = 0.2f * static_cast<float>(i);
            v.y = 0.3f * static_cast<float>(row);
            v.weights[0] = 1.0f - 0.2f * static_cast<float>(i);
            v.weights[1] = 0.2f * static_cast<float>(i);
            v.boneIndices = 0x0201;
            v.nz = -1.0f;
            v.color = 0xFF80C0FF;
            mesh.vertices.push_back(v);
        }
    for (uint16_t i = 0; i < kTriangles / 2; ++i) {
        const uint16_t a = static_cast<uint16_t>(2 * i);
        mesh.indices.insert(mesh.indices.end(),
                            {a, uint16_t(a + 1), uint16_t(a + 2), uint16_t(a + 2), uint16_t(a + 1),
                             uint16_t(a + 3)});
    }
    return mesh;
}

class Scene {
public:
    Scene() {
        tessera::bench::createBenchDevice(device_, 640, 480);
        mirel::DFile archive;
        archive.Open(TESSERA_RENDERER_CSA, mirel::DFile::OpenRead);
        renderer_.Create(mirel::rcptr<L3DDevice>::NonOwning(&device_), {}, archive);
        renderer_.SetViewProjection(translation(0, 0, 8), perspective43());
        const float light[3] = {0, 0, 1};
        renderer_.SetLightDir(light);

        const Mesh ribbon = skinnedRibbon();
        option_.color1[0] = option_.color1[1] = option_.color1[2] = option_.color1[3] = 1.0f;
        material_.option = mirel::rcptr<L3D_RENDERER_SHADEROPT>::NonOwning(&option_);
        mesh_.Create();
        mesh_->vertexCount = static_cast<uint32_t>(ribbon.vertices.size());
        mesh_->vertices.Allocate(ribbon.vertices.size());
        std::copy(ribbon.vertices.begin(), ribbon.vertices.end(), mesh_->vertices.Get());
        mesh_->maxBlendCount = 2;
        mesh_->indices.Allocate(ribbon.indices.size());
        std::copy(ribbon.indices.begin(), ribbon.indices.end(), mesh_->indices.Get());
        mesh_->indexByteCount = static_cast<uint32_t>(ribbon.indices.size() * 2);
        mesh_->primitiveType = D3DPT_TRIANGLELIST;
        mesh_->primitiveCount = kTriangles;
        mesh_->usedBoneCount = 2;
        mesh_->usedBones.Allocate(2);
        mesh_->usedBones[0] = 1;
        mesh_->usedBones[1] = 2;
        vertexBuffer_ = device_.CreateVBufferWith(mesh_->vertices.Get(),
                                                  mesh_->vertexCount * sizeof(L3D_RENDERER_VERTEX),
                                                  L3DDevice::DefaultFvf);
        indexBuffer_ = device_.CreateIBufferWith(mesh_->indices.Get(), mesh_->indexByteCount);

        parts_.resize(kParts);
        for (uint32_t p = 0; p < kParts; ++p) {
            L3DPartDraw& part = parts_[p];
            const float x = -3.0f + 0.3f * static_cast<float>(p % 20);
            const float y = -2.0f + 0.4f * static_cast<float>(p / 20);
            part.matrixCount = 3;
            part.matrices.Allocate(3);
            part.matrices[0] = translation(x, y, 0);
            part.matrices[1] = translation(x, y, 0);
            part.matrices[2] = translation(x, y + 0.1f, 0);
            part.pieceCount = 1;
            part.pieces.Allocate(1);
            L3D_PARTINST_MAT& piece = part.pieces[0];
            piece.pieceData = mesh_;
            piece.vertices = mesh_->vertices;
            piece.vertexCount = mesh_->vertexCount;
            piece.weightCount = 2;
            piece.vertexBuffer = vertexBuffer_;
            piece.indexBuffer = indexBuffer_;
            piece.material = &material_;
            pointers_.push_back(&part);
        }
    }
    ~Scene() {
        parts_.clear();
        vertexBuffer_.Reset();
        indexBuffer_.Reset();
        renderer_.Release();
        tessera::bench::releaseBenchDevice(device_);
    }

    void drawThroughRenderer() {
        const float white[4] = {1, 1, 1, 1};
        device_.device()->BeginScene();
        renderer_.DrawObjectInstance(pointers_, white, white, 0);
        device_.device()->EndScene();
    }

    // The same triangles with the shader and the constants of the first part set once.
    void drawDirect() {
        IDirect3DDevice9* d = device_.device();
        d->BeginScene();
        renderer_._LoadBoneMatrices(parts_[0]);
        L3DShaderPassRecord pass;
        pass.world = parts_[0].matrices[0];
        pass.material = &material_;
        pass.weightCount = 2;
        pass.boneIndices = {mesh_->usedBones.Get(), 2};
        renderer_._SetShaderPass(0, pass, 0);
        device_.ApplyStates();
        device_.SetStreamSource(vertexBuffer_->buffer, sizeof(L3D_RENDERER_VERTEX));
        device_.SetIndices(indexBuffer_->buffer);
        for (uint32_t p = 0; p < kParts; ++p)
            d->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, mesh_->vertexCount, 0, kTriangles);
        d->EndScene();
    }

private:
    L3DDevice device_;
    L3DRenderer renderer_;
    L3D_RENDERER_SHADEROPT_NORMAL option_;
    L3D_ANIMINST_MAT material_;
    mirel::rcptr<L3D_PARTDATA_RUNTIME> mesh_;
    mirel::rcptr<L3DVBuffer> vertexBuffer_;
    mirel::rcptr<L3DIBuffer> indexBuffer_;
    std::vector<L3DPartDraw> parts_;
    std::vector<L3DPartDraw*> pointers_;
};

void RendererAgainstDevice(benchmark::State& state) {
    Scene scene;
    tessera::bench::timeAgainst(
        state, [&] { scene.drawThroughRenderer(); }, [&] { scene.drawDirect(); }, "device_us");
}
BENCHMARK(RendererAgainstDevice)->UseManualTime()->Unit(benchmark::kMicrosecond);

}  // namespace
