// Context, programs, variables and buffers of the runtime.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <new>
#include <thread>

#include "platform/rt/rt_call.h"
#include "platform/rt/rt_launch.h"

using namespace rt;

namespace {

constexpr std::size_t kMaxSourceBytes = 1 << 20;
constexpr unsigned kMaxSlots = 1 << 10;  // ray types and entry points

unsigned ThreadCountFromEnvironment() {
    if (const char* text = std::getenv("VM_RT_THREADS")) {
        const long n = std::strtol(text, nullptr, 10);
        if (n >= 1 && n <= 256) return static_cast<unsigned>(n);
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// ".entry", white space, the name, then "(" or white space.
bool DeclaresEntry(const std::string& source, const std::string& name) {
    const std::string keyword = ".entry";
    for (std::size_t at = source.find(keyword); at != std::string::npos;
         at = source.find(keyword, at + 1)) {
        std::size_t i = at + keyword.size();
        if (i >= source.size() || !IsSpace(source[i])) continue;
        while (i < source.size() && IsSpace(source[i])) ++i;
        if (source.compare(i, name.size(), name) != 0) continue;
        i += name.size();
        if (i < source.size() && (source[i] == '(' || IsSpace(source[i]))) return true;
    }
    return false;
}

RTresult SetVariable(const char* function, RTvariable handle, VarType type,
                     const std::array<float, 4>& floats, const std::array<int, 4>& ints) {
    Call<Variable> call(function, IdOf(handle), Kind::Variable);
    if (const RTresult r = call.Check()) return r;
    Variable& v = *call.object;
    if (v.type != VarType::Unset && v.type != type) {
        return call.Fail(RT_ERROR_TYPE_MISMATCH, "'" + v.name + "' has another type");
    }
    v.type = type;
    v.floats = floats;
    v.ints = ints;
    return RT_SUCCESS;
}

std::shared_ptr<Object> AnyObject(std::uint64_t id) {
    // The kinds a variable may refer to.
    if (auto buffer = Find(id, Kind::Buffer)) return buffer;
    if (auto sampler = Find(id, Kind::TextureSampler)) return sampler;
    return FindNode(id);
}

// New storage for the buffer's new shape; on failure the buffer stays as it was.
RTresult Reshape(Call<Buffer>& call, RTformat format, std::size_t userSize, std::size_t w,
                 std::size_t h, int dims) {
    if (!call.object->Reshape(format, userSize, w, h, dims)) {
        return call.Fail(
            RT_ERROR_MEMORY_ALLOCATION_FAILED,
            "no storage for " + std::to_string(w) + "x" + std::to_string(h) + " elements");
    }
    return RT_SUCCESS;
}

RTresult ResizeBuffer(const char* function, RTbuffer handle, std::size_t w, std::size_t h,
                      int dims) {
    Call<Buffer> call(function, IdOf(handle), Kind::Buffer);
    if (const RTresult r = call.Check()) return r;
    if (call.object->mapped) return call.Fail(RT_ERROR_ALREADY_MAPPED, "buffer is mapped");
    Buffer& b = *call.object;
    return Reshape(call, b.format, b.userElementSize, w, h, dims);
}

}  // namespace

namespace rt {

RTresult Declare(Call<Object>& call, Scope& scope, const char* name, RTvariable* v) {
    if (!v || !name || !*name) return call.Fail(RT_ERROR_INVALID_VALUE, "no variable name");
    if (scope.Find(name)) {
        return call.Fail(RT_ERROR_VARIABLE_REDECLARED, std::string("'") + name + "' exists");
    }
    auto variable = std::make_shared<Variable>(call.context->id, name);
    Register(variable, false);
    scope.variables.push_back(variable);
    *v = HandleOf<RTvariable>(variable->id);
    return RT_SUCCESS;
}

std::size_t Buffer::ElementSize() const { return ElementSize(format, userElementSize); }

std::size_t Buffer::ElementSize(RTformat f, std::size_t userSize) {
    switch (f) {
        case RT_FORMAT_FLOAT: return 4;
        case RT_FORMAT_FLOAT2: return 8;
        case RT_FORMAT_FLOAT3: return 12;
        case RT_FORMAT_FLOAT4: return 16;
        case RT_FORMAT_INT3: return 12;
        case RT_FORMAT_UNSIGNED_BYTE4: return 4;
        case RT_FORMAT_USER: return userSize;
        case RT_FORMAT_UNKNOWN: break;
    }
    return 0;
}

bool Buffer::Reshape(RTformat f, std::size_t userSize, std::size_t w, std::size_t h, int dims) {
    const std::size_t element = ElementSize(f, userSize);
    const std::size_t elements = w * h;
    if ((h != 0 && elements / h != w) || (element != 0 && elements > kMaxBufferBytes / element)) {
        return false;
    }
    std::vector<std::byte> storage;
    try {
        storage.assign(element * elements, std::byte{0});
    } catch (const std::bad_alloc&) {
        return false;  // the caller reports it; nothing else of ours sees the exception
    }
    data = std::move(storage);
    format = f;
    userElementSize = userSize;
    width = w;
    height = h;
    dimensions = dims;
    ++version;
    return true;
}

}  // namespace rt

RTresult rtContextCreate(RTcontext* context) {
    if (!context) return RT_ERROR_INVALID_VALUE;
    *context = nullptr;
    if (const RTresult injected = InjectedFault("rtContextCreate")) return injected;
    if (DeviceDisabled()) return RT_ERROR_NO_DEVICE;
    auto created = std::make_shared<Context>(NewId(), ThreadCountFromEnvironment());
    *context = HandleOf<RTcontext>(Register(created, true));
    return RT_SUCCESS;
}

RTresult rtContextDestroy(RTcontext context) {
    Call<Context> call("rtContextDestroy", IdOf(context), Kind::Context);
    if (const RTresult r = call.Check()) return r;
    DestroyContextObjects(call.object->id);
    return RT_SUCCESS;
}

namespace {

// The ray type and entry point counts size their program slots.
RTresult SetSlotCount(const char* function, RTcontext context, unsigned count,
                      unsigned Context::*counter,
                      std::vector<std::shared_ptr<Program>> Context::*slots) {
    Call<Context> call(function, IdOf(context), Kind::Context);
    if (const RTresult r = call.Check()) return r;
    if (count > kMaxSlots) return call.Fail(RT_ERROR_INVALID_VALUE, "count too large");
    call.object->*counter = count;
    (call.object->*slots).resize(count);
    return RT_SUCCESS;
}

}  // namespace

RTresult rtContextSetRayTypeCount(RTcontext context, unsigned int count) {
    return SetSlotCount("rtContextSetRayTypeCount", context, count, &Context::rayTypeCount,
                        &Context::miss);
}

RTresult rtContextSetEntryPointCount(RTcontext context, unsigned int count) {
    return SetSlotCount("rtContextSetEntryPointCount", context, count, &Context::entryPointCount,
                        &Context::rayGeneration);
}

RTresult rtContextSetStackSize(RTcontext context, RTsize bytes) {
    Call<Context> call("rtContextSetStackSize", IdOf(context), Kind::Context);
    if (const RTresult r = call.Check()) return r;
    call.object->stackSize = bytes;  // recorded only: programs run on the threads' own stacks
    return RT_SUCCESS;
}

RTresult rtContextDeclareVariable(RTcontext context, const char* name, RTvariable* v) {
    Call<Object> call("rtContextDeclareVariable", IdOf(context), Kind::Context);
    if (const RTresult r = call.Check()) return r;
    return Declare(call, call.context->scope, name, v);
}

namespace {

RTresult BindProgram(const char* function, RTcontext context, unsigned slot, RTprogram program,
                     ProgramKind kind, bool rayGeneration) {
    Call<Context> call(function, IdOf(context), Kind::Context);
    if (const RTresult r = call.Check()) return r;
    auto p = std::static_pointer_cast<Program>(Find(IdOf(program), Kind::Program));
    if (!p || p->context != call.object->id) return call.Fail(RT_ERROR_INVALID_VALUE, "no program");
    if (p->programKind != kind) return call.Fail(RT_ERROR_TYPE_MISMATCH, "'" + p->name + "'");
    auto& slots = rayGeneration ? call.object->rayGeneration : call.object->miss;
    if (slot >= slots.size()) {
        return call.Fail(RT_ERROR_INVALID_VALUE, "index " + std::to_string(slot) + " out of range");
    }
    slots[slot] = p;
    return RT_SUCCESS;
}

}  // namespace

RTresult rtContextSetRayGenerationProgram(RTcontext context, unsigned int entry, RTprogram p) {
    return BindProgram("rtContextSetRayGenerationProgram", context, entry, p,
                       ProgramKind::RayGeneration, true);
}

RTresult rtContextSetMissProgram(RTcontext context, unsigned int rayType, RTprogram p) {
    return BindProgram("rtContextSetMissProgram", context, rayType, p, ProgramKind::Miss, false);
}

RTresult rtContextValidate(RTcontext context) {
    Call<Context> call("rtContextValidate", IdOf(context), Kind::Context);
    if (const RTresult r = call.Check()) return r;
    std::string detail;
    const RTresult r = ValidateContext(*call.object, detail);
    return r ? call.Fail(r, detail) : RT_SUCCESS;
}

RTresult rtContextLaunch2D(RTcontext context, unsigned int entry, RTsize width, RTsize height) {
    Call<Context> call("rtContextLaunch2D", IdOf(context), Kind::Context);
    if (const RTresult r = call.Check()) return r;
    std::string detail;
    const RTresult r = LaunchContext(*call.object, entry, width, height, detail);
    return r ? call.Fail(r, detail) : RT_SUCCESS;
}

RTresult rtProgramCreateFromPTXFile(RTcontext context, const char* file, const char* name,
                                    RTprogram* program) {
    Call<Context> call("rtProgramCreateFromPTXFile", IdOf(context), Kind::Context);
    if (const RTresult r = call.Check()) return r;
    if (!file || !name || !program) return call.Fail(RT_ERROR_INVALID_VALUE, "null argument");
    const std::string quoted = std::string("'") + file + "'";
    std::error_code ec;
    std::ifstream in;
    if (std::filesystem::is_regular_file(file, ec)) in.open(file, std::ios::binary);
    if (!in.is_open()) return call.Fail(RT_ERROR_FILE_NOT_FOUND, "cannot open " + quoted);
    std::string source(kMaxSourceBytes, '\0');
    in.read(source.data(), static_cast<std::streamsize>(source.size()));
    source.resize(static_cast<std::size_t>(in.gcount()));
    if (source.find(".version") == std::string::npos) {
        return call.Fail(RT_ERROR_INVALID_SOURCE, "no .version directive in " + quoted);
    }
    if (!DeclaresEntry(source, name)) {
        return call.Fail(RT_ERROR_INVALID_SOURCE,
                         std::string("entry '") + name + "' not declared in " + quoted);
    }
    const rtd::ProgramDefinition* builtIn = FindProgramDefinition(name);
    if (!builtIn) {
        return call.Fail(RT_ERROR_INVALID_SOURCE,
                         std::string("no built-in program '") + name + "'");
    }
    auto created = std::make_shared<Program>(call.object->id, *builtIn);
    *program = HandleOf<RTprogram>(Register(created, true));
    return RT_SUCCESS;
}

RTresult rtProgramDeclareVariable(RTprogram program, const char* name, RTvariable* v) {
    Call<Object> call("rtProgramDeclareVariable", IdOf(program), Kind::Program);
    if (const RTresult r = call.Check()) return r;
    return Declare(call, static_cast<Program*>(call.object)->scope, name, v);
}

RTresult rtProgramDestroy(RTprogram program) {
    Call<Program> call("rtProgramDestroy", IdOf(program), Kind::Program);
    if (const RTresult r = call.Check()) return r;
    Unregister(call.object->id, Kind::Program);
    return RT_SUCCESS;
}

RTresult rtVariableSet1i(RTvariable v, int value) {
    return SetVariable("rtVariableSet1i", v, VarType::Int, {}, {value});
}
RTresult rtVariableSet1ui(RTvariable v, unsigned int value) {
    return SetVariable("rtVariableSet1ui", v, VarType::UInt, {}, {static_cast<int>(value)});
}
RTresult rtVariableSet1f(RTvariable v, float value) {
    return SetVariable("rtVariableSet1f", v, VarType::Float, {value}, {});
}
RTresult rtVariableSet3f(RTvariable v, float x, float y, float z) {
    return SetVariable("rtVariableSet3f", v, VarType::Float3, {x, y, z}, {});
}
RTresult rtVariableSet4f(RTvariable v, float x, float y, float z, float w) {
    return SetVariable("rtVariableSet4f", v, VarType::Float4, {x, y, z, w}, {});
}

RTresult rtVariableSetObject(RTvariable v, RTobject object) {
    Call<Variable> call("rtVariableSetObject", IdOf(v), Kind::Variable);
    if (const RTresult r = call.Check()) return r;
    std::shared_ptr<Object> target = AnyObject(IdOf(object));
    if (!target || target->context != call.object->context) {
        return call.Fail(RT_ERROR_INVALID_VALUE, "not an object of this context");
    }
    Variable& var = *call.object;
    if (var.type != VarType::Unset && var.type != VarType::Object) {
        return call.Fail(RT_ERROR_TYPE_MISMATCH, "'" + var.name + "' has another type");
    }
    var.type = VarType::Object;
    var.object = std::move(target);
    return RT_SUCCESS;
}

RTresult rtBufferCreate(RTcontext context, unsigned int type, RTbuffer* buffer) {
    Call<Context> call("rtBufferCreate", IdOf(context), Kind::Context);
    if (const RTresult r = call.Check()) return r;
    if (!buffer || type < RT_BUFFER_INPUT || type > RT_BUFFER_INPUT_OUTPUT) {
        return call.Fail(RT_ERROR_INVALID_VALUE, "bad buffer type");
    }
    auto created = std::make_shared<Buffer>(call.object->id, type);
    *buffer = HandleOf<RTbuffer>(Register(created, true));
    return RT_SUCCESS;
}

RTresult rtBufferSetFormat(RTbuffer buffer, RTformat format) {
    Call<Buffer> call("rtBufferSetFormat", IdOf(buffer), Kind::Buffer);
    if (const RTresult r = call.Check()) return r;
    if (format < RT_FORMAT_FLOAT || format > RT_FORMAT_USER) {
        return call.Fail(RT_ERROR_INVALID_VALUE, "unknown format");
    }
    if (call.object->mapped) return call.Fail(RT_ERROR_ALREADY_MAPPED, "buffer is mapped");
    Buffer& b = *call.object;
    return Reshape(call, format, b.userElementSize, b.width, b.height, b.dimensions);
}

RTresult rtBufferGetFormat(RTbuffer buffer, RTformat* format) {
    Call<Buffer> call("rtBufferGetFormat", IdOf(buffer), Kind::Buffer);
    if (const RTresult r = call.Check()) return r;
    if (!format) return call.Fail(RT_ERROR_INVALID_VALUE, "null argument");
    *format = call.object->format;
    return RT_SUCCESS;
}

RTresult rtBufferSetElementSize(RTbuffer buffer, RTsize bytes) {
    Call<Buffer> call("rtBufferSetElementSize", IdOf(buffer), Kind::Buffer);
    if (const RTresult r = call.Check()) return r;
    if (call.object->format != RT_FORMAT_USER || bytes == 0) {
        return call.Fail(RT_ERROR_INVALID_VALUE, "element size needs RT_FORMAT_USER");
    }
    if (call.object->mapped) return call.Fail(RT_ERROR_ALREADY_MAPPED, "buffer is mapped");
    Buffer& b = *call.object;
    return Reshape(call, b.format, bytes, b.width, b.height, b.dimensions);
}

RTresult rtBufferSetSize1D(RTbuffer buffer, RTsize width) {
    return ResizeBuffer("rtBufferSetSize1D", buffer, width, 1, 1);
}

RTresult rtBufferSetSize2D(RTbuffer buffer, RTsize width, RTsize height) {
    return ResizeBuffer("rtBufferSetSize2D", buffer, width, height, 2);
}

RTresult rtBufferGetSize2D(RTbuffer buffer, RTsize* width, RTsize* height) {
    Call<Buffer> call("rtBufferGetSize2D", IdOf(buffer), Kind::Buffer);
    if (const RTresult r = call.Check()) return r;
    if (!width || !height) return call.Fail(RT_ERROR_INVALID_VALUE, "null argument");
    *width = call.object->width;
    *height = call.object->height;
    return RT_SUCCESS;
}

RTresult rtBufferMap(RTbuffer buffer, void** data) {
    if (data) *data = nullptr;
    Call<Buffer> call("rtBufferMap", IdOf(buffer), Kind::Buffer);
    if (const RTresult r = call.Check()) return r;
    if (!data) return call.Fail(RT_ERROR_INVALID_VALUE, "null argument");
    if (call.object->mapped) return call.Fail(RT_ERROR_ALREADY_MAPPED, "buffer is mapped");
    call.object->mapped = true;
    *data = call.object->data.empty() ? static_cast<void*>(call.object->dummy)
                                      : static_cast<void*>(call.object->data.data());
    return RT_SUCCESS;
}

RTresult rtBufferUnmap(RTbuffer buffer) {
    Call<Buffer> call("rtBufferUnmap", IdOf(buffer), Kind::Buffer);
    if (const RTresult r = call.Check()) return r;
    if (!call.object->mapped) return call.Fail(RT_ERROR_INVALID_VALUE, "buffer is not mapped");
    call.object->mapped = false;
    ++call.object->version;
    return RT_SUCCESS;
}

RTresult rtBufferDestroy(RTbuffer buffer) {
    Call<Buffer> call("rtBufferDestroy", IdOf(buffer), Kind::Buffer);
    if (const RTresult r = call.Check()) return r;
    Unregister(call.object->id, Kind::Buffer);
    return RT_SUCCESS;
}
