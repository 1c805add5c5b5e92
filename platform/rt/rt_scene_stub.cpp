// Scene objects of the runtime: not built yet.
#include "platform/rt/rt_api.h"
#include "platform/rt/rt_device.h"

RTresult rtGeometryCreate(RTcontext, RTgeometry*) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometrySetBoundingBoxProgram(RTgeometry, RTprogram) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometrySetIntersectionProgram(RTgeometry, RTprogram) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometrySetPrimitiveCount(RTgeometry, unsigned int) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryDeclareVariable(RTgeometry, const char*, RTvariable*) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryDestroy(RTgeometry) { return RT_ERROR_UNKNOWN; }
RTresult rtMaterialCreate(RTcontext, RTmaterial*) { return RT_ERROR_UNKNOWN; }
RTresult rtMaterialSetClosestHitProgram(RTmaterial, unsigned int, RTprogram) { return RT_ERROR_UNKNOWN; }
RTresult rtMaterialSetAnyHitProgram(RTmaterial, unsigned int, RTprogram) { return RT_ERROR_UNKNOWN; }
RTresult rtMaterialDeclareVariable(RTmaterial, const char*, RTvariable*) { return RT_ERROR_UNKNOWN; }
RTresult rtMaterialDestroy(RTmaterial) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryInstanceCreate(RTcontext, RTgeometryinstance*) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryInstanceSetGeometry(RTgeometryinstance, RTgeometry) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryInstanceSetMaterialCount(RTgeometryinstance, unsigned int) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryInstanceSetMaterial(RTgeometryinstance, unsigned int, RTmaterial) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryInstanceDeclareVariable(RTgeometryinstance, const char*, RTvariable*) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryInstanceDestroy(RTgeometryinstance) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryGroupCreate(RTcontext, RTgeometrygroup*) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryGroupSetChildCount(RTgeometrygroup, unsigned int) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryGroupGetChildCount(RTgeometrygroup, unsigned int*) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryGroupSetChild(RTgeometrygroup, unsigned int, RTgeometryinstance) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryGroupSetAcceleration(RTgeometrygroup, RTacceleration) { return RT_ERROR_UNKNOWN; }
RTresult rtGeometryGroupDestroy(RTgeometrygroup) { return RT_ERROR_UNKNOWN; }
RTresult rtGroupCreate(RTcontext, RTgroup*) { return RT_ERROR_UNKNOWN; }
RTresult rtGroupSetChildCount(RTgroup, unsigned int) { return RT_ERROR_UNKNOWN; }
RTresult rtGroupGetChildCount(RTgroup, unsigned int*) { return RT_ERROR_UNKNOWN; }
RTresult rtGroupSetChild(RTgroup, unsigned int, RTobject) { return RT_ERROR_UNKNOWN; }
RTresult rtGroupSetAcceleration(RTgroup, RTacceleration) { return RT_ERROR_UNKNOWN; }
RTresult rtGroupDestroy(RTgroup) { return RT_ERROR_UNKNOWN; }
RTresult rtSelectorCreate(RTcontext, RTselector*) { return RT_ERROR_UNKNOWN; }
RTresult rtSelectorSetVisitProgram(RTselector, RTprogram) { return RT_ERROR_UNKNOWN; }
RTresult rtSelectorSetChildCount(RTselector, unsigned int) { return RT_ERROR_UNKNOWN; }
RTresult rtSelectorGetChildCount(RTselector, unsigned int*) { return RT_ERROR_UNKNOWN; }
RTresult rtSelectorSetChild(RTselector, unsigned int, RTobject) { return RT_ERROR_UNKNOWN; }
RTresult rtSelectorDeclareVariable(RTselector, const char*, RTvariable*) { return RT_ERROR_UNKNOWN; }
RTresult rtSelectorDestroy(RTselector) { return RT_ERROR_UNKNOWN; }
RTresult rtTransformCreate(RTcontext, RTtransform*) { return RT_ERROR_UNKNOWN; }
RTresult rtTransformSetChild(RTtransform, RTobject) { return RT_ERROR_UNKNOWN; }
RTresult rtTransformSetMatrix(RTtransform, int, const float*, const float*) { return RT_ERROR_UNKNOWN; }
RTresult rtTransformGetMatrix(RTtransform, int, float*, float*) { return RT_ERROR_UNKNOWN; }
RTresult rtTransformDestroy(RTtransform) { return RT_ERROR_UNKNOWN; }
RTresult rtAccelerationCreate(RTcontext, RTacceleration*) { return RT_ERROR_UNKNOWN; }
RTresult rtAccelerationSetBuilder(RTacceleration, const char*) { return RT_ERROR_UNKNOWN; }
RTresult rtAccelerationSetTraverser(RTacceleration, const char*) { return RT_ERROR_UNKNOWN; }
RTresult rtAccelerationSetProperty(RTacceleration, const char*, const char*) { return RT_ERROR_UNKNOWN; }
RTresult rtAccelerationMarkDirty(RTacceleration) { return RT_ERROR_UNKNOWN; }
RTresult rtAccelerationDestroy(RTacceleration) { return RT_ERROR_UNKNOWN; }

namespace rtd {
void State::FailLaunch(const char*) {}
Float4 State::Tex1D(int, float) const { return {}; }
Float4 State::Tex2D(int, float, float) const { return {}; }
void State::Trace(Node, const Ray&, unsigned, void*) {}
Float3 State::ObjectToWorldPoint(Float3 p) const { return p; }
Float3 State::ObjectToWorldVector(Float3 v) const { return v; }
Float3 State::ObjectToWorldNormal(Float3 n) const { return n; }
Float3 State::WorldToObjectPoint(Float3 p) const { return p; }
Float3 State::WorldToObjectVector(Float3 v) const { return v; }
bool State::PotentialIntersection(float) { return false; }
bool State::ReportIntersection(unsigned) { return false; }
void RegisterProgram(const ProgramDefinition&) {}
}  // namespace rtd
