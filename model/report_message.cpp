#include "model/report_message.h"

#include <cstdio>

namespace {

void WriteToStandardError(const char* text, int category) {
    std::fprintf(stderr, "MESSAGE: [category %d] %s\n", category, text ? text : "Unknown Error");
}

ReportMessageHandler g_handler = &WriteToStandardError;

}  // namespace

void SetReportMessageHandler(ReportMessageHandler handler) {
    g_handler = handler ? handler : &WriteToStandardError;
}

void ReportMessage(const char* text, int category) { g_handler(text, category); }
