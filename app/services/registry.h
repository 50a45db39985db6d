// The program's registry class: the shared CRegistry whose DeleteKey(true) and
// DeleteValue(true) leave alone every key that the user's safe list covers
// (an entry of the safe registry keys occurring in "HKEY_...\<key path>",
// letter case ignored). The safe list is the one FillSafeBlackLists loaded.
// What it refuses to delete (a registry link on the way) goes to the event log.
#pragma once

#include "registry/registry.h"

namespace tidvex::services {

using registry::RegBytes;
using registry::RegValue;

class CRegistry : public registry::CRegistry {
public:
    explicit CRegistry(registry::RegistryApi& api = registry::RealRegistry());
};

}  // namespace tidvex::services
