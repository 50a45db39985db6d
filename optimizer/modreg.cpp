#include "modreg.h"

#include "conversion.h"
#include "error_log.h"

#include "registry/reg_key.h"
#include "text/text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace quenza {

namespace {

using tidvex::registry::RealRegistry;
using tidvex::registry::RegKey;

}  // namespace

LONG RegGetKeyHandle(std::string& sKeyPath, REGSAM samDesired, HKEY* phKey) {
    try {
        static const std::pair<const char*, const char*> kAbbreviations[] = {
            {"HKCU", "HKEY_CURRENT_USER"},     {"HKLM", "HKEY_LOCAL_MACHINE"}, {"HKCR", "HKEY_CLASSES_ROOT"},
            {"HKUS", "HKEY_USERS"},            {"HKPD", "HKEY_PERFORMANCE_DATA"}, {"HKDD", "HKEY_DYN_DATA"},
            {"HKCC", "HKEY_CURRENT_CONFIG"}};
        for (auto [abbreviation, name] : kAbbreviations)
            sKeyPath = tidvex::text::ReplaceNoCase(sKeyPath, abbreviation, name);

        // The sub-key starts after the root name and its backslash.
        static const struct {
            const char* name;
            HKEY hive;
        } kRoots[] = {{"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                      {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                      {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                      {"HKEY_USERS", HKEY_USERS}};
        const std::string upper = tidvex::text::Upper(sKeyPath);
        HKEY hive = nullptr;
        std::string subKey;
        for (const auto& root : kRoots) {
            if (upper.find(root.name) != std::string::npos) {
                hive = root.hive;
                size_t start = std::strlen(root.name) + 1;
                if (sKeyPath.size() > start) subKey = sKeyPath.substr(start);
                break;
            }
        }
        return RealRegistry().OpenKeyEx(hive, subKey, 0, samDesired | kRegistryView, phKey);
    } catch (...) {
        LoggError(tidvex::CurrentError(), "RegGetKeyHandle", "Unable to open a registry key");
        return 1010;
    }
}

std::string GetKeyValue(std::string& sKeyPath, const std::string& sValueName, DWORD& type) {
    type = REG_NONE;
    try {
        RegKey key;
        if (RegGetKeyHandle(sKeyPath, kHelperAccess, key.Put()) != ERROR_SUCCESS) return {};
        DWORD foundType = REG_NONE;
        DWORD size = 0;
        if (RealRegistry().QueryValueEx(key.Get(), sValueName, &foundType, nullptr, &size) != ERROR_SUCCESS) return {};
        type = foundType;
        // The buffer always holds the whole value (and for a number at least four
        // bytes), and only its own size is ever offered to the registry: a value
        // of any type or length cannot write past it.
        std::vector<char> data(std::max<DWORD>(size, sizeof(DWORD)) + 1, '\0');
        DWORD read = static_cast<DWORD>(data.size() - 1);
        if (RealRegistry().QueryValueEx(key.Get(), sValueName, &foundType, reinterpret_cast<BYTE*>(data.data()),
                                        &read) != ERROR_SUCCESS)
            return {};
        type = foundType;
        if (foundType == REG_SZ) return std::string(data.data(), strnlen(data.data(), read));
        int32_t number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return std::to_string(number);
    } catch (...) {
        LoggError(tidvex::CurrentError(), "", "Unable to get a key value");
        return {};
    }
}

bool DeleteKeyValue(HKEY hKey, const std::string& sSubKey, const std::string& sValueName) {
    // A key that is a registry link is opened as the link: a value is never
    // deleted in the key the link points to.
    RegKey key;
    if (key.OpenLink(hKey, sSubKey, kHelperAccess | kRegistryView) != ERROR_SUCCESS) return false;
    const std::string& name = sValueName.empty() ? sSubKey : sValueName;
    return RealRegistry().DeleteValue(key.Get(), name) == ERROR_SUCCESS;
}

bool SetKeyValue(HKEY hKey, const std::string& sSubKey, const std::string& sValueName, const std::string& sValue,
                 long iType) {
    RegKey key;
    if (key.Create(hKey, sSubKey, kHelperAccess | kRegistryView, "0") != ERROR_SUCCESS) return false;
    LONG rc;
    if (sValue != "1" && sValue != "0" && iType != REG_DWORD) {
        rc = RealRegistry().SetValueEx(key.Get(), sValueName, REG_SZ, reinterpret_cast<const BYTE*>(sValue.c_str()),
                                       static_cast<DWORD>(sValue.size() + 1));
    } else {
        const int32_t number = static_cast<int32_t>(ToLong(sValue));
        rc = RealRegistry().SetValueEx(key.Get(), sValueName, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                       sizeof number);
    }
    return rc == ERROR_SUCCESS;
}

}  // namespace quenza
