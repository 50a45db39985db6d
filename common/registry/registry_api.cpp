#include "registry/registry_api.h"

namespace tidvex::registry {
namespace {

class WindowsRegistry final : public RegistryApi {
public:
    LONG OpenKeyEx(HKEY root, const std::string& subKey, REGSAM access, HKEY* key) override {
        return RegOpenKeyExA(root, subKey.c_str(), 0, access, key);
    }
    LONG CreateKeyEx(HKEY root, const std::string& subKey, REGSAM access, HKEY* key) override {
        char noClass[] = "";
        return RegCreateKeyExA(root, subKey.c_str(), 0, noClass, 0, access, nullptr, key, nullptr);
    }
    LONG QueryValueEx(HKEY key, const std::string& name, DWORD* type, BYTE* data, DWORD* size) override {
        return RegQueryValueExA(key, name.c_str(), nullptr, type, data, size);
    }
    LONG SetValueEx(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size) override {
        return RegSetValueExA(key, name.c_str(), 0, type, data, size);
    }
    LONG DeleteKey(HKEY root, const std::string& subKey) override { return RegDeleteKeyA(root, subKey.c_str()); }
    LONG DeleteKeyInView(HKEY root, const std::string& subKey, REGSAM view) override {
        return view ? RegDeleteKeyExA(root, subKey.c_str(), view, 0) : RegDeleteKeyA(root, subKey.c_str());
    }
    LONG DeleteValue(HKEY key, const std::string& name) override { return RegDeleteValueA(key, name.c_str()); }
    LONG EnumKey(HKEY key, DWORD index, char* name, DWORD size) override { return RegEnumKeyA(key, index, name, size); }
    LONG EnumValue(HKEY key, DWORD index, char* name, DWORD* nameLength) override {
        return RegEnumValueA(key, index, name, nameLength, nullptr, nullptr, nullptr, nullptr);
    }
    LONG QueryInfoKey(HKEY key, DWORD* maxValueNameLength) override {
        return RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, maxValueNameLength,
                                nullptr, nullptr, nullptr);
    }
    LONG CloseKey(HKEY key) override { return RegCloseKey(key); }
    LONG ConnectRegistry(const std::string& machine, HKEY root, HKEY* key) override {
        return RegConnectRegistryA(machine.c_str(), root, key);
    }
    DWORD ExpandEnvironment(const std::string& source, char* dest, DWORD size) override {
        return ::ExpandEnvironmentStringsA(source.c_str(), dest, size);
    }
};

}  // namespace

RegistryApi& RealRegistry() {
    static WindowsRegistry api;
    return api;
}

}  // namespace tidvex::registry
