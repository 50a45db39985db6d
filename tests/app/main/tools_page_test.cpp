// The Tools page with in-memory controls: the start-up list's Apply rules and
// message over a scripted start-up manager, and the uninstaller page over the
// sandbox's registry with a recording program runner.
#include "main/form.h"

#include "memory_controls.h"
#include "harness/support.h"
#include "tools_entry.h"
#include "unscripted_calls.h"
#include "pump/pump.h"
#include "services/logger.h"
#include "services/program.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace tidvex::main;
using tidvex::controls::GridRow;
using tidvex::controls::MemoryButton;
using tidvex::controls::MemoryGrid;
using tidvex::services::kUninstallKey;
using Texts = std::vector<std::string>;

// The grid holds UTF-16; the records here are code-page text, with a character
// the code page lacks written as <U+XXXX>.
std::wstring W(const std::string& s) { return tidvex::text::Wide(s); }
std::string N(const std::wstring& s) { return tidvex::text::ForLog(s); }

// A start-up manager over rows held by the test; what it was asked is recorded.
struct StartupState {
    std::vector<GridRow> rows;
    Texts calls;
    std::string failOn;  // a name whose removal fails
};

class ScriptedStartUp : public tidvex::services::IStartUp {
public:
    explicit ScriptedStartUp(StartupState& state) : s_(state) {}
    std::vector<GridRow> GetStartupList() override { return s_.rows; }
    void RemoveStartupItem(std::wstring& name, std::wstring& path, std::int32_t& location) override {
        s_.calls.push_back("remove " + N(name) + "|" + N(path) + "|" + std::to_string(location));
        if (N(name) == s_.failOn) throw tidvex::RunTimeError(70, "Permission denied");
        s_.rows.erase(std::remove_if(s_.rows.begin(), s_.rows.end(), [&](const GridRow& r) { return r[2] == name; }),
                      s_.rows.end());
    }
    void BeginApply() override { s_.calls.push_back("BeginApply"); }

private:
    StartupState& s_;
};

class RecordingRunner : public tidvex::services::ProgramRunner {
public:
    void RunAndWait(const std::wstring& command) override {
        calls.push_back("wait " + N(command));
        if (onWait) onWait();
    }
    std::function<void()> onWait;
    void Start(const std::wstring& command) override { calls.push_back("start " + N(command)); }
    Texts calls;
};

class ScriptedTools : public tidvex::test::UnscriptedCalls {
public:
    std::int32_t ShowMe(const std::string& text, bool, const std::string& button, const std::string&,
                        std::int16_t icon) override {
        shown.push_back(text + " [" + button + "," + std::to_string(icon) + "]");
        return 1;
    }
    void MsgBoxExclamation(const std::string& text) override { shown.push_back("! " + text); }
    int Pixels(int twips) override { return twips; }
    std::wstring SaveFile(const std::wstring& filter, const std::wstring& title) override {
        filters.push_back(filter);
        titles.push_back(title);
        return saveAnswer;
    }
    void ReportRunTimeError(const tidvex::RunTimeError& error) override {
        errors.push_back(std::to_string(error.Number()) + " " + error.Description());
    }
    std::unique_ptr<tidvex::services::IStartUp> NewStartUp() override {
        return std::make_unique<ScriptedStartUp>(startup);
    }
    std::unique_ptr<tidvex::services::clsUninstaller> NewUninstaller() override {
        return std::make_unique<tidvex::services::clsUninstaller>(runner);
    }

    StartupState startup;
    RecordingRunner runner;
    Texts shown, errors;
    std::vector<std::wstring> filters, titles;
    std::wstring saveAnswer = L"Cancel";
};

GridRow Entry(const std::string& check, const std::string& name, const std::string& location = "Current User(Registry Run)") {
    return {L"", W(check), W(name), W(location), W("C:\\" + name + ".exe")};
}

class ToolsPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        form_ = std::make_unique<frmMain>(factory_, tools_);
    }
    void EnterToolsPage() { tidvex::test::EnterToolsPage(*form_); }
    MemoryGrid& Grid() { return static_cast<MemoryGrid&>(*form_->Grid); }
    MemoryGrid& Grid2() { return static_cast<MemoryGrid&>(*form_->Grid2); }
    void Press(tidvex::controls::Button* button) { static_cast<MemoryButton*>(button)->UserClick(); }
    int RowNamed(MemoryGrid& grid, int column, const std::string& text) {
        for (int i = 0; i < grid.Rows(); ++i)
            if (grid.Cell(i, column) == W(text)) return i;
        return -1;
    }
    Texts Names() {
        Texts names;
        for (int i = 0; i < Grid().Rows(); ++i) names.push_back(N(Grid().Cell(i, 2)));
        return names;
    }

    tidvex::controls::MemoryControlFactory factory_;
    ScriptedTools tools_;
    std::unique_ptr<frmMain> form_;
};

TEST_F(ToolsPageTest, ApplyRemovesOnlyRowsTheUserUncheckedSinceTheLoad) {
    struct Case {
        const char* what;
        Texts loaded;  // check values at load, rows A, B, C ...
        std::vector<int> toggled;
        Texts removed;
        Texts shown;
    } cases[] = {
        {"two unchecked", {"-1", "-1", "-1"}, {0, 1}, {"A", "B"}, {"A , B will not run again at windows startup. [Ok,2]"}},
        {"none unchecked", {"-1", "-1"}, {}, {}, {}},
        {"unchecked and checked again", {"-1", "-1"}, {1, 1}, {}, {}},
        {"rows unchecked at load stay", {"-1", "0", "0", "-1"}, {0, 3}, {"A", "D"},
         {"A , D will not run again at windows startup. [Ok,2]"}},
        {"a row unchecked at load and checked by the user", {"0", "-1"}, {0}, {}, {}},
        {"the last row", {"-1", "-1", "-1"}, {2}, {"C"}, {"C will not run again at windows startup. [Ok,2]"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        tools_ = ScriptedTools();
        for (size_t i = 0; i < c.loaded.size(); ++i)
            tools_.startup.rows.push_back(Entry(c.loaded[i], std::string(1, static_cast<char>('A' + i))));
        EnterToolsPage();
        for (int row : c.toggled) Grid().UserCheck(row);
        Press(form_->cmdApplyStartup);

        Texts expected;
        if (!c.loaded.empty()) expected.push_back("BeginApply");
        for (const auto& name : c.removed)
            expected.push_back("remove " + name + "|C:\\" + name + ".exe|0");
        EXPECT_EQ(tools_.startup.calls, expected);
        EXPECT_EQ(tools_.shown, c.shown);
        EXPECT_EQ(Grid().Rows(), static_cast<int>(c.loaded.size() - c.removed.size())) << "the list is loaded again";
        EXPECT_TRUE(form_->cmdApplyStartup->Enabled());
    }
}

TEST_F(ToolsPageTest, ApplyPassesTheLocationIndexOfTheRowsText) {
    tools_.startup.rows = {Entry("-1", "ini", "Win.ini Run"), Entry("-1", "odd", "Somewhere else"),
                           Entry("-1", "folder", "All Users (Start Up Folder)")};
    EnterToolsPage();
    for (int row = 0; row < 3; ++row) Grid().UserCheck(row);
    Press(form_->cmdApplyStartup);
    EXPECT_EQ(tools_.startup.calls, (Texts{"BeginApply", "remove ini|C:\\ini.exe|8", "remove odd|C:\\odd.exe|0",
                                           "remove folder|C:\\folder.exe|6"}));
}

TEST_F(ToolsPageTest, LocationTextsGiveTheirIndexAndAnythingElseZero) {
    const struct {
        const char* text;
        std::int32_t index;
    } cases[] = {
        {"Current User(Registry Run)", 0},      {"All Users(Registry Run)", 1},
        {"All Users(Registry Run Once)", 2},    {"All Users(Registry Run Once Ex)", 3},
        {"All Users(Registry Run Services)", 4}, {"Current User (Start Up Folder)", 5},
        {"All Users (Start Up Folder)", 6},     {"Win.ini Load", 7},
        {"Win.ini Run", 8},                     {"win.ini run", 0},
        {"Current User(Start Up Folder)", 0},   {"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(frmMain::GetStartupLocationIndex(c.text), c.index) << c.text;
}

TEST_F(ToolsPageTest, FirstUncheckedRowIsTheFirstRowUncheckedAtLoad) {
    const struct {
        Texts checks;
        int first;
    } cases[] = {{{"-1", "-1", "0"}, 2}, {{"0"}, 0}, {{"-1"}, -1}, {{"-1", "0", "0"}, 1}, {{}, -1}};
    for (const auto& c : cases) {
        tools_.startup.rows.clear();
        for (size_t i = 0; i < c.checks.size(); ++i) tools_.startup.rows.push_back(Entry(c.checks[i], "R" + std::to_string(i)));
        EnterToolsPage();
        EXPECT_EQ(form_->FirstUncheckedRow, c.first) << c.checks.size();
    }
}

TEST_F(ToolsPageTest, AFailingRemovalIsReportedAndApplyStaysUsable) {
    tools_.startup.rows = {Entry("-1", "A"), Entry("-1", "B"), Entry("-1", "C")};
    tools_.startup.failOn = "B";
    EnterToolsPage();
    for (int row = 0; row < 3; ++row) Grid().UserCheck(row);
    Press(form_->cmdApplyStartup);
    EXPECT_EQ(tools_.errors, Texts{"70 Permission denied"});
    EXPECT_TRUE(tools_.shown.empty());
    EXPECT_TRUE(form_->cmdApplyStartup->Enabled());
    EXPECT_EQ(Names(), (Texts{"B", "C"})) << "the list shows what is left";
}

// ---- The uninstaller page, over the sandbox's registry ----

std::string UninstallKey(const std::string& name) { return std::string(kUninstallKey) + "\\" + name; }

void SeedProgram(const std::string& keyName, const std::string& display, const std::string& command) {
    ASSERT_TRUE(tidvex::test::RegWriteString(HKEY_LOCAL_MACHINE, UninstallKey(keyName), "DisplayName", display));
    ASSERT_TRUE(tidvex::test::RegWriteString(HKEY_LOCAL_MACHINE, UninstallKey(keyName), "UninstallString", command));
}

class UninstallerPageTest : public ToolsPageTest {
protected:
    void SetUp() override {
        ToolsPageTest::SetUp();
        SeedProgram("P-Alpha", "Alpha", longCommand_);
        SeedProgram("P-Beta", "Beta", "C:\\beta\\unins.exe");
        EnterToolsPage();
    }
    int Row(const std::string& name) { return RowNamed(Grid2(), 1, name); }
    const std::string longCommand_ = "\"C:\\Program Files\\Alpha\\" + std::string(280, 'a') + ".exe\" /remove";
};

TEST_F(UninstallerPageTest, ShowsOnlyTheNames) {
    ASSERT_GE(Row("Alpha"), 0);
    ASSERT_GE(Row("Beta"), 0);
    for (int c = 0; c < 5; ++c) EXPECT_EQ(Grid2().Layout(c).hidden, c != 1) << c;
    EXPECT_EQ(Grid2().Layout(1).header, " Application");
    EXPECT_TRUE(Grid2().Layout(1).locked);
}

TEST_F(UninstallerPageTest, WithoutAnActiveRowTheButtonsOnlyAsk) {
    Grid2().ActiveRow(-1);
    for (auto* button : {form_->cmdUninstall, form_->cmdRemoveEntry, form_->cmdRenameEntry}) Press(button);
    EXPECT_EQ(tools_.shown, Texts(3, "! No Application selected, please select an application first"));
    EXPECT_TRUE(tools_.runner.calls.empty());
    EXPECT_TRUE(tidvex::test::RegKeyExists(HKEY_LOCAL_MACHINE, UninstallKey("P-Beta")));
    EXPECT_FALSE(Grid2().Editing());
}

TEST_F(UninstallerPageTest, UninstallRunsTheWholeCommandWaitsAndReloads) {
    Grid2().ActiveRow(Row("Alpha"));
    // The uninstaller removes its own entry while the page waits.
    tools_.runner.calls.clear();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey("P-Alpha").c_str());
    Press(form_->cmdUninstall);
    EXPECT_EQ(tools_.runner.calls, Texts{"wait " + longCommand_});
    EXPECT_LT(Row("Alpha"), 0) << "the list is loaded again";
    EXPECT_GE(Row("Beta"), 0);
}

TEST_F(UninstallerPageTest, EnteringThePageAgainWhileItWaitsOrLoadsIsSafe) {
    // The window stays live while an uninstaller runs and while the list is
    // read, so the user can switch to the Tools page again meanwhile.
    tools_.runner.onWait = [this] { EnterToolsPage(); };
    bool reentered = false;
    tidvex::pump::ScopedDoEvents pump([&] {
        if (reentered) return;
        reentered = true;
        EnterToolsPage();
    });
    Grid2().ActiveRow(Row("Beta"));
    Press(form_->cmdUninstall);
    EXPECT_TRUE(reentered);
    EXPECT_EQ(tools_.runner.calls, Texts{"wait C:\\beta\\unins.exe"});
    ASSERT_GE(Row("Alpha"), 0);
    ASSERT_GE(Row("Beta"), 0);
    for (int i = 0; i < Grid2().Rows(); ++i) EXPECT_EQ(Grid2().Cell(i, 0), std::to_wstring(i));
}

TEST_F(UninstallerPageTest, RemoveEntryDeletesTheKeyAtOnceAndReloads) {
    Grid2().ActiveRow(Row("Beta"));
    Press(form_->cmdRemoveEntry);
    EXPECT_TRUE(tools_.shown.empty()) << "no question";
    EXPECT_FALSE(tidvex::test::RegKeyExists(HKEY_LOCAL_MACHINE, UninstallKey("P-Beta")));
    EXPECT_LT(Row("Beta"), 0);
}

TEST_F(UninstallerPageTest, RenameThroughTheGridsEdit) {
    struct Case {
        const char* what;
        std::string typed;
        bool keyGone;
        bool committed;
        std::string cell;
        std::string stored;
        Texts shown;
    } cases[] = {
        {"a new name", "Beta Renamed", false, true, "Beta Renamed", "Beta Renamed", {}},
        {"an empty name", "", false, true, "Beta", "Beta", {"Name can not be empty. [Ok,1]"}},
        {"the entry went away", "Other", true, true, "Beta", "", {"Error occured while renaming. [Ok,1]"}},
        {"Escape", "Ignored", false, false, "Beta", "Beta", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SeedProgram("P-Beta", "Beta", "C:\\beta\\unins.exe");
        SetUp();
        tools_.shown.clear();
        const int row = Row("Beta");
        ASSERT_GE(row, 0);
        Grid2().ActiveRow(row);
        Press(form_->cmdRenameEntry);
        ASSERT_TRUE(Grid2().Editing());
        EXPECT_FALSE(Grid2().Layout(1).locked);
        EXPECT_EQ(Grid2().ColorsShown().activeBack, RGB(255, 255, 255));
        if (c.keyGone) RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey("P-Beta").c_str());
        Grid2().UserEndEdit(W(c.typed), c.committed);

        EXPECT_EQ(Grid2().Cell(row, 1), W(c.cell));
        EXPECT_EQ(tidvex::test::RegReadString(HKEY_LOCAL_MACHINE, UninstallKey("P-Beta"), "DisplayName").value_or(""),
                  c.stored);
        EXPECT_EQ(tools_.shown, c.shown);
        EXPECT_TRUE(Grid2().Layout(1).locked) << "read-only again";
        EXPECT_EQ(Grid2().ColorsShown().activeBack, RGB(122, 150, 223));
    }
}

void SeedProgramW(const std::wstring& keyName, const std::wstring& display, const std::wstring& command) {
    HKEY k = nullptr;
    const std::wstring key = W(kUninstallKey) + L"\\" + keyName;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    for (const auto& [name, text] : {std::pair{L"DisplayName", display}, std::pair{L"UninstallString", command}})
        RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
}

std::optional<std::wstring> DisplayNameOf(const std::wstring& keyName) {
    wchar_t text[256] = {};
    DWORD size = sizeof text;
    const std::wstring key = W(kUninstallKey) + L"\\" + keyName;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), L"DisplayName", RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(text);
}

// "Tooll" and "Toolł", which a code page shows alike, are two rows: each acts
// on exactly its own key and command. The list saved as "rēport.txt" leaves
// the look-alike "report.txt" as it was and holds every name exactly.
TEST_F(UninstallerPageTest, EntriesOutsideTheCodePageAreActedOnExactly) {
    const std::wstring toolL = L"Tool\u0142", broken = L"Broken Tool \u65e5\u672c";
    const std::wstring brokenCommand = L"C:\\\u0141\u00f3d\u017a\\unins.exe /x";
    SeedProgramW(L"Tooll", L"Good Tool", L"C:\\good\\unins.exe");
    SeedProgramW(toolL, broken, brokenCommand);
    EnterToolsPage();
    const int good = RowNamed(Grid2(), 4, "Tooll");
    int bad = -1;
    for (int i = 0; i < Grid2().Rows(); ++i)
        if (Grid2().Cell(i, 4) == toolL) bad = i;
    ASSERT_GE(good, 0);
    ASSERT_GE(bad, 0);
    EXPECT_EQ(Grid2().Cell(good, 1), L"Good Tool");
    EXPECT_EQ(Grid2().Cell(bad, 1), broken);

    const std::string folder = tidvex::test::ScratchFolder("uninstall-wide");
    tidvex::test::WriteFileBytes(folder + "\\report.txt", "the look-alike");
    tools_.saveAnswer = W(folder) + L"\\r\u0113port";
    Press(form_->cmdSaveUins2txt);
    EXPECT_EQ(tidvex::test::ReadFileBytes(folder + "\\report.txt").value_or(""), "the look-alike");
    HANDLE saved = CreateFileW((W(folder) + L"\\r\u0113port.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    ASSERT_NE(saved, INVALID_HANDLE_VALUE);
    std::wstring content(4096, L'\0');
    DWORD got = 0;
    ReadFile(saved, content.data(), static_cast<DWORD>(content.size() * sizeof(wchar_t)), &got, nullptr);
    CloseHandle(saved);
    content.resize(got / sizeof(wchar_t));
    EXPECT_EQ(content.substr(0, 1), L"\xFEFF");
    EXPECT_NE(content.find(L"\r\n" + broken + L"\r\n"), std::wstring::npos);
    EXPECT_NE(content.find(L"Good Tool\r\n"), std::wstring::npos);

    Grid2().ActiveRow(bad);
    tools_.runner.calls.clear();
    Press(form_->cmdUninstall);
    EXPECT_EQ(tools_.runner.calls, Texts{"wait " + N(brokenCommand)});

    Grid2().ActiveRow(RowNamed(Grid2(), 4, "Tooll"));
    Press(form_->cmdRenameEntry);
    Grid2().UserEndEdit(L"Good Tool \u0142", true);
    EXPECT_EQ(DisplayNameOf(L"Tooll"), L"Good Tool \u0142");
    EXPECT_EQ(DisplayNameOf(toolL), broken);

    for (int i = 0; i < Grid2().Rows(); ++i)
        if (Grid2().Cell(i, 4) == toolL) Grid2().ActiveRow(i);
    Press(form_->cmdRemoveEntry);
    EXPECT_FALSE(DisplayNameOf(toolL));
    EXPECT_EQ(DisplayNameOf(L"Tooll"), L"Good Tool \u0142");
    EXPECT_GE(RowNamed(Grid2(), 4, "Tooll"), 0);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (W(kUninstallKey) + L"\\Tooll").c_str());
}

TEST_F(UninstallerPageTest, SaveToTextFileNamesTheFileAndWritesEveryName) {
    const std::string folder = tidvex::test::ScratchFolder("uninstall-save");
    struct Case {
        std::string answer;
        std::string file;  // empty: nothing written
    } cases[] = {
        {folder + "\\list", folder + "\\list.txt"},
        {folder + "\\upper.TXT", folder + "\\upper.TXT"},
        {folder + "\\mixed.tXt", folder + "\\mixed.tXt"},
        {folder + "\\a.txt.bak", folder + "\\a.txt.bak.txt"},
        {folder + std::string("\\cut.txt\0junk", 13), folder + "\\cut.txt"},
        {"Cancel", ""},
        {"", ""},
    };
    std::string names;
    for (int i = 0; i < Grid2().Rows(); ++i) names += N(Grid2().Cell(i, 1)) + "\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        tools_.saveAnswer = W(c.answer);
        Press(form_->cmdSaveUins2txt);
        if (!c.file.empty()) {
            EXPECT_EQ(tidvex::test::ReadFileBytes(c.file).value_or("<none>"), names);
        }
    }
    EXPECT_EQ(tools_.filters.back(), std::wstring(L"Text Files(*.txt)\0*.txt\0", 24));
    EXPECT_EQ(tools_.titles.back(), L"Save As");
}

TEST_F(UninstallerPageTest, SavingReplacesAnOldFileWholeOrLeavesIt) {
    const std::string folder = tidvex::test::ScratchFolder("uninstall-replace");
    tidvex::test::WriteFileBytes(folder + "\\old.txt", std::string(5000, 'o'));
    tools_.saveAnswer = W(folder + "\\old.txt");
    Press(form_->cmdSaveUins2txt);
    const std::string saved = tidvex::test::ReadFileBytes(folder + "\\old.txt").value_or("");
    EXPECT_NE(saved.find("Beta\r\n"), std::string::npos);
    EXPECT_EQ(saved.find('o' + std::string(10, 'o')), std::string::npos) << "nothing of the old content";
    // A folder that is not there: the error is logged, nothing else happens.
    tools_.saveAnswer = W(folder + "\\missing\\list.txt");
    EXPECT_NO_THROW(Press(form_->cmdSaveUins2txt));
    EXPECT_FALSE(tidvex::test::PathExists(folder + "\\missing\\list.txt"));
}

}  // namespace
