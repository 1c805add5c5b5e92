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

enum class Kind {
    Context,
    Program,
    Variable,
    Buffer,
    TextureSampler,
    Geometry,
    GeometryInstance,
    Material,
    GeometryGroup,
    Group,
    Selector,
    Transform,
    Acceleration,
};

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
    Variable(std::uint64_t owner, std::string n)
        : Object(Kind::Variable, owner), name(std::move(n)) {}
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
    Program(std::uint64_t owner, const rtd::ProgramDefinition& d)
        : Object(Kind::Program, owner), programKind(d.kind), name(d.name), definition(d) {}
    void ReleaseReferences() override { scope.Release(); }

    const ProgramKind programKind;
    const std::string name;
    const rtd::ProgramDefinition definition;
    Scope scope;
};

// The registered built-in program of that name, or null (rt_programs.cpp).
const rtd::ProgramDefinition* FindProgramDefinition(const std::string& name);

constexpr std::size_t kMaxBufferBytes = std::size_t{1} << 32;  // far past any picture or mesh
constexpr unsigned kMaxChildren = 1u << 20;
constexpr unsigned kMaxMaterials = 1u << 10;

struct Buffer final : Object {
    Buffer(std::uint64_t owner, unsigned t) : Object(Kind::Buffer, owner), type(t) {}
    std::size_t ElementSize() const;
    static std::size_t ElementSize(RTformat f, std::size_t userSize);
    // Zero-filled storage for the shape; false, changing nothing, when it cannot be had.
    bool Reshape(RTformat f, std::size_t userSize, std::size_t w, std::size_t h, int dims);

    const unsigned type;
    RTformat format = RT_FORMAT_UNKNOWN;
    std::size_t userElementSize = 0;
    std::size_t width = 0;
    std::size_t height = 1;
    int dimensions = 1;
    std::vector<std::byte> data;
    std::byte dummy[16] = {};  // what a map of an empty buffer points at
    bool mapped = false;
    std::uint64_t version = 0;  // bumped by every unmap and resize: its contents may have changed
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

struct Acceleration final : Object {
    explicit Acceleration(std::uint64_t owner) : Object(Kind::Acceleration, owner) {}
    // The property's value, or fallback when it was never set.
    std::string Property(const std::string& name, const std::string& fallback) const;

    std::string builder = "NoAccel";
    std::string traverser = "NoAccel";
    std::vector<std::pair<std::string, std::string>> properties;
    bool dirty = true;
};

struct Geometry final : Object {
    explicit Geometry(std::uint64_t owner) : Object(Kind::Geometry, owner) {}
    void ReleaseReferences() override;

    Scope scope;
    std::shared_ptr<Program> bounds;
    std::shared_ptr<Program> intersection;
    unsigned primitiveCount = 0;
};

struct Material final : Object {
    explicit Material(std::uint64_t owner) : Object(Kind::Material, owner) {}
    void ReleaseReferences() override;

    Scope scope;
    std::vector<std::shared_ptr<Program>> closestHit;  // per ray type, grown on demand
    std::vector<std::shared_ptr<Program>> anyHit;
};

struct GeometryInstance final : Object {
    explicit GeometryInstance(std::uint64_t owner) : Object(Kind::GeometryInstance, owner) {}
    void ReleaseReferences() override;

    Scope scope;
    std::shared_ptr<Geometry> geometry;
    std::vector<std::shared_ptr<Material>> materials;
};

struct BottomLevel;  // the geometry group's Embree scene (rt_embree.cpp)

// Groups, selectors, transforms and geometry groups: the nodes of the graph.
struct Node : Object {
    using Object::Object;
    void ReleaseReferences() override;

    std::vector<std::shared_ptr<Object>> children;  // empty slots are null
    std::shared_ptr<Acceleration> acceleration;     // groups and geometry groups
};

struct GeometryGroup final : Node {
    explicit GeometryGroup(std::uint64_t owner) : Node(Kind::GeometryGroup, owner) {}
    void ReleaseReferences() override;

    std::shared_ptr<BottomLevel> built;  // kept between launches, rebuilt when stale
};

struct Group final : Node {
    explicit Group(std::uint64_t owner) : Node(Kind::Group, owner) {}
};

struct Selector final : Node {
    explicit Selector(std::uint64_t owner) : Node(Kind::Selector, owner) {}
    void ReleaseReferences() override;

    Scope scope;
    std::shared_ptr<Program> visit;
};

// Matrices row-major for column vectors, the last row (0, 0, 0, 1) left out.
using Matrix3x4 = std::array<float, 12>;

struct Transform final : Node {
    explicit Transform(std::uint64_t owner) : Node(Kind::Transform, owner) { children.resize(1); }

    Matrix3x4 matrix{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
    Matrix3x4 inverse{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0};
};

bool IsNodeKind(Kind kind);  // group, selector, transform or geometry group
std::shared_ptr<Object> FindNode(std::uint64_t id);

struct EmbreeDevice;  // rt_embree.cpp
struct MergedScenes;  // rt_embree.cpp

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
    std::shared_ptr<EmbreeDevice> embree;  // made at the first launch that traces
    std::shared_ptr<MergedScenes> merged;  // kept between launches
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
