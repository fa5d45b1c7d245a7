#include "foundation/DApplication.h"

#include <atomic>
#include <string>

#include "foundation/DPath.h"
#include "platform/os/cp932.h"
#include "platform/os/module_path.h"

namespace mirel {
namespace {

std::atomic<DApplication*> current{nullptr};

}  // namespace

bool DApplication::Init(void* instance, int32_t showCommand) {
    instance_ = instance;
    showCommand_ = showCommand;
    // The common controls and COM need no set-up here: dialogs are drawn by the window
    // platform and nothing uses COM.
    const std::string modulePath = platform::os::utf8ToCp932(platform::os::moduleFileName());
    if (modulePath.empty() || modulePath.size() >= DPATH_SIZE) return false;
    char drive[DPATH_SIZE];
    char directory[DPATH_SIZE];
    DPathSplitDrive(modulePath.c_str(), drive, directory, nullptr);
    programDirectory_.Assign(drive);
    programDirectory_.Append(directory);
    return true;
}

DApplication* DApplication::Current() { return current.load(); }

void DApplication::SetCurrent(DApplication* application) { current.store(application); }

}  // namespace mirel
