#include "ui/audio_select.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <map>
#include <string>

namespace {

// Three devices whose names sort in the id order 1, 0, 2, and one whose name cannot be read.
audio_select::DeviceQuery ThreeDevicesAndAMute() {
    static const std::map<int, std::string> names = {
        {0, "Line In"}, {1, "Built-in Microphone"}, {2, "Monitor of Speakers"}};
    return {.count = [] { return 4; },
            .name =
                [](int id, std::string& name) {
                    const auto it = names.find(id);
                    if (it == names.end()) return false;
                    name = it->second;
                    return true;
                }};
}

TEST(AudioSelect, ListsReadableDevicesByNameWithTheirIds) {
    const auto devices = audio_select::ListRecordingDevices(ThreeDevicesAndAMute());
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_EQ(devices[0].id, 1);
    EXPECT_EQ(devices[1].id, 0);
    EXPECT_EQ(devices[2].id, 2);
    EXPECT_EQ(devices[2].name, "Monitor of Speakers");
    EXPECT_EQ(audio_select::ChosenDeviceId(devices, -1), -1);
    EXPECT_EQ(audio_select::ChosenDeviceId(devices, 3), -1);
}

// Names whose order by bytes (capitals first) differs from their order ignoring case.
TEST(AudioSelect, SortsIgnoringCaseEachRowKeepingItsId) {
    static const std::map<int, std::string> names = {
        {0, "pulse Monitor"}, {1, "HDA Intel"}, {2, "alsa capture"}, {3, "Zoom H1"}};
    const audio_select::DeviceQuery query{.count = [] { return 4; },
                                          .name = [](int id, std::string& name) {
                                              name = names.at(id);
                                              return true;
                                          }};
    const auto devices = audio_select::ListRecordingDevices(query);
    ASSERT_EQ(devices.size(), 4u);
    const int wantIds[] = {2, 1, 0, 3};
    for (std::size_t row = 0; row < devices.size(); ++row) {
        EXPECT_EQ(devices[row].id, wantIds[row]) << row;
        EXPECT_EQ(devices[row].name, names.at(devices[row].id));
    }
}

struct ChoiceCase {
    const char* name;
    int row;  // -1: no row selected
    bool ok;
    int chosen;
};

TEST(AudioSelect, OkHandsBackTheSelectedRowsDevice) {
    const ChoiceCase cases[] = {
        {"first row as opened", 0, true, 1}, {"second row", 1, true, 0},  {"third row", 2, true, 2},
        {"nothing selected", -1, true, -1},  {"cancelled", 2, false, -1},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        CAudioSelect dialog(nullptr, audio_select::ListRecordingDevices(ThreeDevicesAndAMute()));
        auto* list = dialog.findChild<QListWidget*>("1019");
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(0)->text(), "Built-in Microphone");
        EXPECT_TRUE(list->item(0)->isSelected());
        if (c.row < 0) {
            list->clearSelection();
        } else {
            list->setCurrentRow(c.row);
        }
        dialog.findChild<QPushButton*>(c.ok ? "1" : "2")->click();
        EXPECT_EQ(dialog.result(), c.ok ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(dialog.ChosenDevice(), c.chosen);
    }
}

TEST(AudioSelect, NoDevicesMeansNoChoice) {
    CAudioSelect dialog(nullptr, {});
    dialog.findChild<QPushButton*>("1")->click();
    EXPECT_EQ(dialog.ChosenDevice(), -1);
}

}  // namespace
