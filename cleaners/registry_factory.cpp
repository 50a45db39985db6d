#include "registry_factory.h"

#include "logger.h"

#include "registry/reg_key.h"

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

std::optional<RawValue> ReadRawValue(std::int32_t hive, const std::string& key, const std::string& name) {
    auto& api = tidvex::registry::RealRegistry();
    RegKey opened(api);
    if (opened.Open(tidvex::registry::HiveHandle(hive), key, KEY_QUERY_VALUE) != ERROR_SUCCESS) return std::nullopt;
    // A value that grows between the two calls is asked for again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        RawValue value;
        DWORD size = 0;
        if (api.QueryValueEx(opened.Get(), name, &value.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
        value.bytes.resize(size);
        LONG rc = api.QueryValueEx(opened.Get(), name, &value.type, value.bytes.data(), &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return std::nullopt;
        value.bytes.resize(size);
        return value;
    }
    return std::nullopt;
}

void WriteRawValue(std::int32_t hive, const std::string& key, const std::string& name, const RawValue& value) {
    auto& api = tidvex::registry::RealRegistry();
    RegKey created(api);
    LONG rc = created.Create(tidvex::registry::HiveHandle(hive), key, KEY_SET_VALUE);
    if (rc == ERROR_SUCCESS) {
        rc = api.SetValueEx(created.Get(), name, value.type, value.bytes.data(), static_cast<DWORD>(value.bytes.size()));
    }
    if (rc != ERROR_SUCCESS) {
        throw tidvex::RunTimeError(tidvex::registry::kErrWriteFailed,
                                   "Failed to set registry value Key: '" + std::to_string(hive) + "',Section: '" + key +
                                       "',Key: '" + name + "'",
                                   CleanerRegistry::Source());
    }
}

CleanerRegistry MakeRegistry(std::function<void(const std::string&)> showlog) {
    return CleanerRegistry({.deleted = [](const std::string& path) { LogDeletion("msg15", path); },
                            .showlog = std::move(showlog)});
}

bool RegistryKeyExists(std::int32_t hive, const std::string& key) {
    auto reg = MakeRegistry();
    reg.ClassKey(hive);
    reg.SectionKey(key);
    return reg.KeyExists();
}

std::string ShellFolder(const char* name) {
    auto reg = MakeRegistry();
    reg.ClassKey(tidvex::registry::kCurrentUser);
    reg.SectionKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    reg.ValueKey(name);
    return reg.value().Text();
}

}  // namespace velmora
