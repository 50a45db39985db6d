#include "services/registry.h"

#include "services/lists.h"

namespace tidvex::services {

CRegistry::CRegistry(registry::RegistryApi& api)
    : registry::CRegistry(registry::RegistryOptions{.isSafeKey =
                                                        [](const std::string& keyText) {
                                                            return IsItemInArray(keyText, gMatchLists.safeKeys, true);
                                                        }},
                          api) {}

}  // namespace tidvex::services
