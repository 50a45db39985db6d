// The messenger cleaner in this process, on MSN, Yahoo! and ICQ installations
// the tests write into the prefix: each step alone removes its traces and keeps
// their neighbours, the emoticons setting is written only where MSN lives, a
// messenger that is not installed is left alone, and folders that must never
// be emptied are refused.
#include "browser_seed.h"

#include <gtest/gtest.h>

namespace {

using namespace velmora::test;
using tidvex::com::Narrow;
using tidvex::test::PathExists;

constexpr char kMsn[] = "Software\\Microsoft\\MSNMessenger";
constexpr char kIcqGeneral[] = "SOFTWARE\\Mirabilis\\ICQ\\Install\\General";
constexpr char kOwner[] = "SOFTWARE\\Mirabilis\\ICQ\\NewOwners\\12345\\ICQLite";

// UTF-16 bytes of a text, as MSN stores its folder.
std::string Utf16(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

class ChatClsTest : public InProcessCleaner<velmora::ChatCls> {
protected:
    ChatClsTest() : InProcessCleaner(DIID___ChatCls, "velmora_chat") {}

    // All three messengers installed, each with its traces.
    std::vector<Trace> SeedMessengers() {
        CreateKey(HKEY_CURRENT_USER, kMsn);
        SetRaw(HKEY_CURRENT_USER, kMsn, "FtReceiveFolder",
               {REG_BINARY, Utf16(tidvex::com::Widen(msn_)) + std::string(2, '\0') + Utf16(L"C:\\")});
        CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Yahoo\\pager");
        SetString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Yahoo\\Essentials", "mainDir", pf_ + "\\Yahoo!");
        SetString(HKEY_CURRENT_USER, kIcqGeneral, "InstalledDir", pf_ + "\\ICQ");
        SetString(HKEY_LOCAL_MACHINE, kOwner, "SaveFilePath", docs_ + "\\ICQ got");
        const std::string icq = pf_ + "\\ICQ";
        std::vector<Trace> traces = {
            {L"CleanMSNRecived", "Cleaning MSN received files", {msn_ + "\\a.jpg", msn_ + "\\sub\\b.doc"},
             {msn_ + "\\sub\\", docs_ + "\\keep.txt"}},
            {L"CleanYahooPage", "Cleaning Yahoo pager settings", {pf_ + "\\Yahoo!\\messenger\\YPager.log"},
             {pf_ + "\\Yahoo!\\messenger\\keep.ini"}},
            {L"CleanYahooProfile", "Cleaning Yahoo profiles",
             {pf_ + "\\Yahoo!\\Messenger\\Profiles\\me\\a.dat", pf_ + "\\Yahoo!\\Messenger\\Profiles\\"},
             {pf_ + "\\Yahoo!\\Messenger\\keep.ini"}},
            {L"CleanICQBookmark", "Cleaning ICQ Bookmarks", {icq + "\\Bookmark\\b.url"}, {icq + "\\Bookmark\\", icq + "\\icq.exe"}},
            {L"CleanICQChat", "Cleaning ICQ Chats", {icq + "\\Chats\\c.txt"}, {icq + "\\Chats\\", icq + "\\icq.exe"}},
            {L"CleanICQBrowsCache", "Cleaning ICQ Browser Cache", {icq + "\\AteBrowser\\x.cache", icq + "\\AteBrowser\\s\\y"},
             {icq + "\\AteBrowser\\s\\"}},
            {L"CleanICQReceivedFile", "Cleaning ICQ Received files",
             {docs_ + "\\ICQ got\\f.zip", docs_ + "\\ICQ got\\sub\\"}, {docs_ + "\\ICQ got\\", docs_ + "\\keep.txt"}},
        };
        for (const Trace& t : traces) SeedTrace(t);
        return traces;
    }
    void Uninstall() {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            RegDeleteTreeA(root, kMsn);
            RegDeleteTreeA(root, "SOFTWARE\\Yahoo");
            RegDeleteTreeA(root, "SOFTWARE\\Mirabilis");
        }
    }
    std::optional<std::string> Emoticons() {
        auto values = Values(HKEY_CURRENT_USER, kMsn);
        if (!values.contains("ShowEmoticons")) return std::nullopt;
        EXPECT_EQ(values["ShowEmoticons"].type, static_cast<DWORD>(REG_BINARY));
        return values["ShowEmoticons"].bytes;
    }

    const std::string docs_ = ShellPath(CSIDL_PERSONAL);
    const std::string pf_ = ShellPath(CSIDL_PROGRAM_FILES);
    const std::string msn_ = docs_ + "\\MSN got";
};

TEST_F(ChatClsTest, EachStepAloneRemovesItsTracesAndKeepsTheirNeighbours) {
    for (const Trace& t : SeedMessengers()) {
        SeedMessengers();
        Make();
        Set(t.sw);
        Run();
        EXPECT_EQ(events_.Events(), (std::vector<std::string>{"CleanStart(-1)", std::string("Op:") + t.caption,
                                                              "CleanEnd(-1)", "CleanStart(0)"}))
            << Narrow(t.sw);
        ExpectTraces(t);
    }
}

// Links of every kind and a second name of an outside file, planted in every
// folder a step empties or removes, while shredding: their targets keep their
// content byte for byte.
TEST_F(ChatClsTest, LinksInsideCleanedFoldersKeepTheirTargets) {
    SeedMessengers();
    const std::string icq = pf_ + "\\ICQ";
    const std::vector<std::string> places = {msn_, icq + "\\Bookmark", icq + "\\Chats", icq + "\\AteBrowser",
                                             docs_ + "\\ICQ got", pf_ + "\\Yahoo!\\Messenger\\Profiles"};
    ExpectLinkTargetsKept(places, {L"CleanMSNRecived", L"CleanYahooProfile", L"CleanICQBookmark", L"CleanICQChat",
                                   L"CleanICQBrowsCache", L"CleanICQReceivedFile"});
}

TEST_F(ChatClsTest, YahooProfilesGoFromTheRegistryWithTheUserId) {
    SeedMessengers();
    SetString(HKEY_CURRENT_USER, "Software\\Yahoo\\Profiles\\me", "x", "1");
    SetString(HKEY_CURRENT_USER, "Software\\Yahoo\\pager\\profiles\\me", "y", "2");
    SetString(HKEY_CURRENT_USER, "Software\\Yahoo\\pager", "Yahoo! User ID", "me");
    SetString(HKEY_CURRENT_USER, "Software\\Yahoo\\pager", "Other", "stays");
    Make();
    Set(L"CleanYahooProfile");
    Run();
    EXPECT_FALSE(tidvex::test::RegKeyExists(HKEY_CURRENT_USER, "Software\\Yahoo\\Profiles"));
    EXPECT_FALSE(tidvex::test::RegKeyExists(HKEY_CURRENT_USER, "Software\\Yahoo\\pager\\profiles"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, "Software\\Yahoo\\pager", "Yahoo! User ID"));
    EXPECT_TRUE(ValueExists(HKEY_CURRENT_USER, "Software\\Yahoo\\pager", "Other"));
}

TEST_F(ChatClsTest, EmoticonsAreWrittenOnEveryRunOnlyWhereMsnLives) {
    Uninstall();
    Make();
    Run();
    EXPECT_EQ(events_.Events(), (std::vector<std::string>{"CleanStart(-1)", "CleanEnd(-1)", "CleanStart(0)"}));
    EXPECT_FALSE(tidvex::test::RegKeyExists(HKEY_CURRENT_USER, kMsn)) << "no MSN key is made";
    EXPECT_FALSE(Get(L"MSNExist"));

    CreateKey(HKEY_CURRENT_USER, kMsn);
    Run();
    EXPECT_EQ(Emoticons(), std::string(2, '\0'));
    Set(L"MSNShowEmoticons");
    Run();
    EXPECT_EQ(Emoticons(), std::string("\x01\x00", 2));
    Call(L"ChatReset");
    Run();
    EXPECT_EQ(Emoticons(), std::string("\x01\x00", 2)) << "the reset keeps the setting";
    Set(L"CleanMSNAccount");
    EXPECT_FALSE(Get(L"CleanMSNAccount"));
}

TEST_F(ChatClsTest, MessengersThatAreNotInstalledAreLeftAlone) {
    SeedMessengers();
    Seed(docs_ + "\\My Received Files\\r.txt", "kept");
    Seed(ShellPath(CSIDL_APPDATA) + "\\ICQLite\\HistoryDB\\h.db", "kept");
    Uninstall();
    Make();
    for (const wchar_t* sw : {L"CleanMSNRecived", L"CleanYahooPage", L"CleanYahooProfile", L"CleanICQBookmark",
                              L"CleanICQChat", L"CleanICQBrowsCache", L"CleanICQReceivedFile"}) {
        Set(sw);
    }
    Run();
    EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
    for (const char* p : {"\\Yahoo!\\messenger\\YPager.log", "\\Yahoo!\\Messenger\\Profiles\\me\\a.dat",
                          "\\ICQ\\Bookmark\\b.url", "\\ICQ\\Chats\\c.txt", "\\ICQ\\AteBrowser\\x.cache"}) {
        EXPECT_TRUE(PathExists(pf_ + p)) << p;
    }
    EXPECT_TRUE(PathExists(docs_ + "\\My Received Files\\r.txt"));
    EXPECT_TRUE(PathExists(msn_ + "\\a.jpg"));
    EXPECT_TRUE(PathExists(docs_ + "\\ICQ got\\f.zip"));
    EXPECT_TRUE(PathExists(ShellPath(CSIDL_APPDATA) + "\\ICQLite\\HistoryDB\\h.db"));
}

TEST_F(ChatClsTest, ProbesLookWhereEachMessengerLeavesItsKey) {
    const struct {
        const wchar_t* probe;
        HKEY root;
        const char* key;
        bool found;
    } cases[] = {
        {L"ICQExist", HKEY_LOCAL_MACHINE, "SOFTWARE\\Mirabilis\\ICQ", true},
        {L"ICQExist", HKEY_CURRENT_USER, "SOFTWARE\\Mirabilis\\ICQ", true},
        {L"YahooExist", HKEY_LOCAL_MACHINE, "SOFTWARE\\Yahoo\\pager", true},
        {L"YahooExist", HKEY_CURRENT_USER, "SOFTWARE\\Yahoo\\pager", true},
        {L"MSNExist", HKEY_CURRENT_USER, kMsn, true},
        {L"MSNExist", HKEY_LOCAL_MACHINE, kMsn, false},
    };
    for (const auto& c : cases) {
        Uninstall();
        Make();
        EXPECT_FALSE(Get(c.probe));
        CreateKey(c.root, c.key);
        EXPECT_EQ(Get(c.probe), c.found) << Narrow(c.probe) << " " << c.key;
    }
}

// Without an "InstalledDir" the chats are ICQ Lite's history, and the other ICQ
// steps look for a folder named like ICQ among the programs; when none is
// there, the run ends.
TEST_F(ChatClsTest, IcqWithoutItsFolderValueUsesItsOtherPlaces) {
    SeedMessengers();
    DeleteValue(HKEY_CURRENT_USER, kIcqGeneral, "InstalledDir");
    const std::string history = ShellPath(CSIDL_APPDATA) + "\\ICQLite\\HistoryDB";
    Seed(history + "\\h.db");
    Make();
    for (const wchar_t* sw : {L"CleanICQBookmark", L"CleanICQChat"}) Set(sw);
    Run();
    EXPECT_TRUE(Completed());
    EXPECT_FALSE(PathExists(history + "\\h.db"));
    EXPECT_TRUE(PathExists(history));
    EXPECT_FALSE(PathExists(pf_ + "\\ICQ\\Bookmark\\b.url")) << "found among the programs";
    EXPECT_TRUE(PathExists(pf_ + "\\ICQ\\Chats\\c.txt"));

    SetString(HKEY_CURRENT_USER, kIcqGeneral, "InstalledDir", "  ");
    ASSERT_TRUE(MoveFileA((pf_ + "\\ICQ").c_str(), (pf_ + "\\Messenger One").c_str()));
    Run();
    EXPECT_EQ(events_.Events(), (std::vector<std::string>{"CleanStart(-1)", "Op:Cleaning ICQ Bookmarks",
                                                          "Showmsg(2,Path not found)", "CleanAbort(-1)",
                                                          "CleanStart(0)"}));
    RemoveTree(pf_ + "\\Messenger One");
}

TEST_F(ChatClsTest, TheReceivedFolderOfAnOwnerComesBackEmptyAndNoOwnerMeansNothing) {
    SeedMessengers();
    DeleteValue(HKEY_LOCAL_MACHINE, kOwner, "SaveFilePath");
    const std::string lite = docs_ + "\\ICQ Lite\\12345";
    Seed(lite + "\\got.zip");
    Make();
    Set(L"CleanICQReceivedFile");
    Run();
    EXPECT_FALSE(PathExists(lite + "\\got.zip"));
    EXPECT_TRUE(PathExists(lite));

    Seed(lite + "\\again.zip", "kept");
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Mirabilis\\ICQ\\NewOwners");
    Run();
    EXPECT_TRUE(Completed());
    EXPECT_TRUE(PathExists(lite + "\\again.zip"));
}

TEST_F(ChatClsTest, FoldersThatMustNeverBeEmptiedAreRefused) {
    SeedMessengers();
    const std::string cwd = tidvex::test::ScratchFolder("chat_cwd");
    SetCurrentDirectoryA(cwd.c_str());
    const std::string profile = ShellPath(CSIDL_PROFILE);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {docs_, docs_ + "\\canary.txt"},
        {profile, profile + "\\canary.txt"},
        {"C:\\", "C:\\canary.txt"},
        {"rel", cwd + "\\rel\\canary.txt"},
        {ShellPath(CSIDL_WINDOWS), ShellPath(CSIDL_WINDOWS) + "\\canary.txt"},
        {ShellPath(CSIDL_DESKTOPDIRECTORY), ShellPath(CSIDL_DESKTOPDIRECTORY) + "\\canary.txt"},
        {docs_ + "\\ICQ got\\..", docs_ + "\\canary.txt"},
    };
    for (const auto& [folder, canary] : cases) Seed(canary, "kept");
    for (const auto& [folder, canary] : cases) {
        SetString(HKEY_CURRENT_USER, kMsn, "FtReceiveFolder", folder);
        SetString(HKEY_LOCAL_MACHINE, kOwner, "SaveFilePath", folder);
        Make();
        Set(L"CleanMSNRecived");
        Set(L"CleanICQReceivedFile");
        Run();
        EXPECT_TRUE(Completed()) << folder;
        for (const auto& [other, kept] : cases) EXPECT_TRUE(PathExists(kept)) << folder << ": " << kept;
        EXPECT_NE(Log().find("Not cleaned: \"" + folder + "\""), std::string::npos) << folder;
    }
    SetCurrentDirectoryA("C:\\");
}

}  // namespace
