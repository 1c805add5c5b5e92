#include "platform/gui/song_pickers.h"

#include <QDir>
#include <QFileDialog>
#include <QStringList>

namespace pgui {

std::optional<std::vector<std::string>> PickSongFiles(QWidget* owner) {
    const QStringList files = QFileDialog::getOpenFileNames(
        owner, QString(), QString(),
        "MP3 files (*.mp3);;WAV files (*.wav);;OGG files (*.ogg);;WMA files (*.wma)");
    if (files.isEmpty()) return std::nullopt;
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(files.size()));
    for (const QString& file : files) paths.push_back(file.toStdString());
    return paths;
}

std::optional<std::string> PickSongFolder(QWidget* owner) {
    const QString folder = QFileDialog::getExistingDirectory(owner, QString(), QDir::homePath());
    if (folder.isEmpty()) return std::nullopt;
    return folder.toStdString();
}

}  // namespace pgui
