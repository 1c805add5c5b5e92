#pragma once
// The recording devices as the audio source dialog lists them: by name, each with its own
// device id, so a row's position is not its id. Plain C++; UI thread only.

#include <functional>
#include <string>
#include <vector>

namespace audio_select {

struct RecordingDevice {
    std::string name;
    int id = -1;
};

// How the list asks the recording layer: the number of devices, and a device's name (false
// when it cannot be read).
struct DeviceQuery {
    std::function<int()> count;
    std::function<bool(int id, std::string& name)> name;
};

// Every device whose name can be read, sorted by name ignoring case.
std::vector<RecordingDevice> ListRecordingDevices(const DeviceQuery& query);
// The id of the selected row, or -1 when no row is selected.
int ChosenDeviceId(const std::vector<RecordingDevice>& devices, int selectedRow);

}  // namespace audio_select
