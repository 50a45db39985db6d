// clsUninstaller on the sandbox's registry: which uninstall entries are listed
// and how, the run-and-wait hand-over, renaming and removing an entry.
#include "services/uninstaller.h"

#include "errors/run_time_error.h"
#include "harness/support.h"
#include "services/helpers.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace tidvex::services;
using tidvex::test::RegKeyExists;
using tidvex::test::RegReadString;
using tidvex::test::RegWriteString;
using tidvex::text::Wide;

class RecordingRunner : public ProgramRunner {
public:
    void RunAndWait(const std::wstring& command) override { calls.push_back(L"wait " + command); }
    void Start(const std::wstring& command) override { calls.push_back(L"start " + command); }
    std::vector<std::wstring> calls;
};

std::string Key(const std::string& name) { return std::string(kUninstallKey) + "\\" + name; }

void Seed(const std::string& keyName, const char* display, const char* command, const char* icon) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, Key(keyName).c_str());
    HKEY k = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, Key(keyName).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    RegCloseKey(k);
    if (display) {
        ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, Key(keyName), "DisplayName", display));
    }
    if (command) {
        ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, Key(keyName), "UninstallString", command));
    }
    if (icon) {
        ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, Key(keyName), "DisplayIcon", icon));
    }
}

const UninstallRecord* Find(const UninstallRecordset& list, const std::string& keyName) {
    auto it =
        std::find_if(list.begin(), list.end(), [&](const UninstallRecord& r) { return r.KeyName == Wide(keyName); });
    return it == list.end() ? nullptr : &*it;
}

TEST(FillUninstallList, ListsOnlyEntriesWithNameAndCommandNumberedWithoutGaps) {
    const std::string longCommand = "C:\\Program Files\\Long\\" + std::string(300, 'x') + ".exe /uninstall";
    Seed("T-Both", "Both Tool", "C:\\both\\unins.exe", "C:\\both\\icon.ico");
    Seed("T-NoCommand", "No Command", nullptr, nullptr);
    Seed("T-NoName", nullptr, "C:\\noname\\unins.exe", nullptr);
    Seed("T-EmptyName", "", "C:\\empty\\unins.exe", nullptr);
    Seed("T-NoIcon", "No Icon", "C:\\noicon\\unins.exe", nullptr);
    Seed("T-Long", "Long Command", longCommand.c_str(), nullptr);

    RecordingRunner runner;
    clsUninstaller u(runner);
    const auto list = u.FillUninstallList();
    ASSERT_TRUE(list);
    for (size_t i = 0; i < list->size(); ++i) EXPECT_EQ((*list)[i].ID, static_cast<std::int32_t>(i));

    struct Case {
        const char* key;
        bool listed;
        std::string name, command, icon;
    } cases[] = {
        {"T-Both", true, "Both Tool", "C:\\both\\unins.exe", "C:\\both\\icon.ico"},
        {"T-NoCommand", false, "", "", ""},
        {"T-NoName", false, "", "", ""},
        {"T-EmptyName", false, "", "", ""},
        {"T-NoIcon", true, "No Icon", "C:\\noicon\\unins.exe", ""},
        {"T-Long", true, "Long Command", longCommand, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        const UninstallRecord* r = Find(*list, c.key);
        ASSERT_EQ(r != nullptr, c.listed);
        if (!r) continue;
        EXPECT_EQ(r->Name, Wide(c.name));
        EXPECT_EQ(r->UninsPath, Wide(c.command));
        EXPECT_EQ(r->iconPath, Wide(c.icon));
    }
    EXPECT_FALSE(gWindowsDir.empty());
    EXPECT_NE(gWindowsDir.back(), '\\');
}

TEST(UninstallItem, HandsTheWholeCommandToRunAndWaitOrStart) {
    const std::wstring longCommand = L"C:\\u\\" + std::wstring(400, L'y') + L".exe";
    RecordingRunner runner;
    clsUninstaller u(runner);
    u.UninstallItem(longCommand, true);
    u.UninstallItem(L"C:\\u\\now.exe");
    EXPECT_EQ(runner.calls, (std::vector<std::wstring>{L"wait " + longCommand, L"start C:\\u\\now.exe"}));
}

TEST(UninstallItem, AFailureToStartIsIgnored) {
    clsUninstaller u;
    EXPECT_NO_THROW(u.UninstallItem(L"C:\\no\\such\\program.exe"));
}

TEST(UninstallItem, WaitsForTheRealUninstallerToEnd) {
    clsUninstaller u;
    const DWORD start = GetTickCount();
    u.UninstallItem(L"Y:\\tidvex_sleeper.exe 600", true);
    EXPECT_GE(GetTickCount() - start, 550u);
}

TEST(RenameEntry, SetsTheDisplayNameAndRefusesAMissingEntry) {
    Seed("T-Rename", "Old Name", "C:\\r\\unins.exe", nullptr);
    clsUninstaller u;
    u.RenameEntry(L"T-Rename", L"New Name");
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, Key("T-Rename"), "DisplayName").value_or(""), "New Name");
    EXPECT_THROW(u.RenameEntry(L"T-Gone", L"Name"), tidvex::RunTimeError);
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, Key("T-Gone")));
}

TEST(RemoveEntry, DeletesTheKeyButNotOneWithSubkeysNorTheUninstallKey) {
    Seed("T-Remove", "Remove Me", "C:\\x\\unins.exe", nullptr);
    Seed("T-Nested", "Nested", "C:\\n\\unins.exe", nullptr);
    ASSERT_TRUE(RegWriteString(HKEY_LOCAL_MACHINE, Key("T-Nested") + "\\inner", "v", "1"));
    clsUninstaller u;
    u.RemoveEntry(L"T-Remove");
    u.RemoveEntry(L"T-Nested");
    u.RemoveEntry(L"");
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, Key("T-Remove")));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, Key("T-Nested")));
    EXPECT_TRUE(RegKeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    const auto list = u.FillUninstallList();
    ASSERT_TRUE(list);
    EXPECT_FALSE(Find(*list, "T-Remove"));
    EXPECT_TRUE(Find(*list, "T-Nested"));
}

TEST(RemoveEntry, RemovesALinkedEntryButNeverWhatItPointsTo) {
    const std::string target = tidvex::test::SeedLinkTarget("uninstall-entry", true);
    if (!tidvex::test::MakeRegistryLink(HKEY_LOCAL_MACHINE, Key("T-Link"), target)) GTEST_SKIP() << "no links";
    clsUninstaller u;
    u.RemoveEntry(L"T-Link");
    EXPECT_FALSE(tidvex::test::RegistryLinkExists(HKEY_LOCAL_MACHINE, Key("T-Link")));
    EXPECT_TRUE(tidvex::test::LinkTargetIntact("uninstall-entry", true));
}

}  // namespace
