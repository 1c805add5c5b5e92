#pragma once
// The modal "Select Audio Source" dialog: the recording devices by name, the first one
// selected. UI thread only.

#include <QDialog>
#include <vector>

#include "audio/audio_select.h"

class QListWidget;

class CAudioSelect : public QDialog {
    Q_OBJECT

  public:
    CAudioSelect(QWidget* parent, std::vector<audio_select::RecordingDevice> devices);

    // The id of the device chosen with OK; -1 before OK or when no row was selected.
    int ChosenDevice() const { return m_chosen; }

    void accept() override;

  private:
    std::vector<audio_select::RecordingDevice> m_devices;
    QListWidget* m_list = nullptr;
    int m_chosen = -1;
};
