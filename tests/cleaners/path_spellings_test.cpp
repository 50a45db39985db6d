// Every spelling of a folder the cleaners must never empty, given to every step
// that empties, shreds, copies into or removes a folder named by the registry:
// the user's profile, Documents and Desktop keep every byte, whatever prefix,
// separator, dot, letter case, share or link the path is spelt with. And the
// profiles and program folders the steps find on the way never lead them
// through a link or out of their folder by a look-alike name.
#include "browser_seed.h"

#include "fs/canonical.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>

namespace {

using namespace velmora::test;
using tidvex::test::MakeUnixSymlink;
using tidvex::test::PathExists;
using tidvex::test::ReadFileBytes;
using tidvex::test::RegReadString;
using tidvex::test::RemoveUnixName;
using tidvex::text::Wide;
using tidvex::test::WriteFileBytes;

constexpr char kIe[] = "Software\\Microsoft\\Internet Explorer";
constexpr char kMsn[] = "Software\\Microsoft\\MSNMessenger";
constexpr char kIcq[] = "SOFTWARE\\Mirabilis\\ICQ";
constexpr char kIcqGeneral[] = "SOFTWARE\\Mirabilis\\ICQ\\Install\\General";
constexpr char kIcqOwner[] = "SOFTWARE\\Mirabilis\\ICQ\\NewOwners\\12345\\ICQLite";

std::string ShortPath(const std::string& path) {
    char buf[MAX_PATH] = {};
    const DWORD n = GetShortPathNameA(path.c_str(), buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(buf, n) : path;
}

std::string Upper(std::string s) {
    CharUpperBuffA(s.data(), static_cast<DWORD>(s.size()));
    return s;
}

// A registry value that a step reads, saved and put back around each run.
struct Place {
    HKEY root;
    std::string key, name;
};

// Each step runs on a new object of its class; the platform is Windows 7 unless a step says otherwise.
class PathSpellings : public InProcessCleaner<velmora::BrowsCls> {
public:
    PathSpellings() : InProcessCleaner(DIID___BrowsCls, "velmora_spellings") { platform_.SetVersion(2, 6, 1); }
    using InProcessCleaner::platform_;

    void SetUp() override {
        profile_ = ShellPath(CSIDL_PROFILE);
        // Canaries in the folders no step may empty, and one beside the cleaned place.
        for (int csidl : {CSIDL_PROFILE, CSIDL_PERSONAL, CSIDL_DESKTOPDIRECTORY, CSIDL_APPDATA, CSIDL_MYPICTURES,
                          CSIDL_MYMUSIC, CSIDL_MYVIDEO, CSIDL_FAVORITES, CSIDL_STARTMENU, CSIDL_COMMON_PICTURES}) {
            AddCanary(ShellPath(csidl), "canary-" + std::to_string(csidl) + ".txt");
        }
        // The user's downloads, another user's profile, a folder of the system
        // reached by a second letter, and a folder no one protects.
        AddCanary(profile_ + "\\Downloads", "canary-downloads.txt");
        AddCanary(ParentOf(profile_) + "\\alice", "canary-alice.txt");
        AddCanary(WindowsFolder() + "\\system32\\tidvex-rtc", "canary-rtc.txt");
        AddCanary("C:\\rt\\cache", "canary-rt.txt");
        CreateDirectoryA("C:\\spell", nullptr);
        linked_ = MakeUnixSymlink(ParentOf(profile_), "C:\\spell\\plink");
        CreateKey(HKEY_CURRENT_USER, kMsn);
        CreateKey(HKEY_CURRENT_USER, kIcq);
    }
    void TearDown() override {
        profileLetter_.reset();
        windowsLetter_.reset();
        RemoveUnixName("C:\\spell\\plink");
        RegDeleteTreeA(HKEY_CURRENT_USER, kMsn);
        RegDeleteTreeA(HKEY_CURRENT_USER, kIcq);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kIcq);
    }

    // Every byte of every canary is still there.
    void ExpectCanariesKept(const std::string& what) const {
        for (const auto& [path, content] : canaries_) EXPECT_EQ(ReadFileBytes(path), content) << what << ": " << path;
    }

    // Runs one class with the shred switch and the given switches on.
    template <class Class>
    void Run(std::initializer_list<const wchar_t*> switches) {
        tidvex::com::ComPtr<IDispatch> obj;
        ASSERT_EQ(tidvex::com::Create<Class>(IID_IDispatch, obj.PutVoid()), S_OK);
        auto put = [&](const wchar_t* name, bool on) {
            ASSERT_EQ(tidvex::com::InvokeByName(obj.Get(), name, DISPATCH_PROPERTYPUT,
                                                {tidvex::com::Variant::FromBool(on)}),
                      S_OK);
        };
        put(L"isShredInsteadofNormalDelete", true);
        for (const wchar_t* sw : switches) put(sw, true);
        ASSERT_EQ(tidvex::com::InvokeByName(obj.Get(), L"StartClean", DISPATCH_METHOD), S_OK);
        put(L"isShredInsteadofNormalDelete", false);
    }

    // D: leads to the profile, E: to the Windows folder, as "subst" drives do;
    // false when they cannot be made here.
    bool MakeLetters() {
        if (!profileLetter_) profileLetter_.emplace('D', profile_);
        if (!windowsLetter_) windowsLetter_.emplace('E', WindowsFolder());
        return profileLetter_->Made() && windowsLetter_->Made();
    }
    static std::string WindowsFolder() {
        char buf[MAX_PATH] = {};
        GetWindowsDirectoryA(buf, MAX_PATH);
        return buf;
    }
    // Each attack is judged on its own: what one destroyed is there again for the next.
    void ReseedCanaries() const {
        for (const auto& [path, content] : canaries_) WriteFileBytes(path, content);
    }
    void AddCanary(const std::string& folder, const std::string& name) {
        SHCreateDirectoryExA(nullptr, folder.c_str(), nullptr);
        const std::string canary = folder + "\\" + name;
        WriteFileBytes(canary, "victim " + canary);
        canaries_[canary] = "victim " + canary;
    }
    // A Favorites backup beside the library that holds a file of every
    // canary's name, which a restore would write over the canary.
    void SeedFavoritesBackup() {
        const std::string backup = lib_ + "\\Backups\\IEfav";
        SHCreateDirectoryExA(nullptr, backup.c_str(), nullptr);
        for (const auto& [path, content] : canaries_)
            WriteFileBytes(backup + "\\" + path.substr(path.find_last_of('\\') + 1), "from the backup");
    }

    std::string profile_;
    bool linked_ = false;
    std::map<std::string, std::string> canaries_;
    std::optional<tidvex::test::SecondLetter> profileLetter_, windowsLetter_;
};

// The spellings of the profile folder, Documents and Desktop, and every other
// folder of the user and the system. The drive letters D: (to the profile) and
// E: (to Windows) come last: the spellings from "D:" on need them.
std::vector<std::pair<std::string, std::wstring>> Spellings(const std::string& profile, bool linked) {
    const std::string docs = ShellPath(CSIDL_PERSONAL);
    const std::string desktop = ShellPath(CSIDL_DESKTOPDIRECTORY);
    const std::string afterDrive = profile.substr(2);
    std::string slashes = profile;
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    std::vector<std::pair<std::string, std::string>> narrow = {
        {"plain", profile},
        {"\\\\?\\ prefix", "\\\\?\\" + profile},
        {"\\??\\ prefix", "\\??\\" + profile},
        {"\\\\.\\ prefix", "\\\\.\\" + profile},
        {"forward slashes", slashes},
        {"\\\\?\\ with forward slashes", "//?/" + slashes},
        {"dot and dot-dot", profile + "\\.\\sub\\.."},
        {"\\\\?\\ and dot-dot", "\\\\?\\" + profile + "\\sub\\.."},
        {"trailing dots and blanks", profile + ". . "},
        {"upper case", Upper(profile)},
        {"short name", ShortPath(profile)},
        {"administrative share", "\\\\localhost\\C$" + afterDrive},
        {"\\\\?\\UNC\\ administrative share", "\\\\?\\UNC\\127.0.0.1\\c$" + afterDrive},
        {"ADMIN$", "\\\\localhost\\ADMIN$"},
        {"device", "\\\\.\\C:"},
        {"Documents with \\\\?\\", "\\\\?\\" + docs},
        {"Desktop with \\\\.\\", "\\\\.\\" + desktop},
        {"Desktop with a trailing dot", desktop + "."},
    };
    if (linked) {
        // C:\spell\plink leads to the folder that holds the profile.
        const std::string viaLink = "C:\\spell\\plink\\" + profile.substr(profile.find_last_of('\\') + 1);
        narrow.push_back({"a link on the way", viaLink});
        narrow.push_back({"Documents through a link on the way", viaLink + docs.substr(profile.size())});
        narrow.push_back({"\\\\?\\ and a link on the way", "\\\\?\\" + viaLink});
    }
    for (const auto& [name, csidl] : {std::pair{"Pictures", CSIDL_MYPICTURES}, std::pair{"Music", CSIDL_MYMUSIC},
                                      std::pair{"Videos", CSIDL_MYVIDEO}, std::pair{"Favorites", CSIDL_FAVORITES},
                                      std::pair{"Start Menu", CSIDL_STARTMENU},
                                      std::pair{"Public Pictures", CSIDL_COMMON_PICTURES}}) {
        narrow.push_back({name, ShellPath(csidl)});
    }
    narrow.push_back({"Downloads", profile + "\\Downloads"});
    narrow.push_back({"another user's profile", ParentOf(profile) + "\\alice"});
    // The system reads "cache." as "cache", a folder no one protects.
    narrow.push_back({"a trailing dot on a folder of no one's", "C:\\rt\\cache."});
    std::vector<std::pair<std::string, std::wstring>> spellings;
    for (const auto& [name, path] : narrow) spellings.push_back({name, Wide(path)});
    // Look-alikes of "..\" that a best-fit conversion would turn into the real thing.
    spellings.push_back({"look-alike dots below Downloads", Wide(profile) + L"\\Downloads\\\xFF0E\xFF0E"});
    spellings.push_back({"look-alike dots and backslash", Wide(profile) + L"\\x\\\xFF0E\xFF0E\xFF3C\xFF0E\xFF0E"});
    for (const char* below : {"", "Documents", "Desktop", "Pictures", "Favorites", "AppData\\Roaming"})
        spellings.push_back({std::string("D: to the profile, ") + below, Wide(std::string("D:\\") + below)});
    spellings.push_back({"E: to Windows, system32", L"E:\\system32\\tidvex-rtc"});
    return spellings;
}

// Each step that empties or removes a folder a registry value names: where the
// value is, and what runs the step.
struct EntryPoint {
    const char* name;
    Place place;
    std::function<void(PathSpellings&)> run;
};

TEST_F(PathSpellings, NoSpellingOfAProtectedFolderLetsAStepEmptyIt) {
    const std::vector<EntryPoint> entries = {
        {"IE cache", {HKEY_CURRENT_USER, kShellFolders, "Cache"},
         [](PathSpellings& t) { t.Run<velmora::BrowsCls>({L"IECleanCashe"}); }},
        {"IE cookies", {HKEY_CURRENT_USER, kShellFolders, "Cookies"},
         [](PathSpellings& t) { t.Run<velmora::BrowsCls>({L"IERemoveCookies"}); }},
        {"IE download folder", {HKEY_CURRENT_USER, kIe, "Download Directory"},
         [](PathSpellings& t) { t.Run<velmora::BrowsCls>({L"IECleanDownloadDir"}); }},
        {"IE Favorites backup", {HKEY_CURRENT_USER, kShellFolders, "Favorites"},
         [](PathSpellings& t) {
             t.platform_.SetVersion(2, 5, 1);  // Windows XP, where the Favorites are a shell folder
             t.Run<velmora::BrowsCls>({});
             t.platform_.SetVersion(2, 6, 1);
         }},
        {"IE Favorites restore", {HKEY_CURRENT_USER, kShellFolders, "Favorites"},
         [](PathSpellings& t) {
             t.SeedFavoritesBackup();
             t.platform_.SetVersion(2, 5, 1);
             t.Run<velmora::BrowsCls>({L"IEFavorite"});
             t.platform_.SetVersion(2, 6, 1);
         }},
        {"Windows Templates", {HKEY_CURRENT_USER, kShellFolders, "Templates"},
         [](PathSpellings& t) { t.Run<velmora::WinCls>({L"CleanTemplates"}); }},
        {"Windows CD burning", {HKEY_CURRENT_USER, kShellFolders, "CD Burning"},
         [](PathSpellings& t) { t.Run<velmora::WinCls>({L"CleanCdTmp"}); }},
        {"Windows recent documents", {HKEY_CURRENT_USER, kShellFolders, "Recent"},
         [](PathSpellings& t) { t.Run<velmora::WinCls>({L"CleanRecentDoc"}); }},
        {"MSN received files", {HKEY_CURRENT_USER, kMsn, "FtReceiveFolder"},
         [](PathSpellings& t) { t.Run<velmora::ChatCls>({L"CleanMSNRecived"}); }},
        {"ICQ Lite received files", {HKEY_LOCAL_MACHINE, kIcqOwner, "SaveFilePath"},
         [](PathSpellings& t) { t.Run<velmora::ChatCls>({L"CleanICQReceivedFile"}); }},
    };
    for (const auto& [spelling, path] : Spellings(profile_, linked_)) {
        if (path.rfind(L"D:", 0) == 0 && !MakeLetters()) GTEST_SKIP() << "no drive letter can be made here";
        for (const EntryPoint& entry : entries) {
            // The Favorites steps exist to empty and fill the Favorites.
            if (std::string(entry.name).find("Favorites") != std::string::npos &&
                spelling.find("Favorites") != std::string::npos)
                continue;
            const std::string what =
                std::string(entry.name) + " <- " + spelling + " (" + tidvex::text::Narrow(path) + ")";
            SCOPED_TRACE(what);
            const auto& [root, key, name] = entry.place;
            const auto saved = RegReadString(root, key, name);
            // Written as UTF-16, so that look-alike characters reach the registry as themselves.
            SetRawW(root, key, Wide(name), {REG_SZ, path + L'\0'});
            entry.run(*this);
            if (saved) {
                SetString(root, key, name, *saved);
            } else {
                RegDeleteKeyValueA(root, key.c_str(), name.c_str());
            }
            ExpectCanariesKept(what);
            ReseedCanaries();
        }
    }
}

// A second letter that leads to the profile is no link on the way: each step
// still empties its own folder, named by the ordinary path or by the letter.
TEST_F(PathSpellings, ASecondLetterToTheProfileLeavesEachStepItsOwnFolder) {
    if (!MakeLetters()) GTEST_SKIP() << "no drive letter can be made here";
    auto byLetter = [&](const std::string& path) { return profileLetter_->Path(path.substr(profile_.size() + 1)); };
    const std::string local = ShellPath(CSIDL_LOCAL_APPDATA);
    struct Case {
        const char* name;
        const char* value;  // the Shell Folders value the step reads
        std::string text;   // what it is set to
        std::string file;   // what the step removes
        std::function<void(PathSpellings&)> run;
    };
    const auto templates = [](PathSpellings& t) { t.Run<velmora::WinCls>({L"CleanTemplates"}); };
    const Case cases[] = {
        {"Templates", "Templates", ShellPath(CSIDL_TEMPLATES), ShellPath(CSIDL_TEMPLATES) + "\\letter.dot", templates},
        {"Templates by the letter", "Templates", byLetter(ShellPath(CSIDL_TEMPLATES)),
         ShellPath(CSIDL_TEMPLATES) + "\\memo.dot", templates},
        {"Recent", "Recent", ShellPath(CSIDL_RECENT), ShellPath(CSIDL_RECENT) + "\\doc.lnk",
         [](PathSpellings& t) { t.Run<velmora::WinCls>({L"CleanRecentDoc"}); }},
        {"IE cache", "Cache", ShellPath(CSIDL_INTERNET_CACHE), ShellPath(CSIDL_INTERNET_CACHE) + "\\page.htm",
         [](PathSpellings& t) { t.Run<velmora::BrowsCls>({L"IECleanCashe"}); }},
        {"IE cookies", "Cookies", ShellPath(CSIDL_COOKIES), ShellPath(CSIDL_COOKIES) + "\\site.txt",
         [](PathSpellings& t) { t.Run<velmora::BrowsCls>({L"IERemoveCookies"}); }},
        {"the user's temp folder", "Local Settings", local, local + "\\temp\\a.tmp",
         [](PathSpellings& t) { t.Run<velmora::WinCls>({L"CleanTmpFolder"}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto saved = RegReadString(HKEY_CURRENT_USER, kShellFolders, c.value);
        SetString(HKEY_CURRENT_USER, kShellFolders, c.value, c.text);
        Seed(c.file, "trace");
        c.run(*this);
        if (saved) {
            SetString(HKEY_CURRENT_USER, kShellFolders, c.value, *saved);
        } else {
            RegDeleteKeyValueA(HKEY_CURRENT_USER, kShellFolders, c.value);
        }
        EXPECT_FALSE(PathExists(c.file)) << c.file;
        ExpectCanariesKept(c.name);
    }
}

// profiles.ini may name a Firefox profile by its full path (IsRelative=0): the
// steps work in that folder, which is judged like any folder a value names.
TEST_F(PathSpellings, AFirefoxProfileByItsFullPathIsCleanedWhereItIsAndJudged) {
    const std::string firefox = ShellPath(CSIDL_APPDATA) + "\\Mozilla\\Firefox";
    const std::string docs = ShellPath(CSIDL_PERSONAL);
    CreateKey(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "firefox.exe");
    struct Case {
        std::string path;    // as profiles.ini gives it
        std::string folder;  // where that is
        bool cleaned;
    };
    std::vector<Case> cases = {{"C:\\ffabs\\prof", "C:\\ffabs\\prof", true},
                               {"C:/ffabs/slashes", "C:\\ffabs\\slashes", true},
                               {docs, docs, false}};
    if (MakeLetters()) cases.push_back({profileLetter_->Path("Documents"), docs, false});
    const char* files[] = {"\\history.dat", "\\cookies.txt", "\\bookmarks.html", "\\cache\\c.bin"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        for (const char* f : files) Seed(c.folder + f, std::string("profile ") + f);
        Seed(firefox + "\\profiles.ini", "[Profile0]\r\nName=default\r\nIsRelative=0\r\nPath=" + c.path + "\r\n");
        Run<velmora::BrowsCls>({L"FFCleanHistory", L"FFCleanBookMark", L"FFRemoveCookies", L"FFCleanCash"});
        for (const char* f : files) {
            if (c.cleaned) {
                EXPECT_FALSE(PathExists(c.folder + f)) << f;
            } else {
                EXPECT_EQ(ReadFileBytes(c.folder + f), std::string("profile ") + f) << f;
            }
        }
    }
    DeleteFileA((firefox + "\\profiles.ini").c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kAppPaths) + "firefox.exe").c_str());
    ExpectCanariesKept("absolute Firefox profile");
}

// Profiles and program folders that a step finds and then walks into, each
// leading through a link to a folder outside: what is there keeps every byte.
TEST_F(PathSpellings, ALinkOnTheWayToAProfileOrProgramFolderIsNeverFollowed) {
    if (!linked_) GTEST_SKIP() << "no links can be made here";
    const std::string appData = ShellPath(CSIDL_APPDATA);
    const std::string outside = ShellPath(CSIDL_PROFILE) + "\\outside-target";
    // What a browser or messenger step would remove, kept in the outside folder.
    const std::vector<std::string> files = {"cookies.txt", "bookmarks.html", "bookmarks.bak", "history.dat",
                                            "formhistory.dat", "global.dat", "cookies4.dat",
                                            "cache\\c.bin", "cache4\\c.bin", "Bookmark\\b.url", "Chats\\c.txt",
                                            "AteBrowser\\x.cache", "messenger\\YPager.log", "mail\\Trash"};
    for (const std::string& f : files) Seed(outside + "\\" + f, "outside " + f);
    auto outsideKept = [&](const std::string& what) {
        for (const std::string& f : files)
            EXPECT_EQ(ReadFileBytes(outside + "\\" + f), "outside " + f) << what << ": " << f;
    };
    CreateKey(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "firefox.exe");
    CreateKey(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "Netscp.exe");
    CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Yahoo\\pager");
    CreateKey(HKEY_CURRENT_USER, "Software\\Opera Software");

    struct Case {
        const char* name;
        std::string link;  // made a link to the outside folder
        std::function<void()> place;
        std::function<void()> run;
    };
    const std::string firefox = appData + "\\Mozilla\\Firefox";
    const std::string netscape = appData + "\\netscape\\nsb\\Profiles";
    const Case cases[] = {
        {"Firefox profile Path=Profiles/linkprof", firefox + "\\Profiles\\linkprof",
         [&] { Seed(firefox + "\\profiles.ini", "[Profile0]\r\nPath=Profiles/linkprof\r\n"); },
         [&] {
             Run<velmora::BrowsCls>({L"FFCleanHistory", L"FFCleanBookMark", L"FFRemoveCookies", L"FFCleanCash"});
         }},
        {"Netscape profile entry", netscape + "\\linked.default", [] {},
         [&] {
             Run<velmora::BrowsCls>({L"NSCleanHistory", L"NSCleanCash", L"NSCleanAutoComplete", L"NSCleanCookies",
                                     L"NSCleanMail"});
         }},
        {"Opera profile", appData + "\\Opera\\Opera\\profile", [] {},
         [&] {
             platform_.SetVersion(2, 5, 1);  // Windows XP: the profile lies in the application data
             Run<velmora::BrowsCls>({L"OPCleanCash", L"OPCleanHistory", L"OPCleanCookie"});
             platform_.SetVersion(2, 6, 1);
         }},
        {"ICQ InstalledDir", "C:\\spell\\icq",
         [] { SetString(HKEY_CURRENT_USER, kIcqGeneral, "InstalledDir", "C:\\spell\\icq"); },
         [&] { Run<velmora::ChatCls>({L"CleanICQBookmark", L"CleanICQChat", L"CleanICQBrowsCache"}); }},
        {"Yahoo mainDir", "C:\\spell\\yahoo",
         [] { SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Yahoo\\Essentials", "mainDir", "C:\\spell\\yahoo"); },
         [&] { Run<velmora::ChatCls>({L"CleanYahooPage"}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SHCreateDirectoryExA(nullptr, ParentOf(c.link).c_str(), nullptr);
        ASSERT_TRUE(MakeUnixSymlink(outside, c.link)) << c.link;
        c.place();
        c.run();
        RemoveUnixName(c.link);
        outsideKept(c.name);
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Yahoo");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Opera Software");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kAppPaths) + "firefox.exe").c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kAppPaths) + "Netscp.exe").c_str());
}

// A Netscape profile folder whose name is made of look-alikes of "..\" is a
// folder of that name: the steps work inside it, never in Documents.
TEST_F(PathSpellings, ALookAlikeProfileNameStaysInItsOwnFolder) {
    const std::string appData = ShellPath(CSIDL_APPDATA);
    const std::wstring base = tidvex::text::Wide(appData) + L"\\netscape\\nsb\\Profiles";
    std::wstring name;
    for (int i = 0; i < 5; ++i) name += L"\xFF0E\xFF0E\xFF3C";
    name += L"Documents";
    const std::wstring own = base + L"\\" + name;
    SHCreateDirectoryExA(nullptr, (appData + "\\netscape\\nsb\\Profiles").c_str(), nullptr);
    ASSERT_TRUE(CreateDirectoryW(own.c_str(), nullptr));
    HANDLE h = CreateFileW((own + L"\\history.dat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    const std::string docs = ShellPath(CSIDL_PERSONAL);
    for (const char* f : {"\\history.dat", "\\cookies.txt", "\\formhistory.dat", "\\cache\\c.bin"})
        Seed(docs + f, std::string("mine ") + f);
    CreateKey(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "Netscp.exe");

    Run<velmora::BrowsCls>({L"NSCleanHistory", L"NSCleanCash", L"NSCleanAutoComplete", L"NSCleanCookies"});

    for (const char* f : {"\\history.dat", "\\cookies.txt", "\\formhistory.dat", "\\cache\\c.bin"})
        EXPECT_EQ(ReadFileBytes(docs + f), std::string("mine ") + f) << f;
    EXPECT_EQ(GetFileAttributesW((own + L"\\history.dat").c_str()), INVALID_FILE_ATTRIBUTES)
        << "the profile's own history goes";
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, (std::string(kAppPaths) + "Netscp.exe").c_str());
    ExpectCanariesKept("look-alike profile");
}

}  // namespace
