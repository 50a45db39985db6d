// Unix symbolic links inside the sandbox, as a user's Wine set-up has them
// (a folder of the prefix linked to the home folder, a file linked elsewhere).
// No Windows call makes one under Wine: its CreateSymbolicLink succeeds without
// doing anything and junctions are not supported.
#pragma once

#include <string>

namespace tidvex::test {

// The Unix path that Wine maps a Windows path to ("" when it cannot tell).
std::string UnixPathOf(const std::string& windowsPath);

// Makes `link` a Unix symbolic link to `target` (both Windows paths inside the
// sandbox). False where that cannot be done.
bool MakeUnixSymlink(const std::string& target, const std::string& link);

}  // namespace tidvex::test
