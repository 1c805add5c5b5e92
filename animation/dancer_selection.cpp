#include "animation/dancer_selection.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "animation/view_options.h"
#include "model/report_message.h"
#include "model/model_factory.h"

namespace {

// The owners behind Dancer and DancerShadow.
std::unique_ptr<CHumanObject> g_dancer;
std::unique_ptr<CHumanObject> g_shadow;

void ClearDeformPartIndex() { std::fill_n(DeformPartIndex, kDeformPartEntries, -1); }

}  // namespace

std::unique_ptr<CHumanObject> CreateDancer(int variant, const ModelRecord* record) {
    auto dancer = std::make_unique<CHumanObject>();
    // Entries of an earlier dancer kind must not outlive her.
    ClearDeformPartIndex();
    const int result = dancer->Load(DancerModelPath(variant, *record).c_str(), *record, 0);
    DancerAvailable[record->type] = result == kLoadOk ? 1 : 0;
    if (result != kLoadOk) {
        ClearDeformPartIndex();
        const std::string text = std::string("I couldn't find ") + record->name + ".dat!";
        ReportMessage(text.c_str(), ReportCategory::Fatal);
        return nullptr;
    }
    PlaceInstances(dancer.get(), *record);
    return dancer;
}

std::unique_ptr<CHumanObject> CreateDancerShadow(int variant, const ModelRecord* record,
                                                 const CModelObject& dancer) {
    auto shadow = std::make_unique<CHumanObject>();
    // The loader writes the shadow's node indices; the deformations move the dancer's parts.
    std::int32_t dancerEntries[kDeformPartEntries];
    std::copy_n(DeformPartIndex, kDeformPartEntries, dancerEntries);
    const int result = shadow->Load(DancerShadowPath(variant, *record).c_str(), *record, 1);
    std::copy_n(dancerEntries, kDeformPartEntries, DeformPartIndex);
    // The pose is handed over node by node, so the layouts must agree.
    if (result != kLoadOk || !SameNodeTypes(*shadow, dancer)) {
        RenderShadows = 0;
        ShadowsAvailable = 0;
        return nullptr;
    }
    PlaceInstances(shadow.get(), *record);
    return shadow;
}

void ReleaseDancers() {
    Dancer = nullptr;
    DancerShadow = nullptr;
    g_dancer.reset();
    g_shadow.reset();
}

int SelectDancer(int variant, int index) {
    if (index < 0 || index >= kDancerCount) return 0;
    ReleaseDancers();
    CurrentDancer = index;
    g_dancer = CreateDancer(variant, &DancerRecords[index]);
    Dancer = g_dancer.get();
    if (!Dancer) return 0;
    g_shadow = CreateDancerShadow(variant, &DancerRecords[index], *Dancer);
    DancerShadow = g_shadow.get();
    return 1;
}

void CopyPartTransforms(const CModelObject* source, CModelObject* target) {
    if (!target) return;
    // Nodes the target lacks have nothing to take the pose.
    const std::int32_t count = std::min(source->GetNodeCount(), target->GetNodeCount());
    for (std::int32_t i = 0; i < count; ++i) {
        const ModelNode& from = source->GetNode(i);
        const ModelNode& to = target->GetNode(i);
        if (from.type != kNodeJoint || !from.transform || !to.transform) continue;
        std::memcpy(to.transform->matrix, from.transform->matrix, sizeof(to.transform->matrix));
    }
}

bool SameNodeTypes(const CModelObject& a, const CModelObject& b) {
    if (a.GetNodeCount() != b.GetNodeCount()) return false;
    for (std::int32_t i = 0; i < a.GetNodeCount(); ++i) {
        if (a.GetNode(i).type != b.GetNode(i).type) return false;
    }
    return true;
}
