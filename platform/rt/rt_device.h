#pragma once
// The device side of the ray tracer's runtime: the interface of the built-in programs. A
// program is a plain function registered under its .entry name; rtProgramCreateFromPTXFile
// binds a file's entry to it. During a launch the runtime calls it with a State that gives
// what a program of its kind may read and do. Programs run on the worker threads, many at
// once: they write only their own launch index's output element and their own payload.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/rt/rt_api.h"

namespace rt {
struct StateAccess;  // the runtime's side of State
}

namespace rtd {

struct Float2 {
    float x, y;
};
struct Float3 {
    float x, y, z;
};
struct Float4 {
    float x, y, z, w;
};
struct Int3 {
    int x, y, z;
};
struct UChar4 {
    std::uint8_t x, y, z, w;
};
struct UInt2 {
    unsigned x, y;
};

enum class ProgramKind {
    RayGeneration,
    Miss,
    ClosestHit,
    AnyHit,
    BoundingBox,
    Intersection,
    Visit
};

// A buffer as a program sees it during a launch. Read its elements through State::Element,
// which checks the index.
struct BufferView {
    std::byte* data = nullptr;
    std::size_t width = 0;
    std::size_t height = 1;
    std::size_t elementSize = 0;
    RTformat format = RT_FORMAT_UNKNOWN;
};

// A node to trace (an object variable holding a group, selector, transform or geometry group).
struct Node {
    const void* top = nullptr;  // the runtime's flattened structure; null traces nothing
};

// One variable of a program, resolved along the program's scope chain at launch:
//   ray generation, miss:         program, context
//   intersection, bounding box:   program, geometry instance, geometry, context
//   closest hit, any hit:         program, geometry instance, material, context
//   visit:                        program, selector
// A value variable declared nowhere, or holding another type, reads as zero.
struct Value {
    enum class Type : std::uint8_t {
        None,
        Int,
        UInt,
        Float,
        Float3,
        Float4,
        Buffer,
        Sampler,
        Node
    };
    Type type = Type::None;
    int ints[4] = {};
    float floats[4] = {};
    BufferView buffer;  // Type::Buffer
    Node node;          // Type::Node

    bool Declared() const { return type != Type::None; }
    int Int() const { return type == Type::Int || type == Type::UInt ? ints[0] : 0; }
    unsigned UInt() const { return static_cast<unsigned>(Int()); }
    float Float() const { return type == Type::Float ? floats[0] : 0.0f; }
    Float3 F3() const {
        return type == Type::Float3 || type == Type::Float4
                   ? Float3{floats[0], floats[1], floats[2]}
                   : Float3{0, 0, 0};
    }
    Float4 F4() const {
        return type == Type::Float4 ? Float4{floats[0], floats[1], floats[2], floats[3]}
                                    : Float4{0, 0, 0, 0};
    }
};

struct Ray {
    Float3 origin;
    Float3 direction;  // need not be unit length; t is measured in its units
    float tmin = 0.0f;
    float tmax = 1e30f;
};

// The hit the runtime found on a triangle: distance and the barycentric weights of the
// second and third vertex.
struct TriangleHit {
    float t = 0.0f;
    float u = 0.0f;
    float v = 0.0f;
};

constexpr std::size_t kMaxAttributeBytes = 128;
constexpr unsigned kMaxTraceDepth = 32;  // deeper traces are refused (the ray misses nothing)

class State {
public:
    // Every program: variable i of its definition's list.
    const Value& Var(std::size_t i) const { return m_vars[i]; }

    // Every program but visit: the launch index and size.
    UInt2 LaunchIndex() const { return m_launchIndex; }
    UInt2 LaunchDim() const { return m_launchDim; }

    // Checked element access: null (and the launch fails with RT_ERROR_LAUNCH_FAILED) when the
    // index is outside the buffer or T is not the element's size.
    template <class T>
    T* Element(const BufferView& b, std::size_t x, std::size_t y = 0) {
        if (x >= b.width || y >= b.height || sizeof(T) != b.elementSize || !b.data) {
            FailLaunch("buffer index out of range");
            return nullptr;
        }
        return reinterpret_cast<T*>(b.data + (y * b.width + x) * sizeof(T));
    }
    // Fails the launch with the detail (a literal); tiles not yet started are skipped.
    void FailLaunch(const char* detail);

    // Texture lookups by sampler id (a variable holding rtTextureSamplerGetId's value), in
    // normalized coordinates. An unknown id reads (0, 0, 0, 0). 1D samplers hold FLOAT
    // buffers (the value comes back in x), 2D samplers UNSIGNED_BYTE4 (x, y, z, w = bytes 0
    // to 3, divided by 255 in normalized-float read mode).
    Float4 Tex1D(int id, float u) const;
    Float4 Tex2D(int id, float u, float v) const;

    // Ray generation, closest hit, miss: traces ray through node with the ray type's
    // programs; payload is handed to them as it is. Returns when closest hit or miss has run.
    void Trace(Node node, const Ray& ray, unsigned rayType, void* payload);

    // Closest hit, any hit, miss, intersection: the ray being traced (world space for closest
    // hit, any hit and miss; object space for intersection), its type and payload.
    const Ray& CurrentRay() const { return m_ray; }
    unsigned RayType() const { return m_rayType; }
    template <class T>
    T& Payload() const {
        return *static_cast<T*>(m_payload);
    }

    // Closest hit, any hit: the distance of the hit and the attributes its intersection
    // program reported.
    float HitT() const { return m_hitT; }
    template <class T>
    const T& Attributes() const {
        static_assert(sizeof(T) <= kMaxAttributeBytes && alignof(T) <= 16);
        return *reinterpret_cast<const T*>(m_attributes);
    }

    // Closest hit, any hit, intersection: object and world space of the hit instance (the
    // product of the transforms above it).
    Float3 ObjectToWorldPoint(Float3 p) const;
    Float3 ObjectToWorldVector(Float3 v) const;
    Float3 ObjectToWorldNormal(Float3 n) const;  // by the inverse transpose, not normalized
    Float3 WorldToObjectPoint(Float3 p) const;
    Float3 WorldToObjectVector(Float3 v) const;

    // Intersection: Embree finds the triangles; the program is called for the closest one (and,
    // for a ray type with any-hit programs, for each candidate before its any-hit program).
    // PrimitiveIndex and Triangle describe it; the program writes its attributes into
    // CandidateAttributes, then PotentialIntersection(t) says whether t lies in the ray's
    // interval and ReportIntersection(material) accepts the hit with those attributes. A hit
    // it does not report is no hit. A ray type without closest-hit programs ends at the first
    // accepted hit.
    int PrimitiveIndex() const { return m_primitive; }
    const TriangleHit& Triangle() const { return m_triangle; }
    template <class T>
    T& CandidateAttributes() {
        static_assert(sizeof(T) <= kMaxAttributeBytes && alignof(T) <= 16);
        return *reinterpret_cast<T*>(m_candidate);
    }
    bool PotentialIntersection(float t);
    bool ReportIntersection(unsigned material);

    // Any hit: drop this hit and go on, or accept it and stop the ray. Returning without
    // either accepts the hit.
    void IgnoreIntersection() { m_ignored = true; }
    void TerminateRay() { m_terminated = true; }

    // Visit: trace child i of the selector (once; out-of-range indices visit nothing).
    void VisitChild(unsigned i) { m_visitChild = static_cast<int>(i); }

private:
    friend struct rt::StateAccess;

    const Value* m_vars = nullptr;
    UInt2 m_launchIndex{0, 0};
    UInt2 m_launchDim{0, 0};
    Ray m_ray;
    unsigned m_rayType = 0;
    void* m_payload = nullptr;
    float m_hitT = 0.0f;
    int m_primitive = -1;
    TriangleHit m_triangle;
    bool m_ignored = false;
    bool m_terminated = false;
    bool m_reported = false;
    unsigned m_material = 0;
    int m_visitChild = -1;
    void* m_runtime = nullptr;  // the launch and the current instance, for the runtime
    // Written by the intersection program before any hit program reads them; not cleared, for
    // speed: each state is made per program call.
    alignas(16) std::byte m_attributes[kMaxAttributeBytes];
    alignas(16) std::byte m_candidate[kMaxAttributeBytes];
};

using ProgramFunction = void (*)(State& state);

// An object variable a program cannot work without: validation fails unless it resolves to a
// buffer of this format and dimensionality (or, with format RT_FORMAT_UNKNOWN, to a node).
struct Requirement {
    const char* name;
    RTformat format = RT_FORMAT_UNKNOWN;
    int dimensions = 1;
    std::size_t elementSize = 0;  // checked for RT_FORMAT_USER only
};

struct ProgramDefinition {
    const char* name;  // the .entry name in the program file
    ProgramKind kind;
    std::span<const char* const> variables;  // read as Var(0), Var(1), ... in this order
    ProgramFunction function;
    std::span<const Requirement> requirements = {};
};

// Adds the program, or replaces the one of that name. Call before creating programs from
// files, from the thread that uses the runtime. The strings must outlive the runtime's use.
void RegisterProgram(const ProgramDefinition& definition);

}  // namespace rtd
