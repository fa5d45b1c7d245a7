#pragma once
#include <string>

#include "foundation/DFile.h"

namespace tessera::test {

// Routes the global debug log into memory for the lifetime of the object; its former file
// and state come back afterwards. Texts are CP932 with CR LF line ends.
class DebugCapture {
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture&) = delete;
    DebugCapture& operator=(const DebugCapture&) = delete;

    // Everything printed so far, with CR LF turned back into LF.
    std::string text() const;

private:
    mirel::DFile saved_;
    bool wasEnabled_;
};

}  // namespace tessera::test
