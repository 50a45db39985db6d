// Makes the registry objects of the library's steps and services: the one
// registry class (registry/registry.h) configured as the library has it, each
// key or value it deletes followed by a daily-log line with message "msg15".
#pragma once

#include "registry/registry.h"

#include <functional>
#include <string>

namespace velmora {

using tidvex::registry::CleanerRegistry;

// A registry object whose deletions are logged; showlog, when given, receives
// the paths the object reports through its Showlog event.
CleanerRegistry MakeRegistry(std::function<void(const std::string&)> showlog = {});

// Whether the key exists under the hive (a tidvex::registry::k... value).
bool RegistryKeyExists(std::int32_t hive, const std::string& key);

// A value of HKEY_CURRENT_USER "...\Explorer\Shell Folders" as text; empty when missing.
std::string ShellFolder(const char* name);

}  // namespace velmora
