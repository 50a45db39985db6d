#include "registry_copy.h"

#include "logger.h"

namespace velmora {

using tidvex::registry::RealRegistry;
using tidvex::registry::RegistryApi;

namespace {

// A key of the registry API, closed when the holder goes.
class OpenKey {
public:
    OpenKey(RegistryApi& api, HKEY key) : api_(api), key_(key) {}
    ~OpenKey() {
        if (key_) api_.CloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY Get() const { return key_; }

private:
    RegistryApi& api_;
    HKEY key_;
};

}  // namespace

std::vector<std::string> ValueNames(std::int32_t hive, const std::string& key) {
    auto reg = LibraryRegistry();
    reg.ClassKey(hive);
    reg.SectionKey(key);
    std::vector<std::string> names;
    std::int32_t count = 0;
    reg.EnumerateValues(names, count);
    return names;
}

std::vector<std::string> SubkeyNames(std::int32_t hive, const std::string& key) {
    auto reg = LibraryRegistry();
    reg.ClassKey(hive);
    reg.SectionKey(key);
    std::vector<std::string> names;
    std::int32_t count = 0;
    reg.EnumerateSections(names, count);
    return names;
}

std::optional<RawValue> ReadRawValue(std::int32_t hive, const std::string& key, const std::string& name) {
    RegistryApi& api = RealRegistry();
    HKEY opened = nullptr;
    if (api.OpenKeyEx(tidvex::registry::HiveHandle(hive), key, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    OpenKey held(api, opened);
    // A value that grows between the two calls is asked for again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        RawValue value;
        DWORD size = 0;
        if (api.QueryValueEx(held.Get(), name, &value.type, nullptr, &size) != ERROR_SUCCESS) return std::nullopt;
        value.bytes.resize(size);
        LONG rc = api.QueryValueEx(held.Get(), name, &value.type, value.bytes.data(), &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return std::nullopt;
        value.bytes.resize(size);
        return value;
    }
    return std::nullopt;
}

void WriteRawValue(std::int32_t hive, const std::string& key, const std::string& name, const RawValue& value) {
    RegistryApi& api = RealRegistry();
    HKEY created = nullptr;
    LONG rc = api.CreateKeyEx(tidvex::registry::HiveHandle(hive), key, KEY_SET_VALUE, &created);
    if (rc == ERROR_SUCCESS) {
        OpenKey held(api, created);
        rc = api.SetValueEx(held.Get(), name, value.type, value.bytes.data(), static_cast<DWORD>(value.bytes.size()));
    }
    if (rc != ERROR_SUCCESS) {
        throw tidvex::registry::RegistryError(tidvex::registry::kErrWriteFailed, CleanerRegistry::Source(),
                                              "Failed to set registry value Key: '" + std::to_string(hive) +
                                                  "',Section: '" + key + "',Key: '" + name + "'");
    }
}

CleanerRegistry LibraryRegistry(std::function<void(const std::string&)> showlog) {
    return CleanerRegistry({.deleted = [](const std::string& path) { LogDeletion("msg15", path); },
                            .showlog = std::move(showlog)});
}

bool RegistryKeyExists(std::int32_t hive, const std::string& key) {
    auto reg = LibraryRegistry();
    reg.ClassKey(hive);
    reg.SectionKey(key);
    return reg.KeyExists();
}

std::string ShellFolder(const char* name) {
    auto reg = LibraryRegistry();
    reg.ClassKey(tidvex::registry::kCurrentUser);
    reg.SectionKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    reg.ValueKey(name);
    return reg.value().Text();
}

}  // namespace velmora
