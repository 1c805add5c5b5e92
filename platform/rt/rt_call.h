#pragma once
// The checks every rt call starts with.

#include <string>

#include "platform/rt/rt_objects.h"

namespace rt {

// Checks a handle of the expected kind and the injected faults of the call.
template <class T>
struct Call {
    Call(const char* fn, std::uint64_t id, Kind kind) : function(fn), object(Get<T>(id, kind)) {
        if (object) context = Get<Context>(object->context, Kind::Context);
    }
    // RT_SUCCESS when the call may go on.
    RTresult Check() {
        if (!object || !context) return RT_ERROR_INVALID_VALUE;
        const RTresult injected = InjectedFault(function);
        return injected ? Fail(injected, "injected fault") : RT_SUCCESS;
    }
    RTresult Fail(RTresult code, std::string detail) {
        return rt::Fail(context, code, function, std::move(detail));
    }
    const char* function;
    T* object;
    Context* context = nullptr;
};

// Declares a variable named name in scope, refusing a second one of the same name.
RTresult Declare(Call<Object>& call, Scope& scope, const char* name, RTvariable* v);

}  // namespace rt
