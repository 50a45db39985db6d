// The user list files, the match lists and their matching rule, the program's
// safe-list check on registry deletes, and the cookie index reader.
#include "services/lists.h"
#include "services/logger.h"
#include "services/program.h"
#include "services/registry.h"

#include "harness/support.h"
#include "cookie_index.h"
#include "services_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace tidvex::services;
using tidvex::test::PathExists;
using tidvex::test::ReadFileBytes;
using tidvex::test::ScratchFolder;
using tidvex::test::WriteFileBytes;
using Items = std::vector<std::string>;
using tidvex::test::CookieIndex;

class ListsTest : public ServicesTest {
protected:
    std::string File(std::int32_t list) { return ReadFileBytes(ListFilePath(list)).value_or("<none>"); }
};

TEST_F(ListsTest, AddingAppendsTypeBarValueLines) {
    EXPECT_EQ(ListFilePath(kSafeList), AppFolder() + L"\\lstSafe.lst");
    EXPECT_EQ(ListFilePath(kCookieList), AppFolder() + L"\\lstCookie.lst");
    EXPECT_TRUE(AddiTem2File(kFolderItem, "C:\\Temp", kBlackList));
    EXPECT_TRUE(AddiTem2File(kRegistryKeyItem, "HKEY_CURRENT_USER\\Software\\X", kBlackList));
    EXPECT_EQ(File(kBlackList), "1|C:\\Temp\r\n2|HKEY_CURRENT_USER\\Software\\X\r\n");

    EXPECT_FALSE(AddiTem2File(kFileItem, "C:\\a", 7));
    EXPECT_EQ(Log().find("Error Number: 5, "), 0u) << Log();
    EXPECT_NE(Log().find("Function: eliF2meTiddA : "), std::string::npos) << Log();
}

TEST_F(ListsTest, RemovingDropsEveryLineWithThatExactValue) {
    WriteFileBytes(ListFilePath(kSafeList), "0|C:\\a\r\n1|C:\\A\r\n\r\n2|C:\\a\r\nbroken\r\n0|C:\\a|extra\r\n");
    EXPECT_TRUE(RemoveItemFromList("C:\\a", kSafeList));
    // Letter case counts; the line without "|" is kept as it was.
    EXPECT_EQ(File(kSafeList), "1|C:\\A\r\nbroken\r\n");

    EXPECT_FALSE(RemoveItemFromList("C:\\a", kBlackList));  // no file: false, nothing logged
    WriteFileBytes(ListFilePath(kBlackList), " x  ");
    EXPECT_FALSE(RemoveItemFromList("x", kBlackList));  // one character: empty
    EXPECT_EQ(File(kBlackList), " x  ");
    EXPECT_EQ(Log(), "");
}

TEST_F(ListsTest, LoadingIntoAListBoxAppendsValuesInFileOrder) {
    tidvex::controls::MemoryListBox box;
    box.AddItem("kept");
    EXPECT_FALSE(LoadFile2List(kCookieList, box));
    WriteFileBytes(ListFilePath(kCookieList), "3|http://a.com/ \r\nno bar here\r\n3|b|c\r\n0|C:\\f");
    EXPECT_TRUE(LoadFile2List(kCookieList, box));
    EXPECT_EQ(box.Items(), (Items{"kept", "http://a.com/ ", "b", "C:\\f"}));
    EXPECT_TRUE(IsItemInList(L"b", box));
    EXPECT_FALSE(IsItemInList(L"B", box));
    EXPECT_EQ(Log(), "");
}

TEST_F(ListsTest, FillingTheMatchListsSortsByTypeAndSkipsBadLines) {
    gMatchLists.safeFiles = {"stale"};
    WriteFileBytes(ListFilePath(kSafeList),
                   "0|C:\\f1\r\n1|C:\\d1\r\nbroken line\r\n2|HKEY_X\r\n3|site\r\n0|C:\\f2\r\n");
    WriteFileBytes(ListFilePath(kBlackList), "1|C:\\junk\r\n");
    EXPECT_TRUE(FillSafeBlackLists());
    const MatchLists& m = gMatchLists;
    // A line without "|" does not end the load: the entries after it count too.
    EXPECT_EQ(m.safeFiles, (Items{"C:\\f1", "C:\\f2"}));
    EXPECT_EQ(m.safeFolders, (Items{"C:\\d1"}));
    EXPECT_EQ(m.safeKeys, (Items{"HKEY_X"}));
    EXPECT_EQ(m.blackFolders, (Items{"C:\\junk"}));
    EXPECT_TRUE(m.blackFiles.empty());
    EXPECT_TRUE(m.blackFilesEmpty);
    EXPECT_FALSE(m.blackFoldersEmpty);
    EXPECT_TRUE(m.blackKeysEmpty);

    // Removing the last entry protects nothing at the next fill.
    EXPECT_TRUE(RemoveItemFromList("C:\\junk", kBlackList));
    DeleteFileW(ListFilePath(kSafeList).c_str());
    EXPECT_TRUE(FillSafeBlackLists());
    EXPECT_TRUE(gMatchLists.safeFiles.empty());
    EXPECT_TRUE(gMatchLists.blackFoldersEmpty);
}

// A safe list that cannot be read protects nothing that a cleaning could then
// delete: the fill fails, with one line in the event log.
TEST_F(ListsTest, AnUnreadableSafeListFailsTheFillWithOneLogLine) {
    const std::wstring safe = ListFilePath(kSafeList);
    struct Case {
        const char* what;
        std::function<HANDLE()> makeUnreadable;  // returns a handle to close afterwards, or none
    } cases[] = {
        {"held open by another program",
         [&] {
             WriteFileBytes(safe, "0|C:\\keep\r\n");
             return CreateFileW(safe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
         }},
        {"a folder where the file belongs",
         [&] {
             CreateDirectoryW(safe.c_str(), nullptr);
             return INVALID_HANDLE_VALUE;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DeleteFileW(LogFilePath().c_str());
        HANDLE held = c.makeUnreadable();
        EXPECT_FALSE(FillSafeBlackLists());
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        const std::string log = Log();
        EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
        EXPECT_EQ(log.find("Error Number: 70, Description: Permission denied - , Function: stsiLkcalBefaSlliF : On : "),
                  0u)
            << log;
        EXPECT_TRUE(gMatchLists.safeFiles.empty());
        DeleteFileW(safe.c_str());
        RemoveDirectoryW(safe.c_str());
    }
}

TEST_F(ListsTest, MatchingRules) {
    const Items keys{"hkey_local_machine\\software\\x"};
    EXPECT_TRUE(IsItemInArray("HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\Y", keys, true));
    EXPECT_FALSE(IsItemInArray("HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\Y", keys, false));
    EXPECT_TRUE(IsItemInArray("HKEY_LOCAL_MACHINE\\SOFTWARE\\X", keys, false));
    EXPECT_TRUE(IsItemInArray("C:\\anything", {""}, true));  // an empty entry covers everything
    EXPECT_FALSE(IsItemInArray("C:\\a", {"C:\\b", "C:\\ab"}, true));
    // No entries: no match, and nothing worth a log line.
    EXPECT_FALSE(IsItemInArray("C:\\a", {}, true));
    EXPECT_EQ(Log(), "");
}

TEST_F(ListsTest, ProgramRegistryLeavesSafeKeysAlone) {
    const std::string key = "Software\\TidvexTest\\Foo\\Bar";
    ASSERT_TRUE(AddiTem2File(kRegistryKeyItem, "hkey_current_user\\software\\tidvextest\\foo", kSafeList));
    ASSERT_TRUE(FillSafeBlackLists());
    CRegistry reg;
    reg.classkey(tidvex::registry::kCurrentUser);
    reg.sectionkey(key);
    reg.CreateKey();
    EXPECT_TRUE(reg.DeleteKey(true));
    EXPECT_TRUE(tidvex::test::RegKeyExists(HKEY_CURRENT_USER, key));

    ASSERT_TRUE(RemoveItemFromList("hkey_current_user\\software\\tidvextest\\foo", kSafeList));
    ASSERT_TRUE(FillSafeBlackLists());
    EXPECT_TRUE(reg.DeleteKey(true));
    EXPECT_FALSE(tidvex::test::RegKeyExists(HKEY_CURRENT_USER, key));
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TidvexTest");
}

class CookieTest : public ListsTest {
protected:
    void SetUp() override {
        ListsTest::SetUp();
        folder_ = ScratchFolder("Cookies");
        tidvex::registry::CRegistry reg;
        reg.ValueEx(tidvex::registry::kCurrentUser,
                    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", "Cookies", REG_SZ, {},
                    folder_);
    }
    std::string folder_;
};

TEST_F(CookieTest, ListsTheSitesWhoseCookieFilesAreThere) {
    for (const char* name : {"root@example[1].txt", "user@other[2].txt", "me@shared[1].txt"})
        WriteFileBytes(folder_ + "\\" + name, "cookie");
    CookieIndex index;
    index.Record("URL ", "Cookie:root@example.com/", "root@example[1].txt");
    index.Record("HASH", "Cookie:root@hashed.com/", "root@example[1].txt");
    index.Record("URL ", "Cookie:user@gone.net/", "user@gone[1].txt");
    index.Record("LEAK", "Cookie:user@other.org/path", "USER@OTHER[2].TXT");
    index.Record("URL ", "Cookie:me@shared.com/", "me@shared[1].txt");
    index.Record("URL ", "Cookie:me@shared-again.com/", "me@shared[1].txt");
    index.Tail(std::string("URL ") + std::string(100, '\0'));  // a cut-off last record
    WriteFileBytes(folder_ + "\\index.dat", index.Bytes());

    tidvex::controls::MemoryListBox box;
    box.AddItem("before");
    EXPECT_TRUE(LoadCookies2List(box));
    EXPECT_EQ(box.Items(), (Items{"before", "http://example.com/ ", "http://other.org/path ", "http://shared.com/ "}));
}

TEST_F(CookieTest, AMissingIndexIsLoggedAndAddsNothing) {
    tidvex::controls::MemoryListBox box;
    box.AddItem("before");
    EXPECT_FALSE(LoadCookies2List(box));
    EXPECT_EQ(box.Items(), (Items{"before"}));
    EXPECT_NE(Log().find("Error Number: 53, Description: File not found - , Function: tsiL2seikooCdaoL : "),
              std::string::npos)
        << Log();
}

}  // namespace
