// Program-wide facts the services share: where the program's own files lie and
// whether the program is closing.
#pragma once

#include <string>

namespace tidvex::services {

// The folder of the running program file, without a closing "\". The list
// files, the event log and the other files of the program lie there.
std::string AppPath();
// Puts the program's files into another folder (tests use a scratch folder);
// the empty text goes back to the program's own folder.
void SetAppPath(const std::string& folder);

// Set when the main window closes; long waits end early on it.
extern bool gIsExiting;

}  // namespace tidvex::services
