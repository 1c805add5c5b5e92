#pragma once
// A mesh part's quads as the triangles the ray tracer intersects.

#include <cstdint>
#include <vector>

namespace raytrace {

struct RtTriangles {
    std::vector<std::int32_t> indices;  // three a triangle
    int skipped = 0;  // triangles with a corner outside the vertices, left out
};

// Each quad (i0, i1, i2, i3) gives (i0, i1, i2) and, unless two of i2, i3, i0 are equal,
// (i2, i3, i0). A triangle that names a vertex at or beyond vertexCount is left out and
// counted, so no intersection ever reads past the part's vertices.
RtTriangles RtTriangulateQuads(const std::uint32_t* quads, std::uint32_t quadCount,
                               std::uint32_t vertexCount);

}  // namespace raytrace
