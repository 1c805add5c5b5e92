#include "audio/audio_select.h"

#include <algorithm>
#include <cctype>

namespace audio_select {
namespace {

// As a sorted list box orders its rows: "alsa" before "Built-in".
bool NameBefore(const RecordingDevice& a, const RecordingDevice& b) {
    return std::lexicographical_compare(
        a.name.begin(), a.name.end(), b.name.begin(), b.name.end(), [](char x, char y) {
            return std::tolower(static_cast<unsigned char>(x)) <
                   std::tolower(static_cast<unsigned char>(y));
        });
}

}  // namespace

std::vector<RecordingDevice> ListRecordingDevices(const DeviceQuery& query) {
    std::vector<RecordingDevice> devices;
    const int count = query.count();
    for (int id = 0; id < count; ++id) {
        std::string name;
        if (query.name(id, name)) devices.push_back({std::move(name), id});
    }
    // Stable, so two devices of the same name stay in id order.
    std::stable_sort(devices.begin(), devices.end(), NameBefore);
    return devices;
}

int ChosenDeviceId(const std::vector<RecordingDevice>& devices, int selectedRow) {
    if (selectedRow < 0 || selectedRow >= static_cast<int>(devices.size())) return -1;
    return devices[static_cast<std::size_t>(selectedRow)].id;
}

}  // namespace audio_select
