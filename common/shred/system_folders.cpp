#include "shred/system_folders.h"

#include "fs/paths.h"

#include <windows.h>
#include <shlobj.h>

namespace tidvex::shred {

namespace {

std::wstring ShellFolder(int csidl) {
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || !list) return {};
    wchar_t path[MAX_PATH] = {};
    std::wstring result;
    if (SHGetPathFromIDListW(list, path)) result = path;
    CoTaskMemFree(list);
    return result;
}

}  // namespace

SystemFolderTexts ReadSystemFolders() {
    SystemFolderTexts folders;
    folders[0] = fs::PathFromSystem([](wchar_t* b, UINT n) { return GetWindowsDirectoryW(b, n); });
    folders[1] = fs::PathFromSystem([](wchar_t* b, UINT n) { return GetSystemDirectoryW(b, n); });
    folders[2] = ShellFolder(CSIDL_FONTS);
    folders[3] = ShellFolder(CSIDL_STARTMENU);
    folders[4] = ShellFolder(CSIDL_PROGRAMS);
    folders[5] = ShellFolder(CSIDL_DESKTOPDIRECTORY);
    // Without a System folder there is nothing below it either.
    if (!folders[1].empty()) {
        folders[6] = folders[1] + L"\\IOSUBSYS";
        folders[7] = folders[1] + L"\\VMM32";
    }
    return folders;
}

}  // namespace tidvex::shred
