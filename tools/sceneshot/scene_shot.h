#pragma once
// A model of a data directory played frame by frame on the software device, as the engines
// play one: loaded with its directory's effect data, an animation made current, optionally an
// effect started beside it, then per frame the instance's step, the effect task, the model and
// the effects drawn and the frame presented to memory. Camera, light and the random seed are
// fixed by the options, so the same options give the same frames.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "foundation/DFile.h"

namespace sceneshot {

struct Options {
    std::string directory;   // the data directory, seen as the default pack
    std::string model;       // the model's path inside it, without ".dgo" ("chr/figure")
    std::string animation;   // made current from its start; empty: none
    std::string definition;  // effect definition file ("effect/effdef"); empty: none
    int32_t playRoot = -1;   // an effect root of the model's directory played at the origin
    uint32_t width = 160;
    uint32_t height = 120;
    uint32_t seed = 1;  // the renderer's random seed
    float eye[3] = {0.0f, 1.0f, -5.0f};
    float target[3] = {0.0f, 1.0f, 0.0f};
    float fovDegrees = 60.0f;
    float light[3] = {-0.3f, -0.5f, 0.8f};
    uint32_t background = 0xFF283040;
};

struct Frame {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint32_t> argb;
};

class SceneShot {
public:
    // Sets up device, renderer (shader set read from `shaders`), effects and the model; every
    // error of the runtime's loaders is fatal (LExceptGame).
    SceneShot(const Options& options, mirel::DFile& shaders);
    ~SceneShot();
    SceneShot(const SceneShot&) = delete;
    SceneShot& operator=(const SceneShot&) = delete;

    // One frame: the instance steps, the effects step, everything is drawn and presented.
    Frame next();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Parses "x,y,z" into three floats; false when it is not three numbers.
bool parseVector(const std::string& text, float out[3]);

}  // namespace sceneshot
