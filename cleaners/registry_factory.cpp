#include "registry_factory.h"

#include "logger.h"

#include "registry/reg_key.h"
#include "text/text.h"

namespace velmora {

using tidvex::registry::RegKey;

std::vector<std::string> ValueNames(std::int32_t hive, const std::string& key) {
    auto reg = MakeRegistry();
    reg.ClassKey(hive);
    reg.SectionKey(key);
    std::vector<std::string> names;
    std::int32_t count = 0;
    reg.EnumerateValues(names, count);
    return names;
}

std::vector<std::string> SubkeyNames(std::int32_t hive, const std::string& key) {
    auto reg = MakeRegistry();
    reg.ClassKey(hive);
    reg.SectionKey(key);
    std::vector<std::string> names;
    std::int32_t count = 0;
    reg.EnumerateSections(names, count);
    return names;
}

std::vector<std::wstring> WideValueNames(std::int32_t hive, const std::string& key) {
    return tidvex::registry::WideValueNames(tidvex::registry::HiveHandle(hive), tidvex::text::Wide(key));
}

std::vector<std::wstring> WideSubkeyNames(std::int32_t hive, const std::string& key) {
    return tidvex::registry::WideSubkeyNames(tidvex::registry::HiveHandle(hive), tidvex::text::Wide(key));
}

std::optional<RawValue> ReadRawValue(std::int32_t hive, const std::string& key, const std::wstring& name) {
    return tidvex::registry::ReadWideRaw(tidvex::registry::HiveHandle(hive), tidvex::text::Wide(key), name);
}

void WriteRawValue(std::int32_t hive, const std::string& key, const std::wstring& name, const RawValue& value,
                   size_t ownFrom) {
    const LONG rc = tidvex::registry::WriteWideRaw(tidvex::registry::HiveHandle(hive), tidvex::text::Wide(key), name,
                                                  value, ownFrom);
    if (rc != ERROR_SUCCESS) {
        throw tidvex::RunTimeError(tidvex::registry::kErrWriteFailed,
                                   "Failed to set registry value Key: '" + std::to_string(hive) + "',Section: '" + key +
                                       "',Key: '" + tidvex::text::Narrow(name) + "'",
                                   CleanerRegistry::Source());
    }
}

std::wstring ReadWideText(std::int32_t hive, const std::string& key, const char* name) {
    return tidvex::registry::ReadWideText(tidvex::registry::HiveHandle(hive), tidvex::text::Wide(key),
                                          tidvex::text::Wide(name));
}

CleanerRegistry MakeRegistry(std::function<void(const std::string&)> showlog) {
    return CleanerRegistry({.deleted = [](const std::string& path) { LogDeletion("msg15", path); },
                            .showlog = std::move(showlog),
                            .refused = [](const std::string& path, const std::string& why) {
                                Logger::AddToLog("Not cleaned: ", "\"" + path + "\": " + why);
                            }});
}

bool RegistryKeyExists(std::int32_t hive, const std::string& key) {
    auto reg = MakeRegistry();
    reg.ClassKey(hive);
    reg.SectionKey(key);
    return reg.KeyExists();
}

std::wstring ShellFolder(const char* name) {
    return ReadWideText(tidvex::registry::kCurrentUser,
                        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name);
}

}  // namespace velmora
