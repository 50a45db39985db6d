#include "registry/registry_api.h"

namespace tidvex::registry {
namespace {

// RegDeleteKey opens the key it deletes as any key is opened, through a
// registry link to the key the link points to, and so deletes that key. The
// link itself goes only by deleting the key opened as a link.
LONG DeleteOpenedAsLink(HKEY root, const std::string& subKey, REGSAM view) {
    using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
    using StatusToErrorFn = ULONG(NTAPI*)(LONG);
    static const auto ntdll = GetModuleHandleA("ntdll.dll");
    static const auto deleteKey =
        reinterpret_cast<NtDeleteKeyFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtDeleteKey")));
    static const auto statusToError =
        reinterpret_cast<StatusToErrorFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
    if (!deleteKey || !statusToError) return ERROR_CALL_NOT_IMPLEMENTED;
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(root, subKey.c_str(), REG_OPTION_OPEN_LINK, DELETE | view, &key);
    if (rc != ERROR_SUCCESS) return rc;
    rc = static_cast<LONG>(statusToError(deleteKey(key)));
    RegCloseKey(key);
    return rc;
}

class WindowsRegistry final : public RegistryApi {
public:
    LONG OpenKeyEx(HKEY root, const std::string& subKey, DWORD options, REGSAM access, HKEY* key) override {
        return RegOpenKeyExA(root, subKey.c_str(), options, access, key);
    }
    LONG CreateKeyEx(HKEY root, const std::string& subKey, const std::string& keyClass, REGSAM access,
                     HKEY* key) override {
        return RegCreateKeyExA(root, subKey.c_str(), 0, const_cast<char*>(keyClass.c_str()), 0, access, nullptr, key,
                               nullptr);
    }
    LONG QueryValueEx(HKEY key, const std::string& name, DWORD* type, BYTE* data, DWORD* size) override {
        return RegQueryValueExA(key, name.c_str(), nullptr, type, data, size);
    }
    LONG SetValueEx(HKEY key, const std::string& name, DWORD type, const BYTE* data, DWORD size) override {
        return RegSetValueExA(key, name.c_str(), 0, type, data, size);
    }
    LONG DeleteKey(HKEY root, const std::string& subKey) override { return DeleteOpenedAsLink(root, subKey, 0); }
    LONG DeleteKeyInView(HKEY root, const std::string& subKey, REGSAM view) override {
        return DeleteOpenedAsLink(root, subKey, view);
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
