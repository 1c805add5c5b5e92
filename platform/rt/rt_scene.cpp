// Geometry, materials, geometry instances, the graph's nodes and accelerations.

#include <cmath>
#include <cstring>

#include "platform/rt/rt_call.h"
#include "platform/rt/rt_matrix.h"

using namespace rt;

namespace rt {

void Geometry::ReleaseReferences() {
    scope.Release();
    bounds.reset();
    intersection.reset();
}

void Material::ReleaseReferences() {
    scope.Release();
    closestHit.clear();
    anyHit.clear();
}

void GeometryInstance::ReleaseReferences() {
    scope.Release();
    geometry.reset();
    materials.clear();
}

void Node::ReleaseReferences() {
    for (auto& child : children) child.reset();
    acceleration.reset();
}

void GeometryGroup::ReleaseReferences() {
    Node::ReleaseReferences();
    built.reset();
}

void Selector::ReleaseReferences() {
    Node::ReleaseReferences();
    scope.Release();
    visit.reset();
}

std::string Acceleration::Property(const std::string& name, const std::string& fallback) const {
    for (const auto& [key, value] : properties) {
        if (key == name) return value;
    }
    return fallback;
}

bool IsNodeKind(Kind kind) {
    return kind == Kind::Group || kind == Kind::Selector || kind == Kind::Transform ||
           kind == Kind::GeometryGroup;
}

std::shared_ptr<Object> FindNode(std::uint64_t id) {
    for (Kind kind : {Kind::Group, Kind::Selector, Kind::Transform, Kind::GeometryGroup}) {
        if (auto node = Find(id, kind)) return node;
    }
    return nullptr;
}

}  // namespace rt

namespace {

template <class T, class Handle>
RTresult Create(const char* function, RTcontext context, Handle* out) {
    Call<Context> call(function, IdOf(context), Kind::Context);
    if (const RTresult r = call.Check()) return r;
    if (!out) return call.Fail(RT_ERROR_INVALID_VALUE, "null argument");
    auto created = std::make_shared<T>(call.object->id);
    *out = HandleOf<Handle>(Register(created, true));
    return RT_SUCCESS;
}

template <class Handle>
RTresult Destroy(const char* function, Handle handle, Kind kind) {
    Call<Object> call(function, IdOf(handle), kind);
    if (const RTresult r = call.Check()) return r;
    Unregister(call.object->id, kind);
    return RT_SUCCESS;
}

template <class T, class Handle>
RTresult DeclareOn(const char* function, Handle handle, Kind kind, const char* name,
                   RTvariable* v) {
    Call<Object> call(function, IdOf(handle), kind);
    if (const RTresult r = call.Check()) return r;
    return Declare(call, static_cast<T*>(call.object)->scope, name, v);
}

// The program behind the handle when it belongs to the call's context and is of that kind.
template <class T>
RTresult ProgramOfKind(Call<T>& call, RTprogram handle, ProgramKind kind,
                       std::shared_ptr<Program>& program) {
    program = std::static_pointer_cast<Program>(Find(IdOf(handle), Kind::Program));
    if (!program || program->context != call.context->id) {
        return call.Fail(RT_ERROR_INVALID_VALUE, "no program of this context");
    }
    if (program->programKind != kind) {
        return call.Fail(RT_ERROR_TYPE_MISMATCH,
                         "'" + program->name + "' is another kind of program");
    }
    return RT_SUCCESS;
}

template <class T>
RTresult SetProgram(const char* function, std::uint64_t id, Kind kind, RTprogram handle,
                    ProgramKind programKind, std::shared_ptr<Program> T::*slot) {
    Call<T> call(function, id, kind);
    if (const RTresult r = call.Check()) return r;
    std::shared_ptr<Program> program;
    if (const RTresult r = ProgramOfKind(call, handle, programKind, program)) return r;
    call.object->*slot = std::move(program);
    return RT_SUCCESS;
}

RTresult SetMaterialProgram(const char* function, RTmaterial material, unsigned rayType,
                            RTprogram handle, ProgramKind kind,
                            std::vector<std::shared_ptr<Program>> Material::*slots) {
    Call<Material> call(function, IdOf(material), Kind::Material);
    if (const RTresult r = call.Check()) return r;
    std::shared_ptr<Program> program;
    if (const RTresult r = ProgramOfKind(call, handle, kind, program)) return r;
    if (rayType >= call.context->rayTypeCount) {
        return call.Fail(RT_ERROR_INVALID_VALUE, "ray type " + std::to_string(rayType) +
                                                     " is not below the ray type count");
    }
    auto& programs = call.object->*slots;
    if (programs.size() <= rayType) programs.resize(rayType + 1);
    programs[rayType] = std::move(program);
    return RT_SUCCESS;
}

// What a node of that kind may hold as a child.
bool ChildAllowed(Kind parent, Kind child) {
    if (parent == Kind::GeometryGroup) return child == Kind::GeometryInstance;
    return IsNodeKind(child);
}

RTresult SetChildCount(const char* function, std::uint64_t id, Kind kind, unsigned count) {
    Call<Node> call(function, id, kind);
    if (const RTresult r = call.Check()) return r;
    if (count > kMaxChildren) return call.Fail(RT_ERROR_INVALID_VALUE, "child count too large");
    call.object->children.resize(count);
    return RT_SUCCESS;
}

RTresult GetChildCount(const char* function, std::uint64_t id, Kind kind, unsigned* count) {
    Call<Node> call(function, id, kind);
    if (const RTresult r = call.Check()) return r;
    if (!count) return call.Fail(RT_ERROR_INVALID_VALUE, "null argument");
    *count = static_cast<unsigned>(call.object->children.size());
    return RT_SUCCESS;
}

std::shared_ptr<Object> AnyChild(std::uint64_t id) {
    if (auto node = FindNode(id)) return node;
    return Find(id, Kind::GeometryInstance);
}

RTresult SetChild(const char* function, std::uint64_t id, Kind kind, unsigned index,
                  std::uint64_t childId) {
    Call<Node> call(function, id, kind);
    if (const RTresult r = call.Check()) return r;
    if (index >= call.object->children.size()) {
        return call.Fail(RT_ERROR_INVALID_VALUE,
                         "child " + std::to_string(index) + " is not below the child count");
    }
    std::shared_ptr<Object> child = AnyChild(childId);
    if (!child || child->context != call.context->id) {
        return call.Fail(RT_ERROR_INVALID_VALUE, "the child is no node of this context");
    }
    if (!ChildAllowed(kind, child->kind)) {
        return call.Fail(RT_ERROR_TYPE_MISMATCH, "a child of the wrong kind");
    }
    call.object->children[index] = std::move(child);
    return RT_SUCCESS;
}

RTresult SetAcceleration(const char* function, std::uint64_t id, Kind kind, RTacceleration a) {
    Call<Node> call(function, id, kind);
    if (const RTresult r = call.Check()) return r;
    auto acceleration = std::static_pointer_cast<Acceleration>(Find(IdOf(a), Kind::Acceleration));
    if (!acceleration || acceleration->context != call.context->id) {
        return call.Fail(RT_ERROR_INVALID_VALUE, "no acceleration of this context");
    }
    call.object->acceleration = std::move(acceleration);
    return RT_SUCCESS;
}

bool KnownBuilder(const char* name) {
    for (const char* known : {"Sbvh", "Bvh", "Lbvh", "Trbvh", "MedianBvh", "NoAccel"}) {
        if (std::strcmp(name, known) == 0) return true;
    }
    return false;
}

RTresult SetAccelerationText(const char* function, RTacceleration a, const char* text,
                             bool traverser) {
    Call<Acceleration> call(function, IdOf(a), Kind::Acceleration);
    if (const RTresult r = call.Check()) return r;
    if (!text) return call.Fail(RT_ERROR_INVALID_VALUE, "null argument");
    const bool known = traverser
                           ? std::strcmp(text, "Bvh") == 0 || std::strcmp(text, "NoAccel") == 0
                           : KnownBuilder(text);
    if (!known) return call.Fail(RT_ERROR_INVALID_VALUE, std::string("unknown '") + text + "'");
    (traverser ? call.object->traverser : call.object->builder) = text;
    call.object->dirty = true;
    return RT_SUCCESS;
}

}  // namespace

RTresult rtGeometryCreate(RTcontext context, RTgeometry* geometry) {
    return Create<Geometry>("rtGeometryCreate", context, geometry);
}
RTresult rtGeometrySetBoundingBoxProgram(RTgeometry geometry, RTprogram program) {
    return SetProgram<Geometry>("rtGeometrySetBoundingBoxProgram", IdOf(geometry), Kind::Geometry,
                                program, ProgramKind::BoundingBox, &Geometry::bounds);
}
RTresult rtGeometrySetIntersectionProgram(RTgeometry geometry, RTprogram program) {
    return SetProgram<Geometry>("rtGeometrySetIntersectionProgram", IdOf(geometry), Kind::Geometry,
                                program, ProgramKind::Intersection, &Geometry::intersection);
}
RTresult rtGeometrySetPrimitiveCount(RTgeometry geometry, unsigned int count) {
    Call<Geometry> call("rtGeometrySetPrimitiveCount", IdOf(geometry), Kind::Geometry);
    if (const RTresult r = call.Check()) return r;
    call.object->primitiveCount = count;
    return RT_SUCCESS;
}
RTresult rtGeometryDeclareVariable(RTgeometry geometry, const char* name, RTvariable* v) {
    return DeclareOn<Geometry>("rtGeometryDeclareVariable", geometry, Kind::Geometry, name, v);
}
RTresult rtGeometryDestroy(RTgeometry geometry) {
    return Destroy("rtGeometryDestroy", geometry, Kind::Geometry);
}

RTresult rtMaterialCreate(RTcontext context, RTmaterial* material) {
    return Create<Material>("rtMaterialCreate", context, material);
}
RTresult rtMaterialSetClosestHitProgram(RTmaterial material, unsigned int rayType, RTprogram p) {
    return SetMaterialProgram("rtMaterialSetClosestHitProgram", material, rayType, p,
                              ProgramKind::ClosestHit, &Material::closestHit);
}
RTresult rtMaterialSetAnyHitProgram(RTmaterial material, unsigned int rayType, RTprogram p) {
    return SetMaterialProgram("rtMaterialSetAnyHitProgram", material, rayType, p,
                              ProgramKind::AnyHit, &Material::anyHit);
}
RTresult rtMaterialDeclareVariable(RTmaterial material, const char* name, RTvariable* v) {
    return DeclareOn<Material>("rtMaterialDeclareVariable", material, Kind::Material, name, v);
}
RTresult rtMaterialDestroy(RTmaterial material) {
    return Destroy("rtMaterialDestroy", material, Kind::Material);
}

RTresult rtGeometryInstanceCreate(RTcontext context, RTgeometryinstance* instance) {
    return Create<GeometryInstance>("rtGeometryInstanceCreate", context, instance);
}
RTresult rtGeometryInstanceSetGeometry(RTgeometryinstance instance, RTgeometry geometry) {
    Call<GeometryInstance> call("rtGeometryInstanceSetGeometry", IdOf(instance),
                                Kind::GeometryInstance);
    if (const RTresult r = call.Check()) return r;
    auto g = std::static_pointer_cast<Geometry>(Find(IdOf(geometry), Kind::Geometry));
    if (!g || g->context != call.context->id) {
        return call.Fail(RT_ERROR_INVALID_VALUE, "no geometry of this context");
    }
    call.object->geometry = std::move(g);
    return RT_SUCCESS;
}
RTresult rtGeometryInstanceSetMaterialCount(RTgeometryinstance instance, unsigned int count) {
    Call<GeometryInstance> call("rtGeometryInstanceSetMaterialCount", IdOf(instance),
                                Kind::GeometryInstance);
    if (const RTresult r = call.Check()) return r;
    if (count > kMaxMaterials) return call.Fail(RT_ERROR_INVALID_VALUE, "material count too large");
    call.object->materials.resize(count);
    return RT_SUCCESS;
}
RTresult rtGeometryInstanceSetMaterial(RTgeometryinstance instance, unsigned int index,
                                       RTmaterial material) {
    Call<GeometryInstance> call("rtGeometryInstanceSetMaterial", IdOf(instance),
                                Kind::GeometryInstance);
    if (const RTresult r = call.Check()) return r;
    if (index >= call.object->materials.size()) {
        return call.Fail(RT_ERROR_INVALID_VALUE,
                         "material " + std::to_string(index) + " is not below the material count");
    }
    auto m = std::static_pointer_cast<Material>(Find(IdOf(material), Kind::Material));
    if (!m || m->context != call.context->id) {
        return call.Fail(RT_ERROR_INVALID_VALUE, "no material of this context");
    }
    call.object->materials[index] = std::move(m);
    return RT_SUCCESS;
}
RTresult rtGeometryInstanceDeclareVariable(RTgeometryinstance instance, const char* name,
                                           RTvariable* v) {
    return DeclareOn<GeometryInstance>("rtGeometryInstanceDeclareVariable", instance,
                                       Kind::GeometryInstance, name, v);
}
RTresult rtGeometryInstanceDestroy(RTgeometryinstance instance) {
    return Destroy("rtGeometryInstanceDestroy", instance, Kind::GeometryInstance);
}

RTresult rtGeometryGroupCreate(RTcontext context, RTgeometrygroup* group) {
    return Create<GeometryGroup>("rtGeometryGroupCreate", context, group);
}
RTresult rtGeometryGroupSetChildCount(RTgeometrygroup group, unsigned int count) {
    return SetChildCount("rtGeometryGroupSetChildCount", IdOf(group), Kind::GeometryGroup, count);
}
RTresult rtGeometryGroupGetChildCount(RTgeometrygroup group, unsigned int* count) {
    return GetChildCount("rtGeometryGroupGetChildCount", IdOf(group), Kind::GeometryGroup, count);
}
RTresult rtGeometryGroupSetChild(RTgeometrygroup group, unsigned int index,
                                 RTgeometryinstance instance) {
    return SetChild("rtGeometryGroupSetChild", IdOf(group), Kind::GeometryGroup, index,
                    IdOf(instance));
}
RTresult rtGeometryGroupSetAcceleration(RTgeometrygroup group, RTacceleration acceleration) {
    return SetAcceleration("rtGeometryGroupSetAcceleration", IdOf(group), Kind::GeometryGroup,
                           acceleration);
}
RTresult rtGeometryGroupDestroy(RTgeometrygroup group) {
    return Destroy("rtGeometryGroupDestroy", group, Kind::GeometryGroup);
}

RTresult rtGroupCreate(RTcontext context, RTgroup* group) {
    return Create<Group>("rtGroupCreate", context, group);
}
RTresult rtGroupSetChildCount(RTgroup group, unsigned int count) {
    return SetChildCount("rtGroupSetChildCount", IdOf(group), Kind::Group, count);
}
RTresult rtGroupGetChildCount(RTgroup group, unsigned int* count) {
    return GetChildCount("rtGroupGetChildCount", IdOf(group), Kind::Group, count);
}
RTresult rtGroupSetChild(RTgroup group, unsigned int index, RTobject child) {
    return SetChild("rtGroupSetChild", IdOf(group), Kind::Group, index, IdOf(child));
}
RTresult rtGroupSetAcceleration(RTgroup group, RTacceleration acceleration) {
    return SetAcceleration("rtGroupSetAcceleration", IdOf(group), Kind::Group, acceleration);
}
RTresult rtGroupDestroy(RTgroup group) { return Destroy("rtGroupDestroy", group, Kind::Group); }

RTresult rtSelectorCreate(RTcontext context, RTselector* selector) {
    return Create<Selector>("rtSelectorCreate", context, selector);
}
RTresult rtSelectorSetVisitProgram(RTselector selector, RTprogram program) {
    return SetProgram<Selector>("rtSelectorSetVisitProgram", IdOf(selector), Kind::Selector,
                                program, ProgramKind::Visit, &Selector::visit);
}
RTresult rtSelectorSetChildCount(RTselector selector, unsigned int count) {
    return SetChildCount("rtSelectorSetChildCount", IdOf(selector), Kind::Selector, count);
}
RTresult rtSelectorGetChildCount(RTselector selector, unsigned int* count) {
    return GetChildCount("rtSelectorGetChildCount", IdOf(selector), Kind::Selector, count);
}
RTresult rtSelectorSetChild(RTselector selector, unsigned int index, RTobject child) {
    return SetChild("rtSelectorSetChild", IdOf(selector), Kind::Selector, index, IdOf(child));
}
RTresult rtSelectorDeclareVariable(RTselector selector, const char* name, RTvariable* v) {
    return DeclareOn<Selector>("rtSelectorDeclareVariable", selector, Kind::Selector, name, v);
}
RTresult rtSelectorDestroy(RTselector selector) {
    return Destroy("rtSelectorDestroy", selector, Kind::Selector);
}

RTresult rtTransformCreate(RTcontext context, RTtransform* transform) {
    return Create<Transform>("rtTransformCreate", context, transform);
}
RTresult rtTransformSetChild(RTtransform transform, RTobject child) {
    return SetChild("rtTransformSetChild", IdOf(transform), Kind::Transform, 0, IdOf(child));
}
RTresult rtTransformSetMatrix(RTtransform transform, int transpose, const float* matrix,
                              const float* inverse) {
    Call<Transform> call("rtTransformSetMatrix", IdOf(transform), Kind::Transform);
    if (const RTresult r = call.Check()) return r;
    if (!matrix) return call.Fail(RT_ERROR_INVALID_VALUE, "null matrix");
    Matrix3x4 m{}, inv{};
    if (!ReadMatrix(matrix, transpose != 0, m)) {
        return call.Fail(RT_ERROR_INVALID_VALUE,
                         "matrix is not an affine transform of finite entries");
    }
    const bool inverted = inverse ? ReadMatrix(inverse, transpose != 0, inv) : Invert(m, inv);
    if (!inverted) return call.Fail(RT_ERROR_INVALID_VALUE, "matrix is singular");
    call.object->matrix = m;
    call.object->inverse = inv;
    return RT_SUCCESS;
}
RTresult rtTransformGetMatrix(RTtransform transform, int transpose, float* matrix, float* inverse) {
    Call<Transform> call("rtTransformGetMatrix", IdOf(transform), Kind::Transform);
    if (const RTresult r = call.Check()) return r;
    if (matrix) WriteMatrix(call.object->matrix, transpose != 0, matrix);
    if (inverse) WriteMatrix(call.object->inverse, transpose != 0, inverse);
    return RT_SUCCESS;
}
RTresult rtTransformDestroy(RTtransform transform) {
    return Destroy("rtTransformDestroy", transform, Kind::Transform);
}

RTresult rtAccelerationCreate(RTcontext context, RTacceleration* acceleration) {
    return Create<Acceleration>("rtAccelerationCreate", context, acceleration);
}
RTresult rtAccelerationSetBuilder(RTacceleration acceleration, const char* builder) {
    return SetAccelerationText("rtAccelerationSetBuilder", acceleration, builder, false);
}
RTresult rtAccelerationSetTraverser(RTacceleration acceleration, const char* traverser) {
    return SetAccelerationText("rtAccelerationSetTraverser", acceleration, traverser, true);
}
RTresult rtAccelerationSetProperty(RTacceleration acceleration, const char* name,
                                   const char* value) {
    Call<Acceleration> call("rtAccelerationSetProperty", IdOf(acceleration), Kind::Acceleration);
    if (const RTresult r = call.Check()) return r;
    if (!name || !value) return call.Fail(RT_ERROR_INVALID_VALUE, "null argument");
    auto& properties = call.object->properties;
    call.object->dirty = true;
    for (auto& [key, old] : properties) {
        if (key == name) {
            old = value;
            return RT_SUCCESS;
        }
    }
    properties.emplace_back(name, value);
    return RT_SUCCESS;
}
RTresult rtAccelerationMarkDirty(RTacceleration acceleration) {
    Call<Acceleration> call("rtAccelerationMarkDirty", IdOf(acceleration), Kind::Acceleration);
    if (const RTresult r = call.Check()) return r;
    call.object->dirty = true;
    return RT_SUCCESS;
}
RTresult rtAccelerationDestroy(RTacceleration acceleration) {
    return Destroy("rtAccelerationDestroy", acceleration, Kind::Acceleration);
}
