#pragma once
// The one way lower code tells the user something: a text and its category. The application
// installs the handler that shows the message dialog and applies its rules; until then (and
// in programs without the application) messages go to standard error.

// ReportCategory values.
namespace ReportCategory {
inline constexpr int Fatal = -1;  // the program cannot run: always shown, then shut-down
// Warnings, shown while their ReportFlags entry is 1.
inline constexpr int NoAudio = 1;
inline constexpr int VirtualReality = 2;
inline constexpr int Sound3D = 3;
inline constexpr int RayTracing = 4;
// Something the user asked for did not happen (a settings save): always shown, never
// silenced, and the run goes on.
inline constexpr int Failure = 5;
}  // namespace ReportCategory

using ReportMessageHandler = void (*)(const char* text, int category);

// nullptr puts back the standard-error default.
void SetReportMessageHandler(ReportMessageHandler handler);

// Passes the message to the installed handler; returns when the handler does.
void ReportMessage(const char* text, int category);
