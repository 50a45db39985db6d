// Presses a control of the running Tidvex window by its caption, the way a
// click does (a button's notification to its parent, a label's button-up), for
// the pictures of tools/screenshots.sh: "tidvex_press <caption> [<panel>]"
// presses the first visible control with that caption, inside the panel with
// the given caption when one is named. Exit code 1 when there is none.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Text(HWND hwnd) {
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

std::string Class(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

struct Search {
    std::string caption;
    std::string className;
    HWND found = nullptr;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<Search*>(lp);
    if (Text(hwnd) == s->caption && IsWindowVisible(hwnd) && (s->className.empty() || Class(hwnd) == s->className)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND Find(HWND parent, const std::string& caption, const std::string& className = "") {
    Search s{caption, className};
    EnumChildWindows(parent, Match, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tidvex_press <caption> [<panel>]\n");
        return 2;
    }
    HWND main = FindWindowA("TidvexMain", "Tidvex");
    if (!main) return 1;
    HWND within = argc > 2 ? Find(main, argv[2], "TidvexPanel") : main;
    HWND control = within ? Find(within, argv[1]) : nullptr;
    if (!control) return 1;
    if (Class(control) == "TidvexLabel") {
        PostMessageA(control, WM_LBUTTONUP, 0, 0);
    } else {
        PostMessageA(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
    }
    return 0;
}
