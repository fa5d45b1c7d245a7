#pragma once
// Natives: engine functions with typed parameters turned into Squirrel native closures. The
// closure has one free variable, a user data holding the function's address; Squirrel pushes
// free variables after the arguments, so the holder sits at the top of the call's stack.
//
// Parameters are read from the last to the first (parameter k at position k + 1) and converted
// by type: int32_t, float, bool, const char16_t* (string), any other pointer (a user pointer)
// and ScriptObject (any value). A function whose first parameter is HSQUIRRELVM receives the
// calling VM there; a member function whose only parameter is const ScriptArgs& reads the stack
// itself. A missing or mistyped argument is a level-0 report naming its position, and the
// parameter takes 0, 0.0, false or null.
#include <cstring>
#include <tuple>
#include <type_traits>
#include <utility>

#include "engine/script/script_object.h"
#include "framework/core/report.h"

namespace script_native {

template <typename T>
using Stored = std::remove_cvref_t<T>;

template <typename T>
constexpr bool kIsString = std::is_same_v<Stored<T>, const char16_t*>;

template <typename T>
Stored<T> readArg(const ScriptArgs& args, int32_t position) {
    using S = Stored<T>;
    if constexpr (std::is_same_v<S, int32_t>) {
        return args.getInt(position);
    } else if constexpr (std::is_same_v<S, float>) {
        return args.getFloat(position);
    } else if constexpr (std::is_same_v<S, bool>) {
        return args.getBool(position);
    } else if constexpr (kIsString<S>) {
        return args.getString(position);
    } else if constexpr (std::is_same_v<S, ScriptObject>) {
        return args.getObject(position);
    } else {
        static_assert(std::is_pointer_v<S>, "unsupported native parameter type");
        return static_cast<S>(args.getUserPointer(position));
    }
}

// Pushes the result; the native-closure result (1: a value was pushed).
template <typename R>
SQInteger pushResult(HSQUIRRELVM vm, R&& result) {
    using S = Stored<R>;
    if constexpr (std::is_same_v<S, int32_t>) {
        sq_pushinteger(vm, result);
    } else if constexpr (std::is_same_v<S, float>) {
        sq_pushfloat(vm, result);
    } else if constexpr (std::is_same_v<S, bool>) {
        sq_pushbool(vm, result ? SQTrue : SQFalse);
    } else if constexpr (kIsString<S>) {
        if (result) {
            sq_pushstring(vm, result, -1);
        } else {
            sq_pushnull(vm);
        }
    } else if constexpr (std::is_same_v<S, ScriptObject>) {
        sq_pushobject(vm, result.object());
    } else {
        static_assert(std::is_pointer_v<S>, "unsupported native result type");
        sq_pushuserpointer(vm, const_cast<void*>(static_cast<const void*>(result)));
    }
    return 1;
}

// Calls and pushes what the call returns; a call without result pushes nothing.
template <typename Call>
SQInteger pushOrNone(HSQUIRRELVM vm, Call call) {
    using R = decltype(call());
    if constexpr (std::is_void_v<R>) {
        call();
        return 0;
    } else {
        return pushResult(vm, call());
    }
}

// Reads the parameters from the last to the first, then calls.
template <typename... A, typename Call, size_t... I>
SQInteger readAndCall(const ScriptArgs& args, Call&& call, std::index_sequence<I...>) {
    constexpr size_t n = sizeof...(A);
    std::tuple<Stored<A>...> values{};
    ((std::get<n - 1 - I>(values) =
          readArg<std::tuple_element_t<n - 1 - I, std::tuple<A...>>>(args, n - I + 1)),
     ...);
    return pushOrNone(args.vm, [&] { return std::apply(call, values); });
}

// The function address kept in the closure's free variable, or false after a report.
template <typename F>
bool readAddress(HSQUIRRELVM vm, SQInteger top, F* out) {
    SQUserPointer holder = nullptr;
    if (top <= 0 || SQ_FAILED(sq_getuserdata(vm, top, &holder, nullptr))) {
        scriptReportError(PEL_REPORT_ERROR, u"get user data from stack(%d)", top);
        return false;
    }
    std::memcpy(out, holder, sizeof(F));
    return true;
}

// Finds the function address at the top of the call's stack and invokes the native.
template <typename Native>
SQInteger nativeTrampoline(HSQUIRRELVM vm) {
    const SQInteger top = sq_gettop(vm);
    typename Native::Function function = nullptr;
    if (!readAddress(vm, top, &function)) return 0;
    return Native::invoke(ScriptArgs{vm, top}, function);
}

}  // namespace script_native

template <typename Sig>
struct ScriptNative;

// A function that does not take the VM.
template <typename R, typename... A>
struct ScriptNative<R (*)(A...)> {
    using Function = R (*)(A...);
    static SQInteger invoke(const ScriptArgs& args, Function function) {
        return script_native::readAndCall<A...>(args, function, std::index_sequence_for<A...>{});
    }
    static SQInteger trampoline(HSQUIRRELVM vm) {
        return script_native::nativeTrampoline<ScriptNative>(vm);
    }
};

// A function that takes the calling VM first.
template <typename R, typename... A>
struct ScriptNative<R (*)(HSQUIRRELVM, A...)> {
    using Function = R (*)(HSQUIRRELVM, A...);
    static SQInteger invoke(const ScriptArgs& args, Function function) {
        auto call = [&](auto&&... values) { return function(args.vm, values...); };
        return script_native::readAndCall<A...>(args, call, std::index_sequence_for<A...>{});
    }
    static SQInteger trampoline(HSQUIRRELVM vm) {
        return script_native::nativeTrampoline<ScriptNative>(vm);
    }
};

template <typename C, typename Sig>
struct ScriptMethod;

namespace script_native {

// The instance's user data at position 1, or null after the report.
inline void* readInstance(HSQUIRRELVM vm, SQInteger top) {
    SQUserPointer pointer = nullptr;
    if (top < 1 || SQ_FAILED(sq_getinstanceup(vm, 1, &pointer, nullptr))) {
        sq_throwerror(vm, u"the object is not a class instance");
        scriptReportError(PEL_REPORT_ERROR, u"get instance up from stack(%d)", 1);
        return nullptr;
    }
    return pointer;
}

// Shared by the method forms: finds the instance and the member address, then invokes. The
// member is never called on a missing instance (the call yields null to the script).
template <typename C, typename Method, typename Invoke>
SQInteger methodTrampoline(HSQUIRRELVM vm, Invoke invoke) {
    const SQInteger top = sq_gettop(vm);
    C* instance = static_cast<C*>(readInstance(vm, top));
    Method method = nullptr;
    if (!readAddress(vm, top, &method) || !instance) return 0;
    return invoke(ScriptArgs{vm, top}, instance, method);
}

}  // namespace script_native

template <typename C, typename R, typename... A>
struct ScriptMethod<C, R (C::*)(A...)> {
    using Method = R (C::*)(A...);
    static SQInteger invoke(const ScriptArgs& args, C* instance, Method method) {
        if constexpr (sizeof...(A) == 1 &&
                      std::is_same_v<std::tuple<A...>, std::tuple<const ScriptArgs&>>) {
            return script_native::pushOrNone(args.vm, [&] { return (instance->*method)(args); });
        } else if constexpr (sizeof...(A) > 0 &&
                             std::is_same_v<std::tuple_element_t<0, std::tuple<A..., void>>,
                                            HSQUIRRELVM>) {
            return ScriptMethod::invokeWithVm(args, instance, method,
                                              static_cast<std::tuple<A...>*>(nullptr));
        } else {
            auto call = [&](auto&&... values) { return (instance->*method)(values...); };
            return script_native::readAndCall<A...>(args, call, std::index_sequence_for<A...>{});
        }
    }
    static SQInteger trampoline(HSQUIRRELVM vm) {
        return script_native::methodTrampoline<C, Method>(vm, invoke);
    }

private:
    template <typename... B>
    static SQInteger invokeWithVm(const ScriptArgs& args, C* instance, Method method,
                                  std::tuple<HSQUIRRELVM, B...>*) {
        auto call = [&](auto&&... values) { return (instance->*method)(args.vm, values...); };
        return script_native::readAndCall<B...>(args, call, std::index_sequence_for<B...>{});
    }
};

template <typename Function>
const ScriptObject& ScriptObject::addFunction(const char16_t* name, Function function) const {
    addClosure(name, &ScriptNative<Function>::trampoline, &function, sizeof(function));
    return *this;
}

template <typename Method>
struct ScriptMethodOf;
template <typename C, typename R, typename... A>
struct ScriptMethodOf<R (C::*)(A...)> {
    using type = ScriptMethod<C, R (C::*)(A...)>;
};

template <typename Method>
const ScriptObject& ScriptObject::addMethod(const char16_t* name, Method method) const {
    addClosure(name, &ScriptMethodOf<Method>::type::trampoline, &method, sizeof(method));
    return *this;
}
