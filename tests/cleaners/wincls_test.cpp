// The Windows cleaner through its COM interface: created by ProgID from the
// registered library, events received by a sink. Every step works on what the
// test seeded in the sandbox (its registry, its Windows folder, folders on the
// scratch drive the shell-folder values are pointed at), and the test checks
// what went and what stayed.
#include "Velmora.h"

#include "cleaner_events.h"
#include "library_copy.h"
#include "reg_seed.h"

#include "com/client.h"
#include "harness/support.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace tidvex::com;
using tidvex::test::MakeUnixHardLink;
using tidvex::test::MakeUnixSymlink;
using tidvex::test::MakeUnixSymlinkText;
using tidvex::test::PathExists;
using tidvex::test::PlantedLinks;
using tidvex::test::ReadFileBytes;
using tidvex::test::RemoveUnixName;
using tidvex::test::UnixPathOf;
using tidvex::test::RegKeyExists;
using tidvex::test::RegReadDword;
using tidvex::test::ScratchFolder;
using tidvex::test::WriteFileBytes;
using velmora::test::CreateKey;
using velmora::test::DeleteValue;
using velmora::test::EventRecorder;
using velmora::test::kShellFolders;
using velmora::test::SetDword;
using velmora::test::SetString;
using velmora::test::TodaysLog;
using velmora::test::ValueExists;

constexpr char kExplorer[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
constexpr char kAdvanced[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
constexpr char kPolicies[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\system";

std::string WindowsFolder() {
    char buf[MAX_PATH];
    UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
    return std::string(buf, n);
}

bool FolderIsEmpty(const std::string& folder) {
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &f);
    if (h == INVALID_HANDLE_VALUE) return true;
    bool empty = true;
    do {
        std::string n = f.cFileName;
        if (n != "." && n != "..") empty = false;
    } while (empty && FindNextFileA(h, &f));
    FindClose(h);
    return empty;
}

void PutTextOnClipboard(const char* text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    memcpy(GlobalLock(mem), text, strlen(text) + 1);
    GlobalUnlock(mem);
    SetClipboardData(CF_TEXT, mem);
    CloseClipboard();
}

class WinClsTest : public testing::Test {
protected:
    static void SetUpTestSuite() { libFolder_ = velmora::test::RegisterLibraryCopy("velmora_win"); }

    void SetUp() override {
        // A relative path must never reach the current folder: keep one here to prove it.
        cwd_ = ScratchFolder("cwd");
        CreateDirectoryA((cwd_ + "\\temp").c_str(), nullptr);
        WriteFileBytes(cwd_ + "\\canary.txt", "stay");
        WriteFileBytes(cwd_ + "\\temp\\canary.tmp", "stay");
        SetCurrentDirectoryA(cwd_.c_str());

        HRESULT hr;
        obj_ = CreateByProgId<IDispatch>(L"Velmora.WinCls", &hr);
        ASSERT_TRUE(obj_) << std::hex << hr;
        ASSERT_EQ(events_.Connect(obj_.Get()), S_OK);
        SetShred(false);
    }

    void Set(const wchar_t* name, bool on = true) {
        ASSERT_EQ(InvokeByName(obj_.Get(), name, DISPATCH_PROPERTYPUT, {Variant::FromBool(on)}), S_OK) << Narrow(name);
    }
    void SetShred(bool on) {
        ASSERT_EQ(InvokeByName(obj_.Get(), L"isShredInsteadofNormalDelete", DISPATCH_PROPERTYPUT,
                               {Variant::FromBool(on)}),
                  S_OK);
    }
    void Run() {
        events_.Clear();
        ASSERT_EQ(InvokeByName(obj_.Get(), L"StartClean", DISPATCH_METHOD), S_OK);
    }
    std::string Text(const wchar_t* property) {
        Variant v;
        EXPECT_EQ(InvokeByName(obj_.Get(), property, DISPATCH_PROPERTYGET, {}, &v), S_OK);
        return v.AsText();
    }
    bool Completed() const {
        const auto& e = events_.Events();
        return !e.empty() && e.back() == "CleanEnd(-1)" &&
               std::none_of(e.begin(), e.end(), [](const std::string& s) { return s.rfind("Showmsg(2", 0) == 0; });
    }
    bool Raised(const std::string& event) const {
        const auto& e = events_.Events();
        return std::find(e.begin(), e.end(), event) != e.end();
    }
    void CanariesStay() {
        EXPECT_TRUE(PathExists(cwd_ + "\\canary.txt"));
        EXPECT_TRUE(PathExists(cwd_ + "\\temp\\canary.tmp"));
    }

    static std::string libFolder_;
    std::string cwd_;
    ComPtr<IDispatch> obj_;
    EventRecorder events_{DIID___WinCls};
};

std::string WinClsTest::libFolder_;

TEST_F(WinClsTest, FolderStepsEmptyTheirFoldersAndRemakeTheTempFolders) {
    std::string ls = ScratchFolder("ls"), cd = ScratchFolder("cd"), tpl = ScratchFolder("tpl");
    SetString(HKEY_CURRENT_USER, kShellFolders, "Local Settings", ls);
    SetString(HKEY_CURRENT_USER, kShellFolders, "CD Burning", cd);
    SetString(HKEY_CURRENT_USER, kShellFolders, "Templates", tpl);
    CreateDirectoryA((ls + "\\temp").c_str(), nullptr);
    CreateDirectoryA((ls + "\\temp\\sub").c_str(), nullptr);
    WriteFileBytes(ls + "\\temp\\a.tmp", "a");
    WriteFileBytes(ls + "\\temp\\sub\\b.tmp", "b");
    WriteFileBytes(ls + "\\keep.dat", "outside the temp folder");
    std::string winTemp = WindowsFolder() + "\\temp";
    CreateDirectoryA(winTemp.c_str(), nullptr);
    WriteFileBytes(winTemp + "\\w.tmp", "w");
    CreateDirectoryA((cd + "\\sub").c_str(), nullptr);
    WriteFileBytes(cd + "\\disc.iso", "iso");
    WriteFileBytes(cd + "\\sub\\track.wav", "wav");
    WriteFileBytes(tpl + "\\letter.dot", "dot");

    EXPECT_EQ(Text(L"TempPaths"), ls + "\\temp|" + winTemp);
    EXPECT_EQ(Text(L"CDFolderPath"), cd);
    Set(L"CleanTmpFolder");
    Set(L"CleanCdTmp");
    Set(L"CleanTemplates");
    Run();
    EXPECT_EQ(events_.Events(),
              (std::vector<std::string>{"CleanStart(-1)", "Op:Cleaning Temp Folder", "Op:Cleaning CD Burning Folder",
                                        "Op:Cleaning Templates Folder", "CleanEnd(-1)"}));
    EXPECT_TRUE(PathExists(ls + "\\temp")) << "the temp folder is made again";
    EXPECT_TRUE(FolderIsEmpty(ls + "\\temp"));
    EXPECT_TRUE(PathExists(ls + "\\keep.dat"));
    EXPECT_TRUE(PathExists(winTemp));
    EXPECT_FALSE(PathExists(winTemp + "\\w.tmp"));
    EXPECT_FALSE(PathExists(cd + "\\disc.iso"));
    EXPECT_FALSE(PathExists(cd + "\\sub\\track.wav"));
    EXPECT_TRUE(PathExists(cd + "\\sub")) << "contents only: the folders stay";
    EXPECT_FALSE(PathExists(tpl + "\\letter.dot"));
    EXPECT_TRUE(PathExists(tpl));
    EXPECT_EQ(TodaysLog(libFolder_).find("FILE:"), std::string::npos) << "plain deletes are not logged";
    CanariesStay();
}

TEST_F(WinClsTest, ALockedFileKeepsItsTempFolderAndTheRunGoesOn) {
    std::string ls = ScratchFolder("lslock");
    SetString(HKEY_CURRENT_USER, kShellFolders, "Local Settings", ls);
    CreateDirectoryA((ls + "\\temp").c_str(), nullptr);
    WriteFileBytes(ls + "\\temp\\busy.tmp", "in use");
    WriteFileBytes(ls + "\\temp\\free.tmp", "free");
    HANDLE busy = CreateFileA((ls + "\\temp\\busy.tmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    std::string winTemp = WindowsFolder() + "\\temp";
    WriteFileBytes(winTemp + "\\w.tmp", "w");
    CreateKey(HKEY_CURRENT_USER, "Printers\\Connections\\,,server,printer");
    Set(L"CleanTmpFolder");
    Set(L"CleanRecentPrinter");
    Run();
    CloseHandle(busy);
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    EXPECT_TRUE(PathExists(ls + "\\temp\\busy.tmp"));
    EXPECT_FALSE(PathExists(ls + "\\temp\\free.tmp"));
    EXPECT_TRUE(PathExists(winTemp)) << "the Windows temp folder is made again all the same";
    EXPECT_FALSE(PathExists(winTemp + "\\w.tmp"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Printers\\Connections")) << "the later step ran";
}

TEST_F(WinClsTest, MissingShellFoldersMeanNothingToCleanNeverTheCurrentDrive) {
    DeleteValue(HKEY_CURRENT_USER, kShellFolders, "Local Settings");
    DeleteValue(HKEY_CURRENT_USER, kShellFolders, "CD Burning");
    DeleteValue(HKEY_CURRENT_USER, kShellFolders, "Recent");
    SetString(HKEY_CURRENT_USER, kShellFolders, "Templates", "");
    EXPECT_EQ(Text(L"TempPaths"), "\\temp|" + WindowsFolder() + "\\temp");
    EXPECT_EQ(Text(L"CDFolderPath"), "");
    for (const wchar_t* s : {L"CleanTmpFolder", L"CleanCdTmp", L"CleanTemplates", L"CleanRecentDoc"}) Set(s);
    Run();
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    CanariesStay();
    EXPECT_TRUE(PathExists("S:\\cwd")) << "nothing was made or removed relative to the current drive";
}

TEST_F(WinClsTest, WithTheShredSwitchOnRemovedFilesAreOverwrittenAndLogged) {
    std::string cd = ScratchFolder("cdshred");
    SetString(HKEY_CURRENT_USER, kShellFolders, "CD Burning", cd);
    WriteFileBytes(cd + "\\one.iso", "secret one");
    WriteFileBytes(cd + "\\two.iso", "secret two");
    SetShred(true);
    Set(L"CleanCdTmp");
    Run();
    SetShred(false);
    EXPECT_TRUE(Completed());
    EXPECT_FALSE(PathExists(cd + "\\one.iso"));
    std::string log = TodaysLog(libFolder_);
    EXPECT_NE(log.find("\tFILE: " + cd + "\\one.iso\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("\tFILE: " + cd + "\\two.iso\r\n"), std::string::npos) << log;
}

// Links of every kind and second names of outside files, planted in every folder
// a file step empties, with the shred switch off and on: each step ends as
// usual, no link is followed, every target keeps its content, and a second name
// goes alone, unwritten (the daily log says so when shredding).
TEST_F(WinClsTest, FileStepsNeverActThroughLinksAndLeaveOtherNamesWhole) {
    for (bool shred : {false, true}) {
        SCOPED_TRACE(shred ? "shredding" : "deleting");
        const std::string run = shred ? "on" : "off";
        std::string ls = ScratchFolder("links-ls-" + run), cd = ScratchFolder("links-cd-" + run),
                    tpl = ScratchFolder("links-tpl-" + run), recent = ScratchFolder("links-recent-" + run);
        SetString(HKEY_CURRENT_USER, kShellFolders, "Local Settings", ls);
        SetString(HKEY_CURRENT_USER, kShellFolders, "CD Burning", cd);
        SetString(HKEY_CURRENT_USER, kShellFolders, "Templates", tpl);
        SetString(HKEY_CURRENT_USER, kShellFolders, "Recent", recent);
        CreateDirectoryA((ls + "\\temp").c_str(), nullptr);
        const std::string win = WindowsFolder();
        CreateDirectoryA((win + "\\temp").c_str(), nullptr);
        CreateDirectoryA((win + "\\links-" + run).c_str(), nullptr);
        struct Place {
            std::string folder, prefix, extension;
        };
        const Place places[] = {{ls + "\\temp", "", ".tmp"},
                                {win + "\\temp", "links-" + run + "-", ".tmp"},
                                {cd, "", ".iso"},
                                {tpl, "", ".dot"},
                                {win, "links-" + run + "-", ".log"},
                                {win + "\\links-" + run, "", ".log"},
                                {recent, "", ".lnk"}};
        std::vector<PlantedLinks> links(std::size(places));
        for (size_t i = 0; i < links.size(); ++i) {
            const std::string outside = ScratchFolder("links-outside-" + run + std::to_string(i));
            if (!links[i].Plant(places[i].folder, outside, places[i].prefix, places[i].extension)) {
                GTEST_SKIP() << "no Unix links can be made here";
            }
        }
        SetShred(shred);
        for (const wchar_t* s :
             {L"CleanTmpFolder", L"CleanCdTmp", L"CleanTemplates", L"CleanLogFiles", L"CleanRecentDoc"}) {
            Set(s);
        }
        Run();
        SetShred(false);
        EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
        const std::string log = TodaysLog(libFolder_);
        for (const PlantedLinks& planted : links) {
            planted.Check();
            for (size_t i : {0, 1, 3}) EXPECT_TRUE(PathExists(planted.Entries()[i])) << planted.Entries()[i];
            EXPECT_FALSE(PathExists(planted.HardLink()));
            const std::string line = "\tFILE: " + planted.HardLink() + " - only this name was deleted";
            EXPECT_EQ(log.find(line) != std::string::npos, shred) << planted.HardLink();
        }
    }
}

TEST_F(WinClsTest, RegistryStepsDeleteTheirKeysAndLeaveTheirNeighbours) {
    const std::string cu = "HKEY_CURRENT_USER\\";
    const std::vector<std::pair<const wchar_t*, std::vector<std::string>>> steps = {
        {L"CleanRecent3D", {"Software\\Microsoft\\Direct3D\\MostRecentApplication"}},
        {L"CleanInputRecent", {"Software\\Microsoft\\DirectInput\\MostRecentApplication"}},
        {L"CleanDrawRecent", {"Software\\Microsoft\\DirectDraw\\MostRecentApplication"}},
        {L"CleanAssHistory",
         {std::string(kExplorer) + "\\UserAssist\\{5E6AB780-7743-11CF-A12B-00AA004AE837}\\Count",
          std::string(kExplorer) + "\\UserAssist\\{75048700-EF1F-11D0-9888-006097DEACF9}\\Count"}},
        {L"CleanComDialogHistory", {std::string(kExplorer) + "\\ComDlg32"}},
        {L"CleanMsPaintRecent", {"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List"}},
        {L"CleanWordPadRecent", {"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List"}},
        {L"CleanFindHistoryP", {"Software\\Microsoft\\Search Assistant\\ACMru"}},
        {L"CleanMPRecent",
         {"Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList",
          "Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList"}},
        {L"CleanRecentDoc",
         {std::string(kExplorer) + "\\RecentDocs", std::string(kExplorer) + "\\StreamMRU",
          std::string(kExplorer) + "\\Streams"}},
        {L"CleanRecentPrinter", {"Printers\\Connections"}},
        {L"CleanRecentRegedit", {"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit"}},
        {L"CleanRegeditHistory", {}},
    };
    for (const auto& [sw, keys] : steps) {
        for (const std::string& key : keys) {
            SetString(HKEY_CURRENT_USER, key, "MRUList", "ab");
            SetString(HKEY_CURRENT_USER, key + "\\sub\\deeper", "a", "C:\\x.txt");
        }
        Set(sw);
    }
    std::string runMru = std::string(kExplorer) + "\\RunMRU";
    SetString(HKEY_CURRENT_USER, runMru, "a", "notepad\\1");
    Set(L"CleanRunHistory");
    // Neighbours that must stay.
    SetString(HKEY_CURRENT_USER, "Software\\Microsoft\\Direct3D", "Keep", "1");
    SetString(HKEY_CURRENT_USER, "Software\\Microsoft\\MediaPlayer\\Player\\Settings", "Keep", "1");
    SetString(HKEY_CURRENT_USER, std::string(kExplorer) + "\\UserAssist\\{5E6AB780-7743-11CF-A12B-00AA004AE837}",
              "Version", "3");
    std::string recent = ScratchFolder("recent");
    SetString(HKEY_CURRENT_USER, kShellFolders, "Recent", recent);
    WriteFileBytes(recent + "\\doc.lnk", "link");

    Run();
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    std::string log = TodaysLog(libFolder_);
    for (const auto& [sw, keys] : steps) {
        for (const std::string& key : keys) {
            EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key)) << key;
            // The report names the path as the step passed it (one is spelt in mixed case).
            bool mixed = key.ends_with("\\RecentDocs");
            EXPECT_TRUE(Raised("Showmsg(4," + (mixed ? std::string("HKey_Current_User\\") : cu) + key + ")")) << key;
            EXPECT_NE(log.find("\tREG: " + cu + key + "\r\n"), std::string::npos) << key;
        }
    }
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, runMru));
    EXPECT_TRUE(Raised("Showmsg(4," + cu + runMru + ")"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Direct3D", "Keep"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, "Software\\Microsoft\\MediaPlayer\\Player\\Settings", "Keep"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER,
                             std::string(kExplorer) + "\\UserAssist\\{5E6AB780-7743-11CF-A12B-00AA004AE837}"));
    EXPECT_FALSE(PathExists(recent + "\\doc.lnk"));
    EXPECT_TRUE(PathExists(recent));
    auto captions = events_.Captions();
    EXPECT_EQ(std::count(captions.begin(), captions.end(), "Cleaning RegEdit History"), 2)
        << "both RegEdit switches run the same deletion, the second finds nothing";
    EXPECT_EQ(captions.size(), 14u);
}

// A registry link planted where a step deletes goes as a link: the key it points
// to keeps every value and subkey.
TEST_F(WinClsTest, RegistryLinksInTheCleanedKeysGoAsLinks) {
    using tidvex::test::LinkTargetIntact;
    struct Case {
        const wchar_t* step;
        std::string link;
        bool leafTarget;
    } cases[] = {
        // below a key the recursive delete empties
        {L"CleanRecent3D", "Software\\Microsoft\\Direct3D\\MostRecentApplication\\sub\\planted", false},
        // the key the recursive delete is given is itself a link
        {L"CleanMPRecent", "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList", false},
        {L"CleanFindHistoryP", "Software\\Microsoft\\Search Assistant\\ACMru", true},
        // the single-key delete is given a link to a key without subkeys
        {L"CleanRunHistory", std::string(kExplorer) + "\\RunMRU", true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const std::string target = tidvex::test::SeedLinkTarget("wincls" + std::to_string(i), c.leafTarget);
        ASSERT_TRUE(tidvex::test::MakeRegistryLink(HKEY_CURRENT_USER, c.link, target)) << c.link;
        Set(c.step);
    }
    SetString(HKEY_CURRENT_USER, "Software\\Microsoft\\Direct3D\\MostRecentApplication", "Name", "game.exe");
    Run();
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_TRUE(LinkTargetIntact("wincls" + std::to_string(i), cases[i].leafTarget)) << cases[i].link;
        EXPECT_FALSE(tidvex::test::RegistryLinkExists(HKEY_CURRENT_USER, cases[i].link)) << cases[i].link;
    }
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Direct3D\\MostRecentApplication"));
}

// A link ABOVE a history key would lead its deletion into another hive: each
// such step is refused and logged, and the run goes on. The targets hold the
// history keys' names, as the keys of the machine a link points to would.
TEST_F(WinClsTest, ALinkAboveAHistoryKeyRefusesItsDeletion) {
    using tidvex::test::LinkTargetIntact;
    struct Case {
        const wchar_t* step;
        std::string link;   // the key made a link, above the history key
        std::string inner;  // the history key's name below it
    } cases[] = {
        {L"CleanRecent3D", "Software\\Microsoft\\Direct3D", "MostRecentApplication"},
        {L"CleanMPRecent", "Software\\Microsoft\\MediaPlayer\\Player", "RecentFileList"},
        {L"CleanFindHistoryP", "Software\\Microsoft\\Search Assistant", "ACMru"},
        {L"CleanAssHistory", std::string(kExplorer) + "\\UserAssist\\{5E6AB780-7743-11CF-A12B-00AA004AE837}", "Count"},
        {L"CleanMsPaintRecent", "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint", "Recent File List"},
        {L"CleanRecentPrinter", "Printers", "Connections"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        RegDeleteTreeA(HKEY_CURRENT_USER, c.link.c_str());
        const std::string target = tidvex::test::SeedLinkTarget("above" + std::to_string(i), false, "kept", c.inner);
        ASSERT_TRUE(tidvex::test::MakeRegistryLink(HKEY_CURRENT_USER, c.link, target)) << c.link;
        Set(c.step);
    }
    Run();
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    const std::string log = TodaysLog(libFolder_);
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_TRUE(LinkTargetIntact("above" + std::to_string(i), false, "kept", c.inner)) << c.link;
        EXPECT_TRUE(tidvex::test::RegistryLinkExists(HKEY_CURRENT_USER, c.link)) << c.link;
        EXPECT_NE(log.find("Not cleaned: \"HKEY_CURRENT_USER\\" + c.link + "\\" + c.inner), std::string::npos)
            << c.link;
        tidvex::test::RemoveRegistryLink(HKEY_CURRENT_USER, c.link);
    }
    EXPECT_NE(log.find("a registry link on the way"), std::string::npos);
}

TEST_F(WinClsTest, ADailyLogThatCannotBeWrittenDoesNotStopTheSteps) {
    // A file where the log folder belongs: no log line can be written.
    std::string logs = libFolder_ + "\\Logs";
    MoveFileA(logs.c_str(), (logs + ".away").c_str());
    WriteFileBytes(logs, "in the way");
    CreateKey(HKEY_CURRENT_USER, "Software\\Microsoft\\Direct3D\\MostRecentApplication");
    SetString(HKEY_CURRENT_USER, std::string(kExplorer) + "\\RunMRU", "a", "cmd\\1");
    std::string cd = ScratchFolder("cdnolog");
    SetString(HKEY_CURRENT_USER, kShellFolders, "CD Burning", cd);
    WriteFileBytes(cd + "\\a.iso", "a");
    SetShred(true);
    // The recursive delete, the shredder and the single-key delete each log.
    for (const wchar_t* s : {L"CleanRecent3D", L"CleanCdTmp", L"CleanRunHistory"}) Set(s);
    Run();
    SetShred(false);
    DeleteFileA(logs.c_str());
    MoveFileA((logs + ".away").c_str(), logs.c_str());
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Direct3D\\MostRecentApplication"));
    EXPECT_FALSE(PathExists(cd + "\\a.iso"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, std::string(kExplorer) + "\\RunMRU"));
}

TEST_F(WinClsTest, RunHistoryIsASingleKeyDeleteThatLeavesAKeyWithSubkeys) {
    std::string runMru = std::string(kExplorer) + "\\RunMRU";
    SetString(HKEY_CURRENT_USER, runMru, "a", "cmd\\1");
    CreateKey(HKEY_CURRENT_USER, runMru + "\\child");
    Set(L"CleanRunHistory");
    Run();
    EXPECT_TRUE(Completed());
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, runMru)) << "the single-key delete refuses a key with subkeys";
}

TEST_F(WinClsTest, LogFileStepRemovesLogFilesUnderTheWindowsFolderAndKeepsFolders) {
    std::string win = WindowsFolder();
    CreateDirectoryA((win + "\\vtest").c_str(), nullptr);
    CreateDirectoryA((win + "\\vtest\\deep").c_str(), nullptr);
    WriteFileBytes(win + "\\vtest_top.log", "log");
    WriteFileBytes(win + "\\vtest\\deep\\x.log", "log");
    WriteFileBytes(win + "\\vtest\\UPPER.LOG", "log");
    WriteFileBytes(win + "\\vtest\\keep.txt", "txt");
    WriteFileBytes(win + "\\vtest\\catalog", "no extension");
    Set(L"CleanLogFiles");
    Run();
    EXPECT_TRUE(Completed());
    EXPECT_FALSE(PathExists(win + "\\vtest_top.log"));
    EXPECT_FALSE(PathExists(win + "\\vtest\\deep\\x.log"));
    EXPECT_FALSE(PathExists(win + "\\vtest\\UPPER.LOG")) << "the extension is lower-cased before it is compared";
    EXPECT_TRUE(PathExists(win + "\\vtest\\keep.txt"));
    EXPECT_TRUE(PathExists(win + "\\vtest\\catalog"));
    EXPECT_TRUE(PathExists(win + "\\vtest\\deep"));
    EXPECT_TRUE(PathExists(win + "\\system32"));
}

TEST_F(WinClsTest, RecycleBinAndClipboardAreEmptied) {
    ASSERT_TRUE(tidvex::test::SandboxTrashFolder()) << "the bin is not the sandbox's own";
    std::string junk = ScratchFolder("junk") + "\\binned.txt";
    WriteFileBytes(junk, "to the bin");
    ASSERT_TRUE(tidvex::test::DeleteToRecycleBin(junk));
    SHQUERYRBINFO bin{sizeof bin, 0, 0};
    SHQueryRecycleBinA(nullptr, &bin);
    EXPECT_GT(bin.i64NumItems, 0) << "the sandbox's bin holds the deleted file";
    PutTextOnClipboard("copied secret");
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_TEXT));

    Set(L"CleanRecBin");
    Set(L"CleanClipboardRecent");
    Run();
    EXPECT_TRUE(Completed());
    bin = {sizeof bin, 0, 0};
    SHQueryRecycleBinA(nullptr, &bin);
    EXPECT_EQ(bin.i64NumItems, 0);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
}

// The bin's emptying deletes what a link in the desktop's trash leads to: the
// links go first, as links.
TEST_F(WinClsTest, TheRecycleBinLosesItsLinksButNeverWhatTheyLeadTo) {
    tidvex::test::TrashedLinks trashed;
    if (!trashed.Plant(ScratchFolder("bin-targets"))) GTEST_SKIP() << "no links here, or the bin is not the sandbox's";
    Set(L"CleanRecBin");
    Run();
    EXPECT_TRUE(Completed());
    trashed.CheckEmptied();
}

TEST_F(WinClsTest, ABusyClipboardSkipsItsStepAndTheRunGoesOn) {
    PutTextOnClipboard("still here");
    std::atomic<bool> holding{false}, release{false};
    // Under Wine a clipboard opened without a window does not keep other threads
    // out; one opened by a window does.
    std::thread holder([&] {
        HWND owner = CreateWindowA("STATIC", "holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        if (OpenClipboard(owner)) {
            holding = true;
            while (!release) Sleep(5);
            CloseClipboard();
        }
        DestroyWindow(owner);
        holding = true;
    });
    while (!holding) Sleep(5);
    BOOL opened = OpenClipboard(nullptr);
    if (opened) CloseClipboard();
    EXPECT_FALSE(opened) << "the clipboard is held by the other thread";
    CreateKey(HKEY_CURRENT_USER, "Printers\\Connections");
    Set(L"CleanClipboardRecent");
    Set(L"CleanRecentPrinter");
    Run();
    release = true;
    holder.join();
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Printers\\Connections"));
}

TEST_F(WinClsTest, IconCacheStepShowsHiddenFilesOnlyWhileItDeletes) {
    std::string cache = WindowsFolder() + "\\ShellIconCache";
    for (DWORD hidden : {2u, 1u}) {
        WriteFileBytes(cache, "icons");
        SetFileAttributesA(cache.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
        SetDword(HKEY_CURRENT_USER, kAdvanced, "hidden", hidden);
        Set(L"CleanIconCashP");
        Run();
        EXPECT_TRUE(Completed());
        EXPECT_FALSE(PathExists(cache));
        EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, kAdvanced, "hidden"), hidden);
    }
    // No cache file: nothing to do, nothing changed.
    Run();
    EXPECT_TRUE(Completed());
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, kAdvanced, "hidden"), 1u);
}

TEST_F(WinClsTest, AFolderNamedLikeTheIconCacheIsNotTheCache) {
    std::string folder = WindowsFolder() + "\\ShellIconCache";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    WriteFileBytes(folder + "\\inside.dat", "kept");
    SetDword(HKEY_CURRENT_USER, kAdvanced, "hidden", 2);
    CreateKey(HKEY_CURRENT_USER, "Printers\\Connections");
    Set(L"CleanIconCashP");
    Set(L"CleanRecentPrinter");
    Run();
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    EXPECT_TRUE(PathExists(folder + "\\inside.dat"));
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, kAdvanced, "hidden"), 2u);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, "Printers\\Connections")) << "the later step ran";
    DeleteFileA((folder + "\\inside.dat").c_str());
    RemoveDirectoryA(folder.c_str());
}

// An icon cache that is a link is refused like a cache that cannot be deleted
// (the run ends, "hidden" is restored) and what it leads to stays; a link to
// nothing or to a folder is no cache file; a second name goes alone.
TEST_F(WinClsTest, AnIconCacheThatIsALinkIsNeverFollowed) {
    const std::string cache = WindowsFolder() + "\\ShellIconCache";
    const std::string outside = ScratchFolder("cache-outside");
    const std::string target = outside + "\\icons.db", folder = outside + "\\folder";
    CreateDirectoryA(folder.c_str(), nullptr);
    struct Case {
        const char* kind;
        std::function<bool()> plant;
        bool completes;
        bool nameStays;
    };
    const Case cases[] = {
        {"link to a file", [&] { return MakeUnixSymlink(target, cache); }, false, true},
        {"link to nothing",
         [&] { return MakeUnixSymlinkText(UnixPathOf(outside) + "/missing.db", cache); }, true, false},
        {"link to a folder", [&] { return MakeUnixSymlink(folder, cache); }, true, true},
        {"second name", [&] { return MakeUnixHardLink(target, cache); }, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.kind);
        WriteFileBytes(target, "the icons of another user");
        if (!c.plant()) GTEST_SKIP() << "no Unix links can be made here";
        SetDword(HKEY_CURRENT_USER, kAdvanced, "hidden", 2);
        Set(L"CleanIconCashP");
        Run();
        EXPECT_EQ(Completed(), c.completes) << testing::PrintToString(events_.Events());
        EXPECT_EQ(Raised("CleanAbort(-1)"), !c.completes);
        EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, kAdvanced, "hidden"), 2u);
        EXPECT_EQ(ReadFileBytes(target), "the icons of another user");
        EXPECT_FALSE(PathExists(outside + "\\missing.db"));
        EXPECT_TRUE(PathExists(folder));
        EXPECT_EQ(PathExists(cache), c.nameStays);
        RemoveUnixName(cache);
    }
}

TEST_F(WinClsTest, ALockedIconCacheEndsTheRunButHiddenIsRestored) {
    std::string cache = WindowsFolder() + "\\ShellIconCache";
    WriteFileBytes(cache, "icons");
    HANDLE lock = CreateFileA(cache.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    SetDword(HKEY_CURRENT_USER, kAdvanced, "hidden", 2);
    CreateKey(HKEY_CURRENT_USER, "Printers\\Connections");
    Set(L"CleanIconCashP");
    Set(L"CleanRecentPrinter");
    Run();
    CloseHandle(lock);
    DeleteFileA(cache.c_str());
    const auto& e = events_.Events();
    ASSERT_GE(e.size(), 4u);
    EXPECT_EQ(e[1], "Op:Cleaning Icon Cache");
    EXPECT_EQ(e[2].rfind("Showmsg(2,", 0), 0u) << e[2];
    EXPECT_EQ(e[3], "CleanAbort(-1)");
    EXPECT_EQ(e.size(), 4u);
    EXPECT_EQ(RegReadDword(HKEY_CURRENT_USER, kAdvanced, "hidden"), 2u) << "hidden is restored on the error path";
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, "Printers\\Connections")) << "no later step runs";
}

TEST_F(WinClsTest, BootFasterDeletesOrZeroesTheGroupPolicyValues) {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPolicies);
    auto boot = [&](bool flag) {
        Variant result;
        ASSERT_EQ(InvokeByName(obj_.Get(), L"BootFaster", DISPATCH_METHOD, {Variant::FromBool(flag)}, &result), S_OK);
        EXPECT_EQ(result.Type(), VT_EMPTY);
    };
    boot(false);
    EXPECT_EQ(RegReadDword(HKEY_LOCAL_MACHINE, kPolicies, "SynchronousMachineGroupPolicy"), 0u);
    EXPECT_EQ(RegReadDword(HKEY_LOCAL_MACHINE, kPolicies, "SynchronousUserGroupPolicy"), 0u);
    boot(true);
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kPolicies, "SynchronousMachineGroupPolicy"));
    EXPECT_FALSE(ValueExists(HKEY_LOCAL_MACHINE, kPolicies, "SynchronousUserGroupPolicy"));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kPolicies));
    boot(true);  // nothing left to delete
    EXPECT_TRUE(events_.Events().empty()) << "BootFaster raises no events";

    // Early-bound, any value but -1 counts as false.
    ComPtr<_WinCls> win = obj_.As<_WinCls>();
    ASSERT_TRUE(win);
    VARIANT_BOOL one = 1;
    Variant result;
    ASSERT_EQ(win->BootFaster(&one, result.Get()), S_OK);
    EXPECT_EQ(RegReadDword(HKEY_LOCAL_MACHINE, kPolicies, "SynchronousUserGroupPolicy"), 0u);
}

}  // namespace
