#include "platform.h"

#include "com/server.h"
#include "shred/bin_links.h"

#include <shellapi.h>

namespace velmora {

namespace {

Platform& RealPlatform() {
    static Platform real;
    return real;
}

}  // namespace

std::string Platform::LibraryFolder() { return tidvex::com::Module::Instance().Folder(); }

OSVERSIONINFOA Platform::Version() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) info = OSVERSIONINFOA{};
    return info;
}

void Platform::EmptyRecycleBin() {
    // The emptying would delete what a link in the bin leads to.
    tidvex::shred::RemoveLinksFromRecycleBin();
    // The result is not looked at: an empty bin is reported as a failure by some
    // versions of the shell.
    SHEmptyRecycleBinW(nullptr, nullptr, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
    // Exported by every shell32 but not declared in every SDK.
    if (HMODULE shell = GetModuleHandleA("shell32.dll")) {
        using UpdateIcon = BOOL(WINAPI*)();
        if (auto update = reinterpret_cast<UpdateIcon>(
                reinterpret_cast<void*>(GetProcAddress(shell, "SHUpdateRecycleBinIcon")))) {
            update();
        }
    }
}

bool Platform::EmptyClipboard() {
    if (!OpenClipboard(nullptr)) return false;
    ::EmptyClipboard();
    CloseClipboard();
    return true;
}

void Platform::ShowMessage(const std::string& text) { MessageBoxA(nullptr, text.c_str(), "", MB_OK); }

tidvex::Seam<Platform*> gPlatform{nullptr};

Platform& CurrentPlatform() {
    Platform* replacement = gPlatform.Get();
    return replacement ? *replacement : RealPlatform();
}

}  // namespace velmora
