#pragma once
// Factories that turn a catalogue record into a loaded, placed model.

#include <memory>

#include "model/model_object.h"

// Places every instance of the record on a loaded model.
void PlaceInstances(CModelObject* model, const ModelRecord& record);

// Loads "Models/<name>.dat"; null when the file is missing or bad (no message). A loaded prop
// sets PropsAvailable.
std::unique_ptr<CModelObject> CreateProp(const ModelRecord* record);
