#include "modreg.h"

#include "error_log.h"
#include "run_time_error.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace quenza {

namespace {

// Closes a key on every way out.
class KeyHolder {
public:
    KeyHolder() = default;
    KeyHolder(const KeyHolder&) = delete;
    KeyHolder& operator=(const KeyHolder&) = delete;
    ~KeyHolder() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* Put() { return &key_; }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

// Replaces every occurrence of what (letter case ignored) by with.
void ReplaceNoCase(std::string& text, const std::string& what, const std::string& with) {
    std::string upper = Upper(text);
    const std::string needle = Upper(what);
    std::string out;
    size_t from = 0;
    for (size_t at = upper.find(needle); at != std::string::npos; at = upper.find(needle, from)) {
        out.append(text, from, at - from);
        out += with;
        from = at + needle.size();
    }
    out.append(text, from, std::string::npos);
    text = std::move(out);
}

}  // namespace

LONG RegGetKeyHandle(std::string& sKeyPath, REGSAM samDesired, HKEY* phKey) {
    try {
        static const std::pair<const char*, const char*> kAbbreviations[] = {
            {"HKCU", "HKEY_CURRENT_USER"},     {"HKLM", "HKEY_LOCAL_MACHINE"}, {"HKCR", "HKEY_CLASSES_ROOT"},
            {"HKUS", "HKEY_USERS"},            {"HKPD", "HKEY_PERFORMANCE_DATA"}, {"HKDD", "HKEY_DYN_DATA"},
            {"HKCC", "HKEY_CURRENT_CONFIG"}};
        for (auto [abbreviation, name] : kAbbreviations) ReplaceNoCase(sKeyPath, abbreviation, name);

        // The sub-key starts after the root name and its backslash.
        static const struct {
            const char* name;
            HKEY hive;
        } kRoots[] = {{"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
                      {"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},
                      {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},
                      {"HKEY_USERS", HKEY_USERS}};
        const std::string upper = Upper(sKeyPath);
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
        return RegOpenKeyExA(hive, subKey.c_str(), 0, samDesired | kRegistryView, phKey);
    } catch (...) {
        LoggError(RunTimeError::FromCurrentException(), "RegGetKeyHandle", "Unable to open a registry key");
        return 1010;
    }
}

std::string GetKeyValue(std::string& sKeyPath, const std::string& sValueName, DWORD& type) {
    type = REG_NONE;
    try {
        KeyHolder key;
        if (RegGetKeyHandle(sKeyPath, kHelperAccess, key.Put()) != ERROR_SUCCESS) return {};
        DWORD foundType = REG_NONE;
        DWORD size = 0;
        if (RegQueryValueExA(key.Get(), sValueName.c_str(), nullptr, &foundType, nullptr, &size) != ERROR_SUCCESS)
            return {};
        type = foundType;
        // The buffer always holds the whole value (and for a number at least four
        // bytes), and only its own size is ever offered to the registry: a value
        // of any type or length cannot write past it.
        std::vector<char> data(std::max<DWORD>(size, sizeof(DWORD)) + 1, '\0');
        DWORD read = static_cast<DWORD>(data.size() - 1);
        if (RegQueryValueExA(key.Get(), sValueName.c_str(), nullptr, &foundType,
                             reinterpret_cast<BYTE*>(data.data()), &read) != ERROR_SUCCESS)
            return {};
        type = foundType;
        if (foundType == REG_SZ) return std::string(data.data(), strnlen(data.data(), read));
        int32_t number = 0;
        std::memcpy(&number, data.data(), sizeof number);
        return std::to_string(number);
    } catch (...) {
        LoggError(RunTimeError::FromCurrentException(), "", "Unable to get a key value");
        return {};
    }
}

bool DeleteKeyValue(HKEY hKey, const std::string& sSubKey, const std::string& sValueName) {
    KeyHolder key;
    if (RegOpenKeyExA(hKey, sSubKey.c_str(), 0, kHelperAccess | kRegistryView, key.Put()) != ERROR_SUCCESS)
        return false;
    const std::string& name = sValueName.empty() ? sSubKey : sValueName;
    return RegDeleteValueA(key.Get(), name.c_str()) == ERROR_SUCCESS;
}

bool SetKeyValue(HKEY hKey, const std::string& sSubKey, const std::string& sValueName, const std::string& sValue,
                 long iType) {
    SECURITY_ATTRIBUTES security{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    char keyClass[] = "0";
    KeyHolder key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(hKey, sSubKey.c_str(), 0, keyClass, REG_OPTION_NON_VOLATILE, kHelperAccess | kRegistryView,
                        &security, key.Put(), &disposition) != ERROR_SUCCESS)
        return false;
    LONG rc;
    if (sValue != "1" && sValue != "0" && iType != REG_DWORD) {
        rc = RegSetValueExA(key.Get(), sValueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(sValue.c_str()),
                            static_cast<DWORD>(sValue.size() + 1));
    } else {
        const int32_t number = static_cast<int32_t>(ToLong(sValue));
        rc = RegSetValueExA(key.Get(), sValueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                            sizeof number);
    }
    return rc == ERROR_SUCCESS;
}

}  // namespace quenza
