// Tidvex: the program's entry. The main window is the program: its start-up,
// then the message loop until it unloads.
#include <windows.h>
#include <commctrl.h>

#include "com/com_types.h"
#include "main/win32/main_window.h"
#include "text/text.h"

#include <string>

namespace {

// The command line after the program's name, as the window compares it. It is
// read in UTF-16: the code page's copy turns look-alikes (a full-width
// solidus and letters) into an option; here a character the code page lacks
// becomes "?", which no option holds.
std::string Arguments() {
    const wchar_t* line = GetCommandLineW();
    bool quoted = false;
    for (; *line && (quoted || (*line != L' ' && *line != L'\t')); ++line)
        if (*line == L'"') quoted = !quoted;
    while (*line == L' ' || *line == L'\t') ++line;
    return tidvex::text::Narrow(line);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tidvex::com::ComInit com;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    tidvex::main::win32::MainWindow window(Arguments());
    if (!window.Load()) return 0;
    MSG msg;
    while (!window.Ended() && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
