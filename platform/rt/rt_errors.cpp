#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "platform/rt/rt_objects.h"
#include "platform/rt/rt_test.h"

namespace rt {
namespace {

struct CodeText {
    RTresult code;
    const char* name;
    const char* text;
};

constexpr CodeText kCodes[] = {
    {RT_SUCCESS, "RT_SUCCESS", "Success (no errors)"},
    {RT_ERROR_INVALID_CONTEXT, "RT_ERROR_INVALID_CONTEXT", "Invalid context"},
    {RT_ERROR_INVALID_VALUE, "RT_ERROR_INVALID_VALUE", "Invalid value"},
    {RT_ERROR_MEMORY_ALLOCATION_FAILED, "RT_ERROR_MEMORY_ALLOCATION_FAILED",
     "Memory allocation failed"},
    {RT_ERROR_TYPE_MISMATCH, "RT_ERROR_TYPE_MISMATCH", "Type mismatch"},
    {RT_ERROR_VARIABLE_NOT_FOUND, "RT_ERROR_VARIABLE_NOT_FOUND", "Variable not found"},
    {RT_ERROR_VARIABLE_REDECLARED, "RT_ERROR_VARIABLE_REDECLARED", "Variable redeclared"},
    {RT_ERROR_INVALID_SOURCE, "RT_ERROR_INVALID_SOURCE", "Invalid source"},
    {RT_ERROR_VERSION_MISMATCH, "RT_ERROR_VERSION_MISMATCH", "Version mismatch"},
    {RT_ERROR_OBJECT_CREATION_FAILED, "RT_ERROR_OBJECT_CREATION_FAILED",
     "Object creation failed"},
    {RT_ERROR_NO_DEVICE, "RT_ERROR_NO_DEVICE", "No device"},
    {RT_ERROR_FILE_NOT_FOUND, "RT_ERROR_FILE_NOT_FOUND", "File not found"},
    {RT_ERROR_ALREADY_MAPPED, "RT_ERROR_ALREADY_MAPPED", "Already mapped"},
    {RT_ERROR_CONTEXT_CREATION_FAILED, "RT_ERROR_CONTEXT_CREATION_FAILED",
     "Context creation failed"},
    {RT_ERROR_LAUNCH_FAILED, "RT_ERROR_LAUNCH_FAILED", "Launch failed"},
    {RT_ERROR_UNKNOWN, "RT_ERROR_UNKNOWN", "Unknown error"},
};

const CodeText* Lookup(RTresult code) {
    for (const CodeText& entry : kCodes) {
        if (entry.code == code) return &entry;
    }
    return nullptr;
}

struct Fault {
    unsigned nth;
    RTresult code;
    unsigned calls = 0;
};

std::map<std::string, Fault>& Faults() {
    static std::map<std::string, Fault> faults;
    return faults;
}

RTresult CodeNamed(const std::string& name) {
    for (const CodeText& entry : kCodes) {
        if (name == entry.name) return entry.code;
    }
    return RT_ERROR_UNKNOWN;
}

// "function#n=CODE,function#n=CODE"; a malformed item is skipped.
void ReadFaultsFromEnvironment() {
    const char* faults = std::getenv("VM_RT_FAULTS");
    if (!faults) return;
    std::string rest = faults;
    while (!rest.empty()) {
        const std::size_t comma = rest.find(',');
        const std::string item = rest.substr(0, comma);
        rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
        const std::size_t hash = item.find('#');
        const std::size_t equals = item.find('=');
        if (hash == std::string::npos || equals == std::string::npos || equals < hash) continue;
        const unsigned long nth = std::strtoul(item.substr(hash + 1, equals - hash - 1).c_str(),
                                               nullptr, 10);
        if (nth == 0) continue;
        Faults()[item.substr(0, hash)] =
            Fault{static_cast<unsigned>(nth), CodeNamed(item.substr(equals + 1))};
    }
}

void ReadEnvironmentOnce() {
    static const bool read = (ReadFaultsFromEnvironment(), true);
    (void)read;
}

}  // namespace

const char* GenericText(RTresult code) {
    const CodeText* entry = Lookup(code);
    return entry ? entry->text : "Unknown error";
}

RTresult Fail(Context* context, RTresult code, const char* function, std::string detail) {
    if (context) {
        context->lastCode = code;
        context->lastFunction = function;
        context->lastDetail = std::move(detail);
    }
    return code;
}

RTresult InjectedFault(const char* function) {
    ReadEnvironmentOnce();
    auto& faults = Faults();
    const auto it = faults.find(function);
    if (it == faults.end()) return RT_SUCCESS;
    if (++it->second.calls != it->second.nth) return RT_SUCCESS;
    const RTresult code = it->second.code;
    faults.erase(it);
    return code;
}

bool DeviceDisabled() {
    const char* device = std::getenv("VM_RT_DEVICE");
    return device && std::strcmp(device, "none") == 0;
}

}  // namespace rt

void rtTestSetFault(const char* function, unsigned int nthCall, RTresult code) {
    rt::InjectedFault("");  // the environment's faults are read first, so these replace them
    if (function && nthCall > 0) rt::Faults()[function] = rt::Fault{nthCall, code};
}

void rtTestClearFaults() {
    rt::InjectedFault("");
    rt::Faults().clear();
}

long rtTestLiveObjectCount() { return rt::LiveObjects(); }

const char* rtTestResultName(RTresult code) {
    const rt::CodeText* entry = rt::Lookup(code);
    return entry ? entry->name : nullptr;
}

void rtContextGetErrorString(RTcontext context, RTresult code, const char** text) {
    if (!text) return;
    rt::Context* c = rt::Get<rt::Context>(rt::IdOf(context), rt::Kind::Context);
    if (!c || c->lastCode != code || code == RT_SUCCESS) {
        *text = rt::GenericText(code);
        return;
    }
    c->errorText = std::string(rt::GenericText(code)) + " (Details: " + c->lastFunction + ": " +
                   c->lastDetail + ")";
    *text = c->errorText.c_str();
}
