#include "engine/startup/base_script.h"

#include "engine/script/script_native.h"
#include "engine/script/script_object.h"
#include "engine/script/script_vm.h"
#include "framework/file/path.h"

namespace {

void setAppDir(const char16_t* path) { pelFileSetAppDirectory(path); }

}  // namespace

void runBaseScript() {
    ScriptVM vm;
    ScriptObject table = ScriptObject::newTableWithDelegate(vm, &vm.root());
    table.addFunction(u"setAppDir", &setAppDir);
    {
        ScriptTask task(vm, table);
        ScriptObject result = task.runPath(u"sys/base", nullptr, nullptr, false);
        result.release();
    }
    table.release();
}
