#pragma once
// Object instances of written models, put together and stepped by the instance rig, beside a
// renderer without a device (for default materials) or over the software device.
#include <gtest/gtest.h>

#include <memory>

#include "model3d/L3DObjectInstance.h"
#include "model3d/L3DPartInstance.h"
#include "render3d/L3DRenderer.h"
#include "tests/model3d/support/anim_models.h"
#include "tests/render3d/support/device_fixture.h"
#include "tools/instance_rig/instance_rig.h"

namespace tessera::test {

class InstanceTest : public Render3dTest {
protected:
    void TearDown() override {
        instance_.Reset();
        renderer_.reset();
        Render3dTest::TearDown();
    }

    // An instance of the model (a renderer without a device unless one was made) playing
    // `anim` from its start; stepped `frames` times.
    L3DObjectInstance& play(const tools::writers::ModelFile& model, const char* anim = "anim",
                            uint32_t frames = 0) {
        if (!renderer_) renderer_ = std::make_unique<L3DRenderer>();
        instance_ = tools::rig::makeInstance(loadModel(model),
                                             mirel::rcptr<L3DRenderer>::NonOwning(renderer_.get()));
        if (anim) anim_ = tools::rig::play(*instance_, anim);
        forward(frames);
        return *instance_;
    }
    void forward(uint32_t frames = 1) {
        for (uint32_t i = 0; i < frames; ++i) tools::rig::forward(*instance_);
    }
    L3DPartInstance& part(uint32_t index = 0) {
        auto it = instance_->parts._GetFirstNode();
        for (uint32_t i = 0; i < index; ++i) it = it.Next();
        return *it.GetRef();
    }
    // The bone node of the part by its pre-order number (from 1).
    L3DAnimState& bone(uint32_t number, uint32_t partIndex = 0) {
        L3DAnimState* found = nullptr;
        uint32_t n = 0;
        part(partIndex).forEachBone([&](L3DBoneInstance& b) {
            if (++n == number) found = &b.node;
        });
        return *found;
    }
    L3DCollGroupInstance& collGroup(uint32_t index) {
        auto it = instance_->collGroups._GetFirstNode();
        for (uint32_t i = 0; i < index; ++i) it = it.Next();
        return *it.GetRef();
    }

    std::unique_ptr<L3DRenderer> renderer_;
    mirel::rcptr<L3DObjectInstance> instance_;
    mirel::rcptr<L3DAnimInstance> anim_;
};

}  // namespace tessera::test
