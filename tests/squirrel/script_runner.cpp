#include "tests/squirrel/script_runner.h"

#include "platform/os/utf8.h"
#include "squirrel/sqhost.h"
#include "squirrel/squirrel.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace sqtest {

void ExpectRunsFromSourceAndStream(const ScriptCase& c) {
    const std::string name = std::string(c.name) + ".nut";
    const int status = c.err[0] ? 1 : 0;
    const RunResult src = Run(name, c.source);
    EXPECT_EQ(src.out, c.out) << name << " from source";
    EXPECT_EQ(src.err, c.err) << name << " from source";
    EXPECT_EQ(src.status, status) << name << " from source";
    const std::string cnut = Compile(name, c.source);
    if (cnut.empty()) return;  // compile errors have no stream form
    const RunResult bin = Run(name, cnut);
    EXPECT_EQ(bin.out, c.out) << name << " from stream";
    EXPECT_EQ(bin.err, c.err) << name << " from stream";
    EXPECT_EQ(bin.status, status) << name << " from stream";
}

RunResult Run(const std::string& name, const std::string& data) {
    std::ostringstream out, err;
    RunResult r;
    r.status = sqhost::RunScript(name, data, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

namespace {
SQInteger AppendBytes(SQUserPointer up, SQUserPointer src, SQInteger size) {
    static_cast<std::string*>(up)->append(static_cast<const char*>(src), static_cast<size_t>(size));
    return size;
}
}  // namespace

std::string Compile(const std::string& name, const std::string& source, bool debuginfo) {
    HSQUIRRELVM v = sq_open(1024);
    sq_enabledebuginfo(v, debuginfo ? SQTrue : SQFalse);
    const std::u16string text = platform::os::utf8ToUtf16(source);
    const std::u16string srcname = platform::os::utf8ToUtf16(name);
    std::string cnut;
    if (SQ_SUCCEEDED(sq_compilebuffer(v, text.data(), static_cast<SQInteger>(text.size()),
                                      srcname.c_str(), SQFalse))) {
        if (SQ_FAILED(sq_writeclosure(v, AppendBytes, &cnut))) cnut.clear();
    }
    sq_close(v);
    return cnut;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot read " << path;
        return {};
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool FileExists(const std::string& path) { return std::ifstream(path).good(); }

}  // namespace sqtest
