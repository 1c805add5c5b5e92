#include "platform/rt/rt_launch_frame.h"

#include <algorithm>

#include "platform/rt/rt_embree.h"
#include "platform/rt/rt_matrix.h"
#include "platform/rt/rt_trace.h"

namespace rt {
namespace {

constexpr std::size_t kMaxGraphDepth = 32;

class FrameBuilder {
public:
    explicit FrameBuilder(LaunchFrame& frame) : m_frame(frame), m_context(frame.context) {}

    // The program's variables along its own scope, then outer (innermost first).
    ResolvedProgram ResolveProgram(const Program* program,
                                   std::initializer_list<const Scope*> outer) {
        ResolvedProgram resolved;
        if (!program) return resolved;
        std::vector<const Scope*> scopes{&program->scope};
        scopes.insert(scopes.end(), outer.begin(), outer.end());
        resolved.function = program->definition.function;
        for (const char* name : program->definition.variables) {
            const Variable* v = Find(name, scopes);
            resolved.vars.push_back(v ? ValueOf(*v) : rtd::Value{});
        }
        for (const rtd::Requirement& requirement : program->definition.requirements) {
            CheckRequirement(*program, requirement, Find(requirement.name, scopes));
        }
        return resolved;
    }

    const TraceTarget* TargetFor(Object* node) {
        if (const auto it = m_frame.targets.find(node); it != m_frame.targets.end()) {
            return it->second.get();  // done, or being walked further up: its scene comes later
        }
        TraceTarget* target =
            m_frame.targets.emplace(node, std::make_unique<TraceTarget>()).first->second.get();
        std::vector<const Object*> path;
        Walk(node, Identity(), Identity(), *target, path);
        if (!target->instances.empty() && m_frame.buildError.empty()) {
            BuildTopLevel(m_context, *target);
        }
        return target;
    }

private:
    static const Variable* Find(const std::string& name, const std::vector<const Scope*>& scopes) {
        for (const Scope* scope : scopes) {
            if (const Variable* v = scope->Find(name)) return v;
        }
        return nullptr;
    }

    static std::string Name(const Node& node) {
        const char* kind = node.kind == Kind::Group      ? "group"
                           : node.kind == Kind::Selector ? "selector"
                                                         : "geometry group";
        // Appended left to right: GCC 12 at -O3 warns falsely (-Wrestrict) on a prepend.
        return std::string(kind) + " " + std::to_string(node.id);
    }

    void Error(RTresult code, std::string detail) {
        if (m_frame.buildError.empty()) {
            m_frame.buildCode = code;
            m_frame.buildError = std::move(detail);
        }
    }

    void CheckRequirement(const Program& program, const rtd::Requirement& r, const Variable* v) {
        const std::string what = std::string("'") + r.name + "' of program '" + program.name + "'";
        Object* object = v && v->type == VarType::Object ? v->object.get() : nullptr;
        if (r.format == RT_FORMAT_UNKNOWN) {
            if (!object || !IsNodeKind(object->kind))
                Error(RT_ERROR_VARIABLE_NOT_FOUND, what + " is no node");
            return;
        }
        const auto* buffer =
            object && object->kind == Kind::Buffer ? static_cast<Buffer*>(object) : nullptr;
        const bool fits = buffer && buffer->format == r.format &&
                          buffer->dimensions == r.dimensions &&
                          (r.format != RT_FORMAT_USER || buffer->ElementSize() == r.elementSize);
        if (!fits) {
            Error(RT_ERROR_VARIABLE_NOT_FOUND, what + " is not a " + std::to_string(r.dimensions) +
                                                   "D buffer of the format it needs");
        }
    }

    rtd::Value ValueOf(const Variable& v) {
        rtd::Value value;
        std::copy(v.ints.begin(), v.ints.end(), value.ints);
        std::copy(v.floats.begin(), v.floats.end(), value.floats);
        switch (v.type) {
            case VarType::Unset:
                break;
            case VarType::Int:
                value.type = rtd::Value::Type::Int;
                break;
            case VarType::UInt:
                value.type = rtd::Value::Type::UInt;
                break;
            case VarType::Float:
                value.type = rtd::Value::Type::Float;
                break;
            case VarType::Float3:
                value.type = rtd::Value::Type::Float3;
                break;
            case VarType::Float4:
                value.type = rtd::Value::Type::Float4;
                break;
            case VarType::Object:
                ObjectValue(*v.object, value);
                break;
        }
        return value;
    }

    void ObjectValue(Object& object, rtd::Value& value) {
        if (object.kind == Kind::Buffer) {
            auto& b = static_cast<Buffer&>(object);
            value.type = rtd::Value::Type::Buffer;
            value.buffer = {b.data.empty() ? nullptr : b.data.data(), b.width, b.height,
                            b.ElementSize(), b.format};
        } else if (object.kind == Kind::TextureSampler) {
            value.type = rtd::Value::Type::Sampler;
            value.ints[0] = static_cast<TextureSampler&>(object).samplerIdInContext;
        } else {
            value.type = rtd::Value::Type::Node;
            value.node.top = TargetFor(&object);
        }
    }

    void Walk(Object* node, const Matrix3x4& toWorld, const Matrix3x4& toObject,
              TraceTarget& target, std::vector<const Object*>& path) {
        if (!node) return;  // an empty slot
        if (std::find(path.begin(), path.end(), node) != path.end()) {
            return Error(RT_ERROR_INVALID_CONTEXT, "the node graph has a cycle");
        }
        if (path.size() >= kMaxGraphDepth) {
            return Error(RT_ERROR_INVALID_CONTEXT, "the node graph is deeper than 32 levels");
        }
        path.push_back(node);
        auto& n = static_cast<Node&>(*node);
        switch (node->kind) {
            case Kind::Group:
                if (!n.acceleration)
                    Error(RT_ERROR_INVALID_CONTEXT, Name(n) + " has no acceleration");
                for (const auto& child : n.children)
                    Walk(child.get(), toWorld, toObject, target, path);
                break;
            case Kind::Selector:
                WalkSelector(static_cast<Selector&>(n), toWorld, toObject, target, path);
                break;
            case Kind::Transform: {
                const auto& t = static_cast<const Transform&>(n);
                Walk(n.children[0].get(), Multiply(toWorld, t.matrix),
                     Multiply(t.inverse, toObject), target, path);
                break;
            }
            case Kind::GeometryGroup:
                Place(static_cast<GeometryGroup&>(n), toWorld, toObject, target);
                break;
            default:
                break;
        }
        path.pop_back();
    }

    void WalkSelector(Selector& selector, const Matrix3x4& toWorld, const Matrix3x4& toObject,
                      TraceTarget& target, std::vector<const Object*>& path) {
        if (!selector.visit)
            return Error(RT_ERROR_INVALID_CONTEXT, Name(selector) + " has no visit program");
        const ResolvedProgram visit = ResolveProgram(selector.visit.get(), {&selector.scope});
        rtd::State state;
        TraceEnv env{&m_frame, nullptr, 0};
        StateAccess::Prepare(state, visit, env, {0, 0}, {0, 0});
        visit.function(state);
        const int child = StateAccess::VisitedChild(state);
        if (child >= 0 && static_cast<std::size_t>(child) < selector.children.size()) {
            Walk(selector.children[static_cast<std::size_t>(child)].get(), toWorld, toObject,
                 target, path);
        }
    }

    // What keeps the instance from being traced, or nothing.
    static std::string InstanceProblem(const GeometryGroup& group,
                                       const GeometryInstance& instance) {
        const std::string gi = "geometry instance " + std::to_string(instance.id);
        const Geometry* g = instance.geometry.get();
        if (!g) return gi + " has no geometry";
        const auto& materials = instance.materials;
        if (materials.empty() ||
            std::find(materials.begin(), materials.end(), nullptr) != materials.end()) {
            return gi + " lacks a material";
        }
        const std::string geometry = "geometry " + std::to_string(g->id);
        if (!g->bounds || !g->intersection)
            return geometry + " lacks its bounding box or intersection program";
        const Buffer* vertices = MeshBuffer(group, instance, false);
        const Buffer* indices = MeshBuffer(group, instance, true);
        if (!vertices || vertices->format != RT_FORMAT_FLOAT3 || !indices ||
            indices->format != RT_FORMAT_INT3) {
            return geometry + " lacks its FLOAT3 vertex or INT3 index buffer";
        }
        if (g->primitiveCount > indices->width * indices->height) {
            return geometry + "'s primitive count exceeds its index buffer";
        }
        return "";
    }

    const InstanceRecord* RecordFor(const GeometryInstance& instance) {
        auto& slot = m_frame.records[&instance];
        if (slot) return slot.get();
        slot = std::make_unique<InstanceRecord>();
        InstanceRecord& record = *slot;
        const Geometry& g = *instance.geometry;
        record.intersection =
            ResolveProgram(g.intersection.get(), {&instance.scope, &g.scope, &m_context.scope});
        for (const auto& material : instance.materials) {
            MaterialPrograms programs;
            for (unsigned rayType = 0; rayType < m_context.rayTypeCount; ++rayType) {
                programs.closestHit.push_back(
                    HitProgram(instance, *material, material->closestHit, rayType));
                programs.anyHit.push_back(
                    HitProgram(instance, *material, material->anyHit, rayType));
                m_frame.closestHitTypes[rayType] |= programs.closestHit.back().function != nullptr;
                m_frame.anyHitTypes[rayType] |= programs.anyHit.back().function != nullptr;
            }
            record.materials.push_back(std::move(programs));
        }
        return &record;
    }

    ResolvedProgram HitProgram(const GeometryInstance& instance, const Material& material,
                               const std::vector<std::shared_ptr<Program>>& programs,
                               unsigned rayType) {
        const Program* p = rayType < programs.size() ? programs[rayType].get() : nullptr;
        return ResolveProgram(p, {&instance.scope, &material.scope, &m_context.scope});
    }

    void Place(GeometryGroup& group, const Matrix3x4& toWorld, const Matrix3x4& toObject,
               TraceTarget& target) {
        if (!group.acceleration)
            return Error(RT_ERROR_INVALID_CONTEXT, Name(group) + " has no acceleration");
        FlatInstance placed{nullptr, toWorld, toObject, {}};
        for (const auto& child : group.children) {
            const auto* instance = static_cast<const GeometryInstance*>(child.get());
            if (instance) {
                if (std::string problem = InstanceProblem(group, *instance); !problem.empty()) {
                    return Error(RT_ERROR_INVALID_CONTEXT, std::move(problem));
                }
            }
            placed.children.push_back(instance ? RecordFor(*instance) : nullptr);
        }
        std::string detail;
        if (!UpdateBottomLevel(m_context, group, detail))
            return Error(RT_ERROR_LAUNCH_FAILED, detail);
        if (group.built->empty) return;
        placed.bottom = group.built;
        target.instances.push_back(std::move(placed));
    }

    LaunchFrame& m_frame;
    Context& m_context;
};

}  // namespace

const Variable* Resolve(const std::string& name, std::initializer_list<const Scope*> scopes) {
    for (const Scope* scope : scopes) {
        if (!scope) continue;
        if (const Variable* v = scope->Find(name)) return v;
    }
    return nullptr;
}

void BuildFrame(LaunchFrame& frame, const Program& rayGeneration) {
    Context& context = frame.context;
    frame.closestHitTypes.assign(context.rayTypeCount, 0);
    frame.anyHitTypes.assign(context.rayTypeCount, 0);
    frame.samplers.assign(static_cast<std::size_t>(context.nextSamplerId), nullptr);
    for (const auto& object : ContextObjects(context.id, Kind::TextureSampler)) {
        const auto& sampler = static_cast<const TextureSampler&>(*object);
        frame.samplers[static_cast<std::size_t>(sampler.samplerIdInContext)] = &sampler;
    }
    FrameBuilder builder(frame);
    frame.rayGeneration = builder.ResolveProgram(&rayGeneration, {&context.scope});
    for (const auto& miss : context.miss) {
        frame.miss.push_back(builder.ResolveProgram(miss.get(), {&context.scope}));
    }
}

}  // namespace rt
