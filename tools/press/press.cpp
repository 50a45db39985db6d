// Drives the running Tidvex window the way a user does, for the pictures of
// tools/screenshots.sh. Controls are found by caption ("&" ignored) among the
// visible windows of Tidvex, the top one first (so a dialog or message box in
// front is searched before the main window):
//   tidvex_press <caption> [<within>]  presses the first visible control with
//       that caption (a button's notification to its parent, a label's
//       button-up), inside the panel, or the top-level window, titled <within>
//   tidvex_press --wait <caption> [<seconds>]  waits until such a control shows
//   tidvex_press --progress <percent> [<seconds>]  waits until a progress bar
//       shows at least that percentage
//   tidvex_press --drop <caption>      opens the list of the combo box showing
//       <caption>; --undrop closes it
//   tidvex_press --choose <item> <caption>  picks an item of that combo box
//   tidvex_press --type <text> <window>  types into the first edit box of the
//       top-level window titled <window>
//   tidvex_press --tray <mouse message>  what the shell tells the tray icon
//       (517 right button up, 515 left double-click), the mouse on the icon
//   tidvex_press --minimize            the title bar's minimise button; waits
//       until the window has gone to the tray
//   tidvex_press --escape              Escape to the menu or list in front
//   tidvex_press --close               the main window's close box
// Exit code 1 when there is nothing to press, 2 on a wrong call.
#include "controls/win32_tray.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The text as the window itself tells it: across processes GetWindowText
// gives only a title, and a combo box's title is empty.
std::string Text(HWND hwnd) {
    char text[512] = {};
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                             &length))
        return "";
    return std::string(text, std::min<size_t>(length, sizeof text - 1));
}

std::string Class(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// A caption as the user reads it: without the "&" that marks a shortcut key.
std::string Readable(const std::string& caption) {
    std::string plain;
    for (size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == '&' && i + 1 < caption.size()) ++i;
        plain += caption[i];
    }
    return plain;
}

bool Captioned(HWND hwnd, const std::string& caption) { return Readable(Text(hwnd)) == Readable(caption); }

struct Walk {
    DWORD process = 0;
    std::vector<HWND> found;
};

BOOL CALLBACK Visit(HWND hwnd, LPARAM lp) {
    auto* w = reinterpret_cast<Walk*>(lp);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    // A second Tidvex's message box is a window of ours in another process.
    const bool ours = process == w->process || Class(hwnd).rfind("Tidvex", 0) == 0;
    if (ours && IsWindowVisible(hwnd)) w->found.push_back(hwnd);
    return TRUE;
}

// The visible top-level windows of the process that owns the main window and
// those of our own classes, the top one first.
std::vector<HWND> TopWindows() {
    Walk walk;
    HWND main = FindWindowA("TidvexMain", "Tidvex");
    if (!main) return {};
    GetWindowThreadProcessId(main, &walk.process);
    EnumWindows(Visit, reinterpret_cast<LPARAM>(&walk));
    return walk.found;
}

struct Search {
    std::string caption;
    std::string className;
    HWND found = nullptr;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    if (IsWindowVisible(hwnd) && (s->caption.empty() || Captioned(hwnd, s->caption)) &&
        (s->className.empty() || lstrcmpiA(Class(hwnd).c_str(), s->className.c_str()) == 0)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindIn(HWND parent, const std::string& caption, const std::string& className = "") {
    Search s{caption, className};
    EnumChildWindows(parent, Match, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

// The control with that caption in the first top-level window that has one,
// within the panel or window titled `within` when one is named.
HWND Find(const std::string& caption, const std::string& within = "", const std::string& className = "") {
    for (HWND top : TopWindows()) {
        HWND scope = top;
        if (!within.empty()) {
            scope = Captioned(top, within) ? top : FindIn(top, within, "TidvexPanel");
            if (!scope) continue;
        }
        if (HWND found = FindIn(scope, caption, className)) return found;
    }
    return nullptr;
}

HWND TopWindow(const std::string& title) {
    for (HWND top : TopWindows())
        if (Captioned(top, title)) return top;
    return nullptr;
}

int Press(HWND control) {
    if (!control) return 1;
    if (Class(control) == "TidvexLabel") {
        PostMessageA(control, WM_LBUTTONUP, 0, 0);
    } else {
        PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
    }
    return 0;
}

int Wait(const std::string& caption, int seconds) {
    for (int waited = 0; waited <= seconds * 10; ++waited) {
        if (Find(caption)) return 0;
        Sleep(100);
    }
    return 1;
}

struct Progress {
    int percent;
    bool reached = false;
};

BOOL CALLBACK MatchProgress(HWND hwnd, LPARAM lp) {
    auto* p = reinterpret_cast<Progress*>(lp);
    // A bar's window text is what it says: "45 %".
    const std::string text = Text(hwnd);
    if (IsWindowVisible(hwnd) && Class(hwnd) == "XP_ProgressBar" && !text.empty() &&
        std::isdigit(static_cast<unsigned char>(text[0])) && std::atoi(text.c_str()) >= p->percent) {
        p->reached = true;
        return FALSE;
    }
    return TRUE;
}

int WaitProgress(int percent, int seconds) {
    for (int waited = 0; waited <= seconds * 10; ++waited) {
        Progress progress{percent};
        for (HWND top : TopWindows()) EnumChildWindows(top, MatchProgress, reinterpret_cast<LPARAM>(&progress));
        if (progress.reached) return 0;
        Sleep(100);
    }
    return 1;
}

int Drop(const std::string& caption, bool open) {
    HWND combo = Find(caption, "", "ComboBox");
    if (!combo) return 1;
    PostMessageA(combo, CB_SHOWDROPDOWN, open ? TRUE : FALSE, 0);
    return 0;
}

// Chooses an item of the combo box showing `caption`, as a pick from its list does.
int Choose(const std::string& item, const std::string& caption) {
    HWND combo = Find(caption, "", "ComboBox");
    if (!combo) return 1;
    const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(item.c_str()));
    if (index == CB_ERR) return 1;
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    PostMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    return 0;
}

int Type(const std::string& text, const std::string& window) {
    HWND top = TopWindow(window);
    HWND edit = top ? FindIn(top, "", "Edit") : nullptr;
    if (!edit) return 1;
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return 0;
}

// The mouse on the tray icon, where a user would have it when clicking: the
// first icon of the system tray's window.
void PointAtTrayIcon() {
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    if (!tray) tray = FindWindowA("Shell_TrayWnd", nullptr);
    if (!tray) return;
    POINT at{GetSystemMetrics(SM_CXSMICON) / 2 + 2, GetSystemMetrics(SM_CYSMICON) / 2 + 2};
    ClientToScreen(tray, &at);
    SetCursorPos(at.x, at.y);
}

int Tray(UINT mouseMessage) {
    PointAtTrayIcon();
    HWND main = FindWindowA("TidvexMain", "Tidvex");
    DWORD process = 0;
    if (main) GetWindowThreadProcessId(main, &process);
    // The tray icon's own window is hidden: look among all of the process's.
    for (HWND tray = FindWindowExA(nullptr, nullptr, "TidvexTray", nullptr); tray;
         tray = FindWindowExA(nullptr, tray, "TidvexTray", nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(tray, &owner);
        if (owner != process) continue;
        PostMessageA(tray, tidvex::controls::win32::Win32TrayIcon::kCallbackMessage, 1, mouseMessage);
        return 0;
    }
    return 1;
}

// Minimises the main window and waits until it has gone to the tray.
int Minimize() {
    HWND main = FindWindowA("TidvexMain", "Tidvex");
    if (!main) return 1;
    PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    for (int waited = 0; waited < 100 && IsWindowVisible(main); ++waited) Sleep(100);
    return IsWindowVisible(main) ? 1 : 0;
}

// The title bar's close box of the main window.
int Close() {
    HWND main = FindWindowA("TidvexMain", "Tidvex");
    if (!main) return 1;
    PostMessageA(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}

// Escape to the pop-up in front (a menu, a combo box's list) or else to the
// window that has the keyboard.
int Escape() {
    std::vector<HWND> tops = TopWindows();
    if (tops.empty()) return 1;
    HWND target = tops.front();
    if (HWND menu = FindWindowA("#32768", nullptr); menu && IsWindowVisible(menu)) target = menu;
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0000001);
    return 0;
}

int Usage() {
    std::fprintf(stderr,
                 "usage: tidvex_press <caption> [<within>] | --wait <caption> [<seconds>] | "
                 "--progress <percent> [<seconds>] | --drop <caption> | "
                 "--undrop <caption> | --choose <item> <caption> | --type <text> <window> | "
                 "--tray <mouse message> | --minimize | --escape | --close\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    const std::string first = argc > 2 ? argv[2] : "", second = argc > 3 ? argv[3] : "";
    if (command == "--wait") return argc > 2 ? Wait(first, argc > 3 ? std::atoi(argv[3]) : 30) : Usage();
    if (command == "--progress")
        return argc > 2 ? WaitProgress(std::atoi(argv[2]), argc > 3 ? std::atoi(argv[3]) : 30) : Usage();
    if (command == "--drop" || command == "--undrop") return argc > 2 ? Drop(first, command == "--drop") : Usage();
    if (command == "--choose") return argc > 3 ? Choose(first, second) : Usage();
    if (command == "--type") return argc > 3 ? Type(first, second) : Usage();
    if (command == "--tray") return argc > 2 ? Tray(static_cast<UINT>(std::atoi(argv[2]))) : Usage();
    if (command == "--minimize") return Minimize();
    if (command == "--escape") return Escape();
    if (command == "--close") return Close();
    if (command.rfind("--", 0) == 0) return Usage();
    return Press(Find(command, first));
}
