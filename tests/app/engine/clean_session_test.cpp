// Whole cleanings in the sandbox: the registry cleaner on seeded lists, the
// hard-disk cleaner on the scratch drive S:, the registered library's browser,
// messenger, Windows and Office cleaners, and the black list.
#include "engine/clean_session.h"

#include "memory_form.h"

#include "../../cleaners/library_copy.h"
#include "../../cleaners/reg_seed.h"
#include "fs/fso.h"
#include "harness/support.h"
#include "services/lists.h"
#include "services/logger.h"
#include "services/program.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <wininet.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace tidvex::engine;
using tidvex::test::PathExists;
using tidvex::test::ReadFileBytes;
using tidvex::test::RegKeyExists;
using tidvex::test::WriteFileBytes;
using velmora::test::CreateKey;
using velmora::test::SetString;
using velmora::test::ValueExists;
using Texts = std::vector<std::string>;

constexpr char kLibraryFolder[] = "C:\\tidvex-session-lib";
constexpr char kProgramFolder[] = "C:\\tidvex-session";
constexpr char kPaintMru[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List";
constexpr char kRunMru[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
constexpr char kFindMru[] = "Software\\Microsoft\\Search Assistant\\ACMru";
constexpr char kWordData[] = "Software\\Microsoft\\Office\\9.0\\Word\\Data";
constexpr char kBlackKey[] = "Software\\TidvexBlack";
constexpr char kScanPrefix[] = "Item:Scanning(HD Cleaner):";

constexpr char kAutoComplete[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete";
constexpr char kYahooProfiles[] = "Software\\Yahoo\\Profiles";
constexpr char kFirefoxPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\firefox.exe";

// Boxes of the seeded traces: MS Paint MRU, temporary files, Firefox history,
// Yahoo profiles, Run and Find history, Word MRU.
constexpr int kPaintBox = 40, kTempBox = 33, kFirefoxBox = 4, kYahooBox = 18, kRunBox = 24, kFindBox = 23,
              kWordBox = 44;

std::string FirefoxHistory() {
    char appData[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, appData);
    return std::string(appData) + "\\Mozilla\\Firefox\\Profiles\\t.default\\history.dat";
}

void EmptyScratchDrive() {
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA("S:\\*", &f);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = f.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = "S:\\" + name;
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            tidvex::fs::gFSO().DeleteFolder(path, true);
        else
            tidvex::fs::gFSO().DeleteFile(path, true);
    } while (FindNextFileA(h, &f));
    FindClose(h);
}

// What a session raised, in order: "Item:<text>", "Done:<text>", "P:<value>", "CleaningDone".
class Recorder {
public:
    void Attach(clsCleanSession& session) {
        session.CleaningItem = [this](std::string& sItem) {
            events_.push_back("Item:" + sItem);
            if (onItem) onItem(sItem);
        };
        session.CompleteCleaningItem = [this](std::string& sItem) { events_.push_back("Done:" + sItem); };
        session.Progress = [this](double& p) {
            events_.push_back("P:");
            progress_.push_back(p);
        };
        session.CleaningDone = [this] { events_.push_back("CleaningDone"); };
    }
    const Texts& All() const { return events_; }
    // Without the progress, and each run of hard-disk folders as one entry.
    Texts Items() const {
        Texts out;
        for (const auto& e : events_) {
            if (e == "P:") continue;
            const bool folder = e.rfind(kScanPrefix, 0) == 0;
            if (folder && !out.empty() && out.back() == "Item:Scanning(HD Cleaner)") continue;
            out.push_back(folder ? "Item:Scanning(HD Cleaner)" : e);
        }
        return out;
    }
    std::set<std::string> Folders() const {
        std::set<std::string> out;
        for (const auto& e : events_)
            if (e.rfind(kScanPrefix, 0) == 0) out.insert(e.substr(sizeof kScanPrefix - 1));
        return out;
    }
    const std::vector<double>& Progress() const { return progress_; }

    std::function<void(const std::string&)> onItem;

private:
    Texts events_;
    std::vector<double> progress_;
};

// The registry cleaner's nineteen steps up to 20.
void ExpectRegistrySteps(const std::vector<double>& progress) {
    ASSERT_GE(progress.size(), 19u);
    for (size_t k = 1; k <= 19; ++k) EXPECT_DOUBLE_EQ(progress[k - 1], 20.0 * static_cast<double>(k) / 19) << k;
}

std::string Log() { return ReadFileBytes(tidvex::services::LogFilePath()).value_or(""); }
bool Logged(const std::string& tag) {
    return Log().find("Function: " + std::string(tag.rbegin(), tag.rend()) + " : ") != std::string::npos;
}

class CleanSessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CreateDirectoryA(kLibraryFolder, nullptr);
        velmora::test::RegisterLibraryCopyIn(kLibraryFolder);
        CreateDirectoryA(kProgramFolder, nullptr);
    }

    void SetUp() override {
        form_ = test::MemoryCleaningForm();
        for (const char* file : {"\\lstSafe.lst", "\\lstBlack.lst", "\\Log.txt"})
            DeleteFileA((std::string(kProgramFolder) + file).c_str());
        tidvex::services::gLogger().SetSwitch(&logSwitch_);
        EmptyScratchDrive();
        for (const char* key : {kPaintMru, kRunMru, kFindMru, kWordData, kBlackKey, kYahooProfiles})
            RegDeleteTreeA(HKEY_CURRENT_USER, key);
        form_.cmbDrives.AddItem("S: [scratch]");
        form_.cmbDrives.ListIndex(0);
        CleaningOptions = CleaningOptionSet{};
    }
    void TearDown() override { tidvex::services::gLogger().SetSwitch(nullptr); }

    // A trace for each of the five boxes, and a black list that names a file and
    // a folder inside a safe folder and a safe key, after one entry that is gone.
    void Seed() {
        SetString(HKEY_CURRENT_USER, kPaintMru, "File1", "C:\\a.bmp");
        for (const char* folder : {"S:\\sub", "S:\\black", "S:\\black\\folder"}) CreateDirectoryA(folder, nullptr);
        for (const char* file : {"S:\\junk.tmp", "S:\\sub\\more.tmp", "S:\\keep.txt", "S:\\black\\kept.tmp",
                                 "S:\\black\\file.txt", "S:\\black\\folder\\inside.txt"})
            WriteFileBytes(file, "x");
        SetString(HKEY_CURRENT_USER, kRunMru, "a", "cmd\\1");
        SetString(HKEY_CURRENT_USER, kFindMru, "0", "needle");
        SetString(HKEY_CURRENT_USER, kWordData, "Settings", "list");
        // Firefox and Yahoo! Messenger installed, with a history and a profile.
        CreateKey(HKEY_LOCAL_MACHINE, kFirefoxPath);
        CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Yahoo\\pager");
        const std::string history = FirefoxHistory();
        const std::string firefox = history.substr(0, history.find("\\Profiles\\"));
        CreateDirectoryA((firefox.substr(0, firefox.rfind('\\'))).c_str(), nullptr);
        for (const char* sub : {"", "\\Profiles", "\\Profiles\\t.default"})
            CreateDirectoryA((firefox + sub).c_str(), nullptr);
        WriteFileBytes(firefox + "\\profiles.ini", "[Profile0]\r\nPath=Profiles\\t.default\r\n");
        WriteFileBytes(history, "visited");
        SetString(HKEY_CURRENT_USER, std::string(kYahooProfiles) + "\\me", "x", "1");
        CleaningOptions.installed.FireFox = CleaningOptions.installed.Yahoo = true;
        SetString(HKEY_CURRENT_USER, std::string(kBlackKey) + "\\Sub", "v", "1");

        WriteFileBytes(tidvex::services::ListFilePath(tidvex::services::kSafeList),
                       "1|S:\\black\r\n2|HKEY_CURRENT_USER\\Software\\TidvexBlack\r\n");
        WriteFileBytes(tidvex::services::ListFilePath(tidvex::services::kBlackList),
                       "0|S:\\black\\missing.txt\r\n0|S:\\black\\file.txt\r\n1|S:\\black\\folder\r\n"
                       "2|HKEY_CURRENT_USER\\Software\\TidvexBlack\r\n");
        for (const char* entry : {"S:\\black\\missing.txt", "S:\\black\\file.txt", "S:\\black\\folder",
                                  "HKEY_CURRENT_USER\\Software\\TidvexBlack"})
            form_.lstBlackList.AddItem(entry);
        form_.Check({kPaintBox, kTempBox, kFirefoxBox, kYahooBox, kRunBox, kFindBox, kWordBox});
    }

    std::shared_ptr<clsCleanSession> NewSession(bool switches) {
        SetCleanSettings(form_.View());
        auto session = clsCleanSession::Create(form_.View());
        session->isCleanRegistry(switches);
        session->isCleanHD(switches);
        session->isCleanBrowsers(switches);
        session->isCleanChat(switches);
        session->isCleanOffice(switches);
        session->isCleanWindows(switches);
        recorder_.Attach(*session);
        return session;
    }

    void ExpectTracesKept(bool registry, bool disk, bool windows, bool office, bool black) {
        EXPECT_EQ(ValueExists(HKEY_CURRENT_USER, kPaintMru, "File1"), registry);
        EXPECT_EQ(PathExists("S:\\junk.tmp"), disk);
        EXPECT_EQ(RegKeyExists(HKEY_CURRENT_USER, kFindMru), windows);
        EXPECT_EQ(ValueExists(HKEY_CURRENT_USER, kWordData, "Settings"), office);
        EXPECT_EQ(PathExists("S:\\black\\file.txt"), black);
        EXPECT_EQ(RegKeyExists(HKEY_CURRENT_USER, kBlackKey), black);
    }

    static inline tidvex::controls::MemoryCheckBox logSwitch_{-1};
    tidvex::services::ScopedAppPath appPath_{kProgramFolder};
    test::MemoryCleaningForm form_;
    Recorder recorder_;
};

TEST_F(CleanSessionTest, AWholeCleaningRunsTheSixCleanersInOrderAndThenTheBlackList) {
    Seed();
    auto session = NewSession(true);
    EXPECT_TRUE(session->StartClean());

    EXPECT_EQ(recorder_.Items(), (Texts{
                                     "Item:Cleaning MS Paint MRU",
                                     "Done:Cleaning MS Paint MRU",
                                     "Done:Hard Drive Cleaner is scanning...",
                                     "Item:Scanning(HD Cleaner)",
                                     "Done:Cleaning Temporary Files",
                                     // A library operation is finished when the next one is
                                     // announced, also by the next library cleaner.
                                     "Item:Cleaning FireFox History",
                                     "Item:Cleaning Yahoo profiles",
                                     "Done:Cleaning FireFox History",
                                     "Item:Cleaning Run Dialog History",
                                     "Done:Cleaning Yahoo profiles",
                                     "Item:Cleaning Find History",
                                     "Done:Cleaning Run Dialog History",
                                     "Item:Cleaning MS Word MRU",
                                     "Done:Cleaning Find History",
                                     // The last one before the black list.
                                     "Done:Cleaning MS Word MRU",
                                     "Item:Cleaning Black list",
                                     "Done:Cleaning Black list",
                                     "CleaningDone",
                                 }));
    EXPECT_EQ(recorder_.Folders(), (std::set<std::string>{"S:\\", "S:\\black\\", "S:\\black\\folder\\", "S:\\sub\\"}));

    const auto& p = recorder_.Progress();
    ExpectRegistrySteps(p);
    ASSERT_GE(p.size(), 24u);
    for (size_t i = 19; i < p.size() - 4; ++i) {
        EXPECT_GE(p[i], 20) << i;
        EXPECT_LE(p[i], 90) << i;
        EXPECT_GE(p[i], p[i - 1]) << i;
    }
    EXPECT_EQ(std::vector<double>(p.end() - 5, p.end()), (std::vector<double>{90, 92.5, 95, 97.5, 100}));
    EXPECT_EQ(recorder_.All().back(), "CleaningDone");
    EXPECT_EQ(recorder_.All()[recorder_.All().size() - 2], "P:");

    ExpectTracesKept(false, false, false, false, false);
    EXPECT_FALSE(PathExists("S:\\sub\\more.tmp"));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kRunMru));
    EXPECT_FALSE(PathExists(FirefoxHistory()));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, kYahooProfiles));
    EXPECT_TRUE(PathExists("S:\\keep.txt"));
    // The safe folder keeps its junk from the hard-disk cleaner, not from the black list.
    EXPECT_TRUE(PathExists("S:\\black\\kept.tmp"));
    EXPECT_FALSE(PathExists("S:\\black\\folder"));
    // The entry that is gone is logged and the others still went.
    EXPECT_TRUE(Logged("CleanBlackList")) << Log();
}

// Every box on, every browser and messenger installed, in a prefix seeded with
// Internet Explorer's history, cache, cookies and typed URLs: under Wine the
// cleaning runs to its end and they are gone.
TEST_F(CleanSessionTest, EveryBoxOnRunsToTheEndAndRemovesInternetExplorersTraces) {
    Seed();
    char user[256];
    DWORD userSize = sizeof user;
    GetUserNameA(user, &userSize);
    const std::string visited = "Visited: " + std::string(user) + "@http://seen.test/page";
    FILETIME never{};
    ASSERT_TRUE(CommitUrlCacheEntryA(visited.c_str(), nullptr, never, never, URLHISTORY_CACHE_ENTRY | NORMAL_CACHE_ENTRY,
                                     nullptr, 0, nullptr, nullptr));
    char page[MAX_PATH] = {};
    ASSERT_TRUE(CreateUrlCacheEntryA("http://seen.test/page.htm", 0, "htm", page, 0));
    WriteFileBytes(page, "<html>");
    ASSERT_TRUE(CommitUrlCacheEntryA("http://seen.test/page.htm", page, never, never, NORMAL_CACHE_ENTRY, nullptr, 0,
                                     nullptr, nullptr));
    ASSERT_TRUE(InternetSetCookieA("http://seen.test/", "seen", "yes; expires=Sat, 01-Jan-2039 00:00:00 GMT"));
    const std::string cookieKey = "Cookie:" + std::string(user) + "@seen.test/";
    auto cacheFileOf = [](const std::string& url) {
        std::vector<char> buffer(4096);
        DWORD size = static_cast<DWORD>(buffer.size());
        auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
        if (!GetUrlCacheEntryInfoA(url.c_str(), entry, &size) || !entry->lpszLocalFileName) return std::string();
        return std::string(entry->lpszLocalFileName);
    };
    const std::string cookie = cacheFileOf(cookieKey);
    ASSERT_FALSE(cookie.empty());
    ASSERT_TRUE(PathExists(cookie));
    SetString(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1", "http://seen.test/");
    auto inCache = [](const std::string& url) {
        DWORD size = 0;
        GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size);
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
    };
    ASSERT_TRUE(inCache(visited));

    for (auto& box : form_.chkCleanSett) box.Value(-1);
    CleaningOptions.installed = {true, true, true, true, true, true, true};
    auto session = NewSession(true);
    EXPECT_TRUE(session->StartClean());

    EXPECT_EQ(recorder_.All().back(), "CleaningDone");
    EXPECT_DOUBLE_EQ(recorder_.Progress().back(), 100);
    const Texts items = recorder_.Items();
    for (const char* step : {"Item:Cleaning IE History", "Item:Cleaning IE Cookies", "Item:Cleaning IE Cahce",
                             "Item:Cleaning IE Typed URLs", "Item:Cleaning Black list"})
        EXPECT_NE(std::find(items.begin(), items.end(), step), items.end()) << step;
    EXPECT_FALSE(Logged("StartClean@clsCleanSession")) << Log();
    EXPECT_FALSE(inCache(visited)) << "the history";
    EXPECT_FALSE(PathExists(page)) << "the cache";
    EXPECT_FALSE(PathExists(cookie)) << "the cookie";
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs", "url1"));
}

TEST_F(CleanSessionTest, WithEverySwitchOffOnlyTheProgressMarksAndTheBlackListFollow) {
    struct Case {
        const char* what;
        bool blackListBox;
        Texts items;
    };
    const Case cases[] = {
        {"black list shown", true, {"Item:Cleaning Black list", "Done:Cleaning Black list", "CleaningDone"}},
        // The box decides, not the list file.
        {"black list box empty", false, {"CleaningDone"}},
    };
    for (const auto& c : cases) {
        SetUp();
        recorder_ = Recorder();
        Seed();
        for (auto& box : form_.chkCleanSett) box.Value(-1);
        if (!c.blackListBox) form_.lstBlackList.Clear();
        SetString(HKEY_CURRENT_USER, kAutoComplete, "Append Completion", "yes");
        auto session = NewSession(false);
        EXPECT_TRUE(session->StartClean()) << c.what;

        EXPECT_EQ(recorder_.Items(), c.items) << c.what;
        std::vector<double> expected;
        for (int k = 1; k <= 19; ++k) expected.push_back(20.0 * k / 19);
        for (double mark : {92.5, 95.0, 97.5, 100.0}) expected.push_back(mark);
        ASSERT_EQ(recorder_.Progress().size(), expected.size()) << c.what;
        for (size_t i = 0; i < expected.size(); ++i) EXPECT_DOUBLE_EQ(recorder_.Progress()[i], expected[i]) << i;
        ExpectTracesKept(true, true, true, true, !c.blackListBox);
        EXPECT_TRUE(PathExists("S:\\sub\\more.tmp")) << c.what;
        EXPECT_TRUE(PathExists(FirefoxHistory())) << c.what;
        EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, kYahooProfiles)) << c.what;
        // What every cleaning does beyond its boxes: the browser cleaner's two-way steps.
        EXPECT_EQ(tidvex::test::RegReadString(HKEY_CURRENT_USER, kAutoComplete, "Append Completion"), "no");
    }
}

// The black list never takes a folder of the system or of a user, or one that
// holds such a folder, by any letter, nor the neighbour of a name that the
// system reads as the neighbour's; each refusal is logged and the rest goes.
TEST_F(CleanSessionTest, TheBlackListTakesOnlyWhatItNames) {
    const std::string profile = [] {
        char path[MAX_PATH] = {};
        SHGetFolderPathA(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, path);
        return std::string(path);
    }();
    const tidvex::test::SecondLetter letter('D', profile);
    CreateDirectoryA("S:\\bl", nullptr);
    for (const char* folder : {"S:\\bl\\dir", "S:\\bl\\go"}) CreateDirectoryA(folder, nullptr);
    std::vector<std::string> canaries = {"S:\\bl\\data", "S:\\bl\\dir\\in.txt", profile + "\\Music\\song.txt",
                                         profile + "\\AppData\\Roaming\\app.txt",
                                         profile.substr(0, profile.rfind('\\')) + "\\alice\\hers.txt"};
    std::string list = "0|S:\\bl\\data.\r\n1|S:\\bl\\dir \r\n1|" + profile + "\\Music\r\n1|" + profile +
                       "\\AppData\r\n1|" + canaries.back().substr(0, canaries.back().rfind('\\')) +
                       "\r\n1|S:\\bl\\go\r\n";
    if (letter.Made()) {
        canaries.push_back(profile + "\\Documents\\report.txt");
        list += "1|" + letter.Path("Documents") + "\r\n";
    }
    for (const std::string& canary : canaries) {
        SHCreateDirectoryExA(nullptr, canary.substr(0, canary.rfind('\\')).c_str(), nullptr);
        WriteFileBytes(canary, "keep " + canary);
    }
    WriteFileBytes(tidvex::services::ListFilePath(tidvex::services::kBlackList), list);
    form_.lstBlackList.AddItem("S:\\bl\\go");
    EXPECT_TRUE(NewSession(false)->StartClean());

    for (const std::string& canary : canaries) EXPECT_EQ(ReadFileBytes(canary), "keep " + canary);
    EXPECT_FALSE(PathExists("S:\\bl\\go")) << "what the list names goes";
    const std::string log = Log();
    EXPECT_NE(log.find("Not deleted: " + profile + "\\Music"), std::string::npos) << log;
    EXPECT_NE(log.find("S:\\bl\\data.: a name ending in a dot or blank"), std::string::npos) << log;
}

TEST_F(CleanSessionTest, StopFromAnEventEndsEverythingAndTheSessionLivesUntilItsStartCleanReturns) {
    struct Case {
        const char* where;
        std::function<bool(const std::string&)> stopAt;
        bool registryKept, diskKept, windowsKept;
    };
    const Case cases[] = {
        {"registry cleaner", [](const std::string& i) { return i == "Cleaning MS Paint MRU"; }, true, true, true},
        {"hard-disk scan", [](const std::string& i) { return i.rfind("Scanning(HD Cleaner):", 0) == 0; }, false, true,
         true},
        // The announced operation still runs; the next does not.
        {"library cleaner", [](const std::string& i) { return i == "Cleaning Run Dialog History"; }, false, false,
         true},
    };
    for (const auto& c : cases) {
        SetUp();
        recorder_ = Recorder();
        Seed();
        std::shared_ptr<clsCleanSession> held = NewSession(true);
        std::weak_ptr<clsCleanSession> watch = held;
        clsCleanSession* raw = held.get();
        std::string stoppedAt;
        bool aliveAfterDrop = false;
        recorder_.onItem = [&](const std::string& item) {
            if (!held || !c.stopAt(item)) return;
            stoppedAt = item;
            // What the window's Stop does: stop, then drop the session.
            held->StopClean();
            held.reset();
            aliveAfterDrop = !watch.expired();
        };
        EXPECT_TRUE(raw->StartClean()) << c.where;
        EXPECT_TRUE(aliveAfterDrop) << c.where;
        EXPECT_TRUE(watch.expired()) << c.where;

        ASSERT_FALSE(stoppedAt.empty()) << c.where;
        EXPECT_EQ(recorder_.All().back(), "Item:" + stoppedAt) << c.where << ": nothing after the stop";
        ExpectTracesKept(c.registryKept, c.diskKept, c.windowsKept, true, true);
        EXPECT_NE(RegKeyExists(HKEY_CURRENT_USER, kRunMru), std::string(c.where) == "library cleaner") << c.where;
    }
}

TEST_F(CleanSessionTest, AFailedCleaningIsLoggedRaisesNothingMoreAndSaysSo) {
    Seed();
    struct Case {
        const char* what;
        std::function<void()> arrange;
        size_t progressEvents;  // raised before the failure
        const char* causeTag;   // the cause's own log line
    };
    HANDLE locked = INVALID_HANDLE_VALUE;
    const Case cases[] = {
        // Without its safe list a cleaning would delete what the user protected.
        {"safe list unreadable",
         [&] {
             locked = CreateFileW(tidvex::services::ListFilePath(tidvex::services::kSafeList).c_str(), GENERIC_READ, 0,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
             ASSERT_NE(locked, INVALID_HANDLE_VALUE);
         },
         0, "FillSafeBlackLists"},
        {"a drive box item that names no drive",
         [&] {
             form_.cmbDrives.Clear();
             form_.cmbDrives.AddItem("12 [not a drive]");
             form_.cmbDrives.ListIndex(0);
         },
         19, "StartClean@clsCleanSession"},
    };
    for (const auto& c : cases) {
        recorder_ = Recorder();
        DeleteFileW(tidvex::services::LogFilePath().c_str());
        c.arrange();
        auto session = NewSession(true);
        EXPECT_FALSE(session->StartClean()) << c.what;
        if (locked != INVALID_HANDLE_VALUE) CloseHandle(std::exchange(locked, INVALID_HANDLE_VALUE));

        EXPECT_EQ(recorder_.Progress().size(), c.progressEvents) << c.what;
        EXPECT_EQ(std::count(recorder_.All().begin(), recorder_.All().end(), "CleaningDone"), 0) << c.what;
        EXPECT_TRUE(Logged("StartClean@clsCleanSession")) << c.what << "\n" << Log();
        EXPECT_TRUE(Logged(c.causeTag)) << c.what << "\n" << Log();
        ExpectTracesKept(c.progressEvents == 0, true, true, true, true);
    }
}

TEST_F(CleanSessionTest, ALibraryThatIsNotRegisteredEndsTheCleaningLogged) {
    Seed();
    using Entry = HRESULT(WINAPI*)();
    HMODULE lib = GetModuleHandleA((std::string(kLibraryFolder) + "\\Velmora.dll").c_str());
    ASSERT_NE(lib, nullptr);
    auto unregister = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(lib, "DllUnregisterServer")));
    ASSERT_EQ(unregister(), S_OK);
    auto session = NewSession(true);
    EXPECT_TRUE(Logged("Class_Initialize@clsCleanSession")) << Log();
    EXPECT_NE(Log().find("Error Number: 429, "), std::string::npos) << Log();
    session->StopClean();
    EXPECT_TRUE(Logged("StopClean@clsCleanSession")) << Log();

    EXPECT_FALSE(session->StartClean());
    EXPECT_TRUE(Logged("StartClean@clsCleanSession")) << Log();
    EXPECT_EQ(recorder_.All(), Texts{});
    auto reregister = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(lib, "DllRegisterServer")));
    EXPECT_EQ(reregister(), S_OK);
}

TEST_F(CleanSessionTest, TheInstalledProgramsDecideWhatTheBrowserAndMessengerCleanersAreToldToClean) {
    form_.Check({0, 1, 2, 3, 4, 5, 6, 7, 12, 15, 16, 19, 20});
    form_.chkSettings[1].Value(-1);
    // What the library finds: Opera and ICQ by their keys, no MSN Messenger.
    CreateKey(HKEY_CURRENT_USER, "Software\\Opera Software");
    CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Mirabilis\\ICQ");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Microsoft\\MSNMessenger");
    DetectInstalledApps();
    EXPECT_TRUE(CleaningOptions.installed.Opera && CleaningOptions.installed.ICQ);
    EXPECT_FALSE(CleaningOptions.installed.MSN);
    CleaningOptions.installed = {true, false, false, false, false, false, true};
    auto session = NewSession(false);
    session->isCleanBrowsers(true);
    session->isCleanChat(true);
    EXPECT_TRUE(session->StartClean());

    _BrowsCls* browser = session->BrowserObject();
    _ChatCls* chat = session->ChatObject();
    ASSERT_TRUE(browser && chat);
    struct Case {
        const char* property;
        bool expected, actual;
    };
    const Case cases[] = {
        {"IECleanHistory", true, ReadFlag(browser, &_BrowsCls::get_IECleanHistory, "")},
        {"IECleanTypedUrl", true, ReadFlag(browser, &_BrowsCls::get_IECleanTypedUrl, "")},
        {"IETypedUrlP", true, ReadFlag(browser, &_BrowsCls::get_IETypedUrlP, "")},
        {"FFCleanHistory", false, ReadFlag(browser, &_BrowsCls::get_FFCleanHistory, "")},
        {"isShredInsteadofNormalDelete", true, ReadFlag(browser, &_BrowsCls::get_isShredInsteadofNormalDelete, "")},
        {"CleanICQBookmark", true, ReadFlag(chat, &_ChatCls::get_CleanICQBookmark, "")},
        {"CleanMSNRecived", false, ReadFlag(chat, &_ChatCls::get_CleanMSNRecived, "")},
    };
    for (const auto& c : cases) EXPECT_EQ(c.actual, c.expected) << c.property;

    // The shred switch is the library's, for every object: back to deleting.
    VARIANT_BOOL off = VARIANT_FALSE;
    browser->put_isShredInsteadofNormalDelete(&off);
}

}  // namespace
