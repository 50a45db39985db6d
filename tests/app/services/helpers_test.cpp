// The system helpers: file search order and flags, the Windows and System
// folders, the dialogs and the session end through their seams (no test may
// end the Wine session), the colour scheme, and running a command while the
// message loop keeps going.
#include "services/helpers.h"
#include "services/logger.h"
#include "services/program.h"

#include "harness/support.h"
#include "services_fixture.h"
#include "pump/pump.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace tidvex::services;
using tidvex::test::PathExists;
using tidvex::test::ScratchFolder;
using tidvex::test::WriteFileBytes;

TEST(StripNull, CutsAtTheFirstNulAndChangesTheArgument) {
    std::string plain = "no nul";
    EXPECT_EQ(StripNull(plain), "no nul");
    std::string buffer("C:\\x\0junk\0", 10);
    EXPECT_EQ(StripNull(buffer), "C:\\x");
    EXPECT_EQ(buffer, "C:\\x");
}

TEST(FindFiles, ListsNamesPathsAndSubfoldersInOrder) {
    const std::string root = ScratchFolder("find");
    WriteFileBytes(root + "\\a.txt", "a");
    WriteFileBytes(root + "\\b.txt", "b");
    EXPECT_EQ(FindFiles(root, false, false, true), "*a.txt*b.txt");

    CreateDirectoryA((root + "\\sub").c_str(), nullptr);
    CreateDirectoryA((root + "\\sub\\deep").c_str(), nullptr);
    WriteFileBytes(root + "\\sub\\c.txt", "c");
    WriteFileBytes(root + "\\sub\\deep\\d.txt", "d");
    const std::string r = root + "\\";
    EXPECT_EQ(FindFiles(r, false, false, false), "*" + r + "a.txt*" + r + "b.txt*" + r + "sub" + "*" + r +
                                                     "sub\\c.txt*" + r + "sub\\deep*" + r + "sub\\deep\\d.txt");
    EXPECT_EQ(FindFiles(root, true, true, true), "*" + r + "sub*a.txt*b.txt*sub");
    EXPECT_EQ(FindFiles(root, false, true, true), "*" + r + "sub*a.txt*b.txt*sub*" + r + "sub\\deep*c.txt*deep*d.txt");
    EXPECT_EQ(FindFiles(root + "\\missing", false, true, true), "");
}

TEST(FindFiles, ListsLinksButDoesNotWalkIntoThem) {
    // A link that leads back up the tree must not make the search go round for ever.
    const std::string root = ScratchFolder("loop");
    WriteFileBytes(root + "\\f.txt", "f");
    if (!tidvex::test::MakeUnixSymlink(root, root + "\\back")) GTEST_SKIP() << "no symbolic links here";
    ASSERT_TRUE(GetFileAttributesA((root + "\\back").c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
    EXPECT_EQ(FindFiles(root, false, false, true), "*back*f.txt");
}

TEST(Folders, WindowsAndSystemFoldersHaveNoClosingBackslash) {
    const std::string windows = GetWindowsFolder();
    const std::string system = GetSystemFolder();
    ASSERT_FALSE(windows.empty());
    EXPECT_NE(windows.back(), '\\');
    EXPECT_NE(system.back(), '\\');
    EXPECT_EQ(_stricmp(system.substr(0, windows.size()).c_str(), windows.c_str()), 0) << system;
    EXPECT_TRUE(PathExists(system + "\\kernel32.dll"));
    EXPECT_EQ(GetWindowsPlatform(), 1);  // Wine reports the NT family
}

using SeamTest = ServicesTest;

TEST_F(SeamTest, ExitWindowsMapsModesToForcedFlags) {
    std::vector<std::pair<UINT, DWORD>> calls;
    ScopedPlatformCalls seam({.exitWindowsEx = [&](UINT flags, DWORD reason) {
        calls.emplace_back(flags, reason);
        return TRUE;
    }});
    for (int mode : {0, 1, 2, 3, 8, -1}) ExitWindows(mode);
    EXPECT_EQ(calls, (std::vector<std::pair<UINT, DWORD>>{
                         {4, 0xFFFFFFFF}, {5, 0xFFFFFFFF}, {7, 0xFFFFFFFF}, {12, 0xFFFFFFFF}}));
    // The shutdown privilege was taken without a failure worth logging.
    EXPECT_FALSE(PathExists(LogFilePath()));
}

TEST_F(SeamTest, AFailedExitIsLogged) {
    ScopedPlatformCalls seam({.exitWindowsEx = [](UINT, DWORD) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }});
    ExitWindows(2);
    auto log = tidvex::test::ReadFileBytes(LogFilePath()).value_or("");
    EXPECT_EQ(log.find("Error Number: 5, "), 0u) << log;
    EXPECT_NE(log.find("Function: swodniWtixE : "), std::string::npos) << log;
}

TEST_F(SeamTest, OpenDialogGetsItsBuffersFlagsAndDefaultFilter) {
    OPENFILENAMEW seen{};
    std::string filterSeen, titleSeen;
    ScopedPlatformCalls seam({.getOpenFileName = [&](OPENFILENAMEW* ofn) {
        seen = *ofn;
        titleSeen = tidvex::text::Narrow(ofn->lpstrTitle);
        filterSeen = tidvex::text::Narrow(std::wstring(ofn->lpstrFilter, 22));
        const wchar_t chosen[] = L"S:\\dir\0a.txt\0b.txt\0";
        memcpy(ofn->lpstrFile, chosen, sizeof chosen);
        return TRUE;
    }});
    std::string filter;
    const std::wstring result = ShowOpenFile(nullptr, filter, "Pick", true);
    EXPECT_EQ(filter, std::string("All Files (*.*)\0*.*\0", 20));
    EXPECT_EQ(filterSeen, std::string("All Files (*.*)\0*.*\0\0\0", 22));
    EXPECT_EQ(seen.Flags, 0x181A04u);
    EXPECT_EQ(seen.nMaxFile, 5001u);
    EXPECT_EQ(seen.nMaxFileTitle, 255u);
    EXPECT_EQ(titleSeen, "Pick");
    EXPECT_EQ(result, std::wstring(L"S:\\dir\0a.txt\0b.txt\0\0", 20));

    std::string given = "Text\0*.txt\0";
    EXPECT_EQ(ShowOpenFile(nullptr, given, "One", false), std::wstring(L"S:\\dir\0a.txt\0b.txt\0\0", 20));
    EXPECT_EQ(seen.Flags, 0x101804u);
}

TEST_F(SeamTest, CancelledDialogsSayCancel) {
    ScopedPlatformCalls seam(
        {.getOpenFileName = [](OPENFILENAMEW*) { return FALSE; },
         .getSaveFileName = [](OPENFILENAMEW* ofn) { return ofn->Flags == 6 && ofn->nMaxFile == 255 ? FALSE : TRUE; },
         .browseForFolder = [](BROWSEINFOW*) { return PIDLIST_ABSOLUTE(nullptr); }});
    std::string filter;
    EXPECT_EQ(ShowOpenFile(nullptr, filter, "", false), L"Cancel");
    std::wstring saveFilter;
    EXPECT_EQ(ShowSaveFile(nullptr, saveFilter, L""), L"Cancel");
    EXPECT_EQ(saveFilter, std::wstring(L"All Files (*.*)\0*.*\0", 20));
    EXPECT_EQ(BrowseForFolder(nullptr, "Where?"), L"");
}

TEST_F(SeamTest, SaveDialogAndFolderPickerGiveThePath) {
    // The name comes back exactly as chosen, also where the code page has only a look-alike.
    ScopedPlatformCalls seam({.getSaveFileName =
                                  [](OPENFILENAMEW* ofn) {
                                      EXPECT_STREQ(ofn->lpstrTitle, L"Save");
                                      wcscpy(ofn->lpstrFile, L"S:\\r\u0113port.txt");
                                      return TRUE;
                                  },
                              .browseForFolder =
                                  [](BROWSEINFOW* info) {
                                      EXPECT_EQ(info->ulFlags, 1u);
                                      EXPECT_STREQ(info->lpszTitle, L"Where?");
                                      return ILCreateFromPathW(L"C:\\windows");
                                  }});
    std::wstring filter(L"Text\0*.txt\0", 11);
    EXPECT_EQ(ShowSaveFile(nullptr, filter, L"Save"), std::wstring(L"S:\\r\u0113port.txt\0", 14));
    EXPECT_EQ(_wcsicmp(BrowseForFolder(nullptr, "Where?").c_str(), L"C:\\windows"), 0);
}

class FakeControl : public SchemeControl {
public:
    explicit FakeControl(ControlKind kind) : kind_(kind) {}
    ControlKind Kind() const override { return kind_; }
    void SetColor(const std::string& property, COLORREF color) override { colors[property] = color; }
    std::map<std::string, COLORREF> colors;

private:
    ControlKind kind_;
};

class FakeForm : public SchemeForm {
public:
    void SetBackColor(COLORREF color) override { back = color; }
    std::vector<SchemeControl*> Controls() override {
        std::vector<SchemeControl*> all;
        for (auto& c : controls) all.push_back(&c);
        return all;
    }
    COLORREF back = 0;
    std::vector<FakeControl> controls;
};

TEST(ColorScheme, LaysTheSchemeOverEveryKindOfControl) {
    FakeForm form;
    for (auto kind : {ControlKind::Banner, ControlKind::FramePanel, ControlKind::TextBox, ControlKind::ComboBox,
                      ControlKind::Label, ControlKind::CheckBox, ControlKind::ListBox, ControlKind::ProgressBar,
                      ControlKind::TabStrip, ControlKind::Other})
        form.controls.emplace_back(kind);
    ApplyColorScheme(form);
    EXPECT_EQ(SchemeColor.red, 174);
    EXPECT_EQ(SchemeColor.blue, 255);
    EXPECT_EQ(form.back, RGB(174, 174, 255));
    auto& c = form.controls;
    EXPECT_EQ(c[0].colors.at("HeaderColorBottomLeft"), RGB(43, 42, 153));
    EXPECT_EQ(c[0].colors.at("HeaderColorTopLeft"), RGB(73, 72, 183));
    EXPECT_EQ(c[0].colors.at("HeaderColorTopRight"), RGB(99, 98, 199));
    EXPECT_EQ(c[0].colors.size(), 9u);
    EXPECT_EQ(c[1].colors.at("BackColor"), RGB(133, 150, 255));  // blue channel held at 255
    EXPECT_EQ(c[1].colors.at("ToolTipBackColor"), RGB(66, 57, 143));
    EXPECT_EQ(c[2].colors.at("BackColor"), RGB(155, 155, 232));
    EXPECT_EQ(c[3].colors.at("ForeColor"), RGB(255, 255, 255));
    EXPECT_EQ(c[4].colors.at("StartColor"), RGB(44, 44, 125));
    EXPECT_EQ(c[5].colors.at("OuterBorderColor"), RGB(103, 115, 255));
    EXPECT_EQ(c[6].colors.at("BackColor"), RGB(198, 182, 255));
    EXPECT_EQ(c[7].colors.at("Color"), RGB(74, 74, 155));
    EXPECT_EQ(c[8].colors.at("Appearance.BackColor"), RGB(174, 174, 255));
    EXPECT_TRUE(c[9].colors.empty());
}

class ExecuteWaitTest : public ::testing::Test {
protected:
    void TearDown() override { gIsExiting = false; }
};

TEST_F(ExecuteWaitTest, WaitsForTheCommandWhileYielding) {
    int yields = 0;
    tidvex::pump::ScopedDoEvents pump([&] { ++yields; });
    const DWORD start = GetTickCount();
    ExecuteWait("Y:\\tidvex_sleeper.exe 700");
    EXPECT_GE(GetTickCount() - start, 600u);
    EXPECT_GT(yields, 7);
    EXPECT_EQ(yields % 7, 0);
}

TEST_F(ExecuteWaitTest, StopsWaitingWhenTheProgramCloses) {
    tidvex::pump::ScopedDoEvents pump([] { gIsExiting = true; });
    const DWORD start = GetTickCount();
    ExecuteWait("Y:\\tidvex_sleeper.exe 20000");
    EXPECT_LT(GetTickCount() - start, 5000u);
}

TEST_F(ExecuteWaitTest, ACommandThatCannotStartIsRaised) {
    EXPECT_THROW(ExecuteWait("Y:\\no-such-program.exe"), tidvex::RunTimeError);
}

}  // namespace
