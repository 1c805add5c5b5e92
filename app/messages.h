#pragma once
// Messages the user must see, shown in the modal message dialog "Opps!", and the warnings its
// box "Don't display this error" silences. UI thread only.
//
// These rules are installed as the handler of ReportMessage (model/report_message.h) when the
// program starts, so lower code that reports a message runs them. ReportMessage is the whole
// of CVelmoranthApp::ReportMessage, which forwards to it. The application connects the dialog
// window and the shut-down that follows a fatal message.

#include <functional>
#include <string>

#include "model/report_message.h"

// The message dialog's contents and rules while it is shown.
class CMessage {
public:
    CMessage(const char* text, int category);  // a null text shows "Unknown Error"
    const std::string& Text() const { return m_text; }
    int Category() const { return m_category; }
    // Only a warning with a report flag can be silenced; for any other message (a fatal one,
    // a failure) the box is disabled.
    bool DontDisplayEnabled() const;
    // Each click of the box, with its new state: ticked silences the category for the rest of
    // the run, clear shows it again; either way the settings need saving.
    void OnDontDisplay(bool ticked);

private:
    std::string m_text;
    int m_category;
};

// The window that runs a CMessage: the shell's dialog or a test double.
class MessageDialog {
public:
    virtual ~MessageDialog() = default;
    // Shows the message modally and returns once it is closed with OK, having passed each click
    // of the box to message.OnDontDisplay.
    virtual void RunModal(CMessage& message) = 0;
};

// nullptr (the default) writes messages to standard error and answers OK. So does the
// environment setting VELMORANTH_NONINTERACTIVE=1, whatever dialog is connected.
void SetMessageDialog(MessageDialog* dialog);
// Runs after a fatal message's dialog is closed: CVelmoranthApp::ShutDown, and the run then
// ends with exit status 1.
void SetFatalMessageHandler(std::function<void()> handler);

// The handler ReportMessage runs: shows the message unless its category is a warning that is
// silenced; a fatal message then runs the fatal handler. Returns when the dialog is closed.
void ShowReportedMessage(const char* text, int category);
