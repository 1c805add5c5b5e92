#pragma once
// The modeless "Audio Player" window: shows the player's controls and hands their events to
// the player's logic. Made once, then hidden and shown. UI thread only.

#include <QDialog>
#include <array>
#include <functional>

#include "audio/music_player.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

class AudioPlayer : public QDialog {
    Q_OBJECT

  public:
    // parent is the main window, so the player stays above it even in full screen. onClose
    // runs when the user closes the window.
    AudioPlayer(QWidget* parent, player::SongPickers pickers, std::function<void()> onClose);
    ~AudioPlayer() override;

    // Shows the logic's controls.
    void ShowControls();

  protected:
    void closeEvent(QCloseEvent* event) override;
    // Esc and every other end of the dialog: the same close as the Close button.
    void done(int result) override;

  private:
    void BuildControls();
    void Connect();
    void OnClose();

    player::SongPickers m_pickers;
    std::function<void()> m_onClose;
    QLabel* m_status = nullptr;
    // Skip back, stop, pause, play, skip forward.
    std::array<QPushButton*, 5> m_transport{};
    QSlider* m_volume = nullptr;
    QSlider* m_position = nullptr;
    QCheckBox* m_repeatOne = nullptr;
    QCheckBox* m_repeatAll = nullptr;
    QPushButton* m_loadByFile = nullptr;
    QPushButton* m_loadByDir = nullptr;
    QPushButton* m_close = nullptr;
};
