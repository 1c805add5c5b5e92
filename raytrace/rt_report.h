#pragma once
// The ray tracer's error report and fallback: a failed step is written to
// "rt_error_report.txt" in the current directory, the user is warned once per run, and the
// OpenGL engine takes over.

#include "platform/rt/rt_api.h"

namespace raytrace {

inline constexpr const char* kRtReportFile = "rt_error_report.txt";
inline constexpr const char* kRtWarning =
    " Graphics card does not support Ray Tracing. \n\nSome options will not be available\n ";

// 0 when result is success, else 1 after the report, the warning and the fallback.
int ReportRtError(RTresult result, const char* stepText);
// The same for a failure that has no runtime result: message is the whole entry.
void ReportRtFailure(const char* message);
int OpenRtErrorReport();
void WriteRtErrorReport(const char* text);
void CloseRtErrorReport();
// From the start of a frame to its end the warning waits: its dialog's message loop could
// otherwise draw a frame inside the one that failed. The release shows a warning that waited
// and returns 1 when the ray tracer fell back since the hold began.
void RtHoldWarning();
int RtReleaseWarning();
// 0 when a context can be created here; RtCheckAvailable is the same entry.
int RtCheckContextCreation();
int RtCheckAvailable();

// The context ReportRtError asks for the error text (null while none exists).
extern RTcontext RtReportContext;
// Back to the start of a run: no warning shown yet (tests only; the file must be closed).
void ResetRtReportForTest();

}  // namespace raytrace
