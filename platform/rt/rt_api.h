#pragma once
// The ray tracer's runtime: a CPU stand-in with the names and parameter shapes of the rt...
// calls the ray-traced engine makes. Every call returns an RTresult; a stale or wrong-kind
// handle returns an error, never a crash. Called from one thread; a launch spreads its work
// over the context's own worker threads and returns when the output is complete.

#include <cstddef>

struct RTcontext_;
struct RTprogram_;
struct RTvariable_;
struct RTbuffer_;
struct RTtexturesampler_;
struct RTgeometry_;
struct RTgeometryinstance_;
struct RTmaterial_;
struct RTgeometrygroup_;
struct RTgroup_;
struct RTselector_;
struct RTtransform_;
struct RTacceleration_;
using RTcontext = RTcontext_*;
using RTprogram = RTprogram_*;
using RTvariable = RTvariable_*;
using RTbuffer = RTbuffer_*;
using RTtexturesampler = RTtexturesampler_*;
using RTgeometry = RTgeometry_*;
using RTgeometryinstance = RTgeometryinstance_*;
using RTmaterial = RTmaterial_*;
using RTgeometrygroup = RTgeometrygroup_*;
using RTgroup = RTgroup_*;
using RTselector = RTselector_*;
using RTtransform = RTtransform_*;
using RTacceleration = RTacceleration_*;
using RTobject = void*;  // any object handle, for rtVariableSetObject and the child setters
using RTsize = std::size_t;

// The values are this runtime's own; only their distinctness matters.
// A fixed underlying type, so a caller's out-of-range value is a checked error, not undefined.
enum RTresult : int {
    RT_SUCCESS = 0,
    RT_ERROR_INVALID_CONTEXT = 1280,
    RT_ERROR_INVALID_VALUE,
    RT_ERROR_MEMORY_ALLOCATION_FAILED,
    RT_ERROR_TYPE_MISMATCH,
    RT_ERROR_VARIABLE_NOT_FOUND,
    RT_ERROR_VARIABLE_REDECLARED,
    RT_ERROR_INVALID_SOURCE,
    RT_ERROR_VERSION_MISMATCH,
    RT_ERROR_OBJECT_CREATION_FAILED,
    RT_ERROR_NO_DEVICE,
    RT_ERROR_FILE_NOT_FOUND,
    RT_ERROR_ALREADY_MAPPED,
    RT_ERROR_CONTEXT_CREATION_FAILED,
    RT_ERROR_LAUNCH_FAILED,
    RT_ERROR_UNKNOWN,
};

enum RTformat : int {
    RT_FORMAT_UNKNOWN = 0,
    RT_FORMAT_FLOAT,
    RT_FORMAT_FLOAT2,
    RT_FORMAT_FLOAT3,
    RT_FORMAT_FLOAT4,
    RT_FORMAT_INT3,
    RT_FORMAT_UNSIGNED_BYTE4,
    RT_FORMAT_USER,
};

enum RTbuffertype : int {
    RT_BUFFER_INPUT = 1,
    RT_BUFFER_OUTPUT = 2,
    RT_BUFFER_INPUT_OUTPUT = 3,
};

enum RTwrapmode : int { RT_WRAP_REPEAT = 0, RT_WRAP_CLAMP_TO_EDGE };
enum RTfiltermode : int { RT_FILTER_NEAREST = 0, RT_FILTER_LINEAR, RT_FILTER_NONE };
enum RTtextureindexmode : int {
    RT_TEXTURE_INDEX_NORMALIZED_COORDINATES = 0,
    RT_TEXTURE_INDEX_ARRAY_INDEX,
};
enum RTtexturereadmode : int {
    RT_TEXTURE_READ_ELEMENT_TYPE = 0,
    RT_TEXTURE_READ_NORMALIZED_FLOAT,
};

// Context.
RTresult rtContextCreate(RTcontext* context);
RTresult rtContextDestroy(RTcontext context);  // releases every object of the context
RTresult rtContextSetRayTypeCount(RTcontext context, unsigned int count);
RTresult rtContextSetEntryPointCount(RTcontext context, unsigned int count);
RTresult rtContextSetStackSize(RTcontext context, RTsize bytes);
RTresult rtContextDeclareVariable(RTcontext context, const char* name, RTvariable* v);
RTresult rtContextSetRayGenerationProgram(RTcontext context, unsigned int entry, RTprogram p);
RTresult rtContextSetMissProgram(RTcontext context, unsigned int rayType, RTprogram p);
RTresult rtContextValidate(RTcontext context);
// A launch of zero width or height succeeds and does nothing.
RTresult rtContextLaunch2D(RTcontext context, unsigned int entry, RTsize width, RTsize height);
// The text stays valid until the next call on that context. With a null context, or when the
// context's last failure had another code, the generic text of the code; otherwise the generic
// text followed by " (Details: <function>: <detail>)".
void rtContextGetErrorString(RTcontext context, RTresult code, const char** text);

// Programs: the file, read as given (relative to the current directory), must hold a .version
// directive and ".entry <name>"; the program is the built-in function of that name.
RTresult rtProgramCreateFromPTXFile(RTcontext context, const char* file, const char* name,
                                    RTprogram* program);
RTresult rtProgramDeclareVariable(RTprogram program, const char* name, RTvariable* v);
RTresult rtProgramDestroy(RTprogram program);

// Variables: the first set fixes the type; a set of another type is a type mismatch.
RTresult rtVariableSet1i(RTvariable v, int value);
RTresult rtVariableSet1ui(RTvariable v, unsigned int value);
RTresult rtVariableSet1f(RTvariable v, float value);
RTresult rtVariableSet3f(RTvariable v, float x, float y, float z);
RTresult rtVariableSet4f(RTvariable v, float x, float y, float z, float w);
RTresult rtVariableSetObject(RTvariable v, RTobject object);

// Buffers: zero-filled host memory, rows dense, 2D element (x, y) at y * width + x.
RTresult rtBufferCreate(RTcontext context, unsigned int type, RTbuffer* buffer);
RTresult rtBufferSetFormat(RTbuffer buffer, RTformat format);
RTresult rtBufferGetFormat(RTbuffer buffer, RTformat* format);
RTresult rtBufferSetElementSize(RTbuffer buffer, RTsize bytes);  // RT_FORMAT_USER only
RTresult rtBufferSetSize1D(RTbuffer buffer, RTsize width);
RTresult rtBufferSetSize2D(RTbuffer buffer, RTsize width, RTsize height);
RTresult rtBufferGetSize2D(RTbuffer buffer, RTsize* width, RTsize* height);
RTresult rtBufferMap(RTbuffer buffer, void** data);  // *data is null after a failure
RTresult rtBufferUnmap(RTbuffer buffer);
RTresult rtBufferDestroy(RTbuffer buffer);

// Texture samplers: ids count from 1 within a context; 0 is never a sampler's id.
RTresult rtTextureSamplerCreate(RTcontext context, RTtexturesampler* sampler);
RTresult rtTextureSamplerSetWrapMode(RTtexturesampler sampler, unsigned int dimension,
                                     RTwrapmode mode);
RTresult rtTextureSamplerSetFilteringModes(RTtexturesampler sampler, RTfiltermode minification,
                                           RTfiltermode magnification, RTfiltermode mipmapping);
RTresult rtTextureSamplerSetIndexingMode(RTtexturesampler sampler, RTtextureindexmode mode);
RTresult rtTextureSamplerSetReadMode(RTtexturesampler sampler, RTtexturereadmode mode);
RTresult rtTextureSamplerSetMaxAnisotropy(RTtexturesampler sampler, float value);
RTresult rtTextureSamplerSetMipLevelCount(RTtexturesampler sampler, unsigned int count);
RTresult rtTextureSamplerSetArraySize(RTtexturesampler sampler, unsigned int count);
// One buffer, at array index 0 and mip level 0.
RTresult rtTextureSamplerSetBuffer(RTtexturesampler sampler, unsigned int arrayIndex,
                                   unsigned int level, RTbuffer buffer);
RTresult rtTextureSamplerGetId(RTtexturesampler sampler, int* id);
RTresult rtTextureSamplerDestroy(RTtexturesampler sampler);

// Geometry: triangles. The index buffer (INT3) and vertex buffer (FLOAT3) are the geometry's
// variables named by its acceleration's "index_buffer_name" and "vertex_buffer_name"
// properties ("vertIndexBuffer" and "vertexBuffer" by default). Triangles past the primitive
// count, or with an index outside the vertex buffer, are never hit.
RTresult rtGeometryCreate(RTcontext context, RTgeometry* geometry);
RTresult rtGeometrySetBoundingBoxProgram(RTgeometry geometry, RTprogram program);
RTresult rtGeometrySetIntersectionProgram(RTgeometry geometry, RTprogram program);
RTresult rtGeometrySetPrimitiveCount(RTgeometry geometry, unsigned int count);
RTresult rtGeometryDeclareVariable(RTgeometry geometry, const char* name, RTvariable* v);
RTresult rtGeometryDestroy(RTgeometry geometry);

// Materials: a closest-hit and an any-hit program per ray type.
RTresult rtMaterialCreate(RTcontext context, RTmaterial* material);
RTresult rtMaterialSetClosestHitProgram(RTmaterial material, unsigned int rayType, RTprogram p);
RTresult rtMaterialSetAnyHitProgram(RTmaterial material, unsigned int rayType, RTprogram p);
RTresult rtMaterialDeclareVariable(RTmaterial material, const char* name, RTvariable* v);
RTresult rtMaterialDestroy(RTmaterial material);

// Geometry instances: a geometry with its materials and its own variable scope.
RTresult rtGeometryInstanceCreate(RTcontext context, RTgeometryinstance* instance);
RTresult rtGeometryInstanceSetGeometry(RTgeometryinstance instance, RTgeometry geometry);
RTresult rtGeometryInstanceSetMaterialCount(RTgeometryinstance instance, unsigned int count);
RTresult rtGeometryInstanceSetMaterial(RTgeometryinstance instance, unsigned int index,
                                       RTmaterial material);
RTresult rtGeometryInstanceDeclareVariable(RTgeometryinstance instance, const char* name,
                                           RTvariable* v);
RTresult rtGeometryInstanceDestroy(RTgeometryinstance instance);

// Nodes. A child count change keeps the children below the new count at their indices; new
// slots are empty, and empty slots are skipped when tracing. Setting a child at an index at or
// past the count is refused. Children of groups, selectors and transforms are groups,
// selectors, transforms or geometry groups; children of geometry groups are geometry
// instances; anything else is a type mismatch.
RTresult rtGeometryGroupCreate(RTcontext context, RTgeometrygroup* group);
RTresult rtGeometryGroupSetChildCount(RTgeometrygroup group, unsigned int count);
RTresult rtGeometryGroupGetChildCount(RTgeometrygroup group, unsigned int* count);
RTresult rtGeometryGroupSetChild(RTgeometrygroup group, unsigned int index,
                                 RTgeometryinstance instance);
RTresult rtGeometryGroupSetAcceleration(RTgeometrygroup group, RTacceleration acceleration);
RTresult rtGeometryGroupDestroy(RTgeometrygroup group);

RTresult rtGroupCreate(RTcontext context, RTgroup* group);
RTresult rtGroupSetChildCount(RTgroup group, unsigned int count);
RTresult rtGroupGetChildCount(RTgroup group, unsigned int* count);
RTresult rtGroupSetChild(RTgroup group, unsigned int index, RTobject child);
RTresult rtGroupSetAcceleration(RTgroup group, RTacceleration acceleration);
RTresult rtGroupDestroy(RTgroup group);

// Selectors: the visit program picks the child to trace, once per launch.
RTresult rtSelectorCreate(RTcontext context, RTselector* selector);
RTresult rtSelectorSetVisitProgram(RTselector selector, RTprogram program);
RTresult rtSelectorSetChildCount(RTselector selector, unsigned int count);
RTresult rtSelectorGetChildCount(RTselector selector, unsigned int* count);
RTresult rtSelectorSetChild(RTselector selector, unsigned int index, RTobject child);
RTresult rtSelectorDeclareVariable(RTselector selector, const char* name, RTvariable* v);
RTresult rtSelectorDestroy(RTselector selector);

// Transforms: matrix is 16 floats, row-major for column vectors (p' = M p, translation in
// elements 3, 7, 11); with transpose nonzero it is read transposed, so row-vector matrices
// with the translation in elements 12 to 14 go in as they are. A null inverse is computed.
// A singular matrix, or one with a NaN or infinite entry, is refused.
RTresult rtTransformCreate(RTcontext context, RTtransform* transform);
RTresult rtTransformSetChild(RTtransform transform, RTobject child);
RTresult rtTransformSetMatrix(RTtransform transform, int transpose, const float* matrix,
                              const float* inverse);
RTresult rtTransformGetMatrix(RTtransform transform, int transpose, float* matrix,
                              float* inverse);
RTresult rtTransformDestroy(RTtransform transform);

// Accelerations: builders "Sbvh", "Bvh", "Lbvh" (also "Trbvh", "MedianBvh", "NoAccel");
// traverser "Bvh". Properties "vertex_buffer_name", "index_buffer_name", "refit" and "refine"
// are used, others ignored. Marking dirty rebuilds at the next launch; the runtime also
// rebuilds when the geometry's buffers, primitive count or the graph changed.
RTresult rtAccelerationCreate(RTcontext context, RTacceleration* acceleration);
RTresult rtAccelerationSetBuilder(RTacceleration acceleration, const char* builder);
RTresult rtAccelerationSetTraverser(RTacceleration acceleration, const char* traverser);
RTresult rtAccelerationSetProperty(RTacceleration acceleration, const char* name,
                                   const char* value);
RTresult rtAccelerationMarkDirty(RTacceleration acceleration);
RTresult rtAccelerationDestroy(RTacceleration acceleration);
