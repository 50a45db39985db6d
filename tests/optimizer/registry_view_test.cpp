// Quenza's copy of the registry class reads and writes the 64-bit registry view,
// so that the 32-bit library sees the machine-wide tweaks where Windows keeps them.
#include "registry/fake_registry.h"
#include "registry/registry.h"

#include "reg_probe.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace tidvex::registry;

// Passes every call on to an in-memory registry and notes the access masks asked.
class AccessRecorder final : public RegistryApi {
public:
    std::vector<REGSAM> access;

    LONG OpenKeyEx(HKEY root, const std::string& subKey, DWORD options, REGSAM a, HKEY* key) override {
        access.push_back(a);
        return fake_.OpenKeyEx(root, subKey, options, a, key);
    }
    LONG CreateKeyEx(HKEY root, const std::string& subKey, const std::string& keyClass, REGSAM a,
                     HKEY* key) override {
        access.push_back(a);
        return fake_.CreateKeyEx(root, subKey, keyClass, a, key);
    }
    LONG QueryValueEx(HKEY key, const std::string& name, DWORD* type, BYTE* data, DWORD* size) override {
        return fake_.QueryValueEx(key, name, type, data, size);
    }
    LONG SetValueEx(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size) override {
        return fake_.SetValueEx(key, name, type, data, size);
    }
    LONG DeleteKey(HKEY root, const std::string& subKey) override { return fake_.DeleteKey(root, subKey); }
    LONG DeleteValue(HKEY key, const std::string& name) override { return fake_.DeleteValue(key, name); }
    LONG EnumKey(HKEY key, DWORD index, char* name, DWORD size) override {
        return fake_.EnumKey(key, index, name, size);
    }
    LONG EnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength) override {
        return fake_.EnumValue(key, index, name, nameLength);
    }
    LONG QueryInfoKey(HKEY key, DWORD* maxValueNameLength) override {
        return fake_.QueryInfoKey(key, maxValueNameLength);
    }
    LONG CloseKey(HKEY key) override { return fake_.CloseKey(key); }
    LONG ConnectRegistry(const std::string& machine, HKEY root, HKEY* key) override {
        return fake_.ConnectRegistry(machine, root, key);
    }
    DWORD ExpandEnvironment(const std::string& source, char* dest, DWORD size) override {
        return fake_.ExpandEnvironment(source, dest, size);
    }

private:
    FakeRegistry fake_;
};

TEST(OptimizerRegistry, OpensEveryKeyInThe64BitView) {
    AccessRecorder api;
    OptimizerRegistry reg(api);
    reg.ClassKey(kLocalMachine);
    reg.SectionKey("SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters");
    reg.ValueKey("DefaultTTL");
    reg.ValueType(REG_DWORD);
    reg.Value(RegValue(128));
    EXPECT_EQ(reg.Value(), RegValue(128));
    EXPECT_TRUE(reg.KeyExists());
    EXPECT_TRUE(reg.DeleteValue());
    ASSERT_GE(api.access.size(), 4u);
    for (REGSAM a : api.access) EXPECT_EQ(a & KEY_WOW64_64KEY, static_cast<REGSAM>(KEY_WOW64_64KEY)) << std::hex << a;
}

TEST(RegistryOptions, TheViewReachesTheMachinesRegistry) {
    // A 64-bit process sees the redirected view only when it asks for it, which
    // shows the option's mask really reaches the platform.
    const std::string key = "SOFTWARE\\QuenzaViewProbe";
    quenza::test::WriteStored(HKEY_LOCAL_MACHINE, key, "v", REG_SZ, std::string("native", 7));
    CRegistry native;
    CRegistry redirected(RegistryOptions{.view = KEY_WOW64_32KEY});
    for (CRegistry* reg : {&native, &redirected}) {
        reg->classkey(kLocalMachine);
        reg->sectionkey(key);
        reg->valuekey("v");
        reg->Default(RegValue("missing"));
    }
    EXPECT_EQ(native.Value(), RegValue("native"));
    EXPECT_EQ(redirected.Value(), RegValue("missing"));
}

}  // namespace
