#include "registry/wide_values.h"

#include "registry/reg_key.h"

#include <cstring>
#include <utility>

namespace tidvex::registry {

namespace {

class Key {
public:
    Key() = default;
    explicit Key(HKEY key) : key_(key) {}
    ~Key() { Reset(); }
    Key(Key&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    Key& operator=(Key&& other) noexcept {
        if (this != &other) {
            Reset();
            key_ = std::exchange(other.key_, nullptr);
        }
        return *this;
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;

    HKEY Get() const { return key_; }
    HKEY* Put() {
        Reset();
        return &key_;
    }
    explicit operator bool() const { return key_ != nullptr; }
    void Reset() {
        if (key_) RegCloseKey(std::exchange(key_, nullptr));
    }

private:
    HKEY key_ = nullptr;
};

std::wstring Terminated(std::wstring_view s) { return std::wstring(s); }

// The key itself, a link opened as the link.
LONG OpenOwn(HKEY root, std::wstring_view key, REGSAM access, Key& out) {
    return RegOpenKeyExW(root, Terminated(key).c_str(), REG_OPTION_OPEN_LINK, access, out.Put());
}

// The link itself goes; what it points to is not touched.
LONG DeleteLink(HKEY parent, const std::wstring& name) {
    using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
    using StatusToErrorFn = ULONG(NTAPI*)(LONG);
    static const auto ntdll = GetModuleHandleW(L"ntdll.dll");
    static const auto deleteKey =
        reinterpret_cast<NtDeleteKeyFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtDeleteKey")));
    static const auto statusToError =
        reinterpret_cast<StatusToErrorFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
    if (!deleteKey || !statusToError) return ERROR_CALL_NOT_IMPLEMENTED;
    Key link;
    LONG rc = RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, DELETE | KEY_QUERY_VALUE, link.Put());
    if (rc != ERROR_SUCCESS) return rc;
    if (!IsRegistryLink(link.Get())) return ERROR_ACCESS_DENIED;
    return static_cast<LONG>(statusToError(deleteKey(link.Get())));
}

}  // namespace

bool IsRegistryLink(HKEY opened) {
    DWORD type = REG_NONE, size = 0;
    return RegQueryValueExW(opened, L"SymbolicLinkValue", nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
           type == REG_LINK;
}

std::vector<std::wstring> WideValueNames(HKEY root, std::wstring_view key) {
    std::vector<std::wstring> names;
    Key k;
    if (OpenOwn(root, key, KEY_QUERY_VALUE, k) != ERROR_SUCCESS) return names;
    std::wstring name(16384, L'\0');  // the longest value name and its NUL
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        const LONG rc = RegEnumValueW(k.Get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name.data(), length);
    }
    return names;
}

std::vector<std::wstring> WideSubkeyNames(HKEY root, std::wstring_view key) {
    std::vector<std::wstring> names;
    Key k;
    if (OpenOwn(root, key, KEY_ENUMERATE_SUB_KEYS, k) != ERROR_SUCCESS) return names;
    wchar_t name[256];  // the longest key name and its NUL
    for (DWORD i = 0;; ++i) {
        DWORD length = ARRAYSIZE(name);
        const LONG rc = RegEnumKeyExW(k.Get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    return names;
}

std::optional<RawValue> ReadWideRaw(HKEY root, std::wstring_view key, std::wstring_view name) {
    Key k;
    if (RegOpenKeyExW(root, Terminated(key).c_str(), 0, KEY_QUERY_VALUE, k.Put()) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring valueName(name);
    // A value that grows between the two calls is asked for again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        RawValue value;
        DWORD size = 0;
        if (RegQueryValueExW(k.Get(), valueName.c_str(), nullptr, &value.type, nullptr, &size) != ERROR_SUCCESS)
            return std::nullopt;
        value.bytes.resize(size);
        const LONG rc = RegQueryValueExW(k.Get(), valueName.c_str(), nullptr, &value.type, value.bytes.data(), &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return std::nullopt;
        value.bytes.resize(size);
        return value;
    }
    return std::nullopt;
}

std::wstring ReadWideText(HKEY root, std::wstring_view key, std::wstring_view name) {
    const std::optional<RawValue> value = ReadWideRaw(root, key, name);
    if (!value || !(value->type == REG_SZ || value->type == REG_EXPAND_SZ || value->type == REG_MULTI_SZ ||
                    value->type == REG_BINARY))
        return {};
    std::wstring text(value->bytes.size() / sizeof(wchar_t), L'\0');
    if (!text.empty()) memcpy(text.data(), value->bytes.data(), text.size() * sizeof(wchar_t));
    text.resize(text.find(L'\0') == std::wstring::npos ? text.size() : text.find(L'\0'));
    if (value->type != REG_EXPAND_SZ || text.empty()) return text;
    const DWORD needed = ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (needed == 0) return text;
    std::wstring expanded(needed, L'\0');
    const DWORD got = ExpandEnvironmentStringsW(text.c_str(), expanded.data(), needed);
    if (got == 0 || got > needed) return text;
    expanded.resize(got - 1);
    return expanded;
}

LONG WriteWideRaw(HKEY root, std::wstring_view key, std::wstring_view name, const RawValue& value, size_t ownFrom) {
    const std::vector<std::wstring> names = KeyNames(key);
    Key parent;
    HKEY at = root;
    for (size_t i = 0; i < names.size(); ++i) {
        const bool last = i + 1 == names.size();
        const REGSAM access = KEY_QUERY_VALUE | KEY_CREATE_SUB_KEY | (last ? KEY_SET_VALUE : 0);
        Key next;
        for (int attempt = 0; attempt < 2; ++attempt) {
            LONG rc = RegOpenKeyExW(at, names[i].c_str(), REG_OPTION_OPEN_LINK, access, next.Put());
            if (rc == ERROR_FILE_NOT_FOUND) {
                rc = RegCreateKeyExW(at, names[i].c_str(), 0, nullptr, 0, access, nullptr, next.Put(), nullptr);
            }
            if (rc != ERROR_SUCCESS) return rc;
            if (!IsRegistryLink(next.Get())) break;
            // A key of the caller's own that someone made a link: the link goes,
            // a real key takes its place. Anywhere else the write is refused.
            next.Reset();
            if (i < ownFrom || attempt > 0) return ERROR_ACCESS_DENIED;
            rc = DeleteLink(at, names[i]);
            if (rc != ERROR_SUCCESS) return rc;
        }
        if (!next) return ERROR_ACCESS_DENIED;
        parent = std::move(next);
        at = parent.Get();
    }
    if (names.empty()) return ERROR_INVALID_PARAMETER;
    return RegSetValueExW(at, std::wstring(name).c_str(), 0, value.type, value.bytes.data(),
                          static_cast<DWORD>(value.bytes.size()));
}

LONG DeleteWideValue(HKEY root, std::wstring_view key, std::wstring_view name) {
    RegistryApi& api = RealRegistry();
    RegKey k(api);
    const LONG rc = OpenKeyLinkFree(api, root, key, KEY_SET_VALUE, 0, k);
    if (rc != ERROR_SUCCESS) return rc;
    return api.DeleteValueW(k.Get(), std::wstring(name));
}

}  // namespace tidvex::registry
