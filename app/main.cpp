#include <cstdio>
#include <new>
#include <string>

#include "app/window_icon.h"
#include "engine/startup/app_main.h"
#include "foundation/DApplication.h"
#include "foundation/DDebug.h"
#include "foundation/imagefile/image_file.h"
#include "pixelconv/math_tables.h"
#include "pixelconv/ycbcr_tables.h"
#include "platform/os/broken_pipe.h"
#include "platform/os/command_line.h"
#include "platform/os/cp932.h"
#include "platform/os/module_path.h"
#include "platform/window/window_icon.h"

namespace {

// What the program was "started with" on Windows: there is no instance handle here, and the
// window opens as it would by default (SW_SHOWDEFAULT).
constexpr int32_t kShowDefault = 10;

void ThrowBadAlloc() { throw std::bad_alloc(); }

}  // namespace

// The process's entry. No locale is set: the C locale keeps numbers parsed and printed with
// a decimal point, and Shift-JIS text is handled by the library's own lead-byte test and the
// CP932 codec.
int main(int argc, char** argv) {
    platform::os::saveArgs(argc, argv);
    platform::os::ignoreBrokenPipeSignal();
    std::set_new_handler(&ThrowBadAlloc);

    // Process-wide tables and the image plug-ins are prepared before the application object.
    mirel::DMathInitTables();
    mirel::DimgInitYCbCrTables();
    mirel::_DSusieInit();
    platform::window::setIconResource(kWindowIconResource, kWindowIconPng, kWindowIconPngSize);

    int exitCode;
    {
        mirel::DApplication application;
        if (!application.Init(nullptr, kShowDefault)) {
            std::fprintf(stderr,
                         "tessera: cannot use the program directory of %s "
                         "(unknown, or its path is longer than 263 bytes)\n",
                         platform::os::moduleFileName().c_str());
            mirel::DSusieTerm();
            return 1;
        }
        mirel::DApplication::SetCurrent(&application);
        exitCode = AppMain();
        mirel::DApplication::SetCurrent(nullptr);
    }

    mirel::DDebug& debug = mirel::DDebug::Global();
    debug.File().Close();
    debug.EnableFile(false);

    // The image plug-ins are freed after the debug log is closed.
    mirel::DSusieTerm();

    return exitCode;
}
