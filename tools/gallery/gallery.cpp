// A gallery of the window's controls, for pictures taken under X (see
// tools/screenshots.sh): "gallery <scene> [seconds]" shows one scene and ends
// after the given seconds (default 6).
#include "controls/win32_buttons.h"
#include "controls/win32_grid.h"
#include "controls/win32_labels.h"
#include "controls/win32_lists.h"
#include "controls/win32_tabs.h"
#include "controls/win32_timer.h"
#include "controls/win32_tray.h"
#include "controls/win32_form.h"
#include "controls/xp_progress_bar.h"
#include "main/dialogs/win32_dialogs.h"
#include "services/helpers.h"

#include <commctrl.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tidvex::controls;
using namespace tidvex::controls::win32;

struct Scheme : tidvex::services::SchemeForm {
    HWND window = nullptr;
    std::vector<tidvex::services::SchemeControl*> controls;
    void SetBackColor(COLORREF color) override { SetContainerColor(window, color); }
    std::vector<tidvex::services::SchemeControl*> Controls() override { return controls; }
};

void CALLBACK EndGallery(HWND, UINT, UINT_PTR, DWORD) { ExitProcess(0); }

HWND MakeWindow(const char* title, int width, int height) {
    RECT r{0, 0, width, height};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    HWND window = CreateContainerWindow(title, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, r.right - r.left,
                                        r.bottom - r.top);
    SetWindowPos(window, nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return window;
}

void Loop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void Show(HWND window) {
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
}

// Every kind of control on one window, with the colour scheme laid over them.
void ControlsScene() {
    HWND w = MakeWindow("Tidvex controls", 780, 560);
    Scheme scheme;
    scheme.window = w;
    std::vector<std::unique_ptr<Control>> all;
    auto add = [&](auto* control) {
        all.emplace_back(control);
        scheme.controls.push_back(control);
        return control;
    };
    add(new Win32Label(w, "Clean Settings  (banner)", Bounds{0, 0, 780, 44}, LabelStyle::Banner));
    add(new Win32Label(w, "", Bounds{0, 44, 780, 8}, LabelStyle::Bars));
    add(new Win32Label(w, "Complete Items  (gradient label)", Bounds{10, 62, 300, 22}, LabelStyle::Gradient));
    add(new Win32Label(w, "Ready For Cleaning  (plain label)", Bounds{330, 64, 260, 18}));
    auto* panel = add(new Win32Panel(w, "page panel", Bounds{10, 92, 370, 220}));
    const char* include[] = {"Browsers", "Chat", "Windows"};
    for (int i = 0; i < 3; ++i) {
        auto* b = add(new Win32Button(panel->hwnd(), include[i], Bounds{12 + i * 116, 12, 108, 28}));
        b->Selected(i == 0);
    }
    add(new Win32CheckBox(panel->hwnd(), "Include Internet Items", Bounds{12, 52, 200, 20},
                          Win32CheckBox::Type::CheckBox, -1));
    add(new Win32CheckBox(panel->hwnd(), "Include System Items", Bounds{12, 76, 200, 20}));
    add(new Win32CheckBox(panel->hwnd(), "Every hour", Bounds{220, 52, 140, 20}, Win32CheckBox::Type::OptionButton,
                          -1));
    add(new Win32CheckBox(panel->hwnd(), "Every 5 hours", Bounds{220, 76, 140, 20},
                          Win32CheckBox::Type::OptionButton));
    add(new Win32TextBox(panel->hwnd(), ".bmp*.js*", Bounds{12, 108, 200, 22}));
    auto* combo = add(new Win32ComboBox(panel->hwnd(), Bounds{12, 140, 250, 24}));
    for (auto s : {"Quick Shred", "American: DoD 5220.22-M", "German: VSITR"}) combo->AddItem(s);
    combo->ListIndex(1);
    add(new Win32Label(panel->hwnd(), "Click Here", Bounds{12, 180, 120, 18}));
    auto* bar = add(new XP_ProgressBar(panel->hwnd(), Bounds{140, 178, 218, 22}));
    bar->Font({"Arial", 8, false});
    bar->Scrolling(kTwoToneGradient);
    bar->ShowText(true);
    bar->Value(45);

    auto* list = add(new Win32ListBox(w, Bounds{390, 92, 180, 104}, Win32ListBox::Options{true, false, true}));
    for (auto s : {"C:\\Temp\\old.log", "C:\\Users\\root\\notes.txt", "C:\\Junk", "D:\\Archive"}) list->AddItem(s);
    list->Selected(0, true);
    list->Selected(2, true);
    auto* drives = add(new Win32ListBox(w, Bounds{580, 92, 190, 104}, Win32ListBox::Options{false, true, false}));
    for (auto s : {"C: [SYSTEM]", "D: [DATA]", "E:"}) drives->AddItem(s);
    drives->Checked(0, true);
    drives->Checked(2, true);

    auto* tabs = add(new Win32TabStrip(w, {"IE", "FireFox", "Netscape", "Opera"}, Bounds{390, 206, 380, 106}));
    const char* ie[] = {"History", "Cache", "Cookies", "Typed URL's"};
    for (int i = 0; i < 4; ++i)
        add(new Win32CheckBox(tabs->Page(0), ie[i], Bounds{10 + (i % 2) * 170, 8 + (i / 2) * 26, 160, 20},
                              Win32CheckBox::Type::CheckBox, i == 1 ? 0 : -1));

    auto* grid = add(new Win32Grid(w, Bounds{10, 322, 760, 150}));
    grid->DataSource({{L"0", L"-1", L"Tidvex", L"Current User(Registry Run)", L"C:\\Program Files\\Tidvex\\Tidvex.exe /tray"},
                      {L"1", L"0", L"Updater", L"All Users(Registry Run)", L"C:\\Program Files\\Updater\\upd.exe"},
                      {L"2", L"-1", L"Notes", L"Current User (Start Up Folder)", L"C:\\Tools\\notes.exe"}},
                     5);
    grid->Layout(0, {"", 0, true});
    grid->Layout(1, {" ", TwipsToPixels(500), false, true});
    grid->Layout(2, {"Task Name", TwipsToPixels(1900)});
    grid->Layout(3, {"Task Location", TwipsToPixels(2200)});
    grid->Layout(4, {"Task Path", TwipsToPixels(3500)});
    grid->Colors({RGB(255, 255, 255), RGB(0, 0, 0), RGB(125, 152, 224), RGB(0, 0, 0)});
    grid->ActiveRow(1);

    add(new Win32Label(w, "Timers, the tray icon with its balloon and the pop-up menu have scenes of their own.",
                       Bounds{10, 484, 760, 18}));
    add(new Win32Button(w, "Start Cleaning", Bounds{640, 520, 130, 30}));
    tidvex::services::ApplyColorScheme(scheme);
    Show(w);
    Loop();
}

// The ten styles, horizontal, and the XP styles upright.
void ProgressScene() {
    HWND w = MakeWindow("XP_ProgressBar styles", 640, 470);
    std::vector<std::unique_ptr<Control>> all;
    const char* names[] = {"0 XP blocks", "1 XP smooth", "2 XP searching", "3 flat", "4 etched gradient",
                           "5 two-tone gradient", "6 dark", "7 hatched", "8 patterned", "9 silver gradient"};
    char patternFile[MAX_PATH] = {};
    {
        // A small checked picture for the patterned style.
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        wsprintfA(patternFile, "%stidvex_pattern.bmp", folder);
        HDC screen = GetDC(nullptr);
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), 8, 8, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
        std::string pixels(8 * 8 * 3, '\0');
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                const bool on = ((x / 2) + (y / 2)) % 2 == 0;
                pixels[static_cast<size_t>((y * 8 + x) * 3)] = static_cast<char>(on ? 0xC5 : 0xFF);
                pixels[static_cast<size_t>((y * 8 + x) * 3 + 1)] = static_cast<char>(on ? 0x6A : 0xFF);
                pixels[static_cast<size_t>((y * 8 + x) * 3 + 2)] = static_cast<char>(on ? 0x31 : 0xFF);
            }
        ReleaseDC(nullptr, screen);
        BITMAPFILEHEADER header{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + pixels.size()),
                                0, 0, sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
        HANDLE f = CreateFileA(patternFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(f, &header, sizeof header, &written, nullptr);
        WriteFile(f, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr);
        WriteFile(f, pixels.data(), static_cast<DWORD>(pixels.size()), &written, nullptr);
        CloseHandle(f);
    }
    for (int style = 0; style <= 9; ++style) {
        const int y = 10 + style * 44;
        all.emplace_back(new Win32Label(w, names[style], Bounds{10, y + 3, 150, 18}));
        auto* bar = new XP_ProgressBar(w, Bounds{160, y, 300, 22});
        all.emplace_back(bar);
        bar->Font({"Arial", 8, false});
        bar->Color(0xC56A31);
        bar->Scrolling(style);
        bar->ShowText(true);
        if (style == kPatterned) bar->Image(patternFile);
        bar->Value(style == kXpSearching ? 30 : 45 + style * 5);
    }
    for (int i = 0; i < 3; ++i) {
        auto* bar = new XP_ProgressBar(w, Bounds{490 + i * 48, 10, 24, 420});
        all.emplace_back(bar);
        bar->Color(0xC56A31);
        bar->Scrolling(i);
        bar->Orientation(1);
        bar->Value(30 + i * 30);
    }
    Show(w);
    Loop();
}

void MessageBoxScene(bool question) {
    tidvex::dialogs::MessageBoxWindow box;
    if (question)
        box.box().ShowMe(nullptr, "Cleaning process is running, Stop Cleaning and exit?", true, "Yes", "No", 3);
    else
        box.box().ShowMe(nullptr, "Optimization settings have been applied successfully.", false, "Ok", "", 2);
}

HWND gKeyBox = nullptr;

void CALLBACK TypeKey(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SetWindowTextA(gKeyBox, "HKEY_CURRENT_USER\\Software\\Marbleton Tidvex");
}

void RegistryScene() {
    tidvex::dialogs::MessageBoxWindow messages;
    HWND hidden = CreateContainerWindow("lists", WS_OVERLAPPEDWINDOW, 100, 100);
    Win32ListBox safe(hidden, Bounds{0, 0, 50, 50}), black(hidden, Bounds{0, 0, 50, 50});
    tidvex::dialogs::RegistryDialogWindow dialog(safe, black, messages.box());
    dialog.dialog().isSafeItem = true;
    gKeyBox = FindWindowExA(dialog.form().hwnd(), nullptr, "EDIT", nullptr);
    SetTimer(nullptr, 0, 500, TypeKey);
    dialog.dialog().Show(nullptr);
}

void TrayScene() {
    HWND w = MakeWindow("Tidvex", 300, 80);
    Win32Label note(w, "The tray icon and its balloon (first minimise).", Bounds{10, 10, 280, 40});
    Show(w);
    Win32TrayIcon tray;
    tray.Icon(LoadIconA(nullptr, IDI_APPLICATION));
    tray.ToolTip("Tidvex");
    tray.Attach(w);
    Win32Balloon balloon(tray);
    int x = 0, y = 0;
    tray.Position(x, y);
    balloon.Move(x, y);
    balloon.Show("Tidvex", "Tidvex is minimized here!", 1);
    Loop();
}

void MenuScene() {
    HWND w = MakeWindow("Tidvex", 300, 200);
    Show(w);
    Win32PopupMenu menu;
    for (auto s : {"Open Tidvex", "-", "Clean Now", "-", "Help", "Exit Tidvex"})
        std::string(s) == "-" ? menu.AddSeparator() : menu.AddItem(s);
    menu.Popup(120, 90);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    OleInitialize(nullptr);
    const std::string scene = __argc > 1 ? __argv[1] : "controls";
    const int seconds = __argc > 2 ? std::atoi(__argv[2]) : 6;
    SetTimer(nullptr, 0, static_cast<UINT>(seconds * 1000), EndGallery);
    if (scene == "controls") ControlsScene();
    else if (scene == "progress") ProgressScene();
    else if (scene == "question") MessageBoxScene(true);
    else if (scene == "notice") MessageBoxScene(false);
    else if (scene == "registry") RegistryScene();
    else if (scene == "tray") TrayScene();
    else if (scene == "menu") MenuScene();
    Loop();
    return 0;
}
