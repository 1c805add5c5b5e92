#include "model/part_chunks.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "model/mesh_part.h"

namespace {

// Cells along the longest side of the part's bounds: enough for chunks of about this many
// quads on a flat part, at most the cap; the other sides get as many as keep the cells about
// cubic, at least one. A small part stays one chunk, skipped or drawn whole.
constexpr float kQuadsPerChunk = 128;
constexpr int kMaxCellsAlongLongestSide = 8;

int CellsAlongLongestSide(std::uint32_t quads) {
    const long cells = std::lround(std::sqrt(static_cast<float>(quads) / kQuadsPerChunk));
    return static_cast<int>(std::clamp(cells, 1L, long{kMaxCellsAlongLongestSide}));
}

using Vec3 = std::array<float, 3>;

struct Bounds {
    Vec3 min = {INFINITY, INFINITY, INFINITY};
    Vec3 max = {-INFINITY, -INFINITY, -INFINITY};
    void Add(const float* p) {
        for (int k = 0; k < 3; ++k) {
            min[k] = std::min(min[k], p[k]);
            max[k] = std::max(max[k], p[k]);
        }
    }
};

Bounds PartBounds(const CMeshPart& part) {
    Bounds b;
    const float* xyz = part.GetVertices();
    for (std::uint32_t v = 0; v < part.GetVertexCount(); ++v) b.Add(xyz + 3 * v);
    return b;
}

struct Grid {
    Bounds bounds;
    std::array<int, 3> cells;

    Grid(const Bounds& b, int cellsAlongLongest) : bounds(b) {
        const float longest = std::max({b.max[0] - b.min[0], b.max[1] - b.min[1],
                                        b.max[2] - b.min[2], 1e-6f});
        for (int k = 0; k < 3; ++k) {
            const float share = (b.max[k] - b.min[k]) / longest;
            cells[k] = std::max(1, static_cast<int>(std::lround(share * cellsAlongLongest)));
        }
    }
    int CellCount() const { return cells[0] * cells[1] * cells[2]; }
    int CellOf(const float* p) const {
        int index = 0;
        for (int k = 0; k < 3; ++k) {
            const float extent = bounds.max[k] - bounds.min[k];
            const float t = extent > 0 ? (p[k] - bounds.min[k]) / extent : 0.0f;
            const int c = std::clamp(static_cast<int>(t * cells[k]), 0, cells[k] - 1);
            index = index * cells[k] + c;
        }
        return index;
    }
};

Vec3 QuadCentre(const float* xyz, const std::uint32_t* quad) {
    Vec3 c = {0, 0, 0};
    for (int corner = 0; corner < 4; ++corner) {
        for (int k = 0; k < 3; ++k) c[k] += xyz[3 * quad[corner] + k] * 0.25f;
    }
    return c;
}

}  // namespace

PartChunks::PartChunks(const CMeshPart& part) : m_textures(DisplayTextures) {
    const std::uint32_t* quads = part.GetQuads();
    const float* xyz = part.GetVertices();
    const Grid grid(PartBounds(part), CellsAlongLongestSide(part.GetQuadCount()));
    std::vector<std::vector<std::uint32_t>> cellQuads(grid.CellCount());
    for (std::uint32_t q = 0; q < part.GetQuadCount(); ++q) {
        const std::uint32_t* quad = quads + 4 * q;
        const Vec3 centre = QuadCentre(xyz, quad);
        std::vector<std::uint32_t>& cell = cellQuads[grid.CellOf(centre.data())];
        cell.insert(cell.end(), quad, quad + 4);
    }
    for (const std::vector<std::uint32_t>& cell : cellQuads) {
        if (cell.empty()) continue;
        QuadChunk chunk;
        chunk.list = glGenLists(1);
        if (chunk.list == 0) {  // all chunks or none: a part drawn in part would lose quads
            for (const QuadChunk& made : m_chunks) glDeleteLists(made.list, 1);
            m_chunks.clear();
            return;
        }
        Bounds b;
        for (std::uint32_t index : cell) b.Add(xyz + 3 * index);
        std::copy(b.min.begin(), b.min.end(), chunk.min);
        std::copy(b.max.begin(), b.max.end(), chunk.max);
        part.DrawQuads(chunk.list, cell.data(), static_cast<std::uint32_t>(cell.size() / 4));
        m_chunks.push_back(chunk);
    }
}

PartChunks::~PartChunks() {
    for (const QuadChunk& chunk : m_chunks) glDeleteLists(chunk.list, 1);
}

void PartChunks::Draw(const ChunkFilter& filter) const {
    for (const QuadChunk& chunk : m_chunks) {
        if (filter.MayShow(chunk.min, chunk.max)) glCallList(chunk.list);
    }
}
