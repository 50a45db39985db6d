// The library's registry class copy: the one registry class core with the
// library's hooks (a daily-log line after each deletion, and the Showlog event
// its owner passes on as a status message).
#pragma once

#include "registry/registry.h"

#include <functional>
#include <string>

namespace velmora {

using tidvex::registry::CleanerRegistry;

// A registry object whose deletions are logged; showlog, when given, receives
// the paths the object reports through its Showlog event.
CleanerRegistry LibraryRegistry(std::function<void(const std::string&)> showlog = {});

// Whether the key exists under the hive (a tidvex::registry::k... value).
bool RegistryKeyExists(std::int32_t hive, const std::string& key);

// A value of HKEY_CURRENT_USER "...\Explorer\Shell Folders" as text; empty when missing.
std::string ShellFolder(const char* name);

}  // namespace velmora
