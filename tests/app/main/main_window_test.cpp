// Tidvex.exe for real, in the sandbox with its libraries registered: it starts
// as a GUI program, shows its main window titled "Tidvex" and ends when that
// window is closed; a second start shows its message and ends; a cleaning
// started by pressing the window's buttons (by window message) runs to
// "Cleaning Done.". Built a second time without the libraries registered, it
// checks the run-time error report of a start-up that cannot create them.
#include "harness/support.h"
#include "text/text.h"

#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cctype>
#include <functional>
#include <string>
#include <vector>

namespace {

using tidvex::test::PathExists;
using tidvex::test::WriteFileBytes;

std::string Text(HWND hwnd) {
    char text[1024] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

std::string Class(HWND hwnd) {
    char name[128] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

struct TopSearch {
    DWORD pid;
    const std::string& className;
    const std::string& title;
    HWND found;
};

BOOL CALLBACK MatchTop(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<TopSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == s->pid && IsWindowVisible(hwnd) && Class(hwnd) == s->className && Text(hwnd) == s->title) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// A visible top-level window of the process with this class and title.
HWND FindTop(DWORD pid, const std::string& className, const std::string& title) {
    TopSearch search{pid, className, title, nullptr};
    EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct ChildSearch {
    const std::function<bool(HWND)>& test;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<ChildSearch*>(lp);
    if (s->test(hwnd)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The first descendant of `parent` that passes the test.
HWND FindChild(HWND parent, const std::function<bool(HWND)>& test) {
    ChildSearch search{test, nullptr};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

[[maybe_unused]] HWND ChildWithText(HWND parent, const std::string& text, const std::string& className = "") {
    return FindChild(parent, [&](HWND h) { return Text(h) == text && (className.empty() || Class(h) == className); });
}

// Presses a button the way a click does: its notification to its parent.
[[maybe_unused]] void Press(HWND button) {
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

template <class F>
bool WaitFor(F done, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 50) {
        if (done()) return true;
        Sleep(50);
    }
    return done();
}

class Program {
public:
    explicit Program(const std::string& arguments = "")
        : Program(L"Y:\\Tidvex.exe" + (arguments.empty() ? L"" : L" " + tidvex::text::Wide(arguments))) {}
    // The whole command line, the program's name first.
    explicit Program(std::wstring commandLine) {
        STARTUPINFOW si{};
        si.cb = sizeof si;
        started_ =
            CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, L"Y:\\", &si, &pi_) != FALSE;
    }
    ~Program() {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi_.hProcess, 1);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    bool Started() const { return started_; }
    DWORD Id() const { return pi_.dwProcessId; }
    bool Ended(int milliseconds) const { return WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(milliseconds)) == WAIT_OBJECT_0; }
    DWORD ExitCode() const {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }
    // A visible window of the program, waited for.
    HWND Window(const std::string& className, const std::string& title, int milliseconds = 20000) const {
        HWND found = nullptr;
        WaitFor([&] { return (found = FindTop(Id(), className, title)) != nullptr || Ended(0); }, milliseconds);
        return found;
    }

private:
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};

#ifndef TIDVEX_LIBRARIES_UNREGISTERED

TEST(MainWindow, OpensTitledTidvexAndEndsWhenClosed) {
    Program tidvex;
    ASSERT_TRUE(tidvex.Started());
    HWND main = tidvex.Window("TidvexMain", "Tidvex");
    ASSERT_NE(main, nullptr) << "no visible window titled Tidvex";
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(tidvex.Ended(10000)) << "Tidvex did not end after its window closed";
    EXPECT_EQ(tidvex.ExitCode(), 0u);
}

TEST(MainWindow, TheProgramFileCarriesTheProgramsOwnIcon) {
    ASSERT_GE(ExtractIconExA("Y:\\Tidvex.exe", -1, nullptr, nullptr, 0), 1u) << "the program file has no icon";
    HICON large = nullptr, small = nullptr;
    ASSERT_EQ(ExtractIconExA("Y:\\Tidvex.exe", 0, &large, &small, 1), 2u);
    // The blue square with the white letter, at both sizes; not the platform's plain one.
    for (HICON icon : {large, small}) {
        const tidvex::test::IconColours c = tidvex::test::ColoursOf(icon);
        EXPECT_GT(c.blue, 400);
        EXPECT_GT(c.white, 100);
    }
    EXPECT_LT(tidvex::test::ColoursOf(LoadIconA(nullptr, IDI_APPLICATION)).blue, 400);
    DestroyIcon(large);
    DestroyIcon(small);

    // Every size the platform asks for is drawn for it, none stretched from another.
    HMODULE file = LoadLibraryExA("Y:\\Tidvex.exe", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(file, nullptr);
    HRSRC group = FindResourceA(file, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_NE(group, nullptr);
    auto* directory = static_cast<BYTE*>(LockResource(LoadResource(file, group)));
    for (int size : {16, 24, 32, 48, 64, 96}) {
        const int id = LookupIconIdFromDirectoryEx(directory, TRUE, size, size, LR_DEFAULTCOLOR);
        HRSRC image = FindResourceA(file, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));  // RT_ICON
        ASSERT_NE(image, nullptr) << size;
        const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(file, image)));
        EXPECT_EQ(header->biWidth, size);
        EXPECT_EQ(header->biBitCount, 32) << "with an alpha channel, for smooth edges";
    }
    FreeLibrary(file);
}

TEST(MainWindow, TrayStartsHiddenAndStillCloses) {
    Program tidvex("/tray");
    ASSERT_TRUE(tidvex.Started());
    HWND hidden = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (hidden = FindWindowA("TidvexMain", "Tidvex")) != nullptr || tidvex.Ended(0); }, 20000));
    ASSERT_NE(hidden, nullptr);
    // Long after the start-up (a shown window appears within about a second).
    Sleep(4000);
    EXPECT_FALSE(IsWindowVisible(hidden)) << "the window ends its start-up hidden in the tray";
    EXPECT_FALSE(tidvex.Ended(0));
    PostMessageA(hidden, WM_CLOSE, 0, 0);
    EXPECT_TRUE(tidvex.Ended(10000));
    EXPECT_EQ(tidvex.ExitCode(), 0u);
}

TEST(MainWindow, ASecondStartShowsTheMessageAndEnds) {
    Program first;
    ASSERT_NE(first.Window("TidvexMain", "Tidvex"), nullptr);
    Program second;
    ASSERT_TRUE(second.Started());
    HWND box = second.Window("TidvexForm", "Tidvex");
    ASSERT_NE(box, nullptr) << "the second start shows no message";
    EXPECT_NE(ChildWithText(box, "Tidvex is already running, Please Check it in the system tray"), nullptr);
    EXPECT_EQ(FindTop(second.Id(), "TidvexMain", "Tidvex"), nullptr) << "and no window of its own";
    HWND ok = ChildWithText(box, "Ok");
    ASSERT_NE(ok, nullptr);
    Press(ok);
    EXPECT_TRUE(second.Ended(10000));
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_FALSE(first.Ended(0)) << "the first instance runs on";
    PostMessageA(first.Window("TidvexMain", "Tidvex"), WM_CLOSE, 0, 0);
    EXPECT_TRUE(first.Ended(10000));
}

// A command line the code page cannot hold is no option, even when the code
// page's copy of it reads "/tray": the window shows.
TEST(MainWindow, AFullWidthTrayIsNoOption) {
    Program tidvex(std::wstring(L"Y:\\Tidvex.exe \uFF0Ftray"));
    ASSERT_TRUE(tidvex.Started());
    HWND main = tidvex.Window("TidvexMain", "Tidvex");
    EXPECT_NE(main, nullptr) << "the window went to the tray";
    PostMessageA(main ? main : FindWindowA("TidvexMain", "Tidvex"), WM_CLOSE, 0, 0);
    EXPECT_TRUE(tidvex.Ended(10000));
}

// Tidvex installed in a folder whose name the code page cannot hold, beside
// a copy in the folder that the code page's look-alike of that name names:
// it starts (its splash picture found) and its cleaning works from its own
// black list, never the other copy's.
TEST(MainWindow, AProgramFolderOutsideTheCodePageIsItsOwn) {
    // A short cleaning: no area chosen. The programs save the choice at their
    // end; it goes again with the test.
    const std::string settings = "Software\\Marbleton Tidvex\\Settings\\";
    struct Area {
        const char *section, *name;
    };
    static constexpr Area kAreas[] = {{"Clean Settings", "Include Internet"}, {"Clean System", "Include System"},
                               {"Clean Registry", "Include Registry"}};
    struct Restore {
        const std::string& settings;
        ~Restore() {
            for (const Area& a : kAreas) RegDeleteTreeA(HKEY_LOCAL_MACHINE, (settings + a.section).c_str());
        }
    } restore{settings};
    for (const Area& a : kAreas)
        ASSERT_TRUE(tidvex::test::RegWriteString(HKEY_LOCAL_MACHINE, settings + a.section, a.name, "0"));
    struct Case {
        const wchar_t* folder;
        const char* lookAlike;  // nullptr: the code page makes no name of it
    };
    for (const Case& c : {Case{L"T\u012Bdvex", "Tidvex"}, Case{L"\u65E5\u672C", nullptr}}) {
        SCOPED_TRACE(c.lookAlike ? c.lookAlike : "no look-alike");
        const std::wstring base = tidvex::text::Wide(tidvex::test::ScratchFolder("installed"));
        // A copy of the program with a black list that names one file.
        auto install = [&](const std::wstring& folder, const std::wstring& listed) {
            ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
            ASSERT_TRUE(CopyFileW(L"Y:\\Tidvex.exe", (folder + L"\\Tidvex.exe").c_str(), FALSE));
            ASSERT_TRUE(CopyFileW(L"Y:\\Splash.spl", (folder + L"\\Splash.spl").c_str(), FALSE));
            WriteFileBytes(folder + L"\\lstBlack.lst", "0|" + tidvex::text::Narrow(listed) + "\r\n");
            WriteFileBytes(listed, "listed");
        };
        const std::wstring own = base + L"\\" + c.folder, mine = base + L"\\mine.txt", theirs = base + L"\\theirs.txt";
        install(own, mine);
        if (c.lookAlike) install(base + L"\\" + tidvex::text::Wide(c.lookAlike), theirs);

        Program tidvex(L"\"" + own + L"\\Tidvex.exe\" /clean");
        ASSERT_TRUE(tidvex.Started());
        // The window shows once the start-up, the cleaning included, is over.
        HWND main = tidvex.Window("TidvexMain", "Tidvex", 60000);
        ASSERT_NE(main, nullptr) << "the start-up did not end";
        EXPECT_FALSE(PathExists(mine)) << "its own black list was not cleaned";
        if (c.lookAlike) {
            EXPECT_EQ(tidvex::test::ReadFileBytes(theirs), "listed") << "the other copy's list was used";
        }
        PostMessageA(main, WM_CLOSE, 0, 0);
        EXPECT_TRUE(tidvex.Ended(10000));
    }
}

// The index among the drives the window offers to clean (fixed drives and
// drives without a root, in the platform's order).
int DriveIndex(char letter) {
    char roots[512] = {};
    GetLogicalDriveStringsA(sizeof roots - 1, roots);
    int index = 0;
    for (const char* root = roots; *root; root += lstrlenA(root) + 1) {
        const UINT type = GetDriveTypeA(root);
        if (type != DRIVE_FIXED && type != DRIVE_NO_ROOT_DIR) continue;
        if (std::toupper(static_cast<unsigned char>(root[0])) == letter) return index;
        ++index;
    }
    return -1;
}

TEST(MainWindow, TheStartButtonRunsACleaningToItsEnd) {
    const std::string folder = tidvex::test::ScratchFolder("window-clean");
    WriteFileBytes(folder + "\\junk.tmp", "x");
    WriteFileBytes(folder + "\\keep.txt", "x");
    const int drive = DriveIndex(folder[0]);
    ASSERT_GE(drive, 0) << "the scratch drive is not offered";
    HKEY options;
    ASSERT_EQ(RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\Marbleton Tidvex\\Settings\\Options", &options), 0);
    const std::string index = std::to_string(drive);
    RegSetValueExA(options, "Drive2Clean", 0, REG_SZ, reinterpret_cast<const BYTE*>(index.c_str()),
                   static_cast<DWORD>(index.size() + 1));
    RegCloseKey(options);

    Program tidvex;
    HWND main = tidvex.Window("TidvexMain", "Tidvex");
    ASSERT_NE(main, nullptr);
    HWND cleaner = ChildWithText(main, "Cleaner", "Button");
    ASSERT_NE(cleaner, nullptr);
    Press(cleaner);
    HWND page = ChildWithText(main, "Cleaner", "TidvexPanel");
    ASSERT_NE(page, nullptr);
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(page) != FALSE; }, 5000)) << "the Cleaner page is not shown";
    HWND start = ChildWithText(page, "Start Cleaning");
    ASSERT_NE(start, nullptr);
    HWND list = FindChild(page, [](HWND h) { return lstrcmpiA(Class(h).c_str(), "ListBox") == 0; });
    ASSERT_NE(list, nullptr);
    Press(start);

    std::vector<std::string> items;
    const bool done = WaitFor(
        [&] {
            items.clear();
            DWORD_PTR count = 0;
            if (!SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &count)) return false;
            for (int i = 0; i < static_cast<int>(count); ++i) {
                // Across processes the list's text comes as UTF-16 (ASCII here).
                wchar_t text[512] = {};
                SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text),
                                    SMTO_ABORTIFHUNG, 5000, nullptr);
                std::string narrow;
                for (const wchar_t* c = text; *c; ++c) narrow += static_cast<char>(*c);
                items.push_back(narrow);
            }
            return !items.empty() && (items.back() == "Cleaning Done." || items.back() == "Cleaning Aborted.");
        },
        180000);
    ASSERT_TRUE(done) << "no end of the cleaning in the list (" << items.size() << " items)";
    EXPECT_EQ(items.back(), "Cleaning Done.");
    EXPECT_GT(items.size(), 1u) << "the finished items are listed";
    EXPECT_EQ(Text(start), "Start Cleaning");
    EXPECT_FALSE(PathExists(folder + "\\junk.tmp")) << "the temporary file was cleaned";
    EXPECT_TRUE(PathExists(folder + "\\keep.txt"));
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(tidvex.Ended(10000));
}

#else

TEST(MainWindowWithoutLibraries, StartUpEndsWithTheRunTimeErrorReport) {
    Program tidvex;
    ASSERT_TRUE(tidvex.Started());
    HWND report = tidvex.Window("#32770", "Tidvex");
    ASSERT_NE(report, nullptr) << "no report";
    const HWND text = FindChild(report, [](HWND h) { return Text(h).find("Run-time error") != std::string::npos; });
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(Text(text),
              "Run-time error '429':\r\n\r\nActiveX component can't create object\r\n\r\n"
              "Creating the shredder object (Fraxil.Shredder) failed.");
    EXPECT_EQ(FindTop(tidvex.Id(), "TidvexMain", "Tidvex"), nullptr) << "no main window";
    PostMessageA(report, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(tidvex.Ended(10000)) << "the program ends after the report";
    EXPECT_EQ(tidvex.ExitCode(), 429u);
}

#endif

}  // namespace
