#include "services/settings_store.h"

#include <vector>

namespace tidvex::services {
namespace {

constexpr REGSAM kAllAccess = 0xF003F;
constexpr REGSAM kRead = 0x20019;

std::string TrimSection(const std::string& section) {
    std::string s = section;
    if (!s.empty() && s.front() == '\\') s.erase(0, 1);
    if (!s.empty() && s.back() == '\\') s.pop_back();
    return s;
}

std::string ValueName(const std::string& key) { return key == "*" ? std::string() : key; }

// Closes the key it holds when it goes.
class OpenedKey {
public:
    explicit OpenedKey(registry::RegistryApi& api) : api_(api) {}
    ~OpenedKey() {
        if (key_) api_.CloseKey(key_);
    }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;
    HKEY* Put() { return &key_; }
    HKEY Get() const { return key_; }

private:
    registry::RegistryApi& api_;
    HKEY key_ = nullptr;
};

}  // namespace

bool CRegister::REGDeleteSetting(std::int32_t regHKEY, const std::string& sSection,
                                 const std::optional<std::string>& sKey) {
    const HKEY hive = registry::HiveHandle(regHKEY);
    if (!sKey) return api_->DeleteKey(hive, sSection) == ERROR_SUCCESS;
    // A key that is a registry link is opened as the link: a value is never
    // deleted in the key it points to.
    OpenedKey key(*api_);
    if (api_->OpenKeyEx(hive, TrimSection(sSection), REG_OPTION_OPEN_LINK, kAllAccess, key.Put()) != ERROR_SUCCESS)
        return false;
    return api_->DeleteValue(key.Get(), ValueName(*sKey)) == ERROR_SUCCESS;
}

std::string CRegister::REGGetSetting(std::int32_t regHKEY, const std::string& sSection, const std::string& sKey,
                                     const std::string& sDefault) {
    const HKEY hive = registry::HiveHandle(regHKEY);
    const std::string section = TrimSection(sSection);
    OpenedKey key(*api_);
    LONG rc = api_->OpenKeyEx(hive, section, 0, kAllAccess, key.Put());
    // A key the user may only read is still read.
    if (rc == ERROR_ACCESS_DENIED) rc = api_->OpenKeyEx(hive, section, 0, kRead, key.Put());
    if (rc != ERROR_SUCCESS) return sDefault;

    const std::string name = ValueName(sKey);
    DWORD size = 0;
    if (api_->QueryValueEx(key.Get(), name, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0) return sDefault;
    std::vector<BYTE> data(size);
    DWORD got = size;
    if (api_->QueryValueEx(key.Get(), name, nullptr, data.data(), &got) != ERROR_SUCCESS) return sDefault;
    // The terminating NUL is not part of the text; text the platform hands back
    // ends at its first NUL.
    std::string text(reinterpret_cast<const char*>(data.data()), size - 1);
    if (auto nul = text.find('\0'); nul != std::string::npos) text.erase(nul);
    return text;
}

bool CRegister::REGSaveSetting(std::int32_t regHKEY, const std::string& sSection, const std::string& sKey,
                               const std::string& sValue) {
    OpenedKey key(*api_);
    if (api_->CreateKeyEx(registry::HiveHandle(regHKEY), TrimSection(sSection), "", kAllAccess, key.Put()) !=
        ERROR_SUCCESS)
        return false;
    // The length without the NUL: the platform stores the text terminated.
    return api_->SetValueEx(key.Get(), ValueName(sKey), REG_SZ, reinterpret_cast<const BYTE*>(sValue.c_str()),
                            static_cast<DWORD>(sValue.size())) == ERROR_SUCCESS;
}

}  // namespace tidvex::services
