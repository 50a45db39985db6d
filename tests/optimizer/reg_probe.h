// Reading back what the optimizer wrote: a value's type and bytes exactly as stored.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace quenza::test {

struct Stored {
    DWORD type = REG_NONE;
    std::string bytes;

    static Stored Dword(uint32_t n) { return {REG_DWORD, std::string(reinterpret_cast<const char*>(&n), 4)}; }
    // A REG_SZ as written: the text and its terminating NUL.
    static Stored Text(const std::string& s) { return {REG_SZ, s + '\0'}; }
    bool operator==(const Stored&) const = default;
};

inline std::optional<Stored> ReadStored(HKEY root, const std::string& key, const std::string& name,
                                        REGSAM view = KEY_WOW64_64KEY) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE | view, &k) != ERROR_SUCCESS) return std::nullopt;
    Stored s;
    DWORD size = 0;
    LONG rc = RegQueryValueExA(k, name.c_str(), nullptr, &s.type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        s.bytes.resize(size);
        rc = RegQueryValueExA(k, name.c_str(), nullptr, &s.type, reinterpret_cast<BYTE*>(s.bytes.data()), &size);
        s.bytes.resize(size);
    }
    RegCloseKey(k);
    if (rc != ERROR_SUCCESS) return std::nullopt;
    return s;
}

inline void WriteStored(HKEY root, const std::string& key, const std::string& name, DWORD type,
                        const std::string& bytes) {
    HKEY k;
    if (RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) != ERROR_SUCCESS) return;
    RegSetValueExA(k, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                   static_cast<DWORD>(bytes.size()));
    RegCloseKey(k);
}

inline void DeleteStored(HKEY root, const std::string& key, const std::string& name) {
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return;
    RegDeleteValueA(k, name.c_str());
    RegCloseKey(k);
}

}  // namespace quenza::test
