#include "tools/content/model_file.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <fstream>

namespace content {
namespace {

constexpr std::size_t kMaxNodes = 200;

void PutWord(std::vector<std::uint8_t>* out, std::uint32_t w) {
    for (int shift = 24; shift >= 0; shift -= 8) out->push_back((w >> shift) & 0xFF);
}

void PutFloats(std::vector<std::uint8_t>* out, const std::vector<float>& values) {
    for (float f : values) PutWord(out, std::bit_cast<std::uint32_t>(f));
}

bool AllFinite(const std::vector<float>& values) {
    for (float f : values) {
        if (!std::isfinite(f)) return false;
    }
    return true;
}

std::string CheckMesh(const Mesh& m) {
    const std::uint64_t v = m.VertexCount();
    const std::uint64_t f = m.FaceCount();
    if (m.positions.size() % 3 || m.quads.size() % 4) return "ragged arrays";
    if (f == 0) return "a part without faces";
    if (v > 4 * f) return "more vertices than corners";
    if (m.normals.size() != 3 * v) return "a vertex array is short";
    if (m.colors.empty() && m.faceColors.empty()) return "a part without colours";
    if (!m.colors.empty() && m.colors.size() != 3 * v) return "vertex colours are short";
    if (!m.faceColors.empty() && m.faceColors.size() != 3 * f) return "face colours are short";
    if (!m.uv.empty() && m.uv.size() != 2 * v) return "texture coordinates are short";
    for (std::uint32_t i : m.quads) {
        if (i >= v) return "an index beyond the vertices";
    }
    if (!AllFinite(m.positions) || !AllFinite(m.normals) || !AllFinite(m.colors) ||
        !AllFinite(m.faceColors) || !AllFinite(m.uv)) {
        return "a non-finite number";
    }
    return {};
}

}  // namespace

void UseFaceColors(Mesh* mesh) {
    // A mesh the writer refuses stays as it is, to be refused with its own message.
    if (mesh->colors.empty() || !CheckMesh(*mesh).empty()) return;
    mesh->faceColors.clear();
    for (std::size_t q = 0; q < mesh->quads.size(); q += 4) {
        const float* c = &mesh->colors[3 * std::size_t{mesh->quads[q]}];
        mesh->faceColors.insert(mesh->faceColors.end(), c, c + 3);
    }
    std::copy(mesh->colors.begin(), mesh->colors.begin() + 3, mesh->color);
    mesh->colors.clear();
}

void ModelFile::AddPart(Mesh mesh) { m_nodes.push_back({1, std::move(mesh), {}}); }
void ModelFile::Pop() { m_nodes.push_back({2, {}, {}}); }
void ModelFile::Push() { m_nodes.push_back({3, {}, {}}); }

void ModelFile::Joint(const float* matrix) {
    Node node{4, {}, {}};
    std::copy(matrix, matrix + 16, node.matrix);
    m_nodes.push_back(std::move(node));
}

std::string ModelFile::Check(std::uint64_t maxParts) const {
    if (m_nodes.size() > kMaxNodes) return "more than 200 nodes";
    std::uint64_t parts = 0;
    for (const Node& node : m_nodes) {
        if (node.tag == 1) {
            ++parts;
            std::string error = CheckMesh(node.mesh);
            if (!error.empty()) return "part " + std::to_string(parts - 1) + ": " + error;
        }
        if (node.tag == 4) {
            const float* m = node.matrix;
            if (m[3] != 0 || m[7] != 0 || m[11] != 0 || m[15] != 1) return "a non-affine joint";
            if (!AllFinite(std::vector<float>(m, m + 16))) return "a non-finite joint";
        }
    }
    if (parts > maxParts) return "more parts than the record has entries";
    return {};
}

std::vector<std::uint8_t> ModelFile::Bytes() const {
    std::vector<std::uint8_t> out;
    for (const Node& node : m_nodes) {
        PutWord(&out, static_cast<std::uint32_t>(node.tag));
        if (node.tag == 4) {
            PutWord(&out, 72);
            PutFloats(&out, std::vector<float>(node.matrix, node.matrix + 16));
            continue;
        }
        if (node.tag != 1) {
            PutWord(&out, 8);
            continue;
        }
        // Vertex normals always; each colour array and the texture coordinates when the part
        // has them. The presence flags go in the order the arrays follow.
        const Mesh& m = node.mesh;
        const std::uint32_t v = m.VertexCount();
        const std::uint32_t f = m.FaceCount();
        const bool faceColors = !m.faceColors.empty();
        const bool vertexColors = !m.colors.empty();
        const bool uv = !m.uv.empty();
        PutWord(&out, 48 + 12 * v + 16 * f + (faceColors ? 12 * f : 0) +
                          (vertexColors ? 12 * v : 0) + 12 * v + (uv ? 8 * v : 0));
        PutWord(&out, v);
        PutWord(&out, f);
        for (bool present : {faceColors, vertexColors, false, true, uv}) {
            PutWord(&out, present ? 1 : 0);
        }
        PutFloats(&out, {m.color[0], m.color[1], m.color[2]});
        PutFloats(&out, m.positions);
        for (std::uint32_t i : m.quads) PutWord(&out, i);
        PutFloats(&out, m.faceColors);
        PutFloats(&out, m.colors);
        PutFloats(&out, m.normals);
        PutFloats(&out, m.uv);
    }
    PutWord(&out, 0);
    PutWord(&out, 8);
    return out;
}

bool WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file);
}

bool WriteModelFile(const std::filesystem::path& path, const ModelFile& file,
                    std::uint64_t maxParts) {
    const std::string error = file.Check(maxParts);
    if (!error.empty()) {
        std::fprintf(stderr, "refusing to write %s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    if (!WriteBytes(path, file.Bytes())) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

}  // namespace content
