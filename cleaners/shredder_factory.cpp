#include "shredder_factory.h"

#include "library.h"
#include "logger.h"

namespace velmora {

Shredder MakeShredder(std::function<void(const std::string&)> showlog) {
    Shredder sh({.shredSwitch = [] { return ShredSwitch() != VARIANT_FALSE; },
                 .ignorePlainDeleteFailure = true,
                 .fileShredded = [](const std::string& path) { LogDeletion("msg16", path); },
                 .nameOnlyDeleted =
                     [](const std::string& path) { LogDeletion("msg16", tidvex::shred::NameOnlyDeletedNote(path)); },
                 .keptFolders = {},
                 .beforeDelete = {}});
    sh.ShowLog = std::move(showlog);
    return sh;
}

}  // namespace velmora
