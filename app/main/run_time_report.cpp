#include "main/run_time_report.h"

#include <windows.h>

namespace tidvex::main {
namespace {

void ShowAndEnd(const RunTimeError& error, const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Tidvex", MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND);
    ExitProcess(static_cast<UINT>(error.Number() > 0 ? error.Number() : 1));
}

}  // namespace

Seam<RunTimeReporter> gRunTimeReporter{RunTimeReporter(ShowAndEnd)};

std::string RunTimeReportText(const RunTimeError& error, const std::string& what) {
    std::string text = "Run-time error '" + std::to_string(error.Number()) + "':\r\n\r\n" + error.Description();
    if (!what.empty()) text += "\r\n\r\n" + what + " failed.";
    return text;
}

void ReportFatalError(const std::string& what) noexcept {
    try {
        const RunTimeError error = CurrentError();
        gRunTimeReporter.Get()(error, RunTimeReportText(error, what));
    } catch (...) {
        // Even the report failed: the program still ends, and never crashes.
        ExitProcess(1);
    }
}

}  // namespace tidvex::main
