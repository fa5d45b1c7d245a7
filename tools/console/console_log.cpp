#include "tools/console/console_log.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "foundation/DDataOverride.h"
#include "platform/os/cp932.h"

namespace tools::console {

namespace {

class StandardErrorStream : public mirel::DDataOverride {
public:
    int32_t Write(const void* bytes, int32_t count) override {
        const std::string text =
            platform::os::cp932ToUtf8(std::string_view(static_cast<const char*>(bytes), count));
        std::fwrite(text.data(), 1, text.size(), stderr);
        return count;
    }
    int32_t Read(void*, int32_t) override { return -1; }
    bool Seek(int32_t, int32_t) override { return true; }
    int32_t Tell() override { return 0; }
    int32_t Size() override { return 0; }
    bool Truncate() override { return true; }
    bool Flush() override { return std::fflush(stderr) == 0; }
};

}  // namespace

StandardErrorLog::StandardErrorLog() {
    mirel::DDebug& debug = mirel::DDebug::Global();
    mirel::rcptr<StandardErrorStream> stream;
    stream.Create();
    debug.File().AttachStream("stderr", stream);
    debug.EnableFile(true);
}

StandardErrorLog::~StandardErrorLog() {
    mirel::DDebug& debug = mirel::DDebug::Global();
    debug.EnableFile(false);
    debug.File().Close();
}

}  // namespace tools::console
