#pragma once
// The debug log's texts (CP932) turned into UTF-8 on standard error for the lifetime of the
// object, so that a command-line tool shows the reasons the libraries report.
#include "foundation/DDebug.h"

namespace tools::console {

class StandardErrorLog {
public:
    StandardErrorLog();
    ~StandardErrorLog();
    StandardErrorLog(const StandardErrorLog&) = delete;
    StandardErrorLog& operator=(const StandardErrorLog&) = delete;
};

}  // namespace tools::console
