#pragma once
// The runtime's objects behind the handles. A handle's value is the object's id, never an
// address, so a destroyed or foreign handle is recognised by the registry (rt_registry.cpp).

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/rt/rt_api.h"
#include "platform/rt/rt_device.h"
#include "platform/rt/worker_pool.h"

namespace rt {

enum class Kind { Context, Program, Variable, Buffer, TextureSampler };

struct Object {
    Object(Kind k, std::uint64_t owner);
    virtual ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;
    // Drops the references to other objects, so a destroyed context frees everything.
    virtual void ReleaseReferences() {}

    const Kind kind;
    std::uint64_t id = 0;
    const std::uint64_t context;  // id of the owning context (its own for a context)
};

enum class VarType { Unset, Int, UInt, Float, Float3, Float4, Object };

struct Variable final : Object {
    Variable(std::uint64_t owner, std::string n) : Object(Kind::Variable, owner), name(std::move(n)) {}
    void ReleaseReferences() override { object.reset(); }

    std::string name;
    VarType type = VarType::Unset;
    std::array<int, 4> ints{};
    std::array<float, 4> floats{};
    std::shared_ptr<Object> object;
};

// A variable scope: names unique within it.
struct Scope {
    Variable* Find(const std::string& name) const;
    void Release();
    std::vector<std::shared_ptr<Variable>> variables;
};

using ProgramKind = rtd::ProgramKind;

struct Program final : Object {
    Program(std::uint64_t owner, ProgramKind k, std::string n)
        : Object(Kind::Program, owner), programKind(k), name(std::move(n)) {}
    void ReleaseReferences() override { scope.Release(); }

    const ProgramKind programKind;
    const std::string name;
    Scope scope;
};

struct Buffer final : Object {
    Buffer(std::uint64_t owner, unsigned t) : Object(Kind::Buffer, owner), type(t) {}
    std::size_t ElementSize() const;
    void Reallocate();  // zero-filled storage for the current format and size

    const unsigned type;
    RTformat format = RT_FORMAT_UNKNOWN;
    std::size_t userElementSize = 0;
    std::size_t width = 0;
    std::size_t height = 1;
    int dimensions = 1;
    std::vector<std::byte> data;
    std::byte dummy[16] = {};  // what a map of an empty buffer points at
    bool mapped = false;
};

struct TextureSampler final : Object {
    TextureSampler(std::uint64_t owner, int samplerId)
        : Object(Kind::TextureSampler, owner), samplerIdInContext(samplerId) {}
    void ReleaseReferences() override { buffer.reset(); }

    const int samplerIdInContext;
    std::array<RTwrapmode, 3> wrap{RT_WRAP_REPEAT, RT_WRAP_REPEAT, RT_WRAP_REPEAT};
    RTfiltermode minification = RT_FILTER_LINEAR;
    RTfiltermode magnification = RT_FILTER_LINEAR;
    RTfiltermode mipmapping = RT_FILTER_NONE;
    RTtextureindexmode indexing = RT_TEXTURE_INDEX_NORMALIZED_COORDINATES;
    RTtexturereadmode reading = RT_TEXTURE_READ_NORMALIZED_FLOAT;
    float maxAnisotropy = 1.0f;
    unsigned mipLevels = 1;
    unsigned arraySize = 1;
    std::shared_ptr<Buffer> buffer;
};

struct Context final : Object {
    explicit Context(std::uint64_t self, unsigned threads)
        : Object(Kind::Context, self), pool(threads) {}
    void ReleaseReferences() override;

    unsigned rayTypeCount = 0;
    unsigned entryPointCount = 0;
    std::size_t stackSize = 0;
    Scope scope;
    std::vector<std::shared_ptr<Program>> rayGeneration;  // per entry point
    std::vector<std::shared_ptr<Program>> miss;           // per ray type
    // The last failure, for the error string.
    RTresult lastCode = RT_SUCCESS;
    std::string lastFunction;
    std::string lastDetail;
    std::string errorText;
    int nextSamplerId = 1;
    WorkerPool pool;
};

// Registry (rt_registry.cpp).
std::uint64_t NewId();
std::uint64_t Register(const std::shared_ptr<Object>& object, bool userReference);
std::shared_ptr<Object> Find(std::uint64_t id, Kind kind);
bool Unregister(std::uint64_t id, Kind kind);  // drops the user's reference
void DestroyContextObjects(std::uint64_t context);
std::vector<std::shared_ptr<Object>> ContextObjects(std::uint64_t context, Kind kind);
long LiveObjects();

template <class Handle>
std::uint64_t IdOf(Handle handle) {
    return static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(handle));
}
template <class Handle>
Handle HandleOf(std::uint64_t id) {
    return reinterpret_cast<Handle>(static_cast<std::uintptr_t>(id));
}
template <class T>
T* Get(std::uint64_t id, Kind kind) {
    return static_cast<T*>(Find(id, kind).get());
}

// Errors and faults (rt_errors.cpp).
const char* GenericText(RTresult code);
// Records the failure on the context (when there is one) and returns code.
RTresult Fail(Context* context, RTresult code, const char* function, std::string detail);
// An injected fault for this call of function, or RT_SUCCESS.
RTresult InjectedFault(const char* function);
bool DeviceDisabled();

}  // namespace rt
