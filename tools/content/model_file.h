#pragma once
// Builds model files in memory and writes them: mesh parts, matrix push and pop markers and
// joint matrices, in the chunked big-endian format the loader reads. A file that breaks the
// format's constraints is refused, never written.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace content {

// One mesh part as authored: faces wind counter-clockwise seen from their front side (the
// side the normals point to). Triangles repeat their third index.
struct Mesh {
    std::vector<float> positions;   // 3 per vertex
    std::vector<float> normals;     // 3 per vertex, unit, outward
    std::vector<float> colors;      // 3 per vertex, or empty when the faces carry the colours
    std::vector<float> faceColors;  // 3 per face, or empty
    std::vector<float> uv;          // 2 per vertex, or empty
    std::vector<std::uint32_t> quads;
    float color[3] = {1, 1, 1};  // the part's own colour

    std::uint32_t VertexCount() const { return static_cast<std::uint32_t>(positions.size() / 3); }
    std::uint32_t FaceCount() const { return static_cast<std::uint32_t>(quads.size() / 4); }
};

// Paints the part by faces instead of vertices: each face takes its first corner's colour, the
// vertex colours are dropped and the part's own colour becomes its first vertex's. The
// loader's hair-colour marker replaces face colours only.
void UseFaceColors(Mesh* mesh);

class ModelFile {
public:
    void AddPart(Mesh mesh);
    void Push();
    void Pop();
    void Joint(const float* matrix);  // 16 floats, affine

    // Empty when the file keeps the format's constraints for a record with this many parts.
    std::string Check(std::uint64_t maxParts) const;
    std::vector<std::uint8_t> Bytes() const;
    std::size_t NodeCount() const { return m_nodes.size(); }

private:
    struct Node {
        std::int32_t tag;
        Mesh mesh;
        float matrix[16];
    };
    std::vector<Node> m_nodes;
};

// Checks the file against the record's part count and writes it; false (with a message on
// standard error) when the file is refused or cannot be written.
bool WriteModelFile(const std::filesystem::path& path, const ModelFile& file,
                    std::uint64_t maxParts);

bool WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

}  // namespace content
