// demo_assets OUTDIR: draws the demo's pictures and writes its sound-effect group file into the
// game folder OUTDIR (start/splash.png, menu/title.png, menu/frames.png, menu/seList.prp).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "demo/assets/pictures.h"
#include "tools/writers/png_writer.h"
#include "tools/writers/se_group_writer.h"

namespace {

bool writePicture(const std::filesystem::path& path, const demo::Canvas& canvas, bool alpha) {
    std::filesystem::create_directories(path.parent_path());
    if (tools::writers::writePng(path.string(), canvas.width(), canvas.height(), canvas.argb(),
                                 alpha))
        return true;
    std::fprintf(stderr, "demo_assets: cannot write %s\n", path.c_str());
    return false;
}

// The menu's three effects, in the order the scripts play them by index: a cursor move, a
// choice and a step back. Two voices each, so a quick second press never cuts the first.
bool writeSeList(const std::filesystem::path& path) {
    using tools::writers::SeGroupSection;
    const std::string file = tools::writers::seGroupFile({
        SeGroupSection{"@prop", {{"count", "2"}, {"priority", "0"}}},
        SeGroupSection{"@se0", {{"name", "move"}}},
        SeGroupSection{"@se1", {{"name", "decide"}}},
        SeGroupSection{"@se2", {{"name", "back"}}},
    });
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << file;
    if (out) return true;
    std::fprintf(stderr, "demo_assets: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: demo_assets OUTDIR\n");
        return 2;
    }
    const std::filesystem::path out = argv[1];
    const bool ok = writePicture(out / "start" / "splash.png", demo::splashPicture(), false) &&
                    writePicture(out / "menu" / "title.png", demo::titlePicture(), false) &&
                    writePicture(out / "menu" / "frames.png", demo::framesPicture(), true) &&
                    writeSeList(out / "menu" / "seList.prp");
    return ok ? 0 : 1;
}
