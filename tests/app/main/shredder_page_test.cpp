// The shredder page with in-memory controls and a scripted shredder object:
// modes, the list and its dialogs, Start and Stop, the progress events and the
// completion with its second pass and power-off.
#include "library_page_fixture.h"

#include "pump/pump.h"
#include "services/logger.h"

#include <shlobj.h>

#include <cstring>

namespace tidvex::test {
namespace {

using controls::MemoryCheckBox;
using controls::MemoryComboBox;
using controls::MemoryProgressBar;
using controls::MemoryTabStrip;

std::string ShellFolder(int csidl) {
    char buf[MAX_PATH + 1] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, buf);
    return buf;
}

class ShredderPageTest : public PageTest {
protected:
    // The start-up's press of mode 0, then entering the page.
    void Enter(int mode = 0) {
        f().cmdShredder_Click(0);
        f().InitShredder();
        if (mode) Button(f().cmdShredder[static_cast<size_t>(mode)]).UserClick();
        f().UpdateStartShredButton();
        calls_.clear();
    }
    // The open-file dialog and the folder picker answer `chosen` (or are cancelled).
    services::ScopedPlatformCalls Dialog(const std::string& chosen, bool ok = true) {
        return Dialog(text::Wide(chosen), ok);
    }
    services::ScopedPlatformCalls Dialog(std::wstring chosen, bool ok = true) {
        return services::ScopedPlatformCalls({.exitWindowsEx = [this](UINT flags, DWORD) {
                                                  exits_.push_back(flags);
                                                  return TRUE;
                                              },
                                              .getOpenFileName =
                                                  [this, chosen, ok](OPENFILENAMEW* ofn) {
                                                      dialogOwner_ = ofn->hwndOwner;
                                                      dialogTitle_ = text::Narrow(ofn->lpstrTitle);
                                                      dialogFilter_ = text::Narrow(std::wstring(ofn->lpstrFilter, 20));
                                                      memcpy(ofn->lpstrFile, chosen.data(), chosen.size() * sizeof(wchar_t));
                                                      ofn->lpstrFile[chosen.size()] = L'\0';
                                                      return ok ? TRUE : FALSE;
                                                  },
                                              .browseForFolder = [this, chosen, ok](BROWSEINFOW* info) {
                                                  dialogTitle_ = text::Narrow(info->lpszTitle);
                                                  dialogOwner_ = info->hwndOwner;
                                                  return ok ? ILCreateFromPathW(chosen.c_str()) : nullptr;
                                              }});
    }
    std::vector<std::string> Files() { return List(f().lstFiles).Items(); }
    bool Busy() {
        for (controls::Control* c : {static_cast<controls::Control*>(f().lblItemProgress),
                                     static_cast<controls::Control*>(f().lblTotalProgress),
                                     static_cast<controls::Control*>(f().prgItemShred),
                                     static_cast<controls::Control*>(f().prgTotalShred),
                                     static_cast<controls::Control*>(f().lblShredLabel)})
            EXPECT_EQ(c->Visible(), f().IsShredding);
        EXPECT_EQ(f().cmbShredMethod->Enabled(), !f().IsShredding);
        for (auto* b : f().cmdShredder) EXPECT_EQ(b->Enabled(), !f().IsShredding);
        for (auto* b : f().cmdToolBar) EXPECT_EQ(b->Enabled(), !f().IsShredding);
        EXPECT_EQ(f().tbShredder->Enabled(), !f().IsShredding);
        EXPECT_TRUE(f().cmdStartShred->Enabled());
        return f().IsShredding;
    }

    HWND dialogOwner_ = nullptr;
    std::string dialogTitle_, dialogFilter_;
};

TEST_F(ShredderPageTest, TheBarsAreTwoToneWithTextAndHiddenUntilAShredding) {
    for (auto* bar : {f().prgItemShred, f().prgTotalShred}) {
        EXPECT_EQ(bar->Scrolling(), 5);
        EXPECT_TRUE(bar->ShowText());
        EXPECT_EQ(bar->Color(), 0xC56A31u);
    }
    EXPECT_FALSE(Busy());
    EXPECT_EQ(f().cmdStartShred->Caption(), "Start Shredding Files/Folders");
    EXPECT_EQ(Mem<MemoryComboBox>(f().cmbShredMethod).Items().size(), 5u);
}

TEST_F(ShredderPageTest, EnteringThePageConfiguresTheObjectWithTheSavedMethod) {
    struct Case {
        const char* stored;
        int method;
    };
    for (const Case& c : {Case{nullptr, 0}, Case{"3", 3}, Case{"9", 0}, Case{"x", 0}}) {
        SCOPED_TRACE(c.stored ? c.stored : "nothing stored");
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, services::SettingsKey);
        if (c.stored) Store(services::kShredderSection, "ShredMethod", c.stored);
        calls_.clear();
        f().InitShredder();
        const std::string m = "ShredMethod=" + std::to_string(c.method);
        EXPECT_EQ(calls_, (Calls{"Initialize", "NewSession", "ApplicationPath=" + services::AppPath(),
                                 "Language=English.ini", "LogFileName=ShredLog.txt",
                                 "ProfileName=Tidvex Language Pack", "ShredderApplicationName=Tidvex", m, m}));
        EXPECT_EQ(f().cmbShredMethod->ListIndex(), c.method);
        EXPECT_EQ(main::ShredMethodSetting, c.method);
        EXPECT_EQ(Stored(services::kShredderSection, "ShredMethod"), std::to_string(c.method));
        EXPECT_FALSE(f().IsShredding);
    }
}

TEST_F(ShredderPageTest, AMethodChosenGoesToTheObjectAndIsSavedAtOnce) {
    Enter();
    Mem<MemoryComboBox>(f().cmbShredMethod).UserChoose(4);
    EXPECT_EQ(calls_, Calls{"ShredMethod=4"});
    EXPECT_EQ(main::ShredMethodSetting, 4);
    EXPECT_EQ(Stored(services::kShredderSection, "ShredMethod"), "4");
    // The next start of the program (a new form) selects it again.
    main::ShredMethodSetting = 0;
    main::frmMain again(factory_, window_);
    again.Shredder = std::make_unique<ScriptedShredder>(calls_);
    again.InitShredder();
    EXPECT_EQ(again.cmbShredMethod->ListIndex(), 4);
}

TEST_F(ShredderPageTest, ModeButtonsChooseTabSessionTypeAndCaption) {
    struct Case {
        int mode;
        const char* caption;
    };
    Enter();
    for (const Case& c : {Case{1, "Start Shredding Empty Space"}, Case{2, "Start Shredding Recycle Bin"},
                          Case{0, "Start Shredding Files/Folders"}}) {
        SCOPED_TRACE(c.mode);
        calls_.clear();
        Button(f().cmdShredder[static_cast<size_t>(c.mode)]).UserClick();
        for (int i = 0; i < 3; ++i) EXPECT_EQ(f().cmdShredder[static_cast<size_t>(i)]->Selected(), i == c.mode);
        EXPECT_EQ(f().tbShredder->Tab(), c.mode);
        EXPECT_EQ(f().ShredMode, c.mode);
        EXPECT_EQ(calls_, (Calls{"NewSession", "SessionType=" + std::to_string(c.mode)}));
        EXPECT_EQ(f().cmdStartShred->Caption(), c.caption);
    }
}

TEST_F(ShredderPageTest, AModeOutsideTheButtonsIsLoggedAndChangesNothing) {
    Enter(2);
    f().cmdShredder_Click(3);
    EXPECT_EQ(f().ShredMode, 2);
    EXPECT_TRUE(calls_.empty());
    const std::string log = ReadFileBytes(services::LogFilePath()).value_or("");
    EXPECT_EQ(log.find("Error Number: 9, Description: Subscript out of range"), 0u) << log;
    EXPECT_NE(log.find("Function: kcilC_redderhSdmc : "), std::string::npos) << log;
}

TEST_F(ShredderPageTest, StartIsEnabledByTheListsOfTheMode) {
    Enter();
    List(f().lstDrives).AddItem("C: [system]");
    List(f().lstDrives).AddItem("D: [data]");
    struct Step {
        const char* what;
        std::function<void()> act;
        bool enabled;
    };
    const Step steps[] = {
        {"mode 0, empty list", [] {}, false},
        {"a file dropped", [&] { List(f().lstFiles).UserDrop({"S:\\a.txt"}); }, true},
        {"Remove All", [&] { Button(f().cmdRemoveAllShred).UserClick(); }, false},
        {"mode 1, no drive checked", [&] { Button(f().cmdShredder[1]).UserClick(); }, false},
        {"D checked", [&] { List(f().lstDrives).UserCheck(1); }, true},
        {"C checked too", [&] { List(f().lstDrives).UserCheck(0); }, true},
        {"both unchecked", [&] { List(f().lstDrives).UserCheck(0), List(f().lstDrives).UserCheck(1); }, false},
        {"mode 2", [&] { Button(f().cmdShredder[2]).UserClick(); }, true},
        {"mode 0 again, list still empty", [&] { Button(f().cmdShredder[0]).UserClick(); }, false},
    };
    for (const Step& s : steps) {
        s.act();
        EXPECT_EQ(f().cmdStartShred->Enabled(), s.enabled) << s.what;
    }
}

TEST_F(ShredderPageTest, AddFilesSplitsTheDialogsAnswer) {
    struct Case {
        const char* what;
        std::string chosen;
        bool ok;
        std::vector<std::string> listed;
    };
    const Case cases[] = {
        {"one file", std::string("S:\\dir\\one.txt\0", 15), true, {"S:\\dir\\one.txt"}},
        {"three files in a folder", std::string("S:\\dir\0a.txt\0b.txt\0c.txt\0", 26), true,
         {"S:\\dir\\a.txt", "S:\\dir\\b.txt", "S:\\dir\\c.txt"}},
        {"files in a drive root", std::string("S:\\\0a.txt\0b.txt\0", 16), true, {"S:\\a.txt", "S:\\b.txt"}},
        {"cancelled", "", false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Enter();
        Button(f().cmdRemoveAllShred).UserClick();
        auto dialog = Dialog(c.chosen, c.ok);
        Button(f().cmdAddFiles).UserClick();
        EXPECT_EQ(Files(), c.listed);
        EXPECT_EQ(f().cmdStartShred->Enabled(), !c.listed.empty());
        EXPECT_EQ(dialogOwner_, reinterpret_cast<HWND>(0x1234));
        EXPECT_EQ(dialogTitle_, "Please Select a file or group of files");
        EXPECT_EQ(dialogFilter_, std::string("All Files(*.*)\0*.*\0\0\0", 20));
    }
}

TEST_F(ShredderPageTest, NothingIsListedTwice) {
    Enter();
    {
        auto dialog = Dialog(std::string("S:\\dir\0a.txt\0b.txt\0", 19));
        Button(f().cmdAddFiles).UserClick();
        Button(f().cmdAddFiles).UserClick();
    }
    {
        auto dialog = Dialog(std::string("S:\\dir\\a.txt\0", 13));
        Button(f().cmdAddFiles).UserClick();
    }
    List(f().lstFiles).UserDrop(std::vector<std::string>{"S:\\dir\\b.txt", "S:\\dir\\B.TXT"});
    EXPECT_EQ(Files(), (std::vector<std::string>{"S:\\dir\\a.txt", "S:\\dir\\b.txt", "S:\\dir\\B.TXT"}));
}

TEST_F(ShredderPageTest, AddFolderTakesFoldersButNoDriveRoot) {
    const std::string folder = ScratchFolder("picked");
    struct Case {
        const char* what;
        std::string chosen;
        bool ok;
        size_t listed;
    };
    Enter();
    for (const Case& c : {Case{"a drive root", "C:\\", true, 0}, Case{"cancelled", "", false, 0},
                          Case{"a folder", folder, true, 1}, Case{"the same folder", folder, true, 1}}) {
        SCOPED_TRACE(c.what);
        auto dialog = Dialog(c.chosen, c.ok);
        Button(f().cmdAddFolder).UserClick();
        EXPECT_EQ(Files().size(), c.listed);
        EXPECT_EQ(dialogTitle_, "Please Select a folder");
    }
    EXPECT_EQ(_stricmp(Files()[0].c_str(), folder.c_str()), 0);
    EXPECT_TRUE(f().cmdStartShred->Enabled());
}

TEST_F(ShredderPageTest, DropsAddEveryNamedPathInOrder) {
    Enter();
    List(f().lstFiles).UserDrop(std::vector<std::wstring>{});
    EXPECT_TRUE(Files().empty());
    List(f().lstFiles).UserDrop({"S:\\b", "", "S:\\a.txt", "S:\\b", "T:\\"});
    EXPECT_EQ(Files(), (std::vector<std::string>{"S:\\b", "S:\\a.txt", "T:\\"}));
}

TEST_F(ShredderPageTest, RemoveTakesTheSelectedEntryOnly) {
    Enter();
    List(f().lstFiles).UserDrop({"S:\\a", "S:\\b", "S:\\c"});
    Button(f().cmdRemoveShredItem).UserClick();
    EXPECT_EQ(Files().size(), 3u) << "nothing selected";
    f().lstFiles->ListIndex(1);
    Button(f().cmdRemoveShredItem).UserClick();
    EXPECT_EQ(Files(), (std::vector<std::string>{"S:\\a", "S:\\c"}));
    EXPECT_TRUE(f().cmdStartShred->Enabled());
}

TEST_F(ShredderPageTest, StartingAFilesSessionHandsOverFilesAndFoldersBelowARoot) {
    const std::string dir = ScratchFolder("start");
    WriteFileBytes(dir + "\\file.txt", "x");
    CreateDirectoryA((dir + "\\sub").c_str(), nullptr);
    Enter();
    Mem<MemoryComboBox>(f().cmbShredMethod).UserChoose(1);
    // The shell's own roots and the drive's in other spellings are held back too.
    List(f().lstFiles).UserDrop({dir + "\\file.txt", dir + "\\sub", dir + "\\gone", "S:\\",
                                 ShellFolder(CSIDL_WINDOWS), ShellFolder(CSIDL_PROFILE),
                                 ShellFolder(CSIDL_PROGRAM_FILES) + "\\", "\\\\?\\" + ShellFolder(CSIDL_WINDOWS),
                                 "\\\\.\\" + ShellFolder(CSIDL_PROFILE), ShellFolder(CSIDL_SYSTEM) + "\\x\\..",
                                 ShellFolder(CSIDL_PROFILE) + ". ", "\\\\?\\S:\\", "S:\\x\\..",
                                 "\\\\localhost\\C$\\x", "\\\\.\\PhysicalDrive0"});
    calls_.clear();
    Button(f().cmdStartShred).UserClick();
    EXPECT_EQ(calls_, (Calls{"Initialize", "NewSession", "ApplicationPath=" + services::AppPath(),
                             "Language=English.ini", "LogFileName=ShredLog.txt", "ProfileName=Tidvex Language Pack",
                             "ShredderApplicationName=Tidvex", "ShredMethod=1", "ShredMethod=1", "SessionType=0",
                             "AddFile " + dir + "\\file.txt", "AddFolder " + dir + "\\sub",
                             "AddFolder " + dir + "\\gone", "ShredSubFolder=-1", "RemoveSubFolder=-1",
                             "ShredHiddenAndSystemFiles=-1", "StartSession"}));
    EXPECT_TRUE(Busy());
    EXPECT_EQ(f().cmdStartShred->Caption(), "Stop Shredding Files/Folders");
}

// The list's tab is disabled while its files are shredded: its buttons and
// the list take nothing from the user until the shredding ends.
TEST_F(ShredderPageTest, TheListCannotChangeDuringAShredding) {
    const std::string dir = ScratchFolder("busy list");
    WriteFileBytes(dir + "\\file.txt", "x");
    Enter();
    List(f().lstFiles).UserDrop({dir + "\\file.txt"});
    f().lstFiles->ListIndex(0);
    auto dialog = Dialog(dir + "\\other.txt");
    Button(f().cmdStartShred).UserClick();
    ASSERT_TRUE(Busy());
    for (auto* button : {f().cmdAddFiles, f().cmdAddFolder, f().cmdRemoveShredItem, f().cmdRemoveAllShred})
        Button(button).UserClick();
    List(f().lstFiles).UserDrop({dir});
    EXPECT_EQ(Files(), std::vector<std::string>{dir + "\\file.txt"});
    EXPECT_TRUE(dialogTitle_.empty()) << "no dialog opened";

    Button(f().cmdStartShred).UserClick();
    Button(f().cmdRemoveAllShred).UserClick();
    EXPECT_TRUE(Files().empty()) << "usable again after Stop";
}

TEST_F(ShredderPageTest, StartingAFreeSpaceSessionNamesEveryDrive) {
    Enter();
    for (const char* d : {"C: [system]", "d:", "E: [data]"}) List(f().lstDrives).AddItem(d);
    Button(f().cmdShredder[1]).UserClick();
    List(f().lstDrives).UserCheck(0);
    List(f().lstDrives).UserCheck(2);
    calls_.clear();
    Button(f().cmdStartShred).UserClick();
    const Calls tail(calls_.begin() + 9, calls_.end());
    EXPECT_EQ(tail, (Calls{"SessionType=1", "AddDrive C:\\", "RemoveDrive d:\\", "AddDrive E:\\", "SessionType=1",
                           "StartSession"}));
    EXPECT_TRUE(Busy());
    EXPECT_EQ(f().cmdStartShred->Caption(), "Stop Shredding Empty Space");
}

TEST_F(ShredderPageTest, StartingARecycleBinSessionAndStoppingIt) {
    Enter(2);
    Button(f().cmdStartShred).UserClick();
    EXPECT_EQ(Calls(calls_.begin() + 9, calls_.end()), (Calls{"SessionType=2", "StartSession"}));
    EXPECT_TRUE(Busy());
    EXPECT_EQ(f().cmdStartShred->Caption(), "Stop Shredding Recycle Bin");
    f().Shredder_CurrentProgress(40);
    calls_.clear();

    Button(f().cmdStartShred).UserClick();
    EXPECT_EQ(calls_, Calls{"AbortSession"});
    EXPECT_FALSE(Busy());
    EXPECT_EQ(f().cmdStartShred->Caption(), "Start Shredding Recycle Bin");
    EXPECT_EQ(f().prgItemShred->Value(), 40) << "the bars are not reset";
}

TEST_F(ShredderPageTest, TheCaptionSwapsEveryStartAndStopWhateverTheirCase) {
    struct Case {
        const char* before;
        const char* busy;
        const char* after;
    };
    for (const Case& c :
         {Case{"Start Shredding Files/Folders", "Stop Shredding Files/Folders", "Start Shredding Files/Folders"},
          Case{"start here, START now", "Stop here, Stop now", "Start here, Start now"}}) {
        Enter();
        List(f().lstFiles).UserDrop({"S:\\x"});
        f().cmdStartShred->Caption(c.before);
        Button(f().cmdStartShred).UserClick();
        EXPECT_EQ(f().cmdStartShred->Caption(), c.busy);
        Button(f().cmdStartShred).UserClick();
        EXPECT_EQ(f().cmdStartShred->Caption(), c.after);
    }
}

TEST_F(ShredderPageTest, ProgressEventsMoveTheirBars) {
    Enter(2);
    Button(f().cmdStartShred).UserClick();
    struct Case {
        int item, total;
    };
    for (const Case& c : {Case{0, 0}, Case{55, 10}, Case{100, 100}}) {
        f().Shredder_CurrentProgress(c.item);
        f().Shredder_CurrentTotalProgress(c.total);
        EXPECT_EQ(f().prgItemShred->Value(), c.item);
        EXPECT_EQ(f().prgTotalShred->Value(), c.total);
    }
    f().Shredder_CurrentItemShredded("S:\\x");
    f().Shredder_Message("Start Files Shredding.");
    f().Shredder_ErrorMessage("Folder Already in List.", 37003);
    EXPECT_TRUE(Busy()) << "messages of the server leave the page as it is";
}

TEST_F(ShredderPageTest, CompletionShredsWhatIsLeftAgainAndReturnsToIdle) {
    const std::string dir = ScratchFolder("left");
    WriteFileBytes(dir + "\\left.txt", std::string(500, 'L'));
    CreateDirectoryA((dir + "\\tree").c_str(), nullptr);
    CreateDirectoryA((dir + "\\tree\\deep").c_str(), nullptr);
    WriteFileBytes(dir + "\\tree\\deep\\inner.txt", std::string(300, 'I'));
    WriteFileBytes(dir + "\\kept.txt", "not listed");
    Enter();
    List(f().lstFiles).UserDrop({dir + "\\left.txt", dir + "\\tree", dir + "\\destroyed.txt"});
    Button(f().cmdStartShred).UserClick();
    calls_.clear();

    f().shredder_SessionCompleted();
    EXPECT_FALSE(PathExists(dir + "\\left.txt"));
    EXPECT_FALSE(PathExists(dir + "\\tree"));
    EXPECT_TRUE(PathExists(dir + "\\kept.txt"));
    EXPECT_FALSE(Busy());
    EXPECT_EQ(f().cmdStartShred->Caption(), "Start Shredding Files/Folders");
    EXPECT_EQ(Files().size(), 3u) << "the list stays";
    EXPECT_TRUE(calls_.empty());
    EXPECT_TRUE(exits_.empty());
}

TEST_F(ShredderPageTest, CompletionNeverShredsADriveRoot) {
    auto drive = TestDrive('t');
    if (!drive) GTEST_SKIP() << "no test drive";
    const std::string root = std::string(1, *drive) + ":\\";
    WriteFileBytes(root + "keep.txt", "on the drive");
    Enter();
    List(f().lstFiles).UserDrop({root, std::string(1, *drive) + ":"});
    Button(f().cmdStartShred).UserClick();
    EXPECT_EQ(std::count_if(calls_.begin(), calls_.end(), [](const std::string& c) { return c.rfind("Add", 0) == 0; }),
              0);
    f().shredder_SessionCompleted();
    EXPECT_EQ(ReadFileBytes(root + "keep.txt").value_or(""), "on the drive");
    EXPECT_FALSE(f().IsShredding);
}

TEST_F(ShredderPageTest, OnlyAFilesSessionIsFollowedByTheSecondPass) {
    const std::string dir = ScratchFolder("other");
    WriteFileBytes(dir + "\\listed.txt", "still here");
    for (int mode : {1, 2}) {
        SCOPED_TRACE(mode);
        Enter(mode);
        List(f().lstDrives).AddItem("S:");
        List(f().lstDrives).UserCheck(0);
        List(f().lstFiles).UserDrop({dir + "\\listed.txt"});
        Button(f().cmdStartShred).UserClick();
        f().shredder_SessionCompleted();
        EXPECT_TRUE(PathExists(dir + "\\listed.txt"));
        EXPECT_FALSE(Busy());
        List(f().lstDrives).Clear();
    }
}

TEST_F(ShredderPageTest, PowerOffFollowsACompletionWhenAskedForOnly) {
    struct Case {
        int mode;
        int box;
        bool stopFirst;
        std::vector<UINT> exits;
    };
    const Case cases[] = {
        {0, -1, false, {12}}, {1, -1, false, {12}}, {2, -1, false, {12}},
        {2, 0, false, {}},    {0, -1, true, {}},  // a completion late after Stop
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.mode << " box " << c.box << " stop " << c.stopFirst);
        exits_.clear();
        Enter(c.mode);
        List(f().lstDrives).AddItem("S:");
        List(f().lstDrives).Checked(0, true);
        List(f().lstFiles).UserDrop({"S:\\nothing-here"});
        f().chkShredShutdown->Value(c.box);
        Button(f().cmdStartShred).UserClick();
        if (c.stopFirst) Button(f().cmdStartShred).UserClick();
        f().shredder_SessionCompleted();
        EXPECT_EQ(exits_, c.exits);
        EXPECT_FALSE(Busy());
        List(f().lstDrives).Clear();
    }
}

TEST_F(ShredderPageTest, ALateCompletionOfAStoppedSessionShredsNothing) {
    const std::string dir = ScratchFolder("late");
    WriteFileBytes(dir + "\\stays.txt", "kept");
    Enter();
    List(f().lstFiles).UserDrop({dir + "\\stays.txt"});
    Button(f().cmdStartShred).UserClick();
    Button(f().cmdStartShred).UserClick();
    f().shredder_SessionCompleted();
    EXPECT_EQ(ReadFileBytes(dir + "\\stays.txt").value_or(""), "kept");
    EXPECT_EQ(f().cmdStartShred->Caption(), "Start Shredding Files/Folders");
}

// Stop, or Stop and a new Start, while the completion shreds what is left: the
// completion ends at once, shreds no more, powers nothing off and leaves the
// page to what was pressed.
TEST_F(ShredderPageTest, AStopDuringTheSecondPassEndsItWithoutPowerOff) {
    struct Case {
        bool startAgain;
        const char* caption;
    };
    for (const Case& c : {Case{false, "Start Shredding Files/Folders"}, Case{true, "Stop Shredding Files/Folders"}}) {
        SCOPED_TRACE(c.caption);
        const std::string dir = ScratchFolder(c.startAgain ? "restart" : "second");
        WriteFileBytes(dir + "\\first.txt", std::string(400, '1'));
        WriteFileBytes(dir + "\\second.txt", "2nd");
        Enter();
        f().chkShredShutdown->Value(-1);
        List(f().lstFiles).UserDrop({dir + "\\first.txt", dir + "\\second.txt"});
        Button(f().cmdStartShred).UserClick();
        calls_.clear();
        int yields = 0;
        ScopedSeam<std::function<void()>> pump(pump::gDoEvents, [&] {
            if (++yields != 1) return;
            Button(f().cmdStartShred).UserClick();
            if (c.startAgain) Button(f().cmdStartShred).UserClick();
        });
        f().shredder_SessionCompleted();
        EXPECT_EQ(yields, 1) << "the pass ended at once";
        EXPECT_EQ(ReadFileBytes(dir + "\\second.txt").value_or(""), "2nd");
        EXPECT_TRUE(exits_.empty());
        EXPECT_EQ(Busy(), c.startAgain);
        EXPECT_EQ(f().cmdStartShred->Caption(), c.caption);
        EXPECT_EQ(std::count(calls_.begin(), calls_.end(), "StartSession"), c.startAgain ? 1 : 0);
        if (f().IsShredding) Button(f().cmdStartShred).UserClick();
    }
}

TEST_F(ShredderPageTest, EnteringThePageOrPressingAModeLeavesARunningSessionAlone) {
    Enter(2);
    Button(f().cmdStartShred).UserClick();
    calls_.clear();
    f().InitShredder();
    f().UpdateStartShredButton();
    f().cmdShredder_Click(0);
    EXPECT_TRUE(calls_.empty());
    EXPECT_EQ(f().ShredMode, 2);
    EXPECT_TRUE(Busy());
    // Stop still works afterwards.
    Button(f().cmdStartShred).UserClick();
    EXPECT_EQ(calls_, Calls{"AbortSession"});
}

// The enabled states of the toolbar, the mode buttons, the combo and the tab
// strip, then the Start caption and whether the bars show.
std::string PageState(main::frmMain& f) {
    std::string state;
    for (auto* b : f.cmdToolBar) state += b->Enabled() ? 'E' : '-';
    state += ' ';
    for (auto* b : f.cmdShredder) state += b->Enabled() ? 'E' : '-';
    state += f.cmbShredMethod->Enabled() ? 'E' : '-';
    state += f.tbShredder->Enabled() ? 'E' : '-';
    return state + " " + f.cmdStartShred->Caption() + (f.lblShredLabel->Visible() ? " (bars)" : "");
}

// A failing call of the object reaches the run-time report, which ends the
// program (here it returns), and never the control barrier; a Start that
// failed or was refused leaves the page as it was before the press, usable.
TEST_F(ShredderPageTest, AFailingObjectIsReportedByTheWindowNotSwallowed) {
    struct Case {
        const char* failing;
        const char* refusing;
        int mode;
        bool running;
        std::function<void()> act;  // none: Start pressed
        const char* what;           // what the report names; none for a refusal
    };
    auto start = [this] { Button(f().cmdStartShred).UserClick(); };
    const Case cases[] = {
        {"", "StartSession", 2, false, nullptr, nullptr},
        {"", "StartSession", 1, false, nullptr, nullptr},
        {"StartSession", "", 2, false, nullptr, "Starting a shredding"},
        {"AddFolder", "", 0, false, nullptr, "Starting a shredding"},
        {"AbortSession", "", 2, true, nullptr, "Stopping the shredding"},
        {"ShredMethod", "", 0, false, [this] { Mem<MemoryComboBox>(f().cmbShredMethod).UserChoose(3); },
         "Choosing the wiping method"},
        {"SessionType", "", 0, true, [this] { f().shredder_SessionCompleted(); }, "Completing the shredding"},
        {"Initialize", "", 0, false,
         [this] {
             Button(f().cmdToolBar[0]).UserClick();
             Button(f().cmdToolBar[2]).UserClick();
         },
         "Setting up the shredder (Fraxil.Shredder)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.failing << c.refusing << " mode " << c.mode);
        Enter(c.mode);
        // On the page as the user reaches it, its own toolbar button pressed in.
        f().cmdToolBar_Click(2);
        List(f().lstDrives).AddItem("S:");
        List(f().lstDrives).UserCheck(0);
        List(f().lstFiles).UserDrop({ScratchFolder("failing")});
        if (c.running) start();
        const std::string before = PageState(f());
        shredder_->failing = c.failing;
        shredder_->refusing = c.refusing;
        Reports reported;
        controls::win32::Fire(c.act ? c.act : std::function<void()>(start));
        EXPECT_TRUE(reported.bare.empty());
        std::vector<std::string> fatal;
        if (c.what)
            fatal.push_back("Run-time error '-2147221164':\r\n\r\nClass not registered\r\n\r\n" + std::string(c.what) +
                            " failed.");
        EXPECT_EQ(reported.fatal, fatal);
        shredder_->failing.clear();
        shredder_->refusing.clear();
        if (f().IsShredding) start();
        if (c.running || c.act) continue;
        EXPECT_EQ(PageState(f()), before);
        start();
        EXPECT_TRUE(Busy()) << "the next press starts";
        start();
        List(f().lstDrives).Clear();
    }
}

TEST_F(ShredderPageTest, ErrorsOfTheServerAreToldWhenTheShreddingEnds) {
    const std::string one = "The shredding ended with 1 error:\r\n\r\nerror 1 Ok icon 1";
    const std::string seven =
        "The shredding ended with 7 errors:\r\n\r\nerror 1\r\nerror 2\r\nerror 3\r\nerror 4\r\nerror 5\r\n"
        "... and 2 more. Ok icon 1";
    struct Case {
        const char* what;
        int mode;
        int errors;
        bool stop;
        int shutdown;
        Calls shown;
    };
    const Case cases[] = {
        {"seven errors", 2, 7, false, 0, {seven}},
        {"messages only, after a session with errors", 2, 0, false, 0, {}},
        {"one error of a free-space session", 1, 1, false, 0, {one}},
        {"stopped", 0, 2, true, 0, {}},
        {"power-off asked for", 2, 2, false, -1, {}},
    };
    // The server refuses an unchecked drive while the list is handed over.
    shredder_->after = [this](const std::string& call) {
        if (call.rfind("RemoveDrive", 0) == 0) f().Shredder_ErrorMessage("Drive Not in List.", 37007);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Enter(c.mode);
        List(f().lstDrives).AddItem("S:");
        List(f().lstDrives).AddItem("U:");
        List(f().lstDrives).Checked(0, true);
        List(f().lstFiles).UserDrop({"S:\\nothing-here"});
        f().chkShredShutdown->Value(c.shutdown);
        f().Shredder_ErrorMessage("Folder Already in List.", 37003);
        Button(f().cmdStartShred).UserClick();
        f().Shredder_Message("File Already in List.");
        for (int i = 1; i <= c.errors; ++i) f().Shredder_ErrorMessage("error\n" + std::to_string(i) + "\n\n", 31034);
        if (c.stop) Button(f().cmdStartShred).UserClick();
        window_.shown.clear();
        exits_.clear();
        f().shredder_SessionCompleted();
        EXPECT_EQ(window_.shown, c.shown);
        EXPECT_EQ(exits_.size(), c.shutdown ? 1u : 0u);
        List(f().lstDrives).Clear();
    }
}

}  // namespace
}  // namespace tidvex::test
