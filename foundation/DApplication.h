#pragma once
#include <cstdint>

#include "foundation/DObject.h"
#include "foundation/DString.h"

namespace mirel {

// The application object: the instance and show command the program was started with, and
// the program directory (the executable's directory in CP932, with its drive if any, every
// separator written as '/', ending with '/', e.g. C:/Games/Title/). One instance lives in main
// and is reachable through Current() while the application runs.
class DApplication : public DObject {
public:
    DApplication() = default;
    DApplication(const DApplication&) = delete;
    DApplication& operator=(const DApplication&) = delete;

    // Records the instance and show command and works out the program directory from the
    // module path. False when that path is unknown or longer than a path buffer holds (263
    // bytes in CP932): such a directory would be cut silently further on.
    bool Init(void* instance, int32_t showCommand);

    void* GetInstance() const { return instance_; }
    int32_t GetShowCommand() const { return showCommand_; }
    const DString& GetProgramDirectory() const { return programDirectory_; }

    // The application object of the running program (null outside main's run).
    static DApplication* Current();
    static void SetCurrent(DApplication* application);

private:
    void* instance_ = nullptr;
    int32_t showCommand_ = 0;
    DString programDirectory_;
};

}  // namespace mirel
