#pragma once
// The message dialog "Opps!": its picture, the message text, an OK button and the box
// "Don't display this error". UI thread only.

#include <functional>
#include <string>

class QWidget;

namespace pgui {

// Shows the text modally, transient for parent (which may be null), and returns once the
// dialog is closed. The box can be clicked only when dontDisplayEnabled; each click passes
// its new state to onDontDisplay.
void ShowMessageDialog(QWidget* parent, const std::string& text, bool dontDisplayEnabled,
                       const std::function<void(bool ticked)>& onDontDisplay);

}  // namespace pgui
