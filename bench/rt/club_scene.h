#pragma once
// The fixed benchmark scene: the generated club and every prop, loaded by the model loader,
// as meshes placed in the world by their instance and part matrices.

#include <array>
#include <cstdint>
#include <vector>

namespace rtbench {

struct Mesh {
    std::vector<float> vertices;           // x, y, z per vertex
    std::vector<std::uint32_t> triangles;  // three indices per triangle
};

struct Placement {
    std::size_t mesh;
    std::array<float, 16> rowVectors;  // the world matrix as the engine keeps it (p x M)
};

struct ClubScene {
    std::vector<Mesh> meshes;
    std::vector<Placement> placements;
    float lower[3] = {1e30f, 1e30f, 1e30f};  // world bounds
    float upper[3] = {-1e30f, -1e30f, -1e30f};
    std::size_t placedTriangles = 0;
};

// Loads from "Models/" below the current directory; empty when the club is missing.
ClubScene LoadClubScene();

}  // namespace rtbench
