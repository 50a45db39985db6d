// The registry class on the in-memory registry: failure paths that the real
// registry will not produce on demand, keys closed on every path, and the
// library variants' hooks.
#include "registry/fake_registry.h"
#include "registry/registry.h"
#include "print_value.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace tidvex::registry;
using Op = FakeRegistry::Op;

const std::string kKey = "HKEY_CURRENT_USER\\Software\\T";

template <class F>
tidvex::RunTimeError Raised(F&& f) {
    try {
        f();
    } catch (const tidvex::RunTimeError& e) {
        return e;
    }
    ADD_FAILURE() << "no error raised";
    return tidvex::RunTimeError(0, "");
}

class FakeRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        reg_.classkey(kCurrentUser);
        reg_.sectionkey("Software\\T");
    }
    void TearDown() override { EXPECT_EQ(fake_.OpenHandles(), 0) << "a key was left open"; }

    FakeRegistry fake_;
    CRegistry reg_{{}, fake_};
};

TEST_F(FakeRegistryTest, FailedCreateRaisesWithTheKeyPath) {
    fake_.Fail(Op::CreateKeyEx, ERROR_ACCESS_DENIED);
    auto e = Raised([&] { reg_.CreateKey(); });
    EXPECT_EQ(e.Number(), 26001);
    EXPECT_EQ(e.Source(), CRegistry::Source());
    EXPECT_EQ(e.Description(), "Failed to create registry Key: 'Software\\T");

    reg_.valuekey("v");
    reg_.ValueType(REG_SZ);
    e = Raised([&] { reg_.Value(RegValue(5)); });
    EXPECT_EQ(e.Number(), 26001);
    EXPECT_EQ(e.Description(),
              "Failed to set registry value Key: '-2147483647',Section: 'Software\\T',Key: 'v' to value: '5'");
}

TEST_F(FakeRegistryTest, FailedWriteRaisesAndClosesTheKey) {
    fake_.Fail(Op::SetValueEx, ERROR_ACCESS_DENIED);
    reg_.valuekey("v");
    reg_.ValueType(REG_DWORD);
    auto e = Raised([&] { reg_.Value(RegValue(1)); });
    EXPECT_EQ(e.Number(), kErrWriteFailed);
    // A value that a DWORD write passes over never reaches the registry.
    fake_.Inject(nullptr);
    reg_.Value(RegValue(1.5));
    EXPECT_FALSE(fake_.Get(kKey, "v"));
    EXPECT_EQ(fake_.Calls(Op::SetValueEx), 1);
}

TEST_F(FakeRegistryTest, ReadsKeepTheTextUpToItsTerminator) {
    fake_.SetRaw(kKey, "unterminated", REG_SZ, {'a', 'b', 'c'});
    fake_.SetRaw(kKey, "empty", REG_SZ, {});
    fake_.SetText(kKey, "path", "%HOME%\\x", REG_EXPAND_SZ);
    fake_.SetEnvironment("home", "C:\\users\\me");
    reg_.valuekey("unterminated");
    EXPECT_EQ(reg_.Value(), RegValue("abc"));
    reg_.valuekey("empty");
    EXPECT_EQ(reg_.Value(), RegValue(""));
    reg_.valuekey("path");
    EXPECT_EQ(reg_.Value(), RegValue("C:\\users\\me\\x"));
}

TEST_F(FakeRegistryTest, FailedReadsGiveTheDefault) {
    fake_.SetText(kKey, "v", "text");
    reg_.valuekey("v");
    reg_.Default(RegValue(-1));
    fake_.Fail(Op::QueryValueEx, ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg_.Value(), RegValue(-1));
    fake_.Fail(Op::OpenKeyEx, ERROR_ACCESS_DENIED);
    EXPECT_EQ(reg_.Value(), RegValue(-1));
    EXPECT_FALSE(reg_.KeyExists());
}

TEST_F(FakeRegistryTest, RemoteAccessConnectsFirst) {
    fake_.SetText(kKey, "v", "text");
    reg_.valuekey("v");
    reg_.Machine("server");
    EXPECT_EQ(reg_.Value(), RegValue("text"));
    EXPECT_EQ(fake_.Calls(Op::ConnectRegistry), 1);

    fake_.Fail(Op::ConnectRegistry, ERROR_BAD_NETPATH);
    reg_.Default(RegValue("unreachable"));
    EXPECT_EQ(reg_.Value(), RegValue("unreachable"));
    reg_.ValueType(REG_SZ);
    EXPECT_EQ(Raised([&] { reg_.Value(RegValue("new")); }).Number(), 26001);
    EXPECT_EQ(fake_.Get(kKey, "v")->data, RegBytes({'t', 'e', 'x', 't', 0}));
}

TEST_F(FakeRegistryTest, EnumerationFailureInsideRaisesItsOwnNumber) {
    fake_.AddKey(kKey + "\\A");
    fake_.Inject([](Op op, const std::string&) -> LONG {
        if (op == Op::EnumKey) throw std::runtime_error("enumeration broke");
        return 0;
    });
    std::vector<std::string> names;
    std::int32_t count;
    auto e = Raised([&] { reg_.EnumerateSections(names, count); });
    EXPECT_EQ(e.Number(), -2147194454);
    EXPECT_EQ(e.Description(), "enumeration broke");
    EXPECT_EQ(e.Source(), CRegistry::Source());
}

TEST_F(FakeRegistryTest, RecursiveDeleteStopsAtAKeyItCannotDelete) {
    fake_.SetText(kKey + "\\A\\Stuck", "v", "1");
    fake_.SetText(kKey + "\\B", "w", "1");
    fake_.SetText(kKey, "top", "1");
    fake_.Inject([](Op op, const std::string& subject) -> LONG {
        return op == Op::DeleteKey && subject.ends_with("Stuck") ? ERROR_ACCESS_DENIED : 0;
    });
    reg_.del_reg_sub(kKey);
    EXPECT_TRUE(fake_.HasKey(kKey + "\\A\\Stuck"));
    EXPECT_FALSE(fake_.Get(kKey + "\\A\\Stuck", "v"));  // its values went
    EXPECT_FALSE(fake_.Get(kKey, "top"));
    EXPECT_LT(fake_.Calls(Op::DeleteKey), 10);
}

TEST_F(FakeRegistryTest, RecursiveDeleteStopsAtAKeyItCanNeitherOpenNorDelete) {
    // A key whose rights let nobody read or delete it must not keep the loop
    // going: its parent lists it first on every pass.
    fake_.SetText(kKey + "\\Locked", "v", "1");
    int opens = 0;
    fake_.Inject([&](Op op, const std::string& subject) -> LONG {
        if (!subject.ends_with("Locked")) return 0;
        if (op == Op::OpenKeyEx && ++opens > 200) return 0;  // lets a looping delete end
        return op == Op::DeleteKey || op == Op::OpenKeyEx ? ERROR_ACCESS_DENIED : 0;
    });
    reg_.del_reg_sub(kKey);
    EXPECT_TRUE(fake_.HasKey(kKey + "\\Locked"));
    EXPECT_LT(fake_.Calls(Op::DeleteKey), 10);
}

TEST_F(FakeRegistryTest, RecursiveDeleteGoesOnPastFailures) {
    fake_.SetText(kKey + "\\A", "v", "1");
    fake_.Inject([](Op op, const std::string&) -> LONG {
        if (op == Op::EnumValue) throw std::runtime_error("odd");
        return 0;
    });
    reg_.del_reg_sub(kKey);  // raises nothing, and the keys still go
    EXPECT_FALSE(fake_.HasKey(kKey));
}

TEST_F(FakeRegistryTest, RefusedRecursiveDeletesTouchNothing) {
    fake_.SetText(kKey, "v", "1");
    for (const char* path : {"", "Software\\T", "HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\", "HKEY_CURRENT_USER\\\\\\",
                             "HKEY_PERFORMANCE_DATA\\Software\\T"})
        reg_.del_reg_sub(path);
    EXPECT_EQ(fake_.Calls(Op::DeleteKey) + fake_.Calls(Op::DeleteValue) + fake_.Calls(Op::OpenKeyEx), 0);
}

TEST(CleanerRegistry, LogsEveryDeleteAndRaisesShowlogForKeys) {
    FakeRegistry fake;
    std::vector<std::string> events;
    CleanerRegistry reg({.deleted = [&](const std::string& p) { events.push_back("log " + p); },
                         .showlog = [&](const std::string& p) { events.push_back("show " + p); }},
                        fake);
    fake.SetText("HKEY_LOCAL_MACHINE\\Software\\V", "val", "1");
    fake.SetText("HKEY_CURRENT_USER\\Software\\Tree\\Sub", "x", "1");
    reg.ClassKey(kLocalMachine);
    reg.SectionKey("Software\\V");
    reg.ValueKey("val");
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_TRUE(reg.DeleteKey());
    EXPECT_FALSE(reg.DeleteKey());  // failures are not logged
    reg.del_reg_sub("HKEY_CURRENT_USER\\Software\\Tree");
    EXPECT_EQ(events, (std::vector<std::string>{
                          "log HKEY_LOCAL_MACHINE\\Software\\V\\val",
                          "log HKEY_LOCAL_MACHINE\\Software\\V",
                          "show HKEY_LOCAL_MACHINE\\Software\\V",
                          "log HKEY_CURRENT_USER\\Software\\Tree\\Sub\\x",
                          "log HKEY_CURRENT_USER\\Software\\Tree\\Sub",
                          "show HKEY_CURRENT_USER\\Software\\Tree\\Sub",
                          "log HKEY_CURRENT_USER\\Software\\Tree",
                          "show HKEY_CURRENT_USER\\Software\\Tree",
                      }));
    EXPECT_EQ(fake.OpenHandles(), 0);
}

TEST(OptimizerRegistry, ReadsWritesAndDeletesWithoutHooks) {
    FakeRegistry fake;
    OptimizerRegistry reg(fake);
    reg.ClassKey(kCurrentUser);
    reg.SectionKey("Software\\Q");
    reg.ValueKey("n");
    reg.ValueType(REG_DWORD);
    reg.Value(RegValue(3));
    EXPECT_EQ(reg.ValueEx(kCurrentUser, "Software\\Q", "n", 0, RegValue()), RegValue(3));
    EXPECT_TRUE(reg.DeleteValue());
    EXPECT_TRUE(reg.DeleteKey());
    EXPECT_FALSE(reg.KeyExists());
}

}  // namespace
