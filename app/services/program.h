// Program-wide facts the services share: where the program's own files lie and
// whether the program is closing.
#pragma once

#include "seam/seam.h"

#include <string>

namespace tidvex::services {

// The folder of the running program file, without a closing "\", as the file
// system names it. The list files, the event log and the other files of the
// program lie there, and are reached through it by the wide calls.
std::wstring AppFolder();
// The same in the system code page, for what takes only code-page text (the
// Run value). A folder whose name the code page cannot hold raises
// RunTimeError (kPathNotFound) rather than give a look-alike, which may be
// the folder of another copy of the program.
std::string AppPath();

// The folder the program's files are put in instead while a test has put one
// here (a scratch folder); empty: the program's own folder.
extern Seam<std::wstring> gAppPathOverride;

// Puts the program's files into another folder for the life of the object.
class ScopedAppPath : public ScopedSeam<std::wstring> {
public:
    explicit ScopedAppPath(const std::string& folder);
    explicit ScopedAppPath(const std::wstring& folder);
};

// The running program file's full path, as the file system names it.
std::wstring ProgramFile();

// Set when the main window closes; long waits end early on it.
extern bool gIsExiting;

}  // namespace tidvex::services
