// The start-up manager on the sandbox: one entry seeded in each of the nine
// places (registry Run keys, both Startup folders, win.ini), listed with its
// location text, and removed exactly, leaving every other entry as it was.
#include "services/startup_manager.h"

#include "com/com_types.h"
#include "errors/run_time_error.h"
#include "harness/support.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace tidvex::services;
using tidvex::controls::GridRow;
using tidvex::test::PathExists;
using tidvex::test::ReadFileBytes;
using tidvex::test::RegWriteString;
using tidvex::test::WriteFileBytes;
using tidvex::text::Narrow;
using tidvex::text::Wide;

constexpr char kVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion\\";

std::string Folder(int csidl) {
    char path[MAX_PATH + 1] = {};
    EXPECT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, path)));
    return path;
}

void MakeShortcut(const std::string& file, const std::string& target, const std::string& arguments) {
    tidvex::com::ComPtr<IShellLinkA> link;
    ASSERT_TRUE(SUCCEEDED(
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid())));
    link->SetPath(target.c_str());
    link->SetArguments(arguments.c_str());
    auto persist = link.As<IPersistFile>(IID_IPersistFile);
    ASSERT_TRUE(persist);
    ASSERT_TRUE(SUCCEEDED(persist->Save(tidvex::com::Widen(file).c_str(), TRUE)));
}

const char kWinIni[] =
    "[fonts]\r\n"
    "load=not-this.exe\r\n"
    "[windows]\r\n"
    "load=C:\\w\\loada.exe,C:\\w\\loadb.exe\r\n"
    "run=C:\\w\\runa.exe C:\\w\\runb.exe\r\n"
    "Device=kept\r\n";

struct Seeded {
    std::int32_t location;
    std::string name;
    std::string path;
};

// One entry of each place (two of each win.ini line, to see the other kept).
std::vector<Seeded> SeededEntries() {
    return {
        {kCurrentUserRun, "CuApp", "C:\\cu\\app.exe /min"},
        {kAllUsersRun, "LmApp", "C:\\lm\\run.exe"},
        {kAllUsersRunOnce, "OnceApp", "C:\\lm\\once.exe"},
        {kAllUsersRunOnceEx, "ExApp", "C:\\lm\\ex.dll|Go"},
        {kAllUsersRunServices, "SvcApp", "C:\\lm\\svc.exe"},
        {kCurrentUserStartupFolder, "UserTool", "C:\\tools\\user.exe /s"},
        {kAllUsersStartupFolder, "common.bat", Folder(CSIDL_COMMON_STARTUP) + "\\common.bat"},
        {kWinIniLoad, "loada.exe", "C:\\w\\loada.exe"},
        {kWinIniLoad, "loadb.exe", "C:\\w\\loadb.exe"},
        {kWinIniRun, "runa.exe", "C:\\w\\runa.exe"},
        {kWinIniRun, "runb.exe", "C:\\w\\runb.exe"},
    };
}

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, std::string(kVersion) + "Run", "CuApp", "C:\\cu\\app.exe /min"));
        ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, std::string(kVersion) + "Run", "LmApp", "C:\\lm\\run.exe"));
        ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, std::string(kVersion) + "RunOnce", "OnceApp", "C:\\lm\\once.exe"));
        ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, std::string(kVersion) + "RunOnceEx\\0001", "ExApp", "C:\\lm\\ex.dll|Go"));
        ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, std::string(kVersion) + "RunServices", "SvcApp", "C:\\lm\\svc.exe"));
        MakeShortcut(Folder(CSIDL_STARTUP) + "\\UserTool.lnk", "C:\\tools\\user.exe", "/s");
        WriteFileBytes(Folder(CSIDL_COMMON_STARTUP) + "\\common.bat", "@echo off\r\n");
        WriteFileBytes(WinIniPath(), kWinIni);
    }

    static std::vector<GridRow> List() { return StartUp().GetStartupList(); }

    static GridRow RowOf(const Seeded& s) {
        return {L"", L"-1", Wide(s.name), Wide(StartupLocationTexts()[static_cast<size_t>(s.location)]), Wide(s.path)};
    }
    // The rows without their first column, which only tells where each was found.
    static std::vector<GridRow> Shown(std::vector<GridRow> rows) {
        for (auto& row : rows) row[0].clear();
        return rows;
    }
};

TEST_F(StartUpTest, ListsEverySeededEntryWithItsLocationText) {
    const auto rows = List();
    for (const auto& row : rows) ASSERT_EQ(row.size(), static_cast<size_t>(kStartupColumns));
    const auto shown = Shown(rows);
    for (const auto& s : SeededEntries()) {
        SCOPED_TRACE(s.name);
        EXPECT_NE(std::find(shown.begin(), shown.end(), RowOf(s)), shown.end());
    }
    // A "load=" line of another section is no start-up entry.
    for (const auto& row : rows) EXPECT_NE(row[kStartupNameColumn], L"not-this.exe");
}

TEST_F(StartUpTest, RemovingEachEntryRemovesExactlyIt) {
    for (const auto& s : SeededEntries()) {
        SCOPED_TRACE(s.name);
        SetUp();
        auto before = Shown(List());
        std::wstring name = Wide(s.name), path = Wide(s.path);
        std::int32_t location = s.location;
        StartUp().RemoveStartupItem(name, path, location);
        auto expected = before;
        expected.erase(std::find(expected.begin(), expected.end(), RowOf(s)));
        EXPECT_EQ(Shown(List()), expected);
    }
}

TEST_F(StartUpTest, WinIniKeepsEveryOtherEntryLineAndSection) {
    std::wstring name = L"loada.exe", path = L"C:\\w\\loada.exe";
    std::int32_t location = kWinIniLoad;
    StartUp().RemoveStartupItem(name, path, location);
    name = L"runb.exe", path = L"C:\\w\\runb.exe", location = kWinIniRun;
    StartUp().RemoveStartupItem(name, path, location);
    EXPECT_EQ(ReadFileBytes(WinIniPath()).value_or(""),
              "[fonts]\r\nload=not-this.exe\r\n[windows]\r\nload=C:\\w\\loadb.exe\r\nrun=C:\\w\\runa.exe\r\n"
              "Device=kept\r\n");
}

TEST_F(StartUpTest, RemovesOnlyWhereNameCommandAndLocationAllMatch) {
    // The same name under the machine's Run key and a changed command.
    ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, std::string(kVersion) + "Run", "CuApp", "C:\\cu\\app.exe /min"));
    const auto before = Shown(List());
    struct Case {
        std::wstring name, path;
        std::int32_t location;
    } cases[] = {
        {L"CuApp", L"C:\\cu\\other.exe", kCurrentUserRun},       // command changed since the list was read
        {L"LmApp", L"C:\\lm\\run.exe", kCurrentUserRun},         // not at that location
        {L"UserTool", L"C:\\tools\\else.exe", kCurrentUserStartupFolder},
        {L"loadc.exe", L"C:\\w\\loadc.exe", kWinIniLoad},
        {L"C\u00fcApp", L"C:\\cu\\app.exe /min", kCurrentUserRun}, // a look-alike of the name
        {L"CuApp", L"C:\\cu\\app.exe /min", 12},                 // no such location
    };
    // Each is a removal that removes nothing: it reports so.
    for (auto c : cases) {
        SCOPED_TRACE(Narrow(c.name));
        EXPECT_THROW(StartUp().RemoveStartupItem(c.name, c.path, c.location), tidvex::RunTimeError);
        EXPECT_EQ(Shown(List()), before);
    }
    std::wstring name = L"CuApp", path = L"C:\\cu\\app.exe /min";
    std::int32_t location = kCurrentUserRun;
    StartUp().RemoveStartupItem(name, path, location);
    EXPECT_TRUE(tidvex::test::RegReadString(HKEY_LOCAL_MACHINE, std::string(kVersion) + "Run", "CuApp"));
    EXPECT_FALSE(tidvex::test::RegReadString(HKEY_CURRENT_USER, std::string(kVersion) + "Run", "CuApp"));
}

TEST_F(StartUpTest, ALinkInAStartupFolderIsRefusedAndItsTargetKept) {
    const std::string outside = tidvex::test::ScratchFolder("startup-outside");
    WriteFileBytes(outside + "\\target.exe", "keep me");
    const std::string link = Folder(CSIDL_STARTUP) + "\\linked.exe";
    if (!tidvex::test::MakeUnixSymlink(outside + "\\target.exe", link)) GTEST_SKIP() << "no links here";
    std::wstring name = L"linked.exe", path = Wide(link);
    std::int32_t location = kCurrentUserStartupFolder;
    EXPECT_THROW(StartUp().RemoveStartupItem(name, path, location), tidvex::RunTimeError);
    EXPECT_EQ(ReadFileBytes(outside + "\\target.exe").value_or(""), "keep me");
    tidvex::test::RemoveUnixName(link);
}

// Names in any script ("Toolł" beside "Tooll", "日本" beside "中文", commands
// in "Łódź"), names made of look-alikes of "..\", and a file beside a shortcut
// to it: each row is one entry, exactly as the place keeps it, and removing it
// removes exactly that entry, nothing outside the Startup folder.
TEST_F(StartUpTest, EveryNameIsListedAndRemovedAsItselfOnly) {
    const std::wstring folder = Wide(Folder(CSIDL_STARTUP));
    const std::wstring programs = folder.substr(0, folder.find_last_of(L'\\'));
    auto write = [](const std::wstring& path, const char* bytes) {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE) << Narrow(path);
        DWORD n = 0;
        WriteFile(h, bytes, static_cast<DWORD>(strlen(bytes)), &n, nullptr);
        CloseHandle(h);
    };
    auto exists = [](const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    const std::wstring lookAlike = L"\xFF0E\xFF0E\xFF3C" L"victim.txt";
    const std::wstring cyrillic = L"\x0437\x0430\x043F\x0443\x0441\x043A.bat";
    write(programs + L"\\victim.txt", "outside the Startup folder");
    write(folder + L"\\" + lookAlike, "@echo look-alike");
    write(folder + L"\\" + cyrillic, "@echo cyrillic");
    write(folder + L"\\A", "@echo plain");
    // "agent.txt." is read by the system as its neighbour "agent.txt".
    write(L"\\\\?\\" + folder + L"\\agent.txt.", "@echo exact");
    write(folder + L"\\agent.txt", "@echo neighbour");
    MakeShortcut(Narrow(folder) + "\\A.lnk", Narrow(folder) + "\\A", "");
    HKEY run;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kVersion) + "Run").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &run, nullptr),
              ERROR_SUCCESS);
    const std::wstring command = L"C:\\x\\app.exe", lodz = L"C:\\t\\\x0141\x00F3" L"d\x017A\\app.exe";
    const std::wstring nihon = L"\x65E5\x672C", chinese = L"\x4E2D\x6587", otherScript = L"\x0413\x043E" L"a";
    const std::wstring toolL = L"Tool\x0142";
    const std::pair<std::wstring, std::wstring> values[] = {
        {nihon, command}, {chinese, command}, {otherScript, command}, {L"Tooll", command}, {toolL, lodz}};
    for (const auto& [name, data] : values) {
        RegSetValueExW(run, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(run);

    auto rowsNamed = [&](const std::wstring& name, std::int32_t location) {
        const std::wstring where = Wide(StartupLocationTexts()[static_cast<size_t>(location)]);
        std::vector<GridRow> found;
        for (const auto& row : List())
            if (row[kStartupNameColumn] == name && row[kStartupLocationColumn] == where) found.push_back(row);
        return found;
    };
    struct Case {
        const char* what;
        std::wstring name;
        std::int32_t location;
        std::vector<std::wstring> gone, kept;
        size_t left;  // rows of that name afterwards
    };
    const Case cases[] = {
        {"look-alike name", lookAlike, kCurrentUserStartupFolder, {folder + L"\\" + lookAlike},
         {programs + L"\\victim.txt"}, 0},
        {"Cyrillic name", cyrillic, kCurrentUserStartupFolder, {folder + L"\\" + cyrillic}, {}, 0},
        // The shortcut shows by its whole name while the file is there, by its own after.
        {"a file beside a shortcut to it", L"A", kCurrentUserStartupFolder, {folder + L"\\A"}, {folder + L"\\A.lnk"}, 1},
        {"the shortcut then", L"A", kCurrentUserStartupFolder, {folder + L"\\A.lnk"}, {}, 0},
        {"one of two Run values that a code page shows alike", nihon, kCurrentUserRun, {}, {}, 0},
        {"a Run value of another script", otherScript, kCurrentUserRun, {}, {}, 0},
        {"a name whose look-alike is another entry", toolL, kCurrentUserRun, {}, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto rows = rowsNamed(c.name, c.location);
        ASSERT_EQ(rows.size(), 1u) << "listed " << testing::PrintToString(rows);
        std::wstring name = rows[0][kStartupNameColumn], path = rows[0][kStartupPathColumn];
        std::int32_t location = c.location;
        EXPECT_NO_THROW(StartUp().RemoveStartupItem(name, path, location));
        for (const auto& f : c.gone) EXPECT_FALSE(exists(f)) << Narrow(f);
        for (const auto& f : c.kept) EXPECT_TRUE(exists(f)) << Narrow(f);
        EXPECT_EQ(rowsNamed(c.name, c.location).size(), c.left) << "left";
    }
    EXPECT_EQ(rowsNamed(chinese, kCurrentUserRun).size(), 1u);
    EXPECT_EQ(rowsNamed(L"Tooll", kCurrentUserRun).size(), 1u);
    EXPECT_EQ(tidvex::test::RegReadString(HKEY_CURRENT_USER, std::string(kVersion) + "Run", "Tooll"), "C:\\x\\app.exe");
    // Removing it again removes nothing, and says so.
    std::wstring name = otherScript, path = command;
    std::int32_t location = kCurrentUserRun;
    EXPECT_THROW(StartUp().RemoveStartupItem(name, path, location), tidvex::RunTimeError);
    // A row whose name the system reads as its neighbour's is refused: both stay.
    const auto agent = rowsNamed(L"agent.txt.", kCurrentUserStartupFolder);
    ASSERT_EQ(agent.size(), 1u);
    name = agent[0][kStartupNameColumn], path = agent[0][kStartupPathColumn], location = kCurrentUserStartupFolder;
    EXPECT_THROW(StartUp().RemoveStartupItem(name, path, location), tidvex::RunTimeError);
    EXPECT_TRUE(exists(L"\\\\?\\" + folder + L"\\agent.txt.")) << "the one named";
    EXPECT_TRUE(exists(folder + L"\\agent.txt")) << "its neighbour";
    DeleteFileW((programs + L"\\victim.txt").c_str());
    DeleteFileW((L"\\\\?\\" + folder + L"\\agent.txt.").c_str());
    DeleteFileW((folder + L"\\agent.txt").c_str());
}

// A Startup folder value that leads to another folder of the user (Documents)
// names no Startup folder: what is there is neither listed nor removed.
TEST_F(StartUpTest, AStartupValueThatLeadsToAnotherUsersFolderListsNothingThere) {
    struct Case {
        HKEY root;
        const char* value;
        int leadsTo;
        std::int32_t location;
    };
    for (const Case& c : {Case{HKEY_CURRENT_USER, "Startup", CSIDL_PERSONAL, kCurrentUserStartupFolder},
                          Case{HKEY_LOCAL_MACHINE, "Common Startup", CSIDL_COMMON_DOCUMENTS, kAllUsersStartupFolder}}) {
        SCOPED_TRACE(c.value);
        const std::string documents = Folder(c.leadsTo), report = documents + "\\report.txt";
        WriteFileBytes(report, "my report");
        const tidvex::test::ShellFoldersIn startup(c.root, {{c.value, documents}});
        const std::wstring where = Wide(StartupLocationTexts()[static_cast<size_t>(c.location)]);
        for (const auto& row : List())
            EXPECT_FALSE(row[kStartupLocationColumn] == where && row[kStartupNameColumn] == L"report.txt");
        std::wstring name = L"report.txt", path = Wide(report);
        std::int32_t location = c.location;
        EXPECT_THROW(StartUp().RemoveStartupItem(name, path, location), tidvex::RunTimeError);
        EXPECT_EQ(ReadFileBytes(report), "my report");
    }
}

TEST(StartupLocationTexts, AreTheNineInIndexOrder) {
    EXPECT_EQ(StartupLocationTexts()[kCurrentUserRun], "Current User(Registry Run)");
    EXPECT_EQ(StartupLocationTexts()[kCurrentUserStartupFolder], "Current User (Start Up Folder)");
    EXPECT_EQ(StartupLocationTexts()[kWinIniRun], "Win.ini Run");
}

TEST(WinIniPrograms, SplitOnBlanksAndCommas) {
    EXPECT_EQ(WinIniPrograms("a.exe, b.exe\tc.exe  "), (std::vector<std::string>{"a.exe", "b.exe", "c.exe"}));
    EXPECT_TRUE(WinIniPrograms("  ").empty());
}

TEST(RemoveWinIniProgram, TakesOneProgramAndItsSeparatorOnly) {
    struct Case {
        std::string value, program, expected;
        bool found;
    } cases[] = {
        {"a.exe b.exe c.exe", "b.exe", "a.exe c.exe", true},
        {"a.exe,b.exe", "b.exe", "a.exe", true},
        {"a.exe  , b.exe", "a.exe", "b.exe", true},
        {" a.exe", "a.exe", " ", true},
        {"A.EXE b.exe", "a.exe", "b.exe", true},
        {"a.exe a.exe", "a.exe", "a.exe", true},
        {"a.exe b.exe", "c.exe", "a.exe b.exe", false},
        {"ab.exe", "b.exe", "ab.exe", false},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.value + " - " + c.program);
        EXPECT_EQ(RemoveWinIniProgram(c.value, c.program), c.found);
        EXPECT_EQ(c.value, c.expected);
    }
}

}  // namespace
