#include "services/registry.h"

#include "services/lists.h"
#include "services/logger.h"

namespace tidvex::services {

CRegistry::CRegistry(registry::RegistryApi& api)
    : registry::CRegistry(
          registry::RegistryOptions{
              .isSafeKey = [](const std::string& keyText) { return IsItemInArray(keyText, gMatchLists.safeKeys, true); },
              .refused = [](const std::string& path,
                            const std::string& why) { gLogger().LoggString("Not cleaned: \"" + path + "\": " + why); }},
          api) {}

}  // namespace tidvex::services
