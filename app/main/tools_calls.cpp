#include "main/tools_calls.h"

#include "main/run_time_report.h"
#include "services/helpers.h"

namespace tidvex::main {

void PlatformToolsCalls::MsgBoxExclamation(const std::string& text) {
    MessageBoxA(owner_(), text.c_str(), "Tidvex", MB_OK | MB_ICONEXCLAMATION);
}

std::string PlatformToolsCalls::ShowSaveFile(std::string& filter, const std::string& title) {
    return services::ShowSaveFile(owner_(), filter, title);
}

std::unique_ptr<services::IStartUp> PlatformToolsCalls::NewStartUp() { return std::make_unique<services::StartUp>(); }

std::unique_ptr<services::clsUninstaller> PlatformToolsCalls::NewUninstaller() {
    return std::make_unique<services::clsUninstaller>();
}

std::unique_ptr<ToolsCalls> MakeWindowToolsCalls(MainWindowCalls& window) {
    return std::make_unique<PlatformToolsCalls>(
        [&window] { return window.hWnd(); },
        [&window](const std::string& text, const std::string& button, std::int16_t icon) {
            return window.ShowMe(text, false, button, "", icon);
        },
        [&window](const RunTimeError& error) {
            window.ShowMe(RunTimeReportText(error, "Apply"), false, "Ok", "", 1);
        });
}

}  // namespace tidvex::main
