#include "tests/engine/script/script_test_support.h"

#include "framework/core/core.h"
#include "framework/file/file.h"
#include "tests/support/fixture_paths.h"

namespace tessera::test {

std::u16string widen(const std::string& text) { return std::u16string(text.begin(), text.end()); }

std::u16string fixturePath(const std::string& name) {
    return widen(requiredEnv("ENGINE_SCRIPT_FIXTURES") + "/" + name);
}

bool ScriptTest::startFramework() {
    pelFileRegisterModule();
    pelInitialize();
    return true;
}

ScriptObject ScriptTest::eval(ScriptThread& thread, const char16_t* source) {
    const HSQUIRRELVM vm = thread.vm;
    const SQInteger top = sq_gettop(vm);
    const std::u16string text(source);
    if (SQ_FAILED(sq_compilebuffer(vm, text.c_str(), static_cast<SQInteger>(text.size()), u"test",
                                   SQTrue))) {
        sq_settop(vm, top);
        ADD_FAILURE() << "the test script does not compile";
        return ScriptObject();
    }
    const ScriptObject closure = ScriptObject::fromStack(vm, -1);
    sq_settop(vm, top);
    return ScriptCall::prepareOnTask(thread, closure).run();
}

std::vector<std::u16string> ScriptTest::textsAt(int level) {
    std::vector<std::u16string> texts;
    for (const auto& entry : reports()) {
        if (entry.level == level) texts.push_back(entry.text);
    }
    return texts;
}

bool ScriptTest::wasReported(int level, const std::u16string& text) {
    for (const auto& entry : reports()) {
        if (entry.level == level && entry.text == text) return true;
    }
    return false;
}

}  // namespace tessera::test
