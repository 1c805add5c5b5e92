#pragma once
// The music player's two pickers on Qt's dialogs. Each returns nothing when cancelled.

#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace pgui {

// Any number of songs, in the order the dialog returns them.
std::optional<std::vector<std::string>> PickSongFiles(QWidget* owner);
// A folder, starting at the user's home folder.
std::optional<std::string> PickSongFolder(QWidget* owner);

}  // namespace pgui
