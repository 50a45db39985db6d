#include "registry/registry_api.h"

#include "registry/reg_key.h"
#include "text/text.h"

#include <cstring>

namespace tidvex::registry {
namespace {

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

// The code-page name of a wide one, when the code page holds it exactly.
std::optional<std::string> CodePageName(const std::wstring& name) { return text::NarrowExact(name); }

// RegDeleteKey opens the key it deletes as any key is opened, through a
// registry link to the key the link points to, and so deletes that key. The
// link itself goes only by deleting the key opened as a link, with the
// kernel's own call on that handle.
LONG DeleteOpenedKey(HKEY key) {
    using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
    using StatusToErrorFn = ULONG(NTAPI*)(LONG);
    static const auto ntdll = GetModuleHandleA("ntdll.dll");
    static const auto deleteKey =
        reinterpret_cast<NtDeleteKeyFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtDeleteKey")));
    static const auto statusToError =
        reinterpret_cast<StatusToErrorFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
    if (!deleteKey || !statusToError) return ERROR_CALL_NOT_IMPLEMENTED;
    return static_cast<LONG>(statusToError(deleteKey(key)));
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
    LONG DeleteKey(HKEY root, const std::string& subKey) override { return DeleteKeyInView(root, subKey, 0); }
    LONG DeleteKeyInView(HKEY root, const std::string& subKey, REGSAM view) override {
        return DeleteSubkeyW(root, text::Wide(subKey), view);
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

    LONG OpenKeyExW(HKEY root, const std::wstring& subKey, DWORD options, REGSAM access, HKEY* key) override {
        return RegOpenKeyExW(root, subKey.c_str(), options, access, key);
    }
    LONG QueryValueExW(HKEY key, const std::wstring& name, DWORD* type, BYTE* data, DWORD* size) override {
        return RegQueryValueExW(key, name.c_str(), nullptr, type, data, size);
    }
    LONG SetValueExW(HKEY key, const std::wstring& name, DWORD type, const BYTE* data, DWORD size) override {
        return RegSetValueExW(key, name.c_str(), 0, type, data, size);
    }
    LONG DeleteValueW(HKEY key, const std::wstring& name) override { return RegDeleteValueW(key, name.c_str()); }
    LONG DeleteSubkeyW(HKEY parent, const std::wstring& name, REGSAM view) override {
        HKEY key = nullptr;
        LONG rc = RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, DELETE | view, &key);
        if (rc != ERROR_SUCCESS) return rc;
        rc = DeleteOpenedKey(key);
        RegCloseKey(key);
        return rc;
    }
    LONG EnumKeyW(HKEY key, DWORD index, std::wstring& name) override {
        wchar_t buffer[256];  // the longest key name and its NUL
        DWORD length = ARRAYSIZE(buffer);
        const LONG rc = RegEnumKeyExW(key, index, buffer, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_SUCCESS) name.assign(buffer, length);
        return rc;
    }
    LONG EnumValueW(HKEY key, DWORD index, std::wstring& name) override {
        std::wstring buffer(16384, L'\0');  // the longest value name and its NUL
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG rc = RegEnumValueW(key, index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_SUCCESS) name.assign(buffer.data(), length);
        return rc;
    }
    std::optional<std::wstring> ExpandEnvironmentW(const std::wstring& source) override {
        // A variable may change between the two calls: asked again then.
        for (int attempt = 0; attempt < 4; ++attempt) {
            const DWORD needed = ExpandEnvironmentStringsW(source.c_str(), nullptr, 0);
            if (needed == 0) return std::nullopt;
            std::wstring expanded(needed, L'\0');
            const DWORD got = ExpandEnvironmentStringsW(source.c_str(), expanded.data(), needed);
            if (got == 0) return std::nullopt;
            if (got > needed) continue;
            expanded.resize(got - 1);
            return expanded;
        }
        return std::nullopt;
    }
};

}  // namespace

// ---- The wide calls of a code-page registry ----

LONG RegistryApi::OpenKeyExW(HKEY root, const std::wstring& subKey, DWORD options, REGSAM access, HKEY* key) {
    const auto name = CodePageName(subKey);
    return name ? OpenKeyEx(root, *name, options, access, key) : ERROR_FILE_NOT_FOUND;
}

LONG RegistryApi::QueryValueExW(HKEY key, const std::wstring& name, DWORD* type, BYTE* data, DWORD* size) {
    const auto narrow = CodePageName(name);
    if (!narrow) return ERROR_FILE_NOT_FOUND;
    DWORD found = REG_NONE, stored = 0;
    LONG rc = QueryValueEx(key, *narrow, &found, nullptr, &stored);
    if (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA) return rc;
    std::string bytes(stored, '\0');
    rc = stored ? QueryValueEx(key, *narrow, &found, reinterpret_cast<BYTE*>(bytes.data()), &stored) : ERROR_SUCCESS;
    if (rc != ERROR_SUCCESS) return rc;
    bytes.resize(stored);
    if (IsText(found)) {
        const std::wstring wide = text::Wide(bytes);
        bytes.assign(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
    }
    if (type) *type = found;
    const DWORD needed = static_cast<DWORD>(bytes.size());
    if (!data) {
        if (size) *size = needed;
        return ERROR_SUCCESS;
    }
    if (!size || *size < needed) {
        if (size) *size = needed;
        return ERROR_MORE_DATA;
    }
    std::memcpy(data, bytes.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

LONG RegistryApi::SetValueExW(HKEY key, const std::wstring& name, DWORD type, const BYTE* data, DWORD size) {
    const auto narrow = CodePageName(name);
    if (!narrow) return ERROR_INVALID_NAME;
    if (!IsText(type)) return SetValueEx(key, *narrow, type, data, size);
    const auto textData = text::NarrowExact(std::wstring_view(reinterpret_cast<const wchar_t*>(data), size / sizeof(wchar_t)));
    if (!textData) return ERROR_INVALID_DATA;
    return SetValueEx(key, *narrow, type, reinterpret_cast<const BYTE*>(textData->data()),
                      static_cast<DWORD>(textData->size()));
}

LONG RegistryApi::DeleteValueW(HKEY key, const std::wstring& name) {
    const auto narrow = CodePageName(name);
    return narrow ? DeleteValue(key, *narrow) : ERROR_FILE_NOT_FOUND;
}

LONG RegistryApi::DeleteSubkeyW(HKEY parent, const std::wstring& name, REGSAM view) {
    const auto narrow = CodePageName(name);
    return narrow ? DeleteKeyInView(parent, *narrow, view) : ERROR_FILE_NOT_FOUND;
}

LONG RegistryApi::EnumKeyW(HKEY key, DWORD index, std::wstring& name) {
    char buffer[256] = {};
    const LONG rc = EnumKey(key, index, buffer, sizeof buffer);
    if (rc == ERROR_SUCCESS) name = text::Wide(std::string(buffer, strnlen(buffer, sizeof buffer)));
    return rc;
}

LONG RegistryApi::EnumValueW(HKEY key, DWORD index, std::wstring& name) {
    std::string buffer(16384, '\0');
    DWORD length = static_cast<DWORD>(buffer.size());
    const LONG rc = EnumValue(key, index, buffer.data(), &length);
    if (rc == ERROR_SUCCESS) name = text::Wide(std::string_view(buffer).substr(0, length));
    return rc;
}

std::optional<std::wstring> RegistryApi::ExpandEnvironmentW(const std::wstring& source) {
    const auto narrow = CodePageName(source);
    if (!narrow) return std::nullopt;
    const DWORD needed = ExpandEnvironment(*narrow, nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::string expanded(needed, '\0');
    const DWORD got = ExpandEnvironment(*narrow, expanded.data(), needed);
    if (got == 0 || got > needed) return std::nullopt;
    expanded.resize(got - 1);
    return text::Wide(expanded);
}

// ---- Keys opened as themselves ----

bool IsLinkKey(RegistryApi& api, HKEY key) {
    DWORD type = REG_NONE, size = 0;
    return api.QueryValueEx(key, "SymbolicLinkValue", &type, nullptr, &size) == ERROR_SUCCESS && type == REG_LINK;
}

std::vector<std::wstring> KeyNames(std::wstring_view path) { return text::SplitNonEmpty(path, L'\\'); }

LONG OpenKeyLinkFree(RegistryApi& api, HKEY root, std::wstring_view path, REGSAM access, REGSAM view, RegKey& key) {
    key.Close();
    const std::vector<std::wstring> names = KeyNames(path);
    if (names.empty()) return ERROR_INVALID_PARAMETER;
    RegKey at(api);
    for (size_t i = 0; i < names.size(); ++i) {
        const bool last = i + 1 == names.size();
        // Every key is asked whether it is a link, so each is opened to be queried.
        const REGSAM wanted = (last ? access : 0) | KEY_QUERY_VALUE | view;
        RegKey next(api);
        const LONG rc = api.OpenKeyExW(at ? at.Get() : root, names[i], REG_OPTION_OPEN_LINK, wanted, next.Put());
        if (rc != ERROR_SUCCESS) return rc;
        if (IsLinkKey(api, next.Get())) return kLinkOnTheWay;
        at = std::move(next);
    }
    key = std::move(at);
    return ERROR_SUCCESS;
}

RegistryApi& RealRegistry() {
    static WindowsRegistry api;
    return api;
}

}  // namespace tidvex::registry
