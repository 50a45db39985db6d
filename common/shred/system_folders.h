// The folders Windows and the user's shell cannot do without, which no
// shredding takes, whoever lists a folder above them.
#pragma once

#include <array>
#include <string>

namespace tidvex::shred {

// The Windows and System folders, the shell's Fonts, Start Menu, Programs and
// Desktop folders, and System\IOSUBSYS and System\VMM32, in this order, as
// the system gives them; empty where it has none. Read anew at every call:
// the shell's folders follow the user's settings.
using SystemFolderTexts = std::array<std::wstring, 8>;
SystemFolderTexts ReadSystemFolders();

}  // namespace tidvex::shred
