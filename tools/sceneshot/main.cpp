// sceneshot DIR MODEL OUTDIR [options]: plays the model DIR/MODEL.dgo (with its directory's
// effect data) on the software device and writes frames 1 to N as OUTDIR/frameNNN.png.
//   --anim NAME        animation made current from its start
//   --frames N         frames to write (1)
//   --size WxH         frame size (160x120)
//   --seed S           the renderer's random seed (1)
//   --eye X,Y,Z        camera position (0,1,-5); --target X,Y,Z the point it looks at (0,1,0)
//   --fov DEGREES      vertical field of view (60)
//   --light X,Y,Z      light direction (-0.3,-0.5,0.8)
//   --definition NAME  effect definition file DIR/NAME.dat with its textures
//   --play ROOT        also plays that effect of the model's directory at the origin
//   --shaders FILE     the renderer's shader set (the build's sys/renderer.csa)
// Exit status 0 on success, 1 when loading or writing fails (the reason on standard error), 2
// for a wrong command line.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "render3d/diagnostics/diagnostics.h"
#include "tools/console/console_log.h"
#include "tools/sceneshot/scene_shot.h"
#include "tools/writers/png_writer.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: sceneshot DIR MODEL OUTDIR [--anim NAME] [--frames N] [--size WxH] "
                 "[--seed S] [--eye X,Y,Z] [--target X,Y,Z] [--fov DEGREES] [--light X,Y,Z] "
                 "[--definition NAME] [--play ROOT] [--shaders FILE]\n");
    return 2;
}

bool parseOption(const std::string& name, const char* value, sceneshot::Options& options,
                 uint32_t& frames, std::string& shaders) {
    char tail = 0;
    if (name == "--anim") {
        options.animation = value;
    } else if (name == "--frames") {
        return std::sscanf(value, "%u%c", &frames, &tail) == 1 && frames > 0;
    } else if (name == "--size") {
        return std::sscanf(value, "%ux%u%c", &options.width, &options.height, &tail) == 2 &&
               options.width > 0 && options.height > 0;
    } else if (name == "--seed") {
        return std::sscanf(value, "%u%c", &options.seed, &tail) == 1;
    } else if (name == "--eye") {
        return sceneshot::parseVector(value, options.eye);
    } else if (name == "--target") {
        return sceneshot::parseVector(value, options.target);
    } else if (name == "--fov") {
        return std::sscanf(value, "%f%c", &options.fovDegrees, &tail) == 1;
    } else if (name == "--light") {
        return sceneshot::parseVector(value, options.light);
    } else if (name == "--definition") {
        options.definition = value;
    } else if (name == "--play") {
        return std::sscanf(value, "%d%c", &options.playRoot, &tail) == 1 && options.playRoot >= 0;
    } else if (name == "--shaders") {
        shaders = value;
    } else {
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || (argc - 4) % 2 != 0) return usage();
    sceneshot::Options options;
    options.directory = argv[1];
    options.model = argv[2];
    const std::string output = argv[3];
    uint32_t frames = 1;
    std::string shaders = TESSERA_RENDERER_CSA_PATH;
    for (int i = 4; i < argc; i += 2)
        if (!parseOption(argv[i], argv[i + 1], options, frames, shaders)) return usage();

    const tools::console::StandardErrorLog log;
    l3dDiagMode = 0;      // reports go to the log only
    l3dLogThreshold = 0;  // and only the reports
    mirel::DFile archive;
    if (!archive.Open(shaders.c_str(), mirel::DFile::OpenRead)) {
        std::fprintf(stderr, "sceneshot: cannot open the shader set %s\n", shaders.c_str());
        return 1;
    }
    try {
        sceneshot::SceneShot shot(options, archive);
        for (uint32_t n = 1; n <= frames; ++n) {
            const sceneshot::Frame frame = shot.next();
            char name[32];
            std::snprintf(name, sizeof name, "/frame%03u.png", n);
            if (!tools::writers::writePng(output + name, frame.width, frame.height, frame.argb)) {
                std::fprintf(stderr, "sceneshot: cannot write %s%s\n", output.c_str(), name);
                return 1;
            }
        }
    } catch (const LExceptGame&) {
        return 1;
    }
    return 0;
}
