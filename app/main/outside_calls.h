// Everything the form asks of the world beyond its controls: the process, the
// objects it creates, the window it lives in, the drives, and the questions,
// dialogs and shell calls that reach the user or the platform. The real window
// implements it over Win32 (main/win32/main_window.h); tests script what they
// need, and a member they did not script fails the test.
#pragma once

#include "errors/run_time_error.h"

#include <windows.h>

// The platform's ExitWindows macro (log off) would take the name of ours.
#undef ExitWindows

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tidvex::engine {
struct CleaningForm;
}
namespace tidvex::services {
class IStartUp;
class clsUninstaller;
}  // namespace tidvex::services

namespace tidvex::main {

class frmMain;
class CleaningSession;
class ShredderObject;
class OptimizerObject;

class OutsideCalls {
public:
    virtual ~OutsideCalls() = default;

    // ---- The process ----
    // Creates the named mutex and keeps it for the process's life; false when
    // it already existed (another instance runs).
    virtual bool CreateInstanceMutex(const std::string& name) = 0;
    // The whole command line after the program's name, as the platform gives it.
    virtual std::string CommandLine() = 0;
    // The program file's version: major, minor and revision.
    virtual void Version(int& major, int& minor, int& revision) = 0;
    // Ends the process (the message loop ends and the program returns).
    virtual void EndProcess() = 0;

    // ---- What the form creates ----
    // The library objects; a class that cannot be created raises the run-time
    // error (429).
    virtual std::unique_ptr<ShredderObject> CreateShredder(frmMain& form) = 0;
    virtual std::unique_ptr<OptimizerObject> CreateOptimizer() = 0;
    virtual std::shared_ptr<CleaningSession> NewCleanSession(const engine::CleaningForm& form) = 0;
    // A new start-up manager and a new uninstaller object for the Tools page.
    virtual std::unique_ptr<services::IStartUp> NewStartUp() = 0;
    virtual std::unique_ptr<services::clsUninstaller> NewUninstaller() = 0;

    // ---- The window ----
    virtual HWND hWnd() = 0;
    virtual HICON WindowIcon() = 0;
    // The size of the window's inside in twips (the frame comes round it).
    virtual void Size(int widthTwips, int heightTwips) = 0;
    // Twips in the controls' units (pixels for the real window).
    virtual int Pixels(int twips) = 0;
    // The width of the window's inside, in the controls' units.
    virtual int ScaleWidth() = 0;
    virtual void BackColor(COLORREF color) = 0;
    virtual bool Visible() = 0;
    virtual void Visible(bool on) = 0;
    // 0 normal, 1 minimised, 2 maximised.
    virtual int WindowState() = 0;
    virtual void WindowState(int state) = 0;
    virtual void SetForeground() = 0;
    // Whether the window takes the user's input; it paints and answers its
    // messages either way.
    virtual void Enabled(bool on) = 0;
    virtual POINT CursorPos() = 0;
    virtual void Repaint() = 0;
    // Asks the window to close (the close request runs, then the unload); a
    // posted one does so once the current handler has returned.
    virtual void Unload() = 0;
    virtual void PostUnload() = 0;

    // ---- The drives ----
    // The platform's drive list ("c: [label]") and a root's drive type.
    virtual std::vector<std::string> Drives() = 0;
    virtual unsigned DriveType(const std::string& root) = 0;

    // ---- The user, the dialogs and the shell ----
    // The program's own message box over the window; the pressed button's result.
    virtual std::int32_t ShowMe(const std::string& text, bool is2Buttons, const std::string& button1,
                                const std::string& button2, std::int16_t icon) = 0;
    // The platform's message box with the exclamation icon and the program's title.
    virtual void MsgBoxExclamation(const std::string& text) = 0;
    // The program's run-time error report of a failed Apply (the error stays
    // live, nothing ends).
    virtual void ReportRunTimeError(const RunTimeError& error) = 0;
    // The open-file dialog over the window: the chosen path, or with several
    // the folder and the names, NUL-separated; "Cancel" when cancelled. The
    // names come as the file system names them.
    virtual std::wstring OpenFiles(const std::string& title, const std::string& filter, bool multiSelect) = 0;
    // The folder picker over the window; empty when cancelled.
    virtual std::wstring BrowseForFolder(const std::string& title) = 0;
    // The save dialog over the window: the chosen name exactly as the user gave
    // it, "Cancel" or empty.
    virtual std::wstring SaveFile(const std::wstring& filter, const std::wstring& title) = 0;
    // The registry-key dialog, modal over the window, adding to the safe list
    // or the black list.
    virtual void ShowRegistryDialog(bool isSafeItem) = 0;
    // Opens a file or a web address with the shell's "Open".
    virtual void ShellOpen(const std::wstring& path) = 0;
    // Ends the Windows session: 2 restart, 8 power-off, both forced.
    virtual void ExitWindows(int mode) = 0;
};

}  // namespace tidvex::main
