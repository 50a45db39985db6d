// Tidvex: the program's entry. The main window is the program: its start-up,
// then the message loop until it unloads.
#include <windows.h>
#include <commctrl.h>

#include "com/com_types.h"
#include "main/win32/main_window.h"

#include <string>

namespace {

// The command line after the program's name, as the window compares it.
std::string Arguments() {
    const char* line = GetCommandLineA();
    bool quoted = false;
    for (; *line && (quoted || (*line != ' ' && *line != '\t')); ++line)
        if (*line == '"') quoted = !quoted;
    while (*line == ' ' || *line == '\t') ++line;
    return line;
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
