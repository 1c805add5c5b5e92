#include "raytrace/rt_report.h"

#include <cstdio>
#include <string>

#include "raytrace/rt_host.h"

namespace raytrace {

RtHostState RtHost;
RTcontext RtReportContext = nullptr;

namespace {

std::FILE* g_report = nullptr;
bool g_warned = false;
bool g_holding = false;   // a frame is drawing: the warning waits for its end
bool g_pending = false;   // the warning waits
bool g_fellBack = false;  // a failure since the hold began

}  // namespace

int OpenRtErrorReport() {
    // "w": a run that reports anything replaces an earlier run's file.
    g_report = std::fopen(kRtReportFile, "w");
    if (!g_report) return 1;
    std::fputs("=====================\n", g_report);
    return 0;
}

void WriteRtErrorReport(const char* text) {
    if (!g_report) OpenRtErrorReport();
    if (!g_report) return;
    std::fputs("_____________________\n", g_report);
    std::fprintf(g_report, "%s\n\n", text);
    // Each entry reaches the disk at once: a crash or a kill is when it matters most.
    std::fflush(g_report);
}

void CloseRtErrorReport() {
    if (!g_report) return;
    std::fclose(g_report);
    g_report = nullptr;
}

void ReportRtFailure(const char* message) {
    if (RtHost.rayTracingAvailable) *RtHost.rayTracingAvailable = 0;
    WriteRtErrorReport(message);
    // The engine and the flag change before the dialog, whose message loop may paint a frame.
    if (RtHost.renderEngine) *RtHost.renderEngine = kRtOpenGlEngine;
    g_fellBack = true;
    if (g_warned) return;
    g_warned = true;
    if (g_holding) {
        g_pending = true;
        return;
    }
    if (RtHost.reportMessage) RtHost.reportMessage(kRtWarning, kRtMessageCategory);
}

void RtHoldWarning() {
    g_holding = true;
    g_fellBack = false;
}

int RtReleaseWarning() {
    g_holding = false;
    const int fellBack = g_fellBack ? 1 : 0;
    g_fellBack = false;
    if (g_pending) {
        g_pending = false;
        // The hold is over first: the dialog's message loop may draw a frame of its own.
        if (RtHost.reportMessage) RtHost.reportMessage(kRtWarning, kRtMessageCategory);
    }
    return fellBack;
}

int ReportRtError(RTresult result, const char* stepText) {
    if (result == RT_SUCCESS) return 0;
    const char* text = nullptr;
    rtContextGetErrorString(RtReportContext, result, &text);
    const std::string message = std::string(stepText) + ": " + (text ? text : "");
    ReportRtFailure(message.c_str());
    return 1;
}

int RtCheckContextCreation() {
    RTcontext probe = nullptr;
    if (ReportRtError(rtContextCreate(&probe), "Checking Context Creation")) return 1;
    rtContextDestroy(probe);
    return 0;
}

int RtCheckAvailable() { return RtCheckContextCreation(); }

void ResetRtReportForTest() {
    g_warned = false;
    g_holding = false;
    g_pending = false;
    g_fellBack = false;
}

}  // namespace raytrace
