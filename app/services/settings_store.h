// The program's settings store: text values under one registry key,
// HKEY_LOCAL_MACHINE "Software\Marbleton Tidvex\Settings" and its subkeys,
// read and written through CRegister. Each caller makes its own CRegister and
// drops it at its end; every key is opened and closed within one call.
#pragma once

#include "registry/registry.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tidvex::services {

// The settings key below HKEY_LOCAL_MACHINE, and the subkeys the settings use.
inline constexpr char SettingsKey[] = "Software\\Marbleton Tidvex\\Settings";
inline constexpr char kShredderSection[] = "\\Shredder";
inline constexpr char kCleanSettingsSection[] = "\\Clean Settings";
inline constexpr char kCleanSystemSection[] = "\\Clean System";
inline constexpr char kCleanRegistrySection[] = "\\Clean Registry";
inline constexpr char kOptionsSection[] = "\\Options";
inline constexpr char kOptimizerSection[] = "\\Optimizer";

// Every member takes the hive as its handle value (registry::kLocalMachine) and a
// key path below it from which one leading and one trailing "\" are dropped. A
// value name of "*" is the key's default (unnamed) value.
class CRegister {
public:
    explicit CRegister(registry::RegistryApi& api = registry::RealRegistry()) : api_(&api) {}

    // With sKey: deletes that value of the key. Without: deletes the key itself,
    // its path taken as given (the platform refuses a key with subkeys). True
    // when the platform's delete succeeded.
    bool REGDeleteSetting(std::int32_t regHKEY, const std::string& sSection,
                          const std::optional<std::string>& sKey = std::nullopt);
    // The stored text, or sDefault when the key or value cannot be read or the
    // value holds no data. A key that may only be read is read all the same.
    // The text ends at its first NUL; the value's type is not looked at.
    std::string REGGetSetting(std::int32_t regHKEY, const std::string& sSection, const std::string& sKey,
                              const std::string& sDefault = "");
    // Creates the key when missing and writes sValue as REG_SZ. True on success.
    bool REGSaveSetting(std::int32_t regHKEY, const std::string& sSection, const std::string& sKey,
                        const std::string& sValue);

private:
    registry::RegistryApi* api_;
};

}  // namespace tidvex::services
