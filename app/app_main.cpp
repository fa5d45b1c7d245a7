#include "app/app_main.h"

#include <cstdio>
#include <string>

#include "foundation/DApplication.h"
#include "platform/os/cp932.h"

// Until the engine exists there is no game to run: say where the data was looked for.
int AppMain() {
    const std::string directory =
        platform::os::cp932ToUtf8(mirel::DApplication::Current()->GetProgramDirectory().Text());
    std::fprintf(stderr, "tessera: no game data in %s\n", directory.c_str());
    return 0;
}
