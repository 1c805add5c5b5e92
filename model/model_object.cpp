#include "model/model_object.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstring>

PartTransform::PartTransform(const float* m) : angles{}, restAngles{} {
    std::memcpy(restMatrix, m, sizeof(restMatrix));
    std::memcpy(matrix, m, sizeof(matrix));
}

CModelObject::CModelObject() = default;

CModelObject::~CModelObject() = default;

void CModelObject::Clear() {
    m_ownedParts.clear();  // each part gives its display list back
    m_ownedTransforms.clear();
    std::fill(std::begin(m_nodes), std::end(m_nodes), ModelNode{});
    m_partCount = m_jointCount = m_nodeCount = m_faceCount = m_vertexCount = 0;
    m_type = -1;
}

void CModelObject::SetRotY(std::uint32_t i, float degrees) {
    if (i < kMaxInstances) m_rotY[i] = degrees;
}

void CModelObject::SetPosition(std::uint32_t i, const float* xyz) {
    if (i < kMaxInstances) std::memcpy(m_positions[i], xyz, sizeof(m_positions[i]));
}

void CModelObject::SetInstanceCount(std::int32_t n) { m_instanceCount = std::min(n, kMaxInstances); }

void CModelObject::GetPosition(float* out, std::int32_t i) const {
    std::memcpy(out, m_positions[i], sizeof(m_positions[i]));
}

bool CModelObject::IsOpaque() const {
    for (std::int32_t n = 0; n < m_nodeCount; ++n) {
        const ModelNode& node = m_nodes[n];
        if (node.type == kNodeMeshPart && node.part && !node.part->IsOpaque()) return false;
    }
    return true;
}

void CModelObject::WalkNodes(std::int32_t mode, const std::function<void(CMeshPart&)>& visit) {
    for (std::int32_t n = 0; n < m_nodeCount; ++n) {
        const ModelNode& node = m_nodes[n];
        switch (node.type) {
            case kNodeMeshPart:
                if (mode == 0 || (mode == 1 && node.part->IsTranslucent()) ||
                    (mode == 2 && !node.part->IsTranslucent())) {
                    visit(*node.part);
                }
                break;
            case kNodePopMatrix:
                glPopMatrix();
                break;
            case kNodePushMatrix:
                glPushMatrix();
                break;
            case kNodeJoint:
                glMultMatrixf(node.transform->matrix);
                break;
            default:
                break;
        }
    }
}

void CModelObject::VisitInstance(std::int32_t mode, std::int32_t i,
                                 const std::function<void(CMeshPart&)>& visit) {
    if (!m_visible || i < 0 || i >= kMaxInstances) return;
    glPushMatrix();
    glTranslatef(m_positions[i][0], m_positions[i][1], m_positions[i][2]);
    // Each rotation only when it is not exactly zero, z first as glRotatef composes.
    if (m_rotZ[i] != 0.0f) glRotatef(m_rotZ[i], 0, 0, 1);
    if (m_rotY[i] != 0.0f) glRotatef(m_rotY[i], 0, 1, 0);
    if (m_rotX[i] != 0.0f) glRotatef(m_rotX[i], 1, 0, 0);
    WalkNodes(mode, visit);
    glPopMatrix();
}

void CModelObject::DrawInstance(std::int32_t mode, std::int32_t i) {
    VisitInstance(mode, i, [](CMeshPart& part) { part.Draw(); });
}

void CModelObject::DrawInstances(std::int32_t mode, std::int32_t n) {
    const std::int32_t count = std::min(n, m_instanceCount);
    for (std::int32_t i = 0; i < count; ++i) DrawInstance(mode, i);
}

void CModelObject::Draw() { DrawInstances(0, m_instanceCount); }

void CModelObject::DrawOutline() {
    VisitInstance(0, 0, [](CMeshPart& part) { part.DrawOutline(); });
}
