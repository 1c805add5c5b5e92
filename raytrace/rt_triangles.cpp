#include "raytrace/rt_triangles.h"

#include <initializer_list>

namespace raytrace {

namespace {

void AddTriangle(RtTriangles& out, std::uint32_t a, std::uint32_t b, std::uint32_t c,
                 std::uint32_t vertexCount) {
    if (a >= vertexCount || b >= vertexCount || c >= vertexCount) {
        ++out.skipped;
        return;
    }
    for (const std::uint32_t i : {a, b, c}) out.indices.push_back(static_cast<std::int32_t>(i));
}

}  // namespace

RtTriangles RtTriangulateQuads(const std::uint32_t* quads, std::uint32_t quadCount,
                               std::uint32_t vertexCount) {
    RtTriangles out;
    if (!quads) return out;
    out.indices.reserve(6 * static_cast<std::size_t>(quadCount));
    for (std::uint32_t q = 0; q < quadCount; ++q) {
        const std::uint32_t* i = quads + 4 * static_cast<std::size_t>(q);
        AddTriangle(out, i[0], i[1], i[2], vertexCount);
        if (i[2] != i[3] && i[3] != i[0] && i[2] != i[0]) AddTriangle(out, i[2], i[3], i[0], vertexCount);
    }
    return out;
}

}  // namespace raytrace
