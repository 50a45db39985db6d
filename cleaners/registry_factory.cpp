#include "registry_factory.h"

#include "logger.h"

namespace velmora {

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
