// One mesh part's geometry and buffers, its texture, and the plain floor.

#include <cstring>
#include <vector>

#include "model/gif_decoder.h"
#include "model/mesh_part.h"
#include "raytrace/rt_context.h"
#include "raytrace/rt_scene.h"
#include "raytrace/rt_scene_parts.h"
#include "raytrace/rt_triangles.h"

namespace raytrace {

namespace {

// An input buffer of count elements filled from bytes through map and unmap; unreported, as
// the whole scene build is.
RTbuffer CreateInputBuffer(RTformat format, std::size_t count, const void* bytes,
                           std::size_t size, RTcontext context) {
    RTbuffer buffer = nullptr;
    rtBufferCreate(context, RT_BUFFER_INPUT, &buffer);
    rtBufferSetFormat(buffer, format);
    rtBufferSetSize1D(buffer, count);
    if (size == 0) return buffer;
    void* data = nullptr;
    if (rtBufferMap(buffer, &data) == RT_SUCCESS && data) {
        std::memcpy(data, bytes, size);
        rtBufferUnmap(buffer);
    }
    return buffer;
}

RTvariable DeclareGeometryVariable(RTgeometry geometry, const char* name) {
    RTvariable v = nullptr;
    rtGeometryDeclareVariable(geometry, name, &v);
    return v;
}

void SetGeometryInt(RTgeometry geometry, const char* name, int value) {
    rtVariableSet1i(DeclareGeometryVariable(geometry, name), value);
}

std::vector<float> NegatedNormals(const float* normals, std::uint32_t count) {
    std::vector<float> out(3 * static_cast<std::size_t>(count));
    for (std::size_t k = 0; k < out.size(); ++k) out[k] = -normals[k];
    return out;
}

}  // namespace

int RtCreateMeshGeometry(const CMeshPart& part, RTvariable* colourSlot, int meshIndex,
                         RtSceneObject& record) {
    const RTcontext context = RtState.context;
    const std::uint32_t count = part.GetVertexCount();
    RTgeometry& geometry = record.geometries[meshIndex];
    rtGeometryCreate(context, &geometry);
    rtGeometrySetBoundingBoxProgram(geometry, RtState.meshBounds);
    rtGeometrySetIntersectionProgram(geometry, RtState.meshIntersect);
    RTvariable vertexVar = DeclareGeometryVariable(geometry, "vertexBuffer");
    RTvariable normalVar = DeclareGeometryVariable(geometry, "normalBuffer");
    RTvariable colorVar = DeclareGeometryVariable(geometry, "colorBuffer");
    RTvariable texVar = DeclareGeometryVariable(geometry, "textBuffer");
    RTvariable indexVar = DeclareGeometryVariable(geometry, "vertIndexBuffer");

    // The rest shape, whatever pose the part is in now: a deforming part built mid-dance is
    // refreshed with its current positions by the next frame. A part without positions still
    // gets one (0, 0, 0) per vertex.
    const float* base = part.GetBaseVertices();
    const std::vector<float> origin(base ? 0 : 3 * static_cast<std::size_t>(count));
    const float* positions = base ? base : origin.data();
    record.vertexBuffers[meshIndex] =
        CreateInputBuffer(RT_FORMAT_FLOAT3, count, positions, 12u * count, context);
    rtVariableSetObject(vertexVar, record.vertexBuffers[meshIndex]);

    const bool normals = part.HasVertexNormals() && part.GetBaseNormals();
    const std::vector<float> negated =
        normals ? NegatedNormals(part.GetBaseNormals(), count) : std::vector<float>{};
    record.normalBuffers[meshIndex] = CreateInputBuffer(
        RT_FORMAT_FLOAT3, normals ? count : 0, negated.data(), 4 * negated.size(), context);
    rtVariableSetObject(normalVar, record.normalBuffers[meshIndex]);
    SetGeometryInt(geometry, "hasVertexNormals", normals ? 1 : 0);

    const bool colours = (part.HasFaceColors() || part.HasVertexColors()) && part.GetColors();
    record.colorBuffers[meshIndex] = CreateInputBuffer(
        RT_FORMAT_FLOAT4, colours ? count : 0, part.GetColors(), colours ? 16u * count : 0, context);
    if (!colours) {
        RTvariable meshColor = DeclareGeometryVariable(geometry, "meshColor");
        if (colourSlot) *colourSlot = meshColor;
        const float* c = part.GetColor();
        rtVariableSet4f(meshColor, c[0], c[1], c[2], 1.0f);
    }
    rtVariableSetObject(colorVar, record.colorBuffers[meshIndex]);
    SetGeometryInt(geometry, "hasVertexColors", colours ? 1 : 0);

    const bool uv = part.IsTextured() && part.GetTexCoords();
    record.texCoordBuffers[meshIndex] = CreateInputBuffer(
        RT_FORMAT_FLOAT2, uv ? count : 0, part.GetTexCoords(), uv ? 8u * count : 0, context);
    rtVariableSetObject(texVar, record.texCoordBuffers[meshIndex]);
    SetGeometryInt(geometry, "hasVertexUV", uv ? 1 : 0);

    const RtTriangles triangles = RtTriangulateQuads(part.GetQuads(), part.GetQuadCount(), count);
    record.skippedTriangles += triangles.skipped;
    // The buffer keeps room for two triangles a quad; the primitive count says how many hold.
    std::vector<std::int32_t> indices = triangles.indices;
    indices.resize(6 * static_cast<std::size_t>(part.GetQuadCount()), 0);
    record.indexBuffers[meshIndex] =
        CreateInputBuffer(RT_FORMAT_INT3, 2 * static_cast<std::size_t>(part.GetQuadCount()),
                          indices.data(), 4 * indices.size(), context);
    rtVariableSetObject(indexVar, record.indexBuffers[meshIndex]);
    rtGeometrySetPrimitiveCount(geometry, static_cast<unsigned>(triangles.indices.size() / 3));
    return 0;
}

int RtCreateTexture(int meshIndex, RtSceneObject& record, const char* path, int repeat) {
    std::vector<std::uint8_t> indices;
    std::uint8_t palette[kGifPaletteBytes] = {};
    std::int32_t width = 64;
    std::int32_t height = 64;
    if (!GifDecodeImage(path, indices, palette, width, height)) return 1;
    const RTcontext context = RtState.context;
    RTbuffer& buffer = record.textureBuffers[meshIndex];
    rtBufferCreate(context, RT_BUFFER_INPUT, &buffer);
    rtBufferSetFormat(buffer, RT_FORMAT_UNSIGNED_BYTE4);
    rtBufferSetSize2D(buffer, static_cast<RTsize>(width), static_cast<RTsize>(height));
    void* data = nullptr;
    if (rtBufferMap(buffer, &data) == RT_SUCCESS && data) {
        auto* texel = static_cast<std::uint8_t*>(data);
        for (const std::uint8_t index : indices) {
            std::memcpy(texel, palette + 3 * index, 3);
            texel[3] = 255;
            texel += 4;
        }
        rtBufferUnmap(buffer);
    }
    // The club's textures tile and are smoothed; the others stop at their edge, texel-sharp.
    const int id = RtCreateSampler(record.textureSamplers[meshIndex],
                                   repeat ? RT_WRAP_REPEAT : RT_WRAP_CLAMP_TO_EDGE,
                                   repeat ? RT_FILTER_LINEAR : RT_FILTER_NEAREST, buffer);
    RTvariable texId = nullptr;
    rtGeometryInstanceDeclareVariable(record.geometryInstances[meshIndex], "texId", &texId);
    rtVariableSet1i(texId, id);
    return 0;
}

int RtBuildFloorGeometry(RTmaterial material, RtSceneObject& record) {
    CMeshPart floor;
    const float vertices[] = {9000, 0, -9000, 9000, 0, 9000, -9000, 0, 9000, -9000, 0, -9000};
    const float normals[] = {0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0};
    const float colours[] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    const std::uint32_t quad[] = {0, 1, 2, 3};
    floor.SetVertexCount(4);
    floor.SetQuadCount(1);
    floor.SetHasVertexNormals(1);
    floor.SetHasVertexColors(1);
    floor.SetVertices(vertices);
    floor.SetNormals(normals);
    floor.SetColors(colours);
    floor.SetQuads(quad);
    const int result = RtCreateMeshGeometry(floor, nullptr, 0, record);
    RTgeometryinstance& instance = record.geometryInstances[0];
    RtCreateGeometryInstance(record.geometries[0], material, instance);
    RtSetInstanceFloat3(instance, "ambientLightColor", 0.05f);
    for (const char* name : {"isLuminous", "isTextured", "isShiny", "isReflective", "isToon"}) {
        RtSetInstanceInt(instance, name, 0);
    }
    RtCreatePartGroup(record, 0, {"Bvh", "Bvh", false, true});
    RtCreateModelGroup(record, 1, [&](unsigned) -> RTobject { return record.geometryGroups[0]; });
    record.meshCount = 1;
    return result;
}

}  // namespace raytrace
