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
    if (g_warned) return;
    g_warned = true;
    if (RtHost.reportMessage) RtHost.reportMessage(kRtWarning, kRtMessageCategory);
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

void ResetRtReportForTest() { g_warned = false; }

}  // namespace raytrace
