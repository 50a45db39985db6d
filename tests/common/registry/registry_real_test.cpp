// The registry class against the sandbox prefix's own registry, under keys the
// tests create below HKEY_CURRENT_USER\Software\TidvexTest.
#include "registry/registry.h"
#include "print_value.h"

#include "harness/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace tidvex::registry;
using tidvex::test::RegKeyExists;
using tidvex::test::RegReadString;

const std::string kBase = "Software\\TidvexTest";

class RealRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        key_ = kBase + "\\" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
        reg_.classkey(kCurrentUser);
        reg_.sectionkey(key_);
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }

    void Put(const std::string& name, DWORD type, const std::string& bytes, const std::string& sub = "") {
        HKEY k;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (key_ + sub).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                                  nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(k, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                       static_cast<DWORD>(bytes.size()));
        RegCloseKey(k);
    }
    DWORD StoredType(const std::string& name) {
        DWORD type = 0;
        HKEY k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return 0;
        if (RegQueryValueExA(k, name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS) type = 0;
        RegCloseKey(k);
        return type;
    }
    RegValue Read(const std::string& name) {
        reg_.valuekey(name);
        return reg_.Value();
    }

    std::string key_;
    CRegistry reg_;
};

TEST_F(RealRegistryTest, ReadsEveryTypeAndSetsValueType) {
    Put("sz", REG_SZ, std::string("abc", 4));
    Put("multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6));
    Put("dword", REG_DWORD, std::string("\x78\x56\x34\x12", 4));
    Put("big", REG_DWORD_BIG_ENDIAN, std::string("\x12\x34\x56\x78", 4));
    Put("bin", REG_BINARY, std::string("\x01\x02\x03\xff", 4));
    Put("none", REG_NONE, "");
    SetEnvironmentVariableA("TIDVEX_TEST_DIR", "C:\\Somewhere");
    Put("expand", REG_EXPAND_SZ, std::string("%TIDVEX_TEST_DIR%\\x", 20));

    EXPECT_EQ(Read("sz"), RegValue("abc"));
    EXPECT_EQ(reg_.ValueType(), REG_SZ);
    EXPECT_EQ(Read("multi"), RegValue(std::string("a\0bc\0", 5)));
    EXPECT_EQ(reg_.ValueType(), REG_MULTI_SZ);
    EXPECT_EQ(Read("dword"), RegValue(0x12345678));
    EXPECT_EQ(reg_.ValueType(), REG_DWORD);
    EXPECT_EQ(Read("big"), RegValue(0x12345678));
    EXPECT_EQ(reg_.ValueType(), REG_DWORD_BIG_ENDIAN);
    EXPECT_EQ(Read("bin"), RegValue(RegBytes{1, 2, 3, 0xff, 0}));
    EXPECT_EQ(reg_.ValueType(), REG_BINARY);
    EXPECT_EQ(Read("none"), RegValue(RegBytes{0}));
    EXPECT_EQ(Read("expand"), RegValue("C:\\Somewhere\\x"));
    EXPECT_EQ(reg_.ValueType(), REG_EXPAND_SZ);
}

TEST_F(RealRegistryTest, MissingValueOrKeyGivesTheDefaultAndKeepsValueType) {
    Put("present", REG_SZ, std::string("x", 2));
    reg_.ValueType(REG_BINARY);
    EXPECT_TRUE(Read("absent").IsEmpty());
    reg_.Default(RegValue("fallback"));
    EXPECT_EQ(Read("absent"), RegValue("fallback"));
    EXPECT_EQ(reg_.ValueType(), REG_BINARY);
    reg_.sectionkey(key_ + "\\NoSuchKey");
    EXPECT_EQ(Read("present"), RegValue("fallback"));
}

TEST_F(RealRegistryTest, TextWritesChooseExpandableOnlyWithTwoSeparatedPercentSigns) {
    reg_.ValueType(REG_SZ);
    reg_.valuekey("expand");
    reg_.Value(RegValue("%WINDIR%\\x"));
    reg_.valuekey("single");
    reg_.Value(RegValue("100% sure"));
    reg_.valuekey("adjacent");
    reg_.Value(RegValue("a%%b"));
    reg_.ValueType(REG_EXPAND_SZ);
    reg_.valuekey("plain");
    reg_.Value(RegValue("no marks"));
    reg_.valuekey("number");
    reg_.ValueType(REG_SZ);
    reg_.Value(RegValue(42));

    EXPECT_EQ(StoredType("expand"), static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(StoredType("single"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(StoredType("adjacent"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(StoredType("plain"), static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, key_, "single"), "100% sure");
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, key_, "number"), "42");
}

TEST_F(RealRegistryTest, NumberAndBinaryWrites) {
    reg_.ValueType(REG_DWORD);
    reg_.valuekey("long");
    reg_.Value(RegValue(93440));
    reg_.valuekey("short");
    reg_.Value(RegValue(static_cast<std::int16_t>(-2)));
    reg_.valuekey("text");
    reg_.Value(RegValue("12"));  // not an integer: nothing is written
    reg_.ValueType(REG_DWORD_BIG_ENDIAN);
    reg_.valuekey("big");
    reg_.Value(RegValue(0x01020304));
    reg_.ValueType(REG_BINARY);
    reg_.valuekey("bin");
    reg_.Value(RegValue(RegBytes{9, 8, 7}));

    EXPECT_EQ(tidvex::test::RegReadDword(HKEY_CURRENT_USER, key_, "long"), 93440u);
    EXPECT_EQ(tidvex::test::RegReadDword(HKEY_CURRENT_USER, key_, "short"), 0xFFFFFFFEu);
    EXPECT_EQ(StoredType("text"), 0u);
    // Written as a plain DWORD, bytes not reversed.
    EXPECT_EQ(tidvex::test::RegReadDword(HKEY_CURRENT_USER, key_, "big"), 0x01020304u);
    EXPECT_EQ(Read("bin"), RegValue(RegBytes{9, 8, 7, 0}));
}

TEST_F(RealRegistryTest, RefusedWritesRaiseTheirErrors) {
    reg_.valuekey("v");
    reg_.ValueType(REG_BINARY);
    try {
        reg_.Value(RegValue("not bytes"));
        FAIL() << "no error";
    } catch (const tidvex::RunTimeError& e) {
        EXPECT_EQ(e.Number(), 26001);
    }
    reg_.ValueType(REG_NONE);
    try {
        reg_.Value(RegValue("x"));
        FAIL() << "no error";
    } catch (const tidvex::RunTimeError& e) {
        EXPECT_EQ(e.Number(), -2147194455);
        EXPECT_EQ(e.Source(), CRegistry::Source());
        EXPECT_EQ(e.Description(),
                  "Failed to set registry value Key: '-2147483647',Section: '" + key_ + "',Key: 'v' to value: 'x'");
    }
    EXPECT_EQ(StoredType("v"), 0u);
}

TEST_F(RealRegistryTest, ValueExSetsTheTargetAndEmptyTextWritesTheDefault) {
    reg_.ValueEx(kCurrentUser, key_, "a", REG_SZ, RegValue("dflt"), RegValue(""));
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, key_, "a"), "dflt");
    reg_.ValueEx(kCurrentUser, key_, "b", REG_SZ, RegValue("dflt"), RegValue("given"));
    CRegistry other;
    EXPECT_EQ(other.ValueEx(kCurrentUser, key_, "b", 0, RegValue()), RegValue("given"));
    EXPECT_EQ(other.ValueEx(kCurrentUser, key_, "c", 0, RegValue(7)), RegValue(7));
    EXPECT_EQ(other.valuekey(), "c");
}

TEST_F(RealRegistryTest, CreateKeyExistsAndEnumerate) {
    EXPECT_FALSE(reg_.KeyExists());
    EXPECT_TRUE(reg_.CreateKey());
    EXPECT_TRUE(reg_.CreateKey());  // an existing key counts as success
    EXPECT_TRUE(reg_.KeyExists());

    std::vector<std::string> names{"stale"};
    std::int32_t count = 5;
    EXPECT_TRUE(reg_.EnumerateValues(names, count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.empty());

    Put("", REG_SZ, std::string("d", 2));
    Put("first", REG_SZ, std::string("1", 2));
    Put("a much longer value name", REG_DWORD, std::string(4, '\0'));
    Put("x", REG_SZ, "", "\\Sub1");
    Put("x", REG_SZ, "", "\\Sub2");
    EXPECT_TRUE(reg_.EnumerateValues(names, count));
    EXPECT_EQ(count, 3);
    std::sort(names.begin(), names.end());  // in the platform's order
    EXPECT_EQ(names, (std::vector<std::string>{"", "a much longer value name", "first"}));
    EXPECT_TRUE(reg_.EnumerateSections(names, count));
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, (std::vector<std::string>{"Sub1", "Sub2"}));

    reg_.sectionkey(key_ + "\\Missing");
    EXPECT_TRUE(reg_.EnumerateSections(names, count));
    EXPECT_EQ(count, 0);
}

TEST_F(RealRegistryTest, DeletesKeysAndValuesAndRecordsFailures) {
    Put("v", REG_SZ, std::string("1", 2), "\\Child");
    reg_.valuekey("gone");
    EXPECT_FALSE(reg_.DeleteValue());
    ASSERT_TRUE(reg_.LastError());
    EXPECT_EQ(reg_.LastError()->Number(), 26001);
    EXPECT_EQ(reg_.LastError()->Description(),
              "Failed to delete registry Key: '-2147483647',Section: '" + key_ + "',Key: 'gone");

    EXPECT_FALSE(reg_.DeleteKey());  // it still has a subkey
    EXPECT_EQ(reg_.LastError()->Description(), "Failed to delete registry Key: '-2147483647',Section: '" + key_);

    reg_.sectionkey(key_ + "\\Child");
    reg_.valuekey("v");
    EXPECT_TRUE(reg_.DeleteValue());
    EXPECT_FALSE(reg_.LastError());
    EXPECT_TRUE(reg_.DeleteKey());
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key_ + "\\Child"));

    reg_.sectionkey(key_ + "\\NoSuch");
    EXPECT_FALSE(reg_.DeleteValue());
    EXPECT_EQ(reg_.LastError()->Description(),
              "Failed to open key '-2147483647',Section: '" + key_ + "\\NoSuch' for delete access");
}

TEST_F(RealRegistryTest, SafeListCheckLeavesProtectedKeysAlone) {
    std::vector<std::string> asked;
    CRegistry reg(RegistryOptions{.isSafeKey = [&](const std::string& keyText) {
        asked.push_back(keyText);
        return keyText.find("Protected") != std::string::npos;
    }});
    Put("v", REG_SZ, std::string("1", 2), "\\Protected");
    reg.classkey(kCurrentUser);
    reg.sectionkey(key_ + "\\Protected");
    reg.valuekey("v");
    EXPECT_TRUE(reg.DeleteValue(true));
    EXPECT_TRUE(reg.DeleteKey(true));
    EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, key_ + "\\Protected", "v"));
    // The value name is not part of the key text.
    EXPECT_EQ(asked, (std::vector<std::string>(2, "HKEY_CURRENT_USER\\" + key_ + "\\Protected")));

    EXPECT_TRUE(reg.DeleteValue());  // no check without the argument
    EXPECT_TRUE(reg.DeleteKey(false));
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key_ + "\\Protected"));
    EXPECT_EQ(asked.size(), 2u);
}

TEST_F(RealRegistryTest, RecursiveDeleteRemovesTheWholeTree) {
    Put("v", REG_SZ, std::string("1", 2), "\\Tree");
    Put("", REG_SZ, std::string("d", 2), "\\Tree\\A");
    Put("w", REG_DWORD, std::string(4, '\0'), "\\Tree\\A\\Deep\\Deeper");
    Put("x", REG_SZ, std::string("1", 2), "\\Tree\\B");
    Put("keep", REG_SZ, std::string("1", 2), "\\TreeSibling");

    reg_.del_reg_sub("hkey_current_user\\" + key_ + "\\Tree");
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key_ + "\\Tree"));
    EXPECT_TRUE(RegKeyExists(HKEY_CURRENT_USER, key_ + "\\TreeSibling"));
    // A path that does not exist is no error.
    reg_.del_reg_sub("HKEY_CURRENT_USER\\" + key_ + "\\Tree");
}

// A registry link planted where the class deletes is removed as a link: the key
// it points to keeps every value and subkey, whether it has subkeys (which a
// delete that followed the link would empty first) or none (which it would
// delete at once).
TEST_F(RealRegistryTest, LinksAreDeletedAsLinksAndNeverFollowed) {
    using tidvex::test::LinkTargetIntact;
    using tidvex::test::RegistryLinkExists;
    struct Case {
        const char* name;
        bool leafTarget;
        const char* link;  // below the test's key
        std::function<void(CRegistry&, const std::string& key)> act;
        bool keyGoes;   // the test's key goes with everything in it
        bool linkGoes;  // the link itself goes
    } cases[] = {
        {"del_reg_sub over a link to a tree", false, "\\a\\link",
         [](CRegistry& r, const std::string& key) { r.del_reg_sub("HKEY_CURRENT_USER\\" + key); }, true, true},
        {"del_reg_sub over a link to a leaf", true, "\\a\\link",
         [](CRegistry& r, const std::string& key) { r.del_reg_sub("HKEY_CURRENT_USER\\" + key); }, true, true},
        {"del_reg_sub of the link itself", false, "\\link",
         [](CRegistry& r, const std::string& key) { r.del_reg_sub("HKEY_CURRENT_USER\\" + key + "\\link"); },
         false, true},
        {"DeleteKey of a link to a leaf", true, "\\link",
         [](CRegistry& r, const std::string& key) {
             r.sectionkey(key + "\\link");
             EXPECT_TRUE(r.DeleteKey());
         },
         false, true},
        {"DeleteValue through a link", true, "\\link",
         [](CRegistry& r, const std::string& key) {
             r.sectionkey(key + "\\link");
             r.valuekey("kept");
             EXPECT_FALSE(r.DeleteValue());
         },
         false, false},
        {"EnumerateSections and EnumerateValues of a link", false, "\\link",
         [](CRegistry& r, const std::string& key) {
             r.sectionkey(key + "\\link");
             std::vector<std::string> names;
             std::int32_t count = 0;
             r.EnumerateSections(names, count);
             EXPECT_EQ(count, 0);
             r.EnumerateValues(names, count);
             EXPECT_EQ(std::count(names.begin(), names.end(), "kept"), 0);
         },
         false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
        const std::string target = tidvex::test::SeedLinkTarget("registry_class", c.leafTarget);
        Put("own", REG_SZ, std::string("x", 2), "\\a");
        ASSERT_TRUE(tidvex::test::MakeRegistryLink(HKEY_CURRENT_USER, key_ + c.link, target));
        CRegistry reg;
        reg.classkey(kCurrentUser);
        c.act(reg, key_);
        EXPECT_TRUE(LinkTargetIntact("registry_class", c.leafTarget));
        EXPECT_EQ(RegistryLinkExists(HKEY_CURRENT_USER, key_ + c.link), !c.linkGoes);
        EXPECT_EQ(RegKeyExists(HKEY_CURRENT_USER, key_), !c.keyGoes);
        tidvex::test::RemoveRegistryLink(HKEY_CURRENT_USER, key_ + c.link);
    }
    // A dangling link goes like any other.
    ASSERT_TRUE(tidvex::test::MakeRegistryLink(HKEY_CURRENT_USER, key_ + "\\dangling", "Software\\NoSuchKey"));
    reg_.del_reg_sub("HKEY_CURRENT_USER\\" + key_);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key_));
}

// The code-page interface lists only names the code page holds exactly ("Tooll",
// never "Toolł" as its look-alike) and reports the others; the recursive
// delete takes every name as the registry keeps it.
TEST_F(RealRegistryTest, NamesOutsideTheCodePageAreNeverListedAsALookAlike) {
    HKEY k;
    const std::wstring key = std::wstring(key_.begin(), key_.end());
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, (key + L"\\Sub\u65e5\u672c").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &k, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(k);
    Put("Tooll", REG_SZ, std::string("a", 2), "\\Sub");
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_SET_VALUE, &k), ERROR_SUCCESS);
    for (const wchar_t* name : {L"Tooll", L"Tool\u0142"}) RegSetValueExW(k, name, 0, REG_SZ, nullptr, 0);
    // Texts that would best-fit to "C:\Lodz": read as nothing, never as it.
    SetEnvironmentVariableW(L"TIDVEX_OUTSIDE", L"C:\\\u0141odz");
    const std::pair<const wchar_t*, const wchar_t*> texts[] = {{L"Where", L"C:\\\u0141odz"},
                                                               {L"WhereVar", L"%TIDVEX_OUTSIDE%"}};
    for (const auto& [name, text] : texts) {
        RegSetValueExW(k, name, 0, name[5] ? REG_EXPAND_SZ : REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(k);
    std::vector<std::string> refused;
    CRegistry reg({.refused = [&](const std::string& path, const std::string& why) { refused.push_back(path + ": " + why); }});
    reg.classkey(kCurrentUser);
    reg.sectionkey(key_);
    std::vector<std::string> names;
    std::int32_t count = 0;
    reg.EnumerateValues(names, count);
    EXPECT_EQ(names, (std::vector<std::string>{"Tooll", "Where", "WhereVar"}));
    for (const char* name : {"Where", "WhereVar"}) {
        reg.valuekey(name);
        EXPECT_EQ(reg.Value().Text(), "") << name;
    }
    reg.EnumerateSections(names, count);
    EXPECT_EQ(names, std::vector<std::string>{"Sub"});
    EXPECT_EQ(count, 1);
    const std::string path = "HKEY_CURRENT_USER\\" + key_;
    EXPECT_EQ(refused, (std::vector<std::string>{path + "\\Tool<U+0142>: a name outside the code page",
                                                 path + "\\Sub<U+65E5><U+672C>: a name outside the code page"}));
    reg.del_reg_sub(path);
    EXPECT_FALSE(RegKeyExists(HKEY_CURRENT_USER, key_));
}

TEST_F(RealRegistryTest, RecursiveDeleteRefusesRootsAndRelativePaths) {
    Put("keep", REG_SZ, std::string("1", 2));
    for (const std::string& path :
         std::vector<std::string>{std::string(), key_, "Software\\TidvexTest", "HKCU\\" + key_, "HKEY_CURRENT_USER",
                                  "HKEY_CURRENT_USER\\", "HKEY_CURRENT_USER\\\\"})
        reg_.del_reg_sub(path);
    EXPECT_TRUE(RegReadString(HKEY_CURRENT_USER, key_, "keep"));
}

TEST_F(RealRegistryTest, RemoteMachineNamesAndALocalConnection) {
    reg_.Machine("ab");
    EXPECT_EQ(reg_.Machine(), "");
    reg_.Machine("abc");
    EXPECT_EQ(reg_.Machine(), "\\\\abc");
    reg_.Machine("\\\\host");
    EXPECT_EQ(reg_.Machine(), "\\\\host");

    // Wine connects to the local machine by its own name.
    char name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &size));
    CRegistry remote;
    remote.Machine(name);
    remote.classkey(kUsers);
    remote.sectionkey(".DEFAULT\\TidvexTestRemote");
    remote.valuekey("v");
    remote.ValueType(REG_SZ);
    remote.Value(RegValue("over the wire"));
    EXPECT_EQ(remote.Value(), RegValue("over the wire"));
    EXPECT_EQ(RegReadString(HKEY_USERS, ".DEFAULT\\TidvexTestRemote", "v"), "over the wire");
    RegDeleteTreeA(HKEY_USERS, ".DEFAULT\\TidvexTestRemote");
}

TEST(RegistryView, EveryOperationWorksInTheChosenView) {
    // The 32-bit view of HKEY_LOCAL_MACHINE\Software is its Wow6432Node key.
    const std::string key = "Software\\TidvexTestView";
    CleanerRegistry reg({.view = KEY_WOW64_32KEY});
    reg.ClassKey(kLocalMachine);
    reg.SectionKey(key + "\\Sub");
    reg.ValueKey("v");
    reg.ValueType(REG_SZ);
    reg.value(RegValue("in the 32-bit view"));
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\TidvexTestView\\Sub", "v"),
              "in the 32-bit view");
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, key));
    EXPECT_TRUE(reg.KeyExists());
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_TRUE(reg.DeleteKey());
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\TidvexTestView\\Sub"));
    reg.SectionKey(key + "\\Tree\\Deep");
    reg.CreateKey();
    reg.del_reg_sub("HKEY_LOCAL_MACHINE\\" + key);
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, "Software\\Wow6432Node\\TidvexTestView"));
}

TEST(RegistryAssociations, WritesBothClassRootsAndRestoresTheTarget) {
    CRegistry reg;
    reg.classkey(kUsers);
    reg.sectionkey("Untouched");
    reg.CreateEXEAssociation("  C:\\Tools\\viewer.exe ", "TidvexTest.Doc", "Tidvex test document", "tvxt", "", true, "",
                             false, "", true, "", 2);
    EXPECT_EQ(reg.classkey(), kUsers);
    EXPECT_EQ(reg.sectionkey(), "Untouched");
    for (const std::string& root : {std::string(), std::string("SOFTWARE\\Classes\\")}) {
        HKEY hive = root.empty() ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE;
        EXPECT_EQ(RegReadString(hive, root + ".tvxt", ""), "TidvexTest.Doc");
        EXPECT_EQ(RegReadString(hive, root + "TidvexTest.Doc", ""), "Tidvex test document");
        EXPECT_EQ(RegReadString(hive, root + "TidvexTest.Doc\\shell\\open", ""), "&Open");
        EXPECT_EQ(RegReadString(hive, root + "TidvexTest.Doc\\shell\\open\\command", ""),
                  "\"C:\\Tools\\viewer.exe\" \"%1\"");
        EXPECT_EQ(RegReadString(hive, root + "TidvexTest.Doc\\shell\\print", ""), "&Print");
        EXPECT_EQ(RegReadString(hive, root + "TidvexTest.Doc\\shell\\print\\command", ""),
                  "\"C:\\Tools\\viewer.exe\" /p \"%1\"");
        EXPECT_EQ(RegReadString(hive, root + "TidvexTest.Doc\\shell\\add", ""), "&Install tvxt");
        EXPECT_EQ(RegReadString(hive, root + "TidvexTest.Doc\\shell\\add\\command", ""),
                  "\"C:\\Tools\\viewer.exe\" /a \"%1\"");
        EXPECT_FALSE(RegKeyExists(hive, root + "TidvexTest.Doc\\shell\\new"));
        EXPECT_EQ(RegReadString(hive, root + "TidvexTest.Doc\\DefaultIcon", ""), "\"C:\\Tools\\viewer.exe\",2");
    }

    reg.CreateAdditionalEXEAssociations("TidvexTest.Doc", {"edit", "&Edit", "notepad \"%1\""});
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, "TidvexTest.Doc\\shell\\edit", ""), "&Edit");
    EXPECT_EQ(RegReadString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\TidvexTest.Doc\\shell\\edit\\command", ""),
              "notepad \"%1\"");

    auto number = [&](const std::string& cls, const std::vector<std::string>& items) {
        try {
            reg.CreateAdditionalEXEAssociations(cls, items);
        } catch (const tidvex::RunTimeError& e) {
            return e.Number();
        }
        return 0;
    };
    EXPECT_EQ(number("TidvexTest.Doc", {"a", "b"}), -2147194452);
    EXPECT_EQ(number("TidvexTest.NoClass", {"a", "b", "c"}), -2147194451);
    RegDeleteTreeA(HKEY_CLASSES_ROOT, "TidvexTest.Doc");
    RegDeleteTreeA(HKEY_CLASSES_ROOT, ".tvxt");
}

TEST(RegistrySource, IsTheModuleNameAndClass) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    name = name.substr(name.find_last_of('\\') + 1);
    name = name.substr(0, name.rfind('.'));
    EXPECT_EQ(CRegistry::Source(), name + ".cRegistry");
}

}  // namespace
