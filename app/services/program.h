// Program-wide facts the services share: where the program's own files lie and
// whether the program is closing.
#pragma once

#include "seam/seam.h"

#include <string>

namespace tidvex::services {

// The folder of the running program file, without a closing "\". The list
// files, the event log and the other files of the program lie there.
std::string AppPath();

// The folder the program's files are put in instead while a test has put one
// here (a scratch folder); empty: the program's own folder.
extern Seam<std::string> gAppPathOverride;

// Puts the program's files into another folder for the life of the object.
class ScopedAppPath : public ScopedSeam<std::string> {
public:
    explicit ScopedAppPath(const std::string& folder);
};

// Set when the main window closes; long waits end early on it.
extern bool gIsExiting;

}  // namespace tidvex::services
