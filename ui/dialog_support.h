#pragma once
// What the program's small dialogs share: a white background set once per dialog, pictures
// drawn by our own code, and the modeless life cycle (transient for the main window, the open
// flag cleared on every way out, the dialog freed when it closes). UI thread only.

#include <QPixmap>

class QDialog;
class QWidget;

namespace ui {

// Dialogs and their controls on white.
void UseWhiteBackground(QWidget* dialog);

// A picture of the given size in pixels; `motif` picks one of the program's drawings.
QPixmap DrawPicture(int width, int height, int motif);

// Shows the dialog modeless, above `owner` (so a full-screen owner never hides it). OK, Cancel,
// Esc and the close box all clear `openFlag` and free the dialog.
void ShowModeless(QDialog* dialog, QWidget* owner, int& openFlag);

}  // namespace ui
