// Small helpers of the program around platform services: the colour scheme,
// the platform family, text cut at NUL, ending the Windows session, the folder
// picker and the open and save dialogs, the file search, the Windows and System
// folders, and running a command while the window stays live.
#pragma once

#include "controls/scheme.h"
#include "seam/seam.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The platform's ExitWindows macro (log off) would take the name of ours.
#undef ExitWindows

namespace tidvex::services {

// ---- Colour scheme ----

struct Rgb {
    int red = 0, green = 0, blue = 0;
};
// The scheme colour laid over every window; set by ApplyColorScheme.
extern Rgb SchemeColor;

using controls::ControlKind;
using controls::SchemeControl;
using controls::SchemeForm;

void ApplyColorScheme(SchemeForm& form);

// ---- Platform ----

// -1 unknown, 0 the Windows 95 family, 1 the NT family, 2 platform id 3.
std::int16_t GetWindowsPlatform();
// Cuts the text before its first NUL (the argument too) and returns it.
std::string StripNull(std::string& text);

// Enables the shutdown privilege of the process; failures are logged.
void AdjustToken();
// 0 log off, 1 shut down, 2 restart, 8 power off, all forced; other modes do nothing.
void ExitWindows(std::int32_t mode);

// ---- Dialogs ----

// "Cancel" on cancel; the folder picker gives the empty text instead. The
// chosen names come as the file system names them (UTF-16): the code page's
// dialogs would give a look-alike of a name they cannot hold, which names
// another file.
std::wstring BrowseForFolder(HWND owner, const std::string& title);
// An empty filter becomes "All Files (*.*)\0*.*\0", also in the caller's variable.
// On OK the chosen path and a NUL, or with multiSelect the folder, a NUL, each
// name and a NUL, and a final NUL.
std::wstring ShowOpenFile(HWND owner, std::string& filter, const std::string& title, bool multiSelect);
// The save dialog: the name exactly as the user chose it (a code-page form
// would name a look-alike), "Cancel" on cancel.
std::wstring ShowSaveFile(HWND owner, std::wstring& filter, const std::wstring& title);

// ---- Files and folders ----

// Every entry found, each preceded by "*": with listFolders the subfolders'
// full paths first, then every entry of the folder (by name, or full path
// unless namesOnly), then unless noRecursion the same for each subfolder.
// Links to folders are listed but not walked into.
std::string FindFiles(const std::string& folder, bool noRecursion, bool listFolders, bool namesOnly);
std::string GetWindowsFolder();
std::string GetSystemFolder();

// The Windows and System folders without a closing "\", set when a registry
// cleaner or an uninstaller is created.
extern std::string gWindowsDir;
extern std::string gSystemDir;
// Sets both from the platform.
void SetWindowsFolders();

// Runs a command through the scripting shell and waits for it to end while the
// message loop keeps running; stops waiting when the program is closing.
void ExecuteWait(const std::string& command);
void ExecuteWait(const std::wstring& command);

// ---- Seams: what tests put in place of the session-ending and modal calls ----

// An empty member is the real call.
struct PlatformCalls {
    std::function<BOOL(UINT flags, DWORD reason)> exitWindowsEx{};
    std::function<BOOL(OPENFILENAMEW*)> getOpenFileName{};
    std::function<BOOL(OPENFILENAMEW*)> getSaveFileName{};
    std::function<PIDLIST_ABSOLUTE(BROWSEINFOW*)> browseForFolder{};
};
// The calls in force for the whole program: the real ones unless a test has put others in place.
extern Seam<PlatformCalls> gPlatformCalls;

// Puts other calls in place for the life of the object.
class ScopedPlatformCalls : public ScopedSeam<PlatformCalls> {
public:
    explicit ScopedPlatformCalls(PlatformCalls calls) : ScopedSeam(gPlatformCalls, std::move(calls)) {}
};

}  // namespace tidvex::services
