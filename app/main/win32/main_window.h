// The main window for real: a top-level window of ours holding frmMain's
// controls, which it makes through the factory. It carries the window's own
// events to the form's handlers (close request, unload, resize, loss of focus,
// the session's end) and answers the form's outside calls with the window, the
// platform and the program's dialogs. No decisions of its own.
#pragma once

#include "controls/win32_window.h"
#include "main/dialogs/win32_dialogs.h"
#include "controls/win32_factory.h"
#include "main/form.h"
#include "main/platform_dialogs.h"

#include <memory>
#include <string>

namespace tidvex::main::win32 {

class MainWindow final : public controls::win32::Win32Window, public OutsideCalls {
public:
    // Posted to the window to unload it once the current handler has returned.
    static constexpr UINT kUnloadMessage = WM_APP + 0x60;

    explicit MainWindow(std::string commandLine);
    // Lets the shredder object go first (frmMain::WaitForShredder).
    ~MainWindow() override;

    frmMain& form() { return *form_; }
    // Runs the start-up; false when the program is to end (a second instance,
    // a failure). The window is shown at its end unless it went to the tray.
    bool Load();
    // Whether the program has ended (the message loop stops).
    bool Ended() const { return ended_; }

    // OutsideCalls
    bool CreateInstanceMutex(const std::string& name) override;
    std::string CommandLine() override { return commandLine_; }
    void Version(int& major, int& minor, int& revision) override;
    void EndProcess() override;
    std::unique_ptr<ShredderObject> CreateShredder(frmMain& form) override;
    std::unique_ptr<OptimizerObject> CreateOptimizer() override;
    std::shared_ptr<CleaningSession> NewCleanSession(const engine::CleaningForm& form) override;
    std::unique_ptr<services::IStartUp> NewStartUp() override;
    std::unique_ptr<services::clsUninstaller> NewUninstaller() override;
    HWND hWnd() override { return hwnd(); }
    HICON WindowIcon() override { return icon_; }
    void Size(int widthTwips, int heightTwips) override;
    int Pixels(int twips) override { return controls::win32::TwipsToPixels(twips); }
    int ScaleWidth() override;
    void BackColor(COLORREF color) override;
    bool Visible() override { return IsWindowVisible(hwnd()) != FALSE; }
    void Visible(bool on) override;
    int WindowState() override;
    void WindowState(int state) override;
    void SetForeground() override { SetForegroundWindow(hwnd()); }
    void Enabled(bool on) override { EnableWindow(hwnd(), on ? TRUE : FALSE); }
    POINT CursorPos() override;
    void Repaint() override { RedrawWindow(hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN); }
    void Unload() override;
    void PostUnload() override { PostMessageA(hwnd(), kUnloadMessage, 0, 0); }
    std::vector<std::string> Drives() override;
    unsigned DriveType(const std::string& root) override { return GetDriveTypeA(root.c_str()); }
    std::int32_t ShowMe(const std::string& text, bool is2Buttons, const std::string& button1,
                        const std::string& button2, std::int16_t icon) override;
    void MsgBoxExclamation(const std::string& text) override { dialogs_->MsgBoxExclamation(text); }
    void ReportRunTimeError(const RunTimeError& error) override;
    std::wstring OpenFiles(const std::string& title, const std::string& filter, bool multiSelect) override {
        return dialogs_->OpenFiles(title, filter, multiSelect);
    }
    std::wstring BrowseForFolder(const std::string& title) override { return dialogs_->BrowseForFolder(title); }
    std::wstring SaveFile(const std::wstring& filter, const std::wstring& title) override {
        return dialogs_->SaveFile(filter, title);
    }
    void ShowRegistryDialog(bool isSafeItem) override;
    void ShellOpen(const std::wstring& path) override;
    void ExitWindows(int mode) override;

    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // The close request, then the unload unless it was refused; true when the
    // window unloaded.
    bool RequestClose(int reason);

    std::string commandLine_;
    HICON icon_ = nullptr;
    HANDLE mutex_ = nullptr;
    bool loading_ = true, showAfterLoad_ = true, ended_ = false;
    std::unique_ptr<controls::win32::Win32ControlFactory> factory_;
    std::unique_ptr<dialogs::MessageBoxWindow> messageBox_;
    std::unique_ptr<frmMain> form_;
    // The Options page's registry-key dialog, shown over the window, and the
    // platform's dialogs over it.
    std::unique_ptr<controls::Form> owner_;
    std::unique_ptr<dialogs::RegistryDialogWindow> registryDialog_;
    std::unique_ptr<PlatformDialogs> dialogs_;
};

}  // namespace tidvex::main::win32
