#include "ui/audio_player.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QWheelEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <functional>
#include <optional>
#include <string>

#include "audio/sound_wrapper.h"
#include "model/report_message.h"

namespace {

void Quiet(const char*, int) {}

class AudioPlayerWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        SetReportMessageHandler(&Quiet);
        sound::SetSoundEngineConfig({.output = psound::OutputMode::Manual});
        ASSERT_EQ(sound::SoundInit(), 0);
        player::ResetPlayer();
        m_main = std::make_unique<QWidget>();
        const player::SongPickers pickers{.pickFiles = [this] { return m_files; },
                                          .pickFolder = [this] { return m_folder; }};
        m_player = new AudioPlayer(m_main.get(), pickers, [this] { ++m_closed; });
        m_player->show();
    }
    void TearDown() override {
        m_main.reset();  // and the player with it
        player::ResetPlayer();
        sound::SoundRelease();
        sound::SetSoundEngineConfig({});
        SetReportMessageHandler(nullptr);
    }
    template <class W>
    W* Control(int id) {
        W* w = m_player->findChild<W*>(QString::number(id));
        EXPECT_NE(w, nullptr) << id;
        return w;
    }
    QString Status() { return Control<QLabel>(1073)->text(); }

    std::unique_ptr<QWidget> m_main;
    AudioPlayer* m_player = nullptr;
    std::optional<std::vector<std::string>> m_files;
    std::optional<std::string> m_folder;
    int m_closed = 0;
};

TEST_F(AudioPlayerWindow, IsAToolWindowOfTheMainWindowThatStartsEmpty) {
    EXPECT_EQ(m_player->parentWidget(), m_main.get());
    EXPECT_TRUE(m_player->isWindow());
    EXPECT_FALSE(m_player->isModal());
    EXPECT_EQ(m_player->windowTitle(), "Audio Player");
    EXPECT_EQ(Status(), "Load some songs");
    for (int id = 1068; id <= 1072; ++id) EXPECT_FALSE(Control<QPushButton>(id)->isEnabled()) << id;
    EXPECT_EQ(Control<QPushButton>(1074)->text(), "Load by File");
    EXPECT_EQ(Control<QPushButton>(1079)->text(), "Load by Dir");
    EXPECT_EQ(Control<QCheckBox>(1077)->text(), "Repeat One");
    EXPECT_EQ(Control<QCheckBox>(1078)->text(), "Repeat All");
    EXPECT_EQ(Control<QSlider>(1076)->value(), 20);
}

TEST_F(AudioPlayerWindow, LoadByDirThenPlayPlaysTheFirstGeneratedSong) {
    m_folder = "Music";
    Control<QPushButton>(1079)->click();
    EXPECT_EQ(Status(), "Velmoranth Demo 100.wav loaded");
    EXPECT_TRUE(Control<QPushButton>(1068)->isEnabled());
    Control<QPushButton>(1071)->click();
    EXPECT_EQ(PlayerState.load(), 2);
    EXPECT_EQ(Status(), "Velmoranth Demo 100.wav playing");
    EXPECT_TRUE(Control<QPushButton>(1071)->isChecked());
    Control<QPushButton>(1070)->click();
    EXPECT_EQ(Status(), "Velmoranth Demo 100.wav paused");
    EXPECT_FALSE(Control<QPushButton>(1071)->isChecked());
    EXPECT_TRUE(Control<QPushButton>(1070)->isChecked());
}

TEST_F(AudioPlayerWindow, SlidersAndBoxesReachThePlayer) {
    m_files = std::vector<std::string>{"Music/Velmoranth Demo 100.wav"};
    Control<QPushButton>(1074)->click();
    Control<QSlider>(1076)->setValue(0);
    EXPECT_EQ(VolumePercent, 100.0f);
    Control<QCheckBox>(1077)->click();
    EXPECT_EQ(RepeatMode, 1);
    Control<QCheckBox>(1078)->click();
    EXPECT_EQ(RepeatMode, 2);
    EXPECT_FALSE(Control<QCheckBox>(1077)->isChecked());
}

// The slider's top is full volume, so every way of moving it up raises the volume.
TEST_F(AudioPlayerWindow, UpKeyAndWheelUpRaiseTheVolume) {
    QSlider* volume = Control<QSlider>(1076);
    const struct {
        const char* name;
        std::function<void()> up;
    } ways[] = {
        {"UpKey",
         [volume] {
             QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
             QApplication::sendEvent(volume, &press);
         }},
        {"WheelUp",
         [volume] {
             const QPointF at(volume->width() / 2.0, volume->height() / 2.0);
             QWheelEvent wheel(at, volume->mapToGlobal(at), QPoint(), QPoint(0, 120),
                               Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
             QApplication::sendEvent(volume, &wheel);
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        volume->setValue(50);
        ASSERT_EQ(VolumePercent, 50.0f);
        way.up();
        EXPECT_GT(VolumePercent, 50.0f);
        EXPECT_LT(volume->value(), 50);  // the handle went up
    }
}

TEST_F(AudioPlayerWindow, CloseOnlyHides) {
    Control<QPushButton>(1075)->click();
    EXPECT_EQ(m_closed, 1);
    EXPECT_FALSE(m_player->isVisible());
    m_player->show();
    m_player->close();
    EXPECT_EQ(m_closed, 2);
    EXPECT_FALSE(m_player->isVisible());
    EXPECT_NE(m_main->findChild<AudioPlayer*>(), nullptr);
}

}  // namespace
