// The Tools page's calls as the running program makes them: the platform's
// message box and save dialog over the main window, the real start-up manager
// and uninstaller. The program's own message box and the run-time error
// report come from the window.
#pragma once

#include "main/form.h"

#include <windows.h>

#include <functional>

namespace tidvex::main {

class PlatformToolsCalls final : public ToolsCalls {
public:
    using ShowMeCall = std::function<std::int32_t(const std::string& text, const std::string& button, std::int16_t icon)>;
    using ReportCall = std::function<void(const RunTimeError& error)>;

    PlatformToolsCalls(std::function<HWND()> owner, ShowMeCall showMe, ReportCall report)
        : owner_(std::move(owner)), showMe_(std::move(showMe)), report_(std::move(report)) {}

    std::int32_t ShowMe(const std::string& text, const std::string& button, std::int16_t icon) override {
        return showMe_(text, button, icon);
    }
    void MsgBoxExclamation(const std::string& text) override;
    std::string ShowSaveFile(std::string& filter, const std::string& title) override;
    void ReportRunTimeError(const RunTimeError& error) override { report_(error); }
    std::unique_ptr<services::IStartUp> NewStartUp() override;
    std::unique_ptr<services::clsUninstaller> NewUninstaller() override;

private:
    std::function<HWND()> owner_;
    ShowMeCall showMe_;
    ReportCall report_;
};

// The calls over the window's own: its message box, its window as the owner,
// and the run-time error report shown without ending the program.
std::unique_ptr<ToolsCalls> MakeWindowToolsCalls(MainWindowCalls& window);

}  // namespace tidvex::main
