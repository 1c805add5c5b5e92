#include "model/model_factory.h"

void PlaceInstances(CModelObject* model, const ModelRecord& record) {
    model->SetInstanceCount(record.instanceCount);
    for (std::int32_t i = 0; i < record.instanceCount; ++i) {
        model->SetRotY(static_cast<std::uint32_t>(i), record.rotY[i]);
        model->SetPosition(static_cast<std::uint32_t>(i), record.positions[i]);
    }
}

std::unique_ptr<CModelObject> CreateProp(const ModelRecord* record) {
    auto model = std::make_unique<CModelObject>();
    if (model->Load(PropModelPath(*record).c_str(), *record, 0) != kLoadOk) return nullptr;
    PropsAvailable = 1;
    PlaceInstances(model.get(), *record);
    return model;
}
