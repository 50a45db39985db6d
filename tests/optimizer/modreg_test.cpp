// The registry helpers of the optimizer library against the sandbox's registry.
#include "modreg.h"
#include "conversion.h"

#include "reg_probe.h"

#include "harness/support.h"

#include <gtest/gtest.h>

namespace {

using namespace quenza;
using quenza::test::ReadStored;
using quenza::test::Stored;
using quenza::test::WriteStored;

const std::string kKey = "Software\\QuenzaHelpers";

TEST(RegGetKeyHandle, WritesOutAbbreviationsInThePathWhateverTheirCase) {
    ASSERT_TRUE(SetKeyValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenzaOpen\\x", "v", "1", 4));
    std::string path = "hklm\\SOFTWARE\\QuenzaOpen\\x";
    HKEY key = nullptr;
    ASSERT_EQ(RegGetKeyHandle(path, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    EXPECT_EQ(path, "HKEY_LOCAL_MACHINE\\SOFTWARE\\QuenzaOpen\\x");
    DWORD value = 0, size = sizeof value;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
    EXPECT_EQ(value, 1u);
    RegCloseKey(key);

    ASSERT_TRUE(SetKeyValue(HKEY_CURRENT_USER, kKey + "\\Open", "v", "1", 4));
    for (std::string p : {"HkCu\\" + kKey + "\\Open", "HKEY_CURRENT_USER\\" + kKey + "\\Open"}) {
        EXPECT_EQ(RegGetKeyHandle(p, KEY_QUERY_VALUE, &key), ERROR_SUCCESS) << p;
        RegCloseKey(key);
        EXPECT_EQ(p, "HKEY_CURRENT_USER\\" + kKey + "\\Open");
    }
}

TEST(RegGetKeyHandle, FailsForAMissingKeyOrAnUnknownRoot) {
    HKEY key = nullptr;
    std::string missing = "HKCU\\Software\\QuenzaNoSuchKey";
    EXPECT_EQ(RegGetKeyHandle(missing, KEY_QUERY_VALUE, &key), ERROR_FILE_NOT_FOUND);
    std::string unknown = "HKEY_SOMEWHERE\\Software";
    EXPECT_NE(RegGetKeyHandle(unknown, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    // HKEY_CURRENT_CONFIG has a name but no hive among the four the helpers open.
    std::string config = "HKCC\\Software";
    EXPECT_NE(RegGetKeyHandle(config, KEY_QUERY_VALUE, &key), ERROR_SUCCESS);
    EXPECT_EQ(config, "HKEY_CURRENT_CONFIG\\Software");
}

TEST(SetKeyValue, ChoosesTheStoredTypeFromTheTextAndTheTypeAsked) {
    struct Case {
        const char* name;
        const char* text;
        long type;
        Stored stored;
    } cases[] = {
        {"TextTypeZero", "Y", 0, Stored::Text("Y")},
        {"OneTypeZero", "1", 0, Stored::Dword(1)},
        {"ZeroAsText", "0", 1, Stored::Dword(0)},
        {"NumberAsNumber", "93440", 4, Stored::Dword(93440)},
        {"NumberAsText", "93440", 1, Stored::Text("93440")},
        {"Negative", "-5", 4, Stored::Dword(0xFFFFFFFBu)},
        {"EmptyText", "", 1, Stored::Text("")},
        {"Guid", "{C2FBB630-2971-11d1-A18C-00C04FD75D13}", 1, Stored::Text("{C2FBB630-2971-11d1-A18C-00C04FD75D13}")},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(SetKeyValue(HKEY_CURRENT_USER, kKey + "\\Types", c.name, c.text, c.type)) << c.name;
        EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, kKey + "\\Types", c.name), c.stored) << c.name;
    }
}

TEST(SetKeyValue, CreatesMissingKeysAndWritesTheDefaultValue) {
    const std::string deep = kKey + "\\Deep\\Er\\Still";
    ASSERT_TRUE(SetKeyValue(HKEY_CURRENT_USER, deep, "", "default", 1));
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, deep, ""), Stored::Text("default"));
}

TEST(SetKeyValue, RaisesTypeMismatchForANumberThatIsNone) {
    try {
        SetKeyValue(HKEY_CURRENT_USER, kKey + "\\Mismatch", "v", "abc", 4);
        FAIL() << "no error raised";
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.Number(), 13);
        EXPECT_EQ(e.Description(), "Type mismatch");
    }
    EXPECT_FALSE(ReadStored(HKEY_CURRENT_USER, kKey + "\\Mismatch", "v"));
    EXPECT_THROW(SetKeyValue(HKEY_CURRENT_USER, kKey + "\\Mismatch", "v", "4294967296", 4), RunTimeError);
}

TEST(SetKeyValue, IsFalseWhenTheKeyCannotBeCreated) {
    EXPECT_FALSE(SetKeyValue(reinterpret_cast<HKEY>(static_cast<intptr_t>(0x1234)), "x", "v", "1", 4));
}

TEST(ToLong, ConvertsAsANumberConversionDoes) {
    EXPECT_EQ(ToLong("93440"), 93440);
    EXPECT_EQ(ToLong(" 12 "), 12);
    EXPECT_EQ(ToLong("-2147483648"), -2147483648L);
    EXPECT_EQ(ToLong("&H10"), 16);
    EXPECT_EQ(ToLong("2.5"), 2);
    EXPECT_EQ(ToLong("3.5"), 4);
    EXPECT_THROW(ToLong(""), RunTimeError);
    EXPECT_THROW(ToLong("1x"), RunTimeError);
    try {
        ToLong("2147483648");
        FAIL();
    } catch (const RunTimeError& e) {
        EXPECT_EQ(e.Number(), 6);
    }
}

TEST(GetKeyValue, ReadsTextUpToItsFirstNulAndOtherTypesAsNumbers) {
    const std::string key = kKey + "\\Get";
    const std::string path = "HKCU\\" + key;
    WriteStored(HKEY_CURRENT_USER, key, "text", REG_SZ, std::string("abc\0def\0", 8));
    WriteStored(HKEY_CURRENT_USER, key, "unterminated", REG_SZ, "xyz");
    WriteStored(HKEY_CURRENT_USER, key, "number", REG_DWORD, Stored::Dword(0xFFFFFFFFu).bytes);
    WriteStored(HKEY_CURRENT_USER, key, "short", REG_BINARY, std::string("\x05\x01", 2));
    struct Case {
        const char* name;
        std::string text;
        DWORD type;
    } cases[] = {{"text", "abc", REG_SZ},
                 {"unterminated", "xyz", REG_SZ},
                 {"number", "-1", REG_DWORD},
                 {"short", "261", REG_BINARY},
                 {"missing", "", REG_NONE}};
    for (const Case& c : cases) {
        std::string p = path;
        DWORD type = 99;
        EXPECT_EQ(GetKeyValue(p, c.name, type), c.text) << c.name;
        EXPECT_EQ(type, c.type) << c.name;
    }
    std::string missingKey = "HKCU\\Software\\QuenzaNoSuchKey";
    DWORD type = 99;
    EXPECT_EQ(GetKeyValue(missingKey, "x", type), "");
}

TEST(GetKeyValue, NeverReadsMoreThanItsBufferHolds) {
    // Values far larger than a number, of types that are read as numbers: each
    // must give the number of its first four bytes and leave the process intact.
    const std::string key = kKey + "\\Large";
    std::string big(64 * 1024, '\xAB');
    big.replace(0, 4, std::string("\x01\x02\x00\x00", 4));
    WriteStored(HKEY_CURRENT_USER, key, "binary", REG_BINARY, big);
    WriteStored(HKEY_CURRENT_USER, key, "multi", REG_MULTI_SZ, big);
    std::string longText(100000, 'q');
    WriteStored(HKEY_CURRENT_USER, key, "text", REG_SZ, longText + '\0');
    for (const char* name : {"binary", "multi"}) {
        std::string path = "HKCU\\" + key;
        DWORD type = 0;
        EXPECT_EQ(GetKeyValue(path, name, type), "513") << name;
    }
    std::string path = "HKCU\\" + key;
    DWORD type = 0;
    EXPECT_EQ(GetKeyValue(path, "text", type), longText);
}

TEST(DeleteKeyValue, TheEmptyNameDeletesTheValueNamedLikeTheKeyPath) {
    const std::string key = kKey + "\\Delete";
    ASSERT_TRUE(SetKeyValue(HKEY_CURRENT_USER, key, "", "default", 1));
    ASSERT_TRUE(SetKeyValue(HKEY_CURRENT_USER, key, key, "named like the key", 1));
    ASSERT_TRUE(SetKeyValue(HKEY_CURRENT_USER, key, "other", "x", 1));

    EXPECT_TRUE(DeleteKeyValue(HKEY_CURRENT_USER, key, ""));
    EXPECT_FALSE(ReadStored(HKEY_CURRENT_USER, key, key));
    EXPECT_EQ(ReadStored(HKEY_CURRENT_USER, key, ""), Stored::Text("default"));
    EXPECT_FALSE(DeleteKeyValue(HKEY_CURRENT_USER, key, ""));

    EXPECT_TRUE(DeleteKeyValue(HKEY_CURRENT_USER, key, "other"));
    EXPECT_FALSE(ReadStored(HKEY_CURRENT_USER, key, "other"));
    EXPECT_FALSE(DeleteKeyValue(HKEY_CURRENT_USER, key, "other"));
    EXPECT_FALSE(DeleteKeyValue(HKEY_CURRENT_USER, kKey + "\\NoSuchKey", "other"));
}

TEST(DeleteKeyValue, NeverDeletesAValueThroughARegistryLink) {
    const std::string link = kKey + "\\Link";
    const std::string target = tidvex::test::SeedLinkTarget("modreg", true);
    ASSERT_TRUE(tidvex::test::MakeRegistryLink(HKEY_CURRENT_USER, link, target));
    EXPECT_FALSE(DeleteKeyValue(HKEY_CURRENT_USER, link, "kept"));
    EXPECT_TRUE(tidvex::test::LinkTargetIntact("modreg", true));
    tidvex::test::RemoveRegistryLink(HKEY_CURRENT_USER, link);
}

TEST(Helpers, WriteMachineWideValuesIntoTheNativeRegistryView) {
    ASSERT_TRUE(SetKeyValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenzaView", "v", "7", 4));
    EXPECT_EQ(ReadStored(HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenzaView", "v", KEY_WOW64_64KEY), Stored::Dword(7));
    EXPECT_FALSE(ReadStored(HKEY_LOCAL_MACHINE, "SOFTWARE\\QuenzaView", "v", KEY_WOW64_32KEY))
        << "the value landed in the redirected 32-bit view";
    std::string path = "HKLM\\SOFTWARE\\QuenzaView";
    DWORD type = 0;
    EXPECT_EQ(GetKeyValue(path, "v", type), "7");
}

}  // namespace
