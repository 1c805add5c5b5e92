#pragma once
// A loaded model: a flat node list of mesh parts, matrix push and pop markers and joint
// matrices, up to 50 placed copies (instances) and the counts the statistics show.

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "model/mesh_part.h"
#include "model/model_catalogue.h"

constexpr int kMaxInstances = 50;
constexpr int kMaxNodes = 200;
constexpr int kDeformPartEntries = 5;

// Node-list indices of the mesh parts that the dance deformations move; -1 until a dancer-type
// model is loaded (the loader writes them).
extern std::int32_t DeformPartIndex[kDeformPartEntries];

// A joint: the matrix a model file's matrix chunk creates, and the angles the dance motion
// builds its current matrix from.
struct PartTransform {
    float angles[3];      // radians, the angles of the current matrix
    float restAngles[3];  // radians, the pose the motion returns to
    float restMatrix[16];
    float matrix[16];     // the current matrix, which drawing multiplies by

    explicit PartTransform(const float* m);
};

enum ModelNodeType : std::uint32_t {
    kNodeMeshPart = 1,
    kNodePopMatrix = 2,
    kNodePushMatrix = 3,
    kNodeJoint = 4,
};

struct ModelNode {
    std::uint32_t type = 0;
    PartTransform* transform = nullptr;  // joint nodes only
    CMeshPart* part = nullptr;           // mesh-part nodes only
};

// Load results.
constexpr int kLoadOk = 0;
constexpr int kLoadNoFile = -1;  // missing, unreadable or malformed: the model stays empty
constexpr int kLoadNoMemory = -2;

class CModelObject {
public:
    CModelObject();
    virtual ~CModelObject();
    CModelObject(const CModelObject&) = delete;
    CModelObject& operator=(const CModelObject&) = delete;

    // Reads "current directory/path" (backslashes count as slashes) with the material rules
    // of the record; noTextures loads no texture and marks every part no-colour.
    virtual int Load(const char* path, ModelRecord record, int noTextures);
    // The same on bytes already in memory: fails on a malformed file, leaving the model empty.
    int LoadBytes(std::span<const std::uint8_t> bytes, const ModelRecord& record,
                  int noTextures);

    void SetRotY(std::uint32_t i, float degrees);
    void SetPosition(std::uint32_t i, const float* xyz);
    void SetInstanceCount(std::int32_t n);
    void SetVisible(std::int32_t visible) { m_visible = visible; }
    std::int32_t IsVisible() const { return m_visible; }
    std::int32_t GetInstanceCount() const { return m_instanceCount; }
    std::int32_t GetNodeCount() const { return m_nodeCount; }
    std::int32_t GetFaceCount() const { return m_faceCount; }
    std::int32_t GetVertexCount() const { return m_vertexCount; }
    std::int32_t GetPartCount() const { return m_partCount; }
    std::int32_t GetJointCount() const { return m_jointCount; }
    std::int32_t GetType() const { return m_type; }
    void GetPosition(float* out, std::int32_t i) const;
    float GetRotY(std::int32_t i) const { return m_rotY[i]; }
    float GetRotX(std::int32_t i) const { return m_rotX[i]; }
    float GetRotZ(std::int32_t i) const { return m_rotZ[i]; }
    const ModelNode& GetNode(std::int32_t i) const { return m_nodes[i]; }
    // Node index of joint k and of mesh part p; the caller keeps k and p below their counts.
    std::int32_t GetJointNode(std::int32_t k) const { return m_jointNodes[k]; }
    std::int32_t GetPartNode(std::int32_t p) const { return m_partNodes[p]; }
    CMeshPart* GetPart(std::int32_t p) const { return m_nodes[m_partNodes[p]].part; }

    // Every mesh part is opaque (CMeshPart::IsOpaque).
    bool IsOpaque() const;

    static std::int32_t IsDancerType(std::int32_t type) { return type >= 0 && type <= 6; }

    // mode 0 every part, 1 translucent parts only, 2 the others.
    void DrawInstance(std::int32_t mode, std::int32_t i);
    void DrawInstances(std::int32_t mode, std::int32_t n);
    void Draw();
    void DrawOutline();
    // Walks instance i with the matrix operations of drawing but calls visit, with the
    // model-view matrix of the part in force, for each mesh part that mode selects instead of
    // drawing it.
    void VisitInstance(std::int32_t mode, std::int32_t i,
                       const std::function<void(CMeshPart&)>& visit);

    // Recolours the skin tones of a dancer's vertex colours (RGB) in place.
    static void RecolorSkin(int vertexCount, int modelType, float* rgb, const float* xyz);

protected:
    void Clear();  // back to the constructed state; releases parts, joints and lists
    void WalkNodes(std::int32_t mode, const std::function<void(CMeshPart&)>& visit);

    std::int32_t m_instanceCount = 0;
    float m_rotX[kMaxInstances] = {};
    float m_rotY[kMaxInstances] = {};
    float m_rotZ[kMaxInstances] = {};
    float m_positions[kMaxInstances][3] = {};
    std::int32_t m_partCount = 0;
    std::int32_t m_jointCount = 0;
    std::int32_t m_nodeCount = 0;
    std::int32_t m_faceCount = 0;
    std::int32_t m_vertexCount = 0;
    std::int32_t m_visible = 1;
    std::int32_t m_type = -1;
    std::int32_t m_jointNodes[kMaxNodes] = {};
    std::int32_t m_partNodes[kMaxNodes] = {};
    ModelNode m_nodes[kMaxNodes];
    // Owners of what the nodes point at.
    std::vector<std::unique_ptr<CMeshPart>> m_ownedParts;
    std::vector<std::unique_ptr<PartTransform>> m_ownedTransforms;
};
