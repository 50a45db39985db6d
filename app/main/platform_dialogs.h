// The platform's dialogs over the program's main window: the open and save
// dialogs, the folder picker and the exclamation box. The real window answers
// the form's dialog calls with these.
#pragma once

#include "controls/controls.h"

#include <string>

namespace tidvex::main {

class PlatformDialogs {
public:
    explicit PlatformDialogs(controls::Form& owner) : owner_(owner) {}

    std::wstring OpenFiles(const std::string& title, const std::string& filter, bool multiSelect);
    std::wstring BrowseForFolder(const std::string& title);
    std::wstring SaveFile(const std::wstring& filter, const std::wstring& title);
    void MsgBoxExclamation(const std::string& text);

private:
    controls::Form& owner_;
};

}  // namespace tidvex::main
