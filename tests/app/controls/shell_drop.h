// Files dropped from the shell on a real window, the way the shell drops them:
// the drop goes to the window under the cursor, or the first of its parents,
// that takes files (WS_EX_ACCEPTFILES); a window out of sight takes nothing.
// The names travel in UTF-16 (a DROPFILES block with fWide set), as
// Explorer's do.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "text/text.h"

#include <cstring>
#include <string>
#include <vector>

namespace tidvex::test {

// The window that receives the drop, or nullptr when none takes files.
inline HWND DropTarget(HWND under) {
    if (!(GetWindowLongPtrA(under, GWL_STYLE) & WS_VISIBLE) || !IsWindowEnabled(under)) return nullptr;
    for (HWND w = under; w; w = GetParent(w))
        if (GetWindowLongPtrA(w, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) return w;
    return nullptr;
}

// True when a window took the drop.
inline bool DropLikeTheShell(HWND under, const std::vector<std::wstring>& paths) {
    HWND target = DropTarget(under);
    if (!target) return false;
    // A DROPFILES block followed by the NUL-separated names.
    std::wstring names;
    for (const auto& p : paths) names += p + L'\0';
    names += L'\0';
    const size_t bytes = names.size() * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), bytes);
    GlobalUnlock(block);
    SendMessageA(target, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
    return true;
}

// Code-page names, as they read.
inline bool DropLikeTheShell(HWND under, const std::vector<std::string>& paths) {
    std::vector<std::wstring> wide;
    for (const auto& p : paths) wide.push_back(text::Wide(p));
    return DropLikeTheShell(under, wide);
}

}  // namespace tidvex::test
