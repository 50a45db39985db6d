#include "main/platform_dialogs.h"

#include "services/helpers.h"

namespace tidvex::main {

std::wstring PlatformDialogs::OpenFiles(const std::string& title, const std::string& filter, bool multiSelect) {
    std::string dialogFilter = filter;
    return services::ShowOpenFile(owner_.hWnd(), dialogFilter, title, multiSelect);
}

std::wstring PlatformDialogs::BrowseForFolder(const std::string& title) {
    return services::BrowseForFolder(owner_.hWnd(), title);
}

std::wstring PlatformDialogs::SaveFile(const std::wstring& filter, const std::wstring& title) {
    std::wstring dialogFilter = filter;
    return services::ShowSaveFile(owner_.hWnd(), dialogFilter, title);
}

void PlatformDialogs::MsgBoxExclamation(const std::string& text) {
    MessageBoxA(owner_.hWnd(), text.c_str(), "Tidvex", MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace tidvex::main
