#include "animation/dancer_rig.h"

const float* RestTranslation(const PartTransform& joint) { return joint.restMatrix + 12; }

CMeshPart* DeformPart(const CModelObject& model, int entry, bool writesNormals) {
    const std::int32_t node = DeformPartIndex[entry];
    if (node < 0 || node >= model.GetNodeCount()) return nullptr;
    const ModelNode& n = model.GetNode(node);
    if (n.type != kNodeMeshPart || n.part == nullptr || n.part->IsIncomplete()) return nullptr;
    if (writesNormals && n.part->GetNormals() == nullptr) return nullptr;
    return n.part;
}
