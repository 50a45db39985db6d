#include "services/helpers.h"

#include "com/client.h"
#include "fs/paths.h"
#include "handles/handles.h"
#include "pump/pump.h"
#include "services/logger.h"
#include "services/program.h"
#include "text/text.h"

#include <algorithm>
#include <utility>

namespace tidvex::services {

Rgb SchemeColor;

namespace {

// The calls in force: a test's, where it put one in place, else the real ones.
PlatformCalls Calls() {
    PlatformCalls calls = gPlatformCalls.Get();
    if (!calls.exitWindowsEx) calls.exitWindowsEx = [](UINT flags, DWORD why) { return ::ExitWindowsEx(flags, why); };
    if (!calls.getOpenFileName) calls.getOpenFileName = [](OPENFILENAMEW* ofn) { return ::GetOpenFileNameW(ofn); };
    if (!calls.getSaveFileName) calls.getSaveFileName = [](OPENFILENAMEW* ofn) { return ::GetSaveFileNameW(ofn); };
    if (!calls.browseForFolder) calls.browseForFolder = [](BROWSEINFOW* bi) { return ::SHBrowseForFolderW(bi); };
    return calls;
}

COLORREF Color(int red, int green, int blue) {
    auto channel = [](int c) { return static_cast<BYTE>(std::clamp(c, 0, 255)); };
    return RGB(channel(red), channel(green), channel(blue));
}

std::wstring CurrentFolder() {
    wchar_t buf[MAX_PATH] = {};
    const DWORD n = GetCurrentDirectoryW(MAX_PATH, buf);
    return n && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

const char kAllFiles[] = "All Files (*.*)\0*.*\0";


}  // namespace

Seam<PlatformCalls> gPlatformCalls;

void ApplyColorScheme(SchemeForm& form) {
    SchemeColor = {174, 174, 255};
    const int R = SchemeColor.red, G = SchemeColor.green, B = SchemeColor.blue;
    form.SetBackColor(Color(R, G, B));
    for (SchemeControl* control : form.Controls()) {
        if (!control) continue;
        auto set = [control](const char* property, COLORREF color) { control->SetColor(property, color); };
        switch (control->Kind()) {
            case ControlKind::Banner:
                set("BackColor", Color(R, G, B));
                set("HeaderColorBottomLeft", Color(R - 131, G - 132, B - 102));
                set("HeaderColorBottomRight", Color(R - 131, G - 132, B - 102));
                set("HeaderColorTopLeft", Color(R - 101, G - 102, B - 72));
                set("HeaderColorTopRight", Color(R - 75, G - 76, B - 56));
                set("ForeColor", Color(R, G, B));
                set("BodyColorBottomLeft", Color(R, G, B));
                set("BodyColorBottomRight", Color(R, G, B));
                set("BorderColor", Color(R - 131, G - 132, B - 102));
                break;
            case ControlKind::FramePanel:
                set("BackColor", Color(R - 41, G - 24, B + 8));
                set("BackColorDisabled", Color(R - 41, G - 24, B + 8));
                set("BorderColor", Color(R - 113, G - 86, B - 40));
                set("ToolTipBackColor", Color(R - 108, G - 117, B - 112));
                break;
            case ControlKind::TextBox: set("BackColor", Color(R - 19, G - 19, B - 23)); break;
            case ControlKind::ComboBox:
                set("BackColor", Color(R - 101, G - 102, B - 72));
                set("ForeColor", Color(255, 255, 255));
                break;
            case ControlKind::Label:
                set("StartColor", Color(R - 130, G - 130, B - 130));
                set("EndColor", Color(255, 255, 255));
                set("TextColor", Color(R, G, B));
                break;
            case ControlKind::CheckBox: set("OuterBorderColor", Color(R - 71, G - 59, B + 1)); break;
            case ControlKind::ListBox: set("BackColor", Color(R + 24, G + 8, B + 4)); break;
            case ControlKind::ProgressBar: set("Color", Color(R - 100, G - 100, B - 100)); break;
            case ControlKind::TabStrip: set("Appearance.BackColor", Color(R, G, B)); break;
            case ControlKind::Other: break;
        }
    }
}

std::int16_t GetWindowsPlatform() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return -1;
#pragma GCC diagnostic pop
    switch (info.dwPlatformId) {
        case 1: return 0;
        case 2: return 1;
        case 3: return 2;
        default: return -1;
    }
}

std::string StripNull(std::string& text) {
    if (auto nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
    return text;
}

void AdjustToken() {
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &opened)) {
        gLogger().LoggError(PlatformError(GetLastError()), "AdjustToken");
        return;
    }
    handles::KernelObject token(opened);
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid) ||
        !AdjustTokenPrivileges(token.Get(), FALSE, &privileges, 0, nullptr, nullptr))
        gLogger().LoggError(PlatformError(GetLastError()), "AdjustToken");
}

void ExitWindows(std::int32_t mode) {
    UINT flags;
    switch (mode) {
        case 0: flags = 4; break;   // log off, forced
        case 1: flags = 5; break;   // shut down, forced
        case 2: flags = 7; break;   // restart, forced
        case 8: flags = 12; break;  // shut down and power off, forced
        default: return;
    }
    AdjustToken();
    auto exitWindowsEx = Calls().exitWindowsEx;
    if (!exitWindowsEx(flags, 0xFFFFFFFF)) gLogger().LoggError(PlatformError(GetLastError()), "ExitWindows");
}

std::wstring BrowseForFolder(HWND owner, const std::string& title) {
    wchar_t display[MAX_PATH] = {};
    const std::wstring shownTitle = text::Wide(title);
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = shownTitle.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    auto browse = Calls().browseForFolder;
    PIDLIST_ABSOLUTE item = browse(&info);
    if (!item) return {};
    wchar_t path[MAX_PATH] = {};
    const BOOL got = SHGetPathFromIDListW(item, path);
    CoTaskMemFree(item);
    return got ? std::wstring(path) : std::wstring();
}

namespace {

// The open or the save dialog through the wide call, so that the chosen name
// comes as the file system names it, never as a code-page look-alike.
std::wstring RunFileDialog(const std::function<BOOL(OPENFILENAMEW*)>& call, HWND owner, std::wstring& filter,
                           const std::wstring& title, DWORD flags, size_t fileChars) {
    if (filter.empty()) filter = text::Wide(std::string_view(kAllFiles, sizeof kAllFiles - 1));
    // The dialog wants the filter's pairs ended by one more NUL.
    const std::wstring filterBuffer = filter + std::wstring(2, L'\0');
    std::wstring file(fileChars, L' ');
    file.push_back(L'\0');
    std::wstring fileTitle(254, L' ');
    fileTitle.push_back(L'\0');
    const std::wstring folder = CurrentFolder();

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.hInstance = GetModuleHandleW(nullptr);
    ofn.lpstrFilter = filterBuffer.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrFileTitle = fileTitle.data();
    ofn.nMaxFileTitle = static_cast<DWORD>(fileTitle.size());
    ofn.lpstrInitialDir = folder.c_str();
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = flags;
    if (!call(&ofn)) return L"Cancel";
    file.pop_back();  // the buffer's own terminator
    // The blanks around what the dialog wrote.
    const size_t first = file.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    return file.substr(first, file.find_last_not_of(L' ') - first + 1);
}

}  // namespace

std::wstring ShowOpenFile(HWND owner, std::string& filter, const std::string& title, bool multiSelect) {
    DWORD flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST | OFN_NODEREFERENCELINKS;
    if (multiSelect) flags |= OFN_ALLOWMULTISELECT | OFN_EXPLORER;
    std::wstring dialogFilter = text::Wide(filter);
    std::wstring chosen = RunFileDialog(Calls().getOpenFileName, owner, dialogFilter, text::Wide(title), flags, 5000);
    if (filter.empty()) filter.assign(kAllFiles, sizeof kAllFiles - 1);
    return chosen;
}

std::wstring ShowSaveFile(HWND owner, std::wstring& filter, const std::wstring& title) {
    return RunFileDialog(Calls().getSaveFileName, owner, filter, title, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY, 254);
}

std::string FindFiles(const std::string& folder, bool noRecursion, bool listFolders, bool namesOnly) {
    std::string base = folder;
    if (base.empty() || base.back() != '\\') base.push_back('\\');
    std::string result;
    std::vector<std::string> subfolders;

    // Listed through the wide calls; a name the code page cannot hold is shown
    // with "?" and, as a folder, never walked into by that name.
    const auto entries = fs::ListFolder(text::Wide(base));
    auto each = [&](auto&& visit) {
        if (!entries) return;
        for (const fs::WideFolderEntry& entry : *entries) {
            const std::optional<std::string> exact = text::NarrowExact(entry.name);
            visit(exact ? *exact : text::Narrow(entry.name), entry.attributes, exact.has_value());
        }
    };
    each([&](const std::string& name, DWORD attributes, bool exact) {
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
        // A link may lead back up the tree: it is listed, never walked into.
        if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && exact) subfolders.push_back(name);
        if (listFolders) result += "*" + base + name;
    });
    each([&](const std::string& name, DWORD, bool) { result += "*" + (namesOnly ? name : base + name); });
    if (!noRecursion)
        for (const auto& sub : subfolders) result += FindFiles(base + sub + "\\", noRecursion, listFolders, namesOnly);
    return result;
}

std::string GetWindowsFolder() {
    std::wstring buf(256, L'\0');
    GetWindowsDirectoryW(buf.data(), 256);
    std::string shown = text::Narrow(buf);
    std::string folder = text::Trim(StripNull(shown));
    return folder.empty() ? "C:\\Windows" : folder;
}

std::string GetSystemFolder() {
    try {
        std::wstring buf(256, L'\0');
        GetSystemDirectoryW(buf.data(), 256);
        std::string shown = text::Narrow(buf);
        std::string folder = text::Trim(StripNull(shown));
        if (folder.empty()) folder = GetWindowsFolder() + "\\system32";
        if (!folder.empty() && folder.back() == '\\') folder.pop_back();
        return folder;
    } catch (...) {
        return "C:\\Windows\\System32";
    }
}

std::string gWindowsDir;
std::string gSystemDir;

void SetWindowsFolders() {
    gWindowsDir = GetWindowsFolder();
    gSystemDir = GetSystemFolder();
    while (!gWindowsDir.empty() && gWindowsDir.back() == '\\') gWindowsDir.pop_back();
}

void ExecuteWait(const std::string& command) { ExecuteWait(text::Wide(command)); }

void ExecuteWait(const std::wstring& command) {
    using namespace tidvex::com;
    HRESULT hr = S_OK;
    auto shell = CreateByProgId<IDispatch>(L"WScript.Shell", &hr);
    if (!shell) throw RunTimeError(hr, "The scripting shell is not available");
    Variant exec;
    hr = InvokeByName(shell.Get(), L"Exec", DISPATCH_METHOD, {Variant::FromWide(command)}, &exec);
    if (FAILED(hr) || exec.Type() != VT_DISPATCH || !V_DISPATCH(exec.Get()))
        throw RunTimeError(hr, "Could not run " + text::ForLog(command));
    IDispatch* process = V_DISPATCH(exec.Get());
    for (;;) {
        Variant status;
        if (FAILED(InvokeByName(process, L"Status", DISPATCH_PROPERTYGET, {}, &status)) || status.AsLong() != 0) return;
        for (int i = 0; i < 7; ++i) pump::DoEvents();
        if (gIsExiting) return;
        // Sleep until a message arrives or a moment has passed, rather than spin.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

}  // namespace tidvex::services
