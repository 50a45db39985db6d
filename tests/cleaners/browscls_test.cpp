// The browser cleaner in this process, on installations the tests write into
// the prefix: each step alone removes its traces and keeps their neighbours,
// the two-way steps hide and give back byte for byte, folders that must never
// be emptied are refused, and under Wine's URL-history stub the history goes
// from the URL cache and the run goes on.
#include "browser_seed.h"

#include "fs/fso.h"

#include <gtest/gtest.h>

namespace {

using namespace velmora::test;
using tidvex::com::Narrow;
using tidvex::test::PathExists;
using tidvex::test::ScratchFolder;

constexpr char kIe[] = "Software\\Microsoft\\Internet Explorer";
constexpr char kTypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr char kPasswords[] = "Software\\Microsoft\\Internet Explorer\\Intelliforms\\SPW";
constexpr char kAutoComplete[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete";

class BrowsClsTest : public InProcessCleaner<velmora::BrowsCls> {
protected:
    BrowsClsTest() : InProcessCleaner(DIID___BrowsCls, "velmora_brows") {}

    void TearDown() override { SetCurrentDirectoryA("C:\\"); }
};

TEST_F(BrowsClsTest, EachStepAloneRemovesItsTracesAndKeepsTheirNeighbours) {
    for (const Trace& step : SeedBrowsers()) {
        SeedBrowsers();
        Make();
        Set(step.sw);
        Run();
        std::vector<std::string> captions;
        if (step.caption) captions.push_back(step.caption);
        EXPECT_EQ(events_.Captions(), captions) << Narrow(step.sw);
        EXPECT_EQ(events_.Frame(), (std::vector<std::string>{"CleanStart(-1)", "CleanEnd(-1)", "CleanStart(0)"}))
            << Narrow(step.sw);
        ExpectTraces(step);
    }
}

// Links of every kind and a second name of an outside file, planted in every
// folder a step empties or removes, while shredding: their targets keep their
// content byte for byte.
TEST_F(BrowsClsTest, LinksInsideCleanedFoldersKeepTheirTargets) {
    const std::string favorites = ShellPath(CSIDL_FAVORITES);
    SetString(HKEY_CURRENT_USER, kShellFolders, "Favorites", favorites);
    Seed(favorites + "\\a.url");
    std::vector<std::string> places = {favorites};
    for (const Trace& step : SeedBrowsers()) {
        const std::wstring sw = step.sw;
        if (sw == L"IECleanDownloadDir" || sw == L"IERemoveCookies" || sw == L"IECleanCashe" ||
            sw == L"FFCleanCash" || sw == L"OPCleanCash" || sw == L"NSCleanCash") {
            places.push_back(ParentOf(step.gone.front()));
        }
    }
    ExpectLinkTargetsKept(places, {L"IECleanDownloadDir", L"IERemoveCookies", L"IECleanCashe", L"FFCleanCash",
                                   L"OPCleanCash", L"NSCleanCash"});
}

TEST_F(BrowsClsTest, TypedUrlsAreDeletedByTheirStepAndNotHidden) {
    EmptyKey(HKEY_CURRENT_USER, kTypedUrls);
    EmptyKey(HKEY_CURRENT_USER, "Software\\Brellic2\\TypedUrls");
    SetString(HKEY_CURRENT_USER, kTypedUrls, "url1", "http://a.example/");
    Make();
    Set(L"IECleanTypedUrl");
    Run();
    EXPECT_TRUE(Values(HKEY_CURRENT_USER, kTypedUrls).empty());
    EXPECT_TRUE(Values(HKEY_CURRENT_USER, "Software\\Brellic2\\TypedUrls").empty());
    EXPECT_NE(Log().find("REG: HKEY_CURRENT_USER\\" + std::string(kTypedUrls) + "\\url1"), std::string::npos) << Log();
}

// The four two-way steps run on every run: with their switches off they hide,
// with them on they give back exactly what was hidden.
TEST_F(BrowsClsTest, HiddenItemsComeBackByteForByte) {
    const std::string favorites = ShellPath(CSIDL_FAVORITES);
    SetString(HKEY_CURRENT_USER, kShellFolders, "Favorites", favorites);
    EmptyKey(HKEY_CURRENT_USER, kTypedUrls);
    EmptyKey(HKEY_LOCAL_MACHINE, kPasswords);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brellic2");
    const std::map<std::string, Raw> urls = {
        {"url1", {REG_SZ, std::string("http://a.example/%20x%20\0", 25)}},
        {"url2", {REG_SZ, std::string("http://b.example/\0", 18)}},
    };
    const std::map<std::string, Raw> passwords = {
        {"site1", {REG_BINARY, std::string("\x01\x00\xff\x00secret\x00\x00", 12)}},
        {"site2", {REG_BINARY, std::string("\x00\x00", 2)}},
    };
    for (const auto& [name, raw] : urls) SetRaw(HKEY_CURRENT_USER, kTypedUrls, name, raw);
    for (const auto& [name, raw] : passwords) SetRaw(HKEY_LOCAL_MACHINE, kPasswords, name, raw);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brellic2");
    Seed(favorites + "\\Links\\a.url", "[InternetShortcut]\r\nURL=http://a/\r\n");
    Seed(favorites + "\\b.url", std::string("\x00\x01\x02", 3));
    Seed(favorites + "\\deep\\er\\c.url", "c");
    const auto tree = Tree(favorites);

    Make();
    Call(L"BrowsReset");
    Run();
    EXPECT_EQ(events_.Events(), (std::vector<std::string>{"CleanStart(-1)", "CleanEnd(-1)", "CleanStart(0)"}));
    EXPECT_EQ(tidvex::test::RegReadString(HKEY_CURRENT_USER, kAutoComplete, "Append Completion"), "no");
    EXPECT_TRUE(Values(HKEY_CURRENT_USER, kTypedUrls).empty());
    EXPECT_EQ(Values(HKEY_CURRENT_USER, "Software\\Brellic2\\TypedUrls"), urls);
    EXPECT_TRUE(Values(HKEY_LOCAL_MACHINE, kPasswords).empty());
    EXPECT_EQ(Values(HKEY_CURRENT_USER, "Software\\Brellic2\\passwords"), passwords);
    EXPECT_FALSE(PathExists(favorites));
    EXPECT_EQ(Tree(lib_ + "\\Backups\\IEfav"), tree);

    for (const wchar_t* sw : {L"IEAutoComplete", L"IETypedUrlP", L"IEFavorite", L"IEPassWord"}) Set(sw);
    Run();
    EXPECT_EQ(events_.Events(), (std::vector<std::string>{"CleanStart(-1)", "CleanEnd(-1)", "CleanStart(0)"}));
    EXPECT_EQ(tidvex::test::RegReadString(HKEY_CURRENT_USER, kAutoComplete, "Append Completion"), "yes");
    EXPECT_EQ(Values(HKEY_CURRENT_USER, kTypedUrls), urls);
    EXPECT_EQ(Values(HKEY_LOCAL_MACHINE, kPasswords), passwords);
    EXPECT_EQ(Values(HKEY_CURRENT_USER, "Software\\Brellic2\\passwords"), passwords) << "the hidden copies stay";
    EXPECT_EQ(Tree(favorites), tree);
    EXPECT_FALSE(PathExists(lib_ + "\\Backups\\IEfav")) << "the backup goes once it is back";

    Run();
    EXPECT_EQ(events_.Events(), (std::vector<std::string>{"CleanStart(-1)", "Showmsg(3,No previous backup found)",
                                                          "CleanEnd(-1)", "CleanStart(0)"}));
    EXPECT_EQ(Tree(favorites), tree);
}

// ---- hidden copies and restores: exact, and never through a link ----

// Every value of a key by its UTF-16 name, as the wide calls read it.
std::map<std::wstring, RawW> ValuesW(HKEY root, const std::string& key) {
    std::map<std::wstring, RawW> out;
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLen = 256;
        BYTE data[4096];
        DWORD size = sizeof data, type = 0;
        if (RegEnumValueW(k, i, name, &nameLen, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        out[std::wstring(name, nameLen)] =
            RawW{type, std::wstring(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t))};
    }
    RegCloseKey(k);
    return out;
}

// Typed URLs outside the code page, under names outside it, with "%" signs,
// as multi-strings and as binary data: hidden and given back exactly as stored.
TEST_F(BrowsClsTest, HiddenCopiesKeepEveryScriptAndType) {
    EmptyKey(HKEY_CURRENT_USER, kTypedUrls);
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brellic2");
    const std::map<std::wstring, RawW> urls = {
        {L"url1", {REG_SZ, std::wstring(L"http://\x043F\x0440\x0438\x043C\x0435\x0440.test/\x4E2D", 20) + L'\0'}},
        {L"\x0430\x0434\x0440\x0435\x0441", {REG_SZ, std::wstring(L"http://b.test/\0", 15)}},
        {L"url3", {REG_SZ, std::wstring(L"http://c.test/%PATH%/%20\0", 25)}},
        {L"url4", {REG_EXPAND_SZ, std::wstring(L"%SystemRoot%\\x\0", 15)}},
        {L"url5", {REG_MULTI_SZ, std::wstring(L"a\0\xFF0E\0\0", 5)}},
        {L"url6", {REG_BINARY, std::wstring(L"\x0001\xFF00\0s", 4)}},
    };
    for (const auto& [name, raw] : urls) SetRawW(HKEY_CURRENT_USER, kTypedUrls, name, raw);
    Make();
    Run();
    EXPECT_TRUE(ValuesW(HKEY_CURRENT_USER, kTypedUrls).empty());
    EXPECT_EQ(ValuesW(HKEY_CURRENT_USER, "Software\\Brellic2\\TypedUrls"), urls);
    Set(L"IETypedUrlP");
    Run();
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    EXPECT_EQ(ValuesW(HKEY_CURRENT_USER, kTypedUrls), urls);
}

// A hidden copy's key that someone made a registry link is replaced by a real
// key of the library's own; a key of the browser's that is a link is never
// written through on the way back. What the links lead to keeps every value.
TEST_F(BrowsClsTest, HiddenCopiesNeverGoThroughARegistryLink) {
    using tidvex::test::LinkTargetIntact;
    using tidvex::test::MakeRegistryLink;
    using tidvex::test::RegistryLinkExists;
    using tidvex::test::RemoveRegistryLink;
    using tidvex::test::SeedLinkTarget;
    struct Case {
        const char* name;
        HKEY root;
        std::string link;
    };
    const Case hiding[] = {
        {"typed", HKEY_CURRENT_USER, "Software\\Brellic2\\TypedUrls"},
        {"own", HKEY_CURRENT_USER, "Software\\Brellic2"},
        {"passwords", HKEY_CURRENT_USER, "Software\\Brellic2\\passwords"},
    };
    for (const Case& c : hiding) {
        SCOPED_TRACE(c.name);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brellic2");
        if (std::string(c.link).find('\\', 9) != std::string::npos) CreateKey(HKEY_CURRENT_USER, "Software\\Brellic2");
        const std::string target = SeedLinkTarget(c.name, true, "url1");
        if (!MakeRegistryLink(c.root, c.link, target)) GTEST_SKIP() << "no registry links here";
        EmptyKey(HKEY_CURRENT_USER, kTypedUrls);
        EmptyKey(HKEY_LOCAL_MACHINE, kPasswords);
        SetString(HKEY_CURRENT_USER, kTypedUrls, "url1", "http://mine.test/");
        SetString(HKEY_LOCAL_MACHINE, kPasswords, "url1", "secret");
        Make();
        Run();
        EXPECT_TRUE(LinkTargetIntact(c.name, true, "url1"));
        EXPECT_FALSE(RegistryLinkExists(c.root, c.link)) << "made a real key";
        EXPECT_EQ(tidvex::test::RegReadString(HKEY_CURRENT_USER, "Software\\Brellic2\\TypedUrls", "url1"),
                  "http://mine.test/");
        EXPECT_EQ(tidvex::test::RegReadString(HKEY_CURRENT_USER, "Software\\Brellic2\\passwords", "url1"), "secret");
        RemoveRegistryLink(c.root, c.link);
    }

    // On the way back: the browser's own keys are links.
    const Case restoring[] = {
        {"back-typed", HKEY_CURRENT_USER, kTypedUrls},
        {"back-passwords", HKEY_LOCAL_MACHINE, kPasswords},
    };
    for (const Case& c : restoring) {
        SCOPED_TRACE(c.name);
        RegDeleteTreeA(c.root, c.link.c_str());
        const std::string target = SeedLinkTarget(c.name, true, "url1");
        if (!MakeRegistryLink(c.root, c.link, target)) GTEST_SKIP() << "no registry links here";
        Make();
        Set(L"IETypedUrlP");
        Set(L"IEPassWord");
        Run();
        EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
        EXPECT_TRUE(LinkTargetIntact(c.name, true, "url1"));
        RemoveRegistryLink(c.root, c.link);
        CreateKey(c.root, c.link);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brellic2");
}

// A link ABOVE the keys a hide moves its originals out of (the browser's key
// made a link to a machine key holding their names): the originals there are
// never deleted, the refusal is logged, and the run goes on.
TEST_F(BrowsClsTest, AHideNeverDeletesThroughALinkAboveTheOriginals) {
    using tidvex::test::LinkTargetIntact;
    struct Case {
        const char* name;
        HKEY root;
        std::string link, inner;
    } cases[] = {
        {"above-typed", HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer", "TypedURLs"},
        {"above-passwords", HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer\\Intelliforms", "SPW"},
    };
    for (const Case& c : cases) {
        RegDeleteTreeA(c.root, c.link.c_str());
        const std::string target = tidvex::test::SeedLinkTarget(c.name, false, "url1", c.inner);
        if (!tidvex::test::MakeRegistryLink(c.root, c.link, target)) GTEST_SKIP() << "no registry links here";
    }
    Make();
    Run();
    EXPECT_EQ(events_.Events(), (std::vector<std::string>{"CleanStart(-1)", "CleanEnd(-1)", "CleanStart(0)"}));
    for (const Case& c : cases) {
        EXPECT_TRUE(LinkTargetIntact(c.name, false, "url1", c.inner)) << c.link;
        tidvex::test::RemoveRegistryLink(c.root, c.link);
    }
    EXPECT_NE(Log().find("a registry link on the way"), std::string::npos) << Log();
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brellic2");
}

// Restoring the Favorites writes nothing through a link among them, neither a
// file, a folder nor a link to nothing, and replaces no file with other names.
TEST_F(BrowsClsTest, FavoritesComeBackWithoutWritingThroughALink) {
    const std::string favorites = ShellPath(CSIDL_PROFILE) + "\\FavRestore";
    const std::string outside = ShellPath(CSIDL_PROFILE) + "\\FavOutside";
    SetString(HKEY_CURRENT_USER, kShellFolders, "Favorites", favorites);
    for (const std::string name : {"file-link.url", "relative-link.url", "dangling-link.url", "folder-link",
                                    "hard-link.url"}) {
        SCOPED_TRACE(name);
        RemoveTree(favorites);
        RemoveTree(outside);
        RemoveTree(lib_ + "\\Backups");
        Seed(favorites + "\\own.url", "own");
        CreateDirectoryA(outside.c_str(), nullptr);
        tidvex::test::PlantedLinks links;
        if (!links.Plant(favorites, outside, "", ".url")) GTEST_SKIP() << "no links can be made here";
        // The backup holds an entry of the same name for each planted one.
        Seed(lib_ + "\\Backups\\IEfav\\" + name + (name == "folder-link" ? "\\inner.url" : ""), "from the backup");
        Make();
        Set(L"IEFavorite");
        Run();
        EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
        links.Check();
        for (const auto& [path, content] : Tree(outside)) EXPECT_NE(content, "from the backup") << path;
        for (const auto& entry : links.Entries()) tidvex::test::RemoveUnixName(entry);
    }
    RemoveTree(favorites);
    RemoveTree(outside);
}

// Where the platform keeps no Favorites folder of this kind (every version but
// Windows 98, ME and XP), backing them up does nothing and says nothing.
TEST_F(BrowsClsTest, NoFavoritesFolderMeansNoLogLine) {
    platform_.SetVersion(2, 6, 1);
    Make();
    Run();
    EXPECT_TRUE(Completed());
    EXPECT_EQ(Log().find("Not cleaned: \"\""), std::string::npos) << Log();
    platform_.SetVersion(2, 5, 1);
}

// A volatile "Software\Brellic2" takes no lasting subkey, so no hidden copy can
// be written: the typed URLs stay and the run ends, the passwords stay and the
// run goes on.
TEST_F(BrowsClsTest, NothingIsRemovedWhenItsHiddenCopyCannotBeWritten) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brellic2");
    HKEY volatileKey;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Brellic2", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &volatileKey, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(volatileKey);
    EmptyKey(HKEY_CURRENT_USER, kTypedUrls);
    EmptyKey(HKEY_LOCAL_MACHINE, kPasswords);
    SetString(HKEY_CURRENT_USER, kTypedUrls, "url1", "http://typed/");
    SetRaw(HKEY_LOCAL_MACHINE, kPasswords, "site", {REG_BINARY, std::string("\x01\x00\x02", 3)});
    Make();
    Run();
    EXPECT_TRUE(Raised("CleanAbort(-1)")) << testing::PrintToString(events_.Events());
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, kTypedUrls, "url1"));
    Set(L"IETypedUrlP");
    Run();
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    EXPECT_TRUE(ValueExists(HKEY_LOCAL_MACHINE, kPasswords, "site"));
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Brellic2");
}

TEST_F(BrowsClsTest, FavoritesStayWhenTheirBackupCannotBeMade) {
    const std::string favorites = ShellPath(CSIDL_FAVORITES);
    SetString(HKEY_CURRENT_USER, kShellFolders, "Favorites", favorites);
    Seed(favorites + "\\a.url", "a");
    tidvex::test::WriteFileBytes(lib_ + "\\Backups", "a file where the backup folder belongs");
    Make();
    Run();
    EXPECT_TRUE(Completed());
    EXPECT_TRUE(PathExists(favorites + "\\a.url"));
    DeleteFileA((lib_ + "\\Backups").c_str());
}

// What the download folder, the cache and the cookie folder name is checked
// before anything in it is touched.
TEST_F(BrowsClsTest, FoldersThatMustNeverBeEmptiedAreRefusedAndLogged) {
    const std::string cwd = ScratchFolder("brows_cwd");
    SetCurrentDirectoryA(cwd.c_str());
    const std::string profile = ShellPath(CSIDL_PROFILE);
    const std::string target = profile + "\\link-target";
    Seed(target + "\\canary.txt", "kept");
    ASSERT_TRUE(tidvex::test::MakeUnixSymlink(target, profile + "\\dl-link"));
    struct Case {
        std::string folder;
        std::string canary;  // a file that must stay
    };
    const std::vector<Case> cases = {
        {"", cwd + "\\canary.txt"},
        {"dl", cwd + "\\dl\\canary.txt"},
        {"C:\\", "C:\\canary.txt"},
        {"\\\\server\\share", cwd + "\\canary.txt"},
        {ShellPath(CSIDL_WINDOWS), ShellPath(CSIDL_WINDOWS) + "\\canary.txt"},
        {ShellPath(CSIDL_PROGRAM_FILES), ShellPath(CSIDL_PROGRAM_FILES) + "\\canary.txt"},
        {ShellPath(CSIDL_SYSTEM) + "\\drivers", ShellPath(CSIDL_SYSTEM) + "\\drivers\\canary.txt"},
        {profile, profile + "\\canary.txt"},
        {ParentOf(profile), profile + "\\canary.txt"},
        {ShellPath(CSIDL_DESKTOPDIRECTORY) + "\\", ShellPath(CSIDL_DESKTOPDIRECTORY) + "\\canary.txt"},
        {ShellPath(CSIDL_PERSONAL), ShellPath(CSIDL_PERSONAL) + "\\canary.txt"},
        {profile + "\\dl-link", target + "\\canary.txt"},
    };
    for (const Case& c : cases) Seed(c.canary, "kept");
    for (const Case& c : cases) {
        SetString(HKEY_CURRENT_USER, kIe, "Download Directory", c.folder);
        SetString(HKEY_CURRENT_USER, kShellFolders, "Cache", c.folder);
        SetString(HKEY_CURRENT_USER, kShellFolders, "Cookies", c.folder);
        Make();
        Set(L"IERemoveCookies");
        Set(L"IECleanCashe");
        Run();
        EXPECT_TRUE(Completed()) << c.folder << ": the cookie and cache steps pass a refused folder by";
        Set(L"IECleanDownloadDir");
        Run();
        EXPECT_TRUE(Raised("Showmsg(2,Path not found)")) << c.folder << ": the download step ends the run";
        EXPECT_TRUE(Raised("CleanAbort(-1)")) << c.folder;
        for (const Case& all : cases) EXPECT_TRUE(PathExists(all.canary)) << c.folder << ": " << all.canary;
        EXPECT_NE(Log().find("Not cleaned: \"" + c.folder + "\""), std::string::npos) << c.folder;
    }
    EXPECT_TRUE(PathExists(profile + "\\dl-link")) << "the link itself stays too";
    SetString(HKEY_CURRENT_USER, kShellFolders, "Cache", ShellPath(CSIDL_INTERNET_CACHE));
    SetString(HKEY_CURRENT_USER, kShellFolders, "Cookies", ShellPath(CSIDL_COOKIES));
}

TEST_F(BrowsClsTest, AMissingDownloadFolderIsMadeAndOneInUseIsKept) {
    const std::string dl = ShellPath(CSIDL_PROFILE) + "\\Downloads\\fresh";
    RemoveDirectoryA(dl.c_str());
    SetString(HKEY_CURRENT_USER, kIe, "Download Directory", dl);
    Make();
    Set(L"IECleanDownloadDir");
    Run();
    EXPECT_TRUE(Completed());
    EXPECT_TRUE(PathExists(dl));

    Seed(dl + "\\busy.part", "in use");
    HANDLE busy = CreateFileA((dl + "\\busy.part").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(busy, INVALID_HANDLE_VALUE);
    Run();
    CloseHandle(busy);
    EXPECT_TRUE(Completed()) << "a folder that stays is not made again" << testing::PrintToString(events_.Events());
}

TEST_F(BrowsClsTest, ProfilesThatAreMissingOrClimbOutRemoveNothing) {
    const std::string appData = ShellPath(CSIDL_APPDATA);
    const std::string cwd = ScratchFolder("brows_rel");
    SetCurrentDirectoryA(cwd.c_str());
    for (const char* name : {"history.dat", "cookies.txt", "formhistory.dat", "cache\\x.bin", "mail\\Trash"}) {
        Seed(cwd + "\\" + name, "kept");
    }
    // Netscape installed without a profile; Firefox's profile climbs out of its folder.
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Opera Software");
    CreateKey(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "Netscape.exe");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kAppPaths) + "Netscp.exe").c_str());
    CreateKey(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "firefox.exe");
    RemoveTree(appData + "\\netscape");
    RemoveTree(appData + "\\Mozilla");
    Seed(appData + "\\Mozilla\\Firefox\\profiles.ini", "[Profile0]\r\nPath=..\\..\r\n");
    Seed(appData + "\\cookies.txt", "kept");
    Seed(appData + "\\history.dat", "kept");
    Make();
    for (const wchar_t* sw : {L"FFCleanHistory", L"FFRemoveCookies", L"FFCleanCash", L"NSCleanHistory",
                              L"NSCleanCash", L"NSCleanAutoComplete", L"NSCleanCookies", L"NSCleanMail",
                              L"OPCleanHistory", L"OPCleanCash", L"OPCleanCookie"}) {
        Set(sw);
    }
    Run();
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    for (const char* name : {"history.dat", "cookies.txt", "formhistory.dat", "cache\\x.bin", "mail\\Trash"}) {
        EXPECT_TRUE(PathExists(cwd + "\\" + name)) << name;
    }
    EXPECT_TRUE(PathExists(appData + "\\cookies.txt"));
    EXPECT_TRUE(PathExists(appData + "\\history.dat"));
}

TEST_F(BrowsClsTest, NetscapeProfilesAreFoundUnderEitherBase) {
    const std::string appData = ShellPath(CSIDL_APPDATA);
    CreateKey(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "Netscape.exe");
    RemoveTree(appData + "\\netscape");
    Seed(appData + "\\Mozilla\\Profiles\\default\\x.slt\\cookies.txt");
    Make();
    Set(L"NSCleanCookies");
    Run();
    EXPECT_FALSE(PathExists(appData + "\\Mozilla\\Profiles\\default\\x.slt\\cookies.txt"));
}

TEST_F(BrowsClsTest, FirefoxHistoryIsDeletedPlainlyEvenWhenShredding) {
    SeedBrowsers();
    const std::string ff = ShellPath(CSIDL_APPDATA) + "\\Mozilla\\Firefox\\Profiles/abc.default";
    Make();
    Set(L"isShredInsteadofNormalDelete");
    Set(L"FFCleanHistory");
    Set(L"FFRemoveCookies");
    Run();
    Set(L"isShredInsteadofNormalDelete", false);
    EXPECT_FALSE(PathExists(ff + "\\history.dat"));
    EXPECT_FALSE(PathExists(ff + "\\cookies.txt"));
    // The log names the file by its canonical path.
    std::string logged = ff;
    std::replace(logged.begin(), logged.end(), '/', '\\');
    EXPECT_EQ(Log().find("FILE: " + logged + "\\history.dat"), std::string::npos) << Log();
    EXPECT_NE(Log().find("FILE: " + logged + "\\cookies.txt"), std::string::npos) << Log();
}

// Wine's URL-history store answers "not implemented" to clearing: the history
// goes from where this platform keeps it, the "Visited:" entries of the URL
// cache, and the run goes on to its later steps. Other cache entries stay.
TEST_F(BrowsClsTest, WithWinesHistoryStubTheHistoryGoesFromTheUrlCacheAndTheRunGoesOn) {
    char user[256];
    DWORD userSize = sizeof user;
    GetUserNameA(user, &userSize);
    const std::vector<std::string> visited = {"Visited: " + std::string(user) + "@http://history.test/a",
                                              "Visited: " + std::string(user) + "@http://history.test/b?q=1"};
    FILETIME never{};
    for (const std::string& url : visited) {
        ASSERT_TRUE(CommitUrlCacheEntryA(url.c_str(), nullptr, never, never, URLHISTORY_CACHE_ENTRY | NORMAL_CACHE_ENTRY,
                                         nullptr, 0, nullptr, nullptr))
            << url << " " << GetLastError();
    }
    char page[MAX_PATH] = {};
    ASSERT_TRUE(CreateUrlCacheEntryA("http://history.test/page.htm", 0, "htm", page, 0));
    tidvex::test::WriteFileBytes(page, "<html>");
    ASSERT_TRUE(CommitUrlCacheEntryA("http://history.test/page.htm", page, never, never, NORMAL_CACHE_ENTRY, nullptr,
                                     0, nullptr, nullptr));
    auto inCache = [](const std::string& url) {
        DWORD size = 0;
        GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size);
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
    };
    for (const std::string& url : visited) ASSERT_TRUE(inCache(url)) << url;

    Make();
    Set(L"IECleanHistory");
    Run();
    EXPECT_EQ(events_.Events(),
              (std::vector<std::string>{"CleanStart(-1)", "Op:Cleaning IE History", "CleanEnd(-1)", "CleanStart(0)"}));
    for (const std::string& url : visited) EXPECT_FALSE(inCache(url)) << url;
    EXPECT_TRUE(inCache("http://history.test/page.htm")) << "a cached page is no history";

    // With the cache step after it, the run reaches that step too.
    const std::string cache = ShellPath(CSIDL_INTERNET_CACHE);
    Seed(cache + "\\later.htm", "gone");
    SetString(HKEY_CURRENT_USER, kShellFolders, "Cache", cache);
    Set(L"IECleanCashe");
    Run();
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    EXPECT_FALSE(PathExists(cache + "\\later.htm")) << "the later step ran";
}

TEST_F(BrowsClsTest, ProbesAnswerByTheKeysBrowsersLeave) {
    const std::vector<std::pair<const wchar_t*, std::pair<HKEY, std::string>>> probes = {
        {L"FireFoxExist", {HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "firefox.exe"}},
        {L"NetScapeExist", {HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "Netscp.exe"}},
        {L"NetScapeExist", {HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "Netscape.exe"}},
        {L"OperaExist", {HKEY_CURRENT_USER, "Software\\Opera Software"}},
    };
    for (const auto& [probe, key] : probes) {
        for (const auto& [other, otherKey] : probes) RegDeleteTreeA(otherKey.first, otherKey.second.c_str());
        Make();
        EXPECT_FALSE(Get(probe)) << Narrow(probe);
        CreateKey(key.first, key.second);
        EXPECT_TRUE(Get(probe)) << Narrow(probe) << " " << key.second;
    }
    EXPECT_TRUE(Get(L"IEExist"));
}

}  // namespace
