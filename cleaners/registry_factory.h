// Makes the registry objects of the library's steps and services: the one
// registry class (registry/registry.h) configured as the library has it, each
// key or value it deletes followed by a daily-log line with message "msg15".
#pragma once

#include "registry/registry.h"
#include "registry/wide_values.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace velmora {

using tidvex::registry::CleanerRegistry;

// A registry object whose deletions, and the deletes it refuses (a registry
// link on the way), are logged; showlog, when given, receives the paths the
// object reports through its Showlog event.
CleanerRegistry MakeRegistry(std::function<void(const std::string&)> showlog = {});

// Whether the key exists under the hive (a tidvex::registry::k... value).
bool RegistryKeyExists(std::int32_t hive, const std::string& key);

// The names of a key's values, and of its subkeys, as the registry class lists
// them; none when the key is missing.
std::vector<std::string> ValueNames(std::int32_t hive, const std::string& key);
std::vector<std::string> SubkeyNames(std::int32_t hive, const std::string& key);

// The same as the registry keeps them (through the wide calls), for names that
// must survive whatever their characters.
std::vector<std::wstring> WideValueNames(std::int32_t hive, const std::string& key);
std::vector<std::wstring> WideSubkeyNames(std::int32_t hive, const std::string& key);

// A value's data exactly as stored: its registry type and its bytes.
using tidvex::registry::RawValue;

// The value as stored, or nothing when the key or the value is missing.
std::optional<RawValue> ReadRawValue(std::int32_t hive, const std::string& key, const std::wstring& name);
// Stores the value exactly, making the key when missing; a registry link on the
// way is never written through. Links from the `ownFrom`-th name of the key's
// path on are the library's own keys: such a link goes and a real key takes its
// place; anywhere else it is refused. Throws RegistryError (the registry class's
// "Failed to set registry value" error) on failure.
void WriteRawValue(std::int32_t hive, const std::string& key, const std::wstring& name, const RawValue& value,
                   size_t ownFrom = std::string::npos);

// A text value as the registry keeps it (environment variables expanded; binary
// data taken as UTF-16); empty when missing.
std::wstring ReadWideText(std::int32_t hive, const std::string& key, const char* name);

// A value of HKEY_CURRENT_USER "...\Explorer\Shell Folders" as text; empty when missing.
std::wstring ShellFolder(const char* name);

}  // namespace velmora
