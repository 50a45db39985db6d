// The links among the Recycle Bin's items. Under Wine the bin is the desktop's
// trash folder, and the shell's emptying deletes what a link in it leads to: a
// link to a user's document put there by the desktop took the document with it.
// On Windows the bin keeps its own folders, whose emptying removes a link as a
// link, so there is nothing to do.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace tidvex::shred {

// The desktop's trash folder that the shell keeps the bin in ("<data home>\Trash",
// "\\?\unix\..." when no drive reaches it), or nothing when the bin is not one.
std::optional<std::wstring> DesktopTrashFolder();

// Takes every link to a file (or to nothing) out of the bin before it is
// emptied: each item that is one gives its name to an empty file, which the
// emptying then removes; what it leads to is never touched. A link to a folder
// stays: the emptying leaves it, and what it leads to, alone. Returns the
// number of links taken.
size_t RemoveLinksFromRecycleBin();

}  // namespace tidvex::shred
