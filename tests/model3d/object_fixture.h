#pragma once
// Object instances made by a renderer without a device, as the engines make them: with an
// effect manager holding effect data of the model's directory, a sound-effect manager over a
// sound device the test pulls, files in a memory pack, and a figure model written by the
// model writer (two parts, one bone, two animations) that tests give events.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "effects/L3DEffectManager.h"
#include "model3d/L3DAnimInstance.h"
#include "model3d/L3DObjectInstance.h"
#include "model3d/L3DPartInstance.h"
#include "pixelconv/math_tables.h"
#include "render3d/L3DRenderer.h"
#include "render3d/diagnostics/diagnostics.h"
#include "sound/LSeManager.h"
#include "tests/foundation/support/debug_capture.h"
#include "tests/model3d/support/anim_models.h"
#include "tests/sound/sound_probes.h"
#include "tools/writers/effect_writers.h"
#include "tools/writers/model_file_writer.h"
#include "tools/writers/se_group_writer.h"

namespace tessera::test {

// Names of a record's string pool: each added name is a reference into `text`.
struct ModelNames {
    std::string text;
    tools::writers::ModelRef operator()(const std::string& name) {
        const auto offset = static_cast<uint32_t>(text.size());
        text += name;
        text.push_back('\0');
        return tools::writers::modelRef(offset, static_cast<uint32_t>(name.size()));
    }
};

// The figure: part "torso" (one triangle, uv 0) with the bone "arm" (reference (0, 1, 0)),
// part "head" hung from the arm; collision group "guard" (type 3, one sphere on the torso);
// animation "walk" turns the arm about z by 9 degrees a frame for 10 frames (loop 0 to 10) and
// holds torso and head; animation "idle" (end 30) moves the torso up 1 per 10 frames and
// leaves the arm and the head without keys.
tools::writers::ModelFile figureModel();

// An event of the kind at the frame; names go to the pool.
tools::writers::ModelEvent modelEvent(uint32_t kind, uint32_t frame);

class ObjectTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads the model (its directory "chr/" registered, effect data "chr/effdata" with
    // `effectRoots` roots loaded for it) and creates an instance through the renderer.
    mirel::rcptr<L3DObjectInstance> create(const tools::writers::ModelFile& model);
    // Writes effect data of n roots (flags as given: 3 follows and frees on stop) for "chr/".
    void writeEffects(uint32_t roots, uint32_t flags = 3);
    // A group "se/group" of `effects` sound effects, each with one voice of a short sound and
    // the flags given (as the group file writes them).
    mirel::LSeManager::_GROUPINFO* loadSounds(uint32_t effects, const std::string& flags = "");
    // The effect numbers of the group's playing voices, oldest first.
    std::vector<uint32_t> playingSounds(const mirel::LSeManager::_GROUPINFO* group) const;
    uint32_t activeEffects() const;
    L3DPartInstance& part(L3DObjectInstance& instance, uint32_t index);
    L3DAnimState& arm(L3DObjectInstance& instance);

    DebugCapture log_;
    ManualDevice sound_;
    MemoryPackScope packs_;
    std::unique_ptr<L3DRenderer> renderer_;
    const L3D_RENDERER_NNID* resource_ = nullptr;

private:
    uint32_t savedMode_ = 0;
    int32_t savedThreshold_ = 0;
};

}  // namespace tessera::test
