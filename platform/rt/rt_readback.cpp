// Reading back what the graph holds, for tests.

#include <initializer_list>

#include "platform/rt/rt_objects.h"
#include "platform/rt/rt_test.h"

using namespace rt;

namespace {

std::shared_ptr<Object> AnyObject(const void* handle) {
    const std::uint64_t id = IdOf(handle);
    for (Kind kind : {Kind::Context, Kind::Program, Kind::Buffer, Kind::TextureSampler, Kind::Geometry,
                      Kind::GeometryInstance, Kind::Material, Kind::GeometryGroup, Kind::Group,
                      Kind::Selector, Kind::Transform, Kind::Acceleration}) {
        if (auto object = Find(id, kind)) return object;
    }
    return nullptr;
}

const Scope* ScopeOf(const Object& object) {
    switch (object.kind) {
        case Kind::Context: return &static_cast<const Context&>(object).scope;
        case Kind::Program: return &static_cast<const Program&>(object).scope;
        case Kind::Geometry: return &static_cast<const Geometry&>(object).scope;
        case Kind::GeometryInstance: return &static_cast<const GeometryInstance&>(object).scope;
        case Kind::Material: return &static_cast<const Material&>(object).scope;
        case Kind::Selector: return &static_cast<const Selector&>(object).scope;
        default: return nullptr;
    }
}

const Variable* VariableOf(RTvariable v) { return Get<Variable>(IdOf(v), Kind::Variable); }

}  // namespace

RTobject rtTestChild(RTobject node, unsigned int index) {
    const auto found = FindNode(IdOf(node));
    if (!found) return nullptr;
    const auto& children = static_cast<const Node&>(*found).children;
    if (index >= children.size() || !children[index]) return nullptr;
    return HandleOf<RTobject>(children[index]->id);
}

unsigned int rtTestChildCount(RTobject node) {
    const auto found = FindNode(IdOf(node));
    return found ? static_cast<unsigned>(static_cast<const Node&>(*found).children.size()) : 0;
}

RTvariable rtTestVariable(RTobject object, const char* name) {
    const auto found = AnyObject(object);
    const Scope* scope = found && name ? ScopeOf(*found) : nullptr;
    const Variable* v = scope ? scope->Find(name) : nullptr;
    return v ? HandleOf<RTvariable>(v->id) : nullptr;
}

bool rtTestVariableInts(RTvariable v, int values[4]) {
    const Variable* var = VariableOf(v);
    if (!var || (var->type != VarType::Int && var->type != VarType::UInt)) return false;
    for (int k = 0; k < 4; ++k) values[k] = var->ints[static_cast<std::size_t>(k)];
    return true;
}

bool rtTestVariableFloats(RTvariable v, float values[4]) {
    const Variable* var = VariableOf(v);
    if (!var || (var->type != VarType::Float && var->type != VarType::Float3 &&
                 var->type != VarType::Float4)) {
        return false;
    }
    for (int k = 0; k < 4; ++k) values[k] = var->floats[static_cast<std::size_t>(k)];
    return true;
}

RTobject rtTestVariableObject(RTvariable v) {
    const Variable* var = VariableOf(v);
    return var && var->type == VarType::Object && var->object ? HandleOf<RTobject>(var->object->id)
                                                              : nullptr;
}

bool rtTestBufferShape(RTbuffer buffer, RTformat* format, RTsize* width, RTsize* height) {
    const Buffer* b = Get<Buffer>(IdOf(buffer), Kind::Buffer);
    if (!b) return false;
    if (format) *format = b->format;
    if (width) *width = b->width;
    if (height) *height = b->height;
    return true;
}

unsigned int rtTestPrimitiveCount(RTgeometry geometry) {
    const Geometry* g = Get<Geometry>(IdOf(geometry), Kind::Geometry);
    return g ? g->primitiveCount : 0;
}
