#include "bench/rt/club_scene.h"

#include <algorithm>
#include <memory>

#include "model/matrix_stack.h"
#include "model/model_factory.h"
#include "model/vec_math.h"

namespace rtbench {
namespace {

// Quads as two triangles, the second left out when two of its corners coincide.
Mesh MeshOf(const CMeshPart& part) {
    Mesh mesh;
    const float* v = part.GetBaseVertices();
    mesh.vertices.assign(v, v + 3 * part.GetVertexCount());
    const std::uint32_t* q = part.GetQuads();
    for (std::uint32_t i = 0; i < part.GetQuadCount(); ++i) {
        const std::uint32_t a = q[4 * i], b = q[4 * i + 1], c = q[4 * i + 2], d = q[4 * i + 3];
        mesh.triangles.insert(mesh.triangles.end(), {a, b, c});
        if (c != d && d != a) mesh.triangles.insert(mesh.triangles.end(), {c, d, a});
    }
    return mesh;
}

void Grow(ClubScene& scene, const Mesh& mesh, const float* world) {
    for (std::size_t i = 0; i + 2 < mesh.vertices.size(); i += 3) {
        float p[3];
        Mat4TransformPoint(&mesh.vertices[i], world, p);
        for (int k = 0; k < 3; ++k) {
            scene.lower[k] = std::min(scene.lower[k], p[k]);
            scene.upper[k] = std::max(scene.upper[k], p[k]);
        }
    }
    scene.placedTriangles += mesh.triangles.size() / 3;
}

// Every part of every instance, with the matrices the drawing walks.
void AddModel(ClubScene& scene, const CModelObject& model) {
    std::vector<std::size_t> meshOfNode(static_cast<std::size_t>(model.GetNodeCount()), 0);
    for (std::int32_t n = 0; n < model.GetNodeCount(); ++n) {
        if (model.GetNode(n).type != kNodeMeshPart) continue;
        meshOfNode[static_cast<std::size_t>(n)] = scene.meshes.size();
        scene.meshes.push_back(MeshOf(*model.GetNode(n).part));
    }
    for (std::int32_t i = 0; i < model.GetInstanceCount(); ++i) {
        float position[3], rotation[16], translation[16], instance[16];
        model.GetPosition(position, i);
        Mat4RotateXYZ(rotation, 0, DegToRad(model.GetRotY(i)), 0);
        Mat4Translation(translation, position[0], position[1], position[2]);
        Mat4Multiply(rotation, translation, instance);
        MatrixStack stack;
        for (std::int32_t n = 0; n < model.GetNodeCount(); ++n) {
            const ModelNode& node = model.GetNode(n);
            if (node.type == kNodePushMatrix) stack.Push();
            if (node.type == kNodePopMatrix) stack.Pop();
            if (node.type == kNodeJoint) stack.MultTop(node.transform->restMatrix);
            if (node.type != kNodeMeshPart) continue;
            float part[16];
            Placement placed{meshOfNode[static_cast<std::size_t>(n)], {}};
            stack.GetTop(part);
            Mat4Multiply(part, instance, placed.rowVectors.data());
            Grow(scene, scene.meshes[placed.mesh], placed.rowVectors.data());
            scene.placements.push_back(placed);
        }
    }
}

}  // namespace

ClubScene LoadClubScene() {
    ClubScene scene;
    std::vector<const ModelRecord*> records{&ClubRecord};
    for (const ModelRecord& prop : PropRecords) records.push_back(&prop);
    for (const ModelRecord* record : records) {
        auto model = std::make_unique<CModelObject>();
        if (model->Load(PropModelPath(*record).c_str(), *record, 1) != kLoadOk) continue;
        PlaceInstances(model.get(), *record);
        AddModel(scene, *model);
    }
    return scene;
}

}  // namespace rtbench
