// Feeds arbitrary bytes to the model loader under every catalogue record: the first byte picks
// the record, the rest is the file.

#include <cstddef>
#include <cstdint>
#include <span>

#include "model/model_catalogue.h"
#include "model/model_object.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool tablesReady = (InitMaterialTables(), true);
    (void)tablesReady;
    if (size == 0) return 0;
    constexpr int kRecords = 1 + kDancerCount + kPropCount;
    const int pick = data[0] % kRecords;
    const ModelRecord& record = pick == 0                 ? ClubRecord
                                : pick <= kDancerCount    ? DancerRecords[pick - 1]
                                                          : PropRecords[pick - 1 - kDancerCount];
    CModelObject model;
    model.LoadBytes(std::span<const std::uint8_t>(data + 1, size - 1), record, data[0] >> 7);
    return 0;
}
