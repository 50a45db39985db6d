// The Tools page on real child windows: seeded start-up and uninstall entries
// show in the list views, a row unchecked in the list view is removed by a
// click on Apply, and Uninstall runs the seeded uninstaller and waits for it.
#include "main/form.h"

#include "controls/win32_factory.h"
#include "controls/win32_window.h"
#include "main/win32/main_window.h"
#include "harness/support.h"
#include "tools_entry.h"
#include "unscripted_calls.h"
#include "services/startup_manager.h"
#include "services/uninstaller.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace tidvex::main;
using namespace tidvex::controls;

HWND Of(const Control* control) { return dynamic_cast<const tidvex::controls::win32::Win32Window*>(control)->hwnd(); }

// The text the list view shows in a row's shown column.
std::string Shown(HWND list, int row, int column) {
    char text[1024] = {};
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

int RowShowing(HWND list, int column, const std::string& text) {
    const int rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int r = 0; r < rows; ++r)
        if (Shown(list, r, column) == text) return r;
    return -1;
}

void SetItemState(HWND list, int row, UINT mask, UINT state) {
    LVITEMA item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// The Tools page's calls in a window: the real start-up manager and uninstaller,
// the message boxes and error reports recorded.
class ToolsCalls final : public tidvex::test::UnscriptedCalls {
public:
    std::int32_t ShowMe(const std::string& text, bool, const std::string&, const std::string&, std::int16_t) override {
        shown.push_back(text);
        return 1;
    }
    void ReportRunTimeError(const tidvex::RunTimeError& e) override { shown.push_back("error " + e.Description()); }
    int Pixels(int twips) override { return tidvex::controls::win32::TwipsToPixels(twips); }
    std::unique_ptr<tidvex::services::IStartUp> NewStartUp() override {
        return std::make_unique<tidvex::services::StartUp>();
    }
    std::unique_ptr<tidvex::services::clsUninstaller> NewUninstaller() override {
        return std::make_unique<tidvex::services::clsUninstaller>();
    }
    std::vector<std::string> shown;
};

class ToolsWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        host_ = tidvex::controls::win32::CreateContainerWindow("tools page", WS_OVERLAPPEDWINDOW, 800, 600);
        factory_ = std::make_unique<tidvex::controls::win32::Win32ControlFactory>(host_);
        form_ = std::make_unique<frmMain>(*factory_, calls_);
    }
    void TearDown() override {
        form_.reset();
        DestroyWindow(host_);
    }
    void EnterToolsPage() { tidvex::test::EnterToolsPage(*form_); }

    HWND host_ = nullptr;
    std::unique_ptr<tidvex::controls::win32::Win32ControlFactory> factory_;
    ToolsCalls calls_;
    std::vector<std::string>& shown_ = calls_.shown;
    std::unique_ptr<frmMain> form_;
};

constexpr char kRun[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

TEST_F(ToolsWindowTest, ListsSeededEntriesAndRemovesTheOneUncheckedInTheListView) {
    ASSERT_TRUE(tidvex::test::RegWriteString(HKEY_CURRENT_USER, kRun, "WindowTest", "C:\\wt\\app.exe"));
    ASSERT_TRUE(tidvex::test::RegWriteString(HKEY_LOCAL_MACHINE, kRun, "WindowKeep", "C:\\wt\\keep.exe"));
    tidvex::test::WriteFileBytes(tidvex::services::WinIniPath(), "[windows]\r\nrun=C:\\wt\\ini.exe\r\n");
    EnterToolsPage();

    // Shown columns: the check box, name, location, command.
    HWND list = Of(form_->Grid);
    const int row = RowShowing(list, 1, "WindowTest");
    ASSERT_GE(row, 0);
    EXPECT_EQ(Shown(list, row, 2), "Current User(Registry Run)");
    EXPECT_EQ(Shown(list, row, 3), "C:\\wt\\app.exe");
    const int ini = RowShowing(list, 1, "ini.exe");
    ASSERT_GE(ini, 0);
    EXPECT_EQ(Shown(list, ini, 2), "Win.ini Run");

    SetItemState(list, row, LVIS_STATEIMAGEMASK, INDEXTOSTATEIMAGEMASK(1));  // the user unchecks it
    SendMessageA(Of(form_->cmdApplyStartup), BM_CLICK, 0, 0);

    EXPECT_EQ(shown_, std::vector<std::string>{"WindowTest will not run again at windows startup."});
    EXPECT_FALSE(tidvex::test::RegReadString(HKEY_CURRENT_USER, kRun, "WindowTest"));
    EXPECT_TRUE(tidvex::test::RegReadString(HKEY_LOCAL_MACHINE, kRun, "WindowKeep"));
    EXPECT_LT(RowShowing(Of(form_->Grid), 1, "WindowTest"), 0);
    EXPECT_GE(RowShowing(Of(form_->Grid), 1, "WindowKeep"), 0);
    EXPECT_TRUE(IsWindowEnabled(Of(form_->cmdApplyStartup)));
}

TEST_F(ToolsWindowTest, UninstallRunsTheSeededUninstallerAndWaitsForIt) {
    const std::string key = std::string(tidvex::services::kUninstallKey) + "\\W-Sleeper";
    ASSERT_TRUE(tidvex::test::RegWriteString(HKEY_LOCAL_MACHINE, key, "DisplayName", "Sleeper"));
    ASSERT_TRUE(tidvex::test::RegWriteString(HKEY_LOCAL_MACHINE, key, "UninstallString", "Y:\\tidvex_sleeper.exe 800"));
    EnterToolsPage();

    HWND list = Of(form_->Grid2);
    const int row = RowShowing(list, 0, "Sleeper");
    ASSERT_GE(row, 0);
    SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    const DWORD start = GetTickCount();
    SendMessageA(Of(form_->cmdUninstall), BM_CLICK, 0, 0);
    EXPECT_GE(GetTickCount() - start, 750u) << "the page waited for the uninstaller";
    EXPECT_GE(RowShowing(Of(form_->Grid2), 0, "Sleeper"), 0) << "listed again after the reload";
    EXPECT_TRUE(shown_.empty());
}

// What a window draws, printed into a bitmap of its size.
class Printed {
public:
    explicit Printed(HWND hwnd) {
        RECT r{};
        GetClientRect(hwnd, &r);
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, r.right, r.bottom);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT | PRF_ERASEBKGND);
    }
    ~Printed() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    // How many pixels of the area have the colour.
    int Count(COLORREF color, const RECT& area) const {
        int n = 0;
        for (LONG y = area.top; y < area.bottom; ++y)
            for (LONG x = area.left; x < area.right; ++x) n += GetPixel(dc_, x, y) == color;
        return n;
    }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// The lists in their page's colours: white rows, the active row light blue
// with black text (start-up) or blue with white text (uninstall), the headers
// dark blue with white text.
TEST_F(ToolsWindowTest, EachListShowsItsPagesColours) {
    ASSERT_TRUE(tidvex::test::RegWriteString(HKEY_CURRENT_USER, kRun, "ColourTest", "C:\\wt\\colour.exe"));
    const std::string key = std::string(tidvex::services::kUninstallKey) + "\\W-Colour";
    ASSERT_TRUE(tidvex::test::RegWriteString(HKEY_LOCAL_MACHINE, key, "DisplayName", "Colour Program"));
    ASSERT_TRUE(tidvex::test::RegWriteString(HKEY_LOCAL_MACHINE, key, "UninstallString", "C:\\wt\\unins.exe"));
    EnterToolsPage();
    const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
    struct Case {
        const char* name;
        Grid* grid;
        int textColumn;
        COLORREF activeBack, activeText;
    };
    const Case cases[] = {
        {"start-up", form_->Grid, 1, RGB(125, 152, 224), black},
        {"uninstall", form_->Grid2, 0, RGB(122, 150, 223), white},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HWND list = Of(c.grid);
        ASSERT_GE(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 1);
        c.grid->ActiveRow(0);
        RECT cell{};
        cell.top = c.textColumn;
        cell.left = LVIR_LABEL;
        ASSERT_TRUE(SendMessageA(list, LVM_GETSUBITEMRECT, 0, reinterpret_cast<LPARAM>(&cell)));
        const Printed rows(list);
        EXPECT_GT(rows.Count(c.activeBack, cell), 0);
        EXPECT_GT(rows.Count(c.activeText, cell), 0) << "the active row's text";

        HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
        RECT title{};
        ASSERT_TRUE(SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(c.textColumn), reinterpret_cast<LPARAM>(&title)));
        const Printed headers(header);
        EXPECT_GT(headers.Count(RGB(75, 99, 150), title), (title.right - title.left) * (title.bottom - title.top) / 2);
        EXPECT_GT(headers.Count(white, title), 0) << "the header's text";
    }
}

// Finds the toolbar's "Tools" button.
BOOL CALLBACK FindToolsButton(HWND h, LPARAM found) {
    char text[64] = {}, cls[64] = {};
    GetWindowTextA(h, text, sizeof text);
    GetClassNameA(h, cls, sizeof cls);
    if (std::string(text) != "Tools" || lstrcmpiA(cls, "Button") != 0) return TRUE;
    *reinterpret_cast<HWND*>(found) = h;
    return FALSE;
}

// The program's own main window: its Tools button shows both lists, and
// Uninstall on the window waits for the seeded uninstaller.
TEST(MainWindowToolsPage, ListsSeededEntriesAndWaitsForAnUninstaller) {
    ASSERT_TRUE(tidvex::test::RegWriteString(HKEY_CURRENT_USER, kRun, "WindowEntry", "C:\\wt\\entry.exe /q"));
    const std::string key = std::string(tidvex::services::kUninstallKey) + "\\W-Window";
    ASSERT_TRUE(tidvex::test::RegWriteString(HKEY_LOCAL_MACHINE, key, "DisplayName", "Window Sleeper"));
    ASSERT_TRUE(tidvex::test::RegWriteString(HKEY_LOCAL_MACHINE, key, "UninstallString", "Y:\\tidvex_sleeper.exe 800"));

    tidvex::main::win32::MainWindow window("");
    HWND tools = nullptr;
    EnumChildWindows(window.hWnd(), FindToolsButton, reinterpret_cast<LPARAM>(&tools));
    ASSERT_NE(tools, nullptr);
    SendMessageA(tools, BM_CLICK, 0, 0);

    HWND startup = Of(window.form().Grid), programs = Of(window.form().Grid2);
    const int entry = RowShowing(startup, 1, "WindowEntry");
    ASSERT_GE(entry, 0) << "the start-up list is shown";
    EXPECT_EQ(Shown(startup, entry, 2), "Current User(Registry Run)");
    EXPECT_EQ(Shown(startup, entry, 3), "C:\\wt\\entry.exe /q");
    const int row = RowShowing(programs, 0, "Window Sleeper");
    ASSERT_GE(row, 0) << "the uninstall list is shown";

    SetItemState(programs, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    const DWORD start = GetTickCount();
    SendMessageA(Of(window.form().cmdUninstall), BM_CLICK, 0, 0);
    EXPECT_GE(GetTickCount() - start, 750u) << "the window waited for the uninstaller";
    EXPECT_GE(RowShowing(Of(window.form().Grid2), 0, "Window Sleeper"), 0);
}

}  // namespace
