// The settings store on the sandbox's registry, and on the in-memory one where
// the platform has to refuse something.
#include "services/settings_store.h"

#include "registry/fake_registry.h"

#include "harness/support.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

namespace {

using namespace tidvex::services;
using tidvex::registry::FakeRegistry;
using tidvex::registry::kLocalMachine;
using tidvex::test::RegKeyExists;
using tidvex::test::RegReadString;

const std::string kKey = std::string(SettingsKey) + "\\Store Test";

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey.c_str()); }
    CRegister reg_;
};

TEST_F(SettingsStoreTest, WhatIsWrittenReadsBackAndWhatCannotBeReadGivesTheDefault) {
    struct Case {
        std::string written, read, name, value, expected;
    };
    const Case cases[] = {
        {kKey, kKey, "ShredMethod", "3", "3"},
        // One leading and one trailing "\" are dropped.
        {"\\" + kKey + "\\", kKey, "Include Internet", "-1", "-1"},
        {kKey, "\\" + kKey + "\\", "IsSessinoSchedule", "0", "0"},
        // "*" is the key's default value.
        {kKey, kKey, "*", "the default", "the default"},
        // The empty text is stored without data, which reads as the default.
        {kKey, kKey, "Custom Extension", "", "dflt"},
        {"", kKey + "\\No Such Key", "ShredMethod", "", "dflt"},
    };
    for (const auto& c : cases) {
        if (!c.written.empty()) {
            EXPECT_TRUE(reg_.REGSaveSetting(kLocalMachine, c.written, c.name, c.value));
        }
        EXPECT_EQ(reg_.REGGetSetting(kLocalMachine, c.read, c.name, "dflt"), c.expected) << c.read << " " << c.name;
    }
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, kKey, ""), "the default");
    EXPECT_EQ(reg_.REGGetSetting(kLocalMachine, kKey, "missing"), "");

    // Text ends at its first NUL.
    HKEY k;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey.c_str(), 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
    RegSetValueExA(k, "cut", 0, REG_SZ, reinterpret_cast<const BYTE*>("ab\0cd"), 6);
    RegCloseKey(k);
    EXPECT_EQ(reg_.REGGetSetting(kLocalMachine, kKey, "cut", "dflt"), "ab");
}

TEST_F(SettingsStoreTest, AKeyThatMayOnlyBeReadIsStillRead) {
    struct Case {
        const char* what;
        int deniedOpens;  // opens refused with "access denied" before one succeeds
        std::string expected;
    };
    const Case cases[] = {{"full access", 0, "2"}, {"read only", 1, "2"}, {"no access", 2, "dflt"}};
    for (const auto& c : cases) {
        FakeRegistry fake;
        fake.SetText("HKEY_LOCAL_MACHINE\\" + kKey, "iTimeSchedule", "2");
        int denied = c.deniedOpens;
        fake.Inject([&denied](FakeRegistry::Op op, const std::string&) -> LONG {
            return op == FakeRegistry::Op::OpenKeyEx && denied-- > 0 ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
        });
        EXPECT_EQ(CRegister(fake).REGGetSetting(kLocalMachine, kKey, "iTimeSchedule", "dflt"), c.expected) << c.what;
        EXPECT_EQ(fake.OpenHandles(), 0) << c.what;
    }
    FakeRegistry fake;
    fake.Fail(FakeRegistry::Op::CreateKeyEx, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(CRegister(fake).REGSaveSetting(kLocalMachine, kKey, "x", "1"));
}

TEST_F(SettingsStoreTest, DeletesAValueOrAKeyWithoutSubkeys) {
    ASSERT_TRUE(reg_.REGSaveSetting(kLocalMachine, kKey, "a", "1"));
    ASSERT_TRUE(reg_.REGSaveSetting(kLocalMachine, kKey + "\\Sub", "b", "2"));
    EXPECT_TRUE(reg_.REGDeleteSetting(kLocalMachine, "\\" + kKey, std::string("a")));
    EXPECT_FALSE(RegReadString(HKEY_LOCAL_MACHINE, kKey, "a"));
    EXPECT_FALSE(reg_.REGDeleteSetting(kLocalMachine, kKey));
    EXPECT_TRUE(reg_.REGDeleteSetting(kLocalMachine, kKey + "\\Sub"));
    EXPECT_TRUE(reg_.REGDeleteSetting(kLocalMachine, kKey));
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kKey));
}

TEST_F(SettingsStoreTest, ADeleteNeverReachesThroughARegistryLink) {
    const std::string target = tidvex::test::SeedLinkTarget("settings", true);
    ASSERT_TRUE(tidvex::test::MakeRegistryLink(HKEY_LOCAL_MACHINE, kKey, target));
    EXPECT_EQ(reg_.REGGetSetting(kLocalMachine, kKey, "kept"), "settings");
    EXPECT_FALSE(reg_.REGDeleteSetting(kLocalMachine, kKey, std::string("kept")));
    EXPECT_TRUE(reg_.REGDeleteSetting(kLocalMachine, kKey));
    EXPECT_FALSE(tidvex::test::RegistryLinkExists(HKEY_LOCAL_MACHINE, kKey));
    EXPECT_TRUE(tidvex::test::LinkTargetIntact("settings", true));
}

}  // namespace
