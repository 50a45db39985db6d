#include "main/dialogs/win32_dialogs.h"

#include <shellapi.h>

namespace tidvex::dialogs {

using controls::LabelStyle;
using controls::win32::Bounds;

namespace {

const int kBoxWidth = 380, kBoxHeight = 150;
const int kDialogWidth = 440, kDialogHeight = 262;

HICON SystemIcon(LPCSTR id) { return LoadIconA(nullptr, id); }

HICON RegistryEditorIcon() {
    char path[MAX_PATH] = {};
    if (SearchPathA(nullptr, "regedit.exe", nullptr, MAX_PATH, path, nullptr))
        if (HICON icon = ExtractIconA(GetModuleHandleA(nullptr), path, 0); icon && icon != reinterpret_cast<HICON>(1))
            return icon;
    return SystemIcon(IDI_APPLICATION);
}

}  // namespace

bool StartProgram(const std::string& command) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    std::string line = command;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

MessageBoxWindow::MessageBoxWindow()
    : form_("Tidvex", kBoxWidth, kBoxHeight),
      banner_(form_.hwnd(), "Tidvex", Bounds{0, 0, kBoxWidth, 26}, LabelStyle::Banner),
      message_(form_.hwnd(), "", Bounds{72, 38, kBoxWidth - 84, 64}),
      message0_(form_.hwnd(), "", Bounds{100, 112, 80, 26}),
      message1_(form_.hwnd(), "", Bounds{200, 112, 80, 26}),
      icon0_(form_.hwnd(), "", Bounds{16, 40, 40, 40}),
      icon1_(form_.hwnd(), "", Bounds{16, 40, 40, 40}),
      icon2_(form_.hwnd(), "", Bounds{16, 40, 40, 40}),
      icon3_(form_.hwnd(), "", Bounds{16, 40, 40, 40}),
      box_({form_, banner_, message_, {&message0_, &message1_}, {&icon0_, &icon1_, &icon2_, &icon3_}}) {
    icon0_.Icon(SystemIcon(IDI_INFORMATION));
    icon1_.Icon(SystemIcon(IDI_ERROR));
    icon2_.Icon(SystemIcon(IDI_WARNING));
    icon3_.Icon(SystemIcon(IDI_QUESTION));
}

RegistryDialogWindow::RegistryDialogWindow(controls::ListBox& lstSafeList, controls::ListBox& lstBlackList,
                                           frmMessageBox& messages)
    : form_("Add Registry Key", kDialogWidth, kDialogHeight),
      banner_(form_.hwnd(), "Add Registry Key", Bounds{0, 0, kDialogWidth, 26}, LabelStyle::Banner),
      steps_(form_.hwnd(), "", Bounds{12, 34, 120, 16}),
      step1_(form_.hwnd(), "", Bounds{24, 54, 330, 30}),
      step2_(form_.hwnd(), "", Bounds{24, 88, 330, 30}),
      step3_(form_.hwnd(), "", Bounds{24, 122, 330, 16}),
      step4_(form_.hwnd(), "", Bounds{24, 188, 330, 16}),
      txtRegItem_(form_.hwnd(), "", Bounds{24, 142, kDialogWidth - 48, 22}),
      picRegistry_(form_.hwnd(), Bounds{372, 54, 48, 48}),
      cmdOk_(form_.hwnd(), "Ok", Bounds{kDialogWidth - 196, kDialogHeight - 40, 80, 26}),
      cmdCancel_(form_.hwnd(), "Cancel", Bounds{kDialogWidth - 104, kDialogHeight - 40, 80, 26}),
      dialog_({form_, banner_, {&steps_, &step1_, &step2_, &step3_, &step4_}, txtRegItem_, picRegistry_, cmdOk_,
               cmdCancel_},
              {lstSafeList, lstBlackList, messages, StartProgram}) {
    picRegistry_.Image(RegistryEditorIcon());
}

}  // namespace tidvex::dialogs
