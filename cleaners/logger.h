// The library's daily log: "\Logs\<day>-<month>-<year>_Log.txt" in the library
// folder, one line appended per entry.
#pragma once

#include <windows.h>

#include <string>

namespace velmora {

class Logger {
public:
    // Appends one line for today: the quoted date and time, a TAB, section and txt.
    // Logging is best effort: false when the folder or the file cannot be written,
    // and the caller goes on with its work.
    static bool AddToLog(const std::string& section, const std::string& txt);
    // The library folder (not the log folder).
    static std::string getLogPath();

    // "7-12-2026_Log.txt" for 7 December 2026.
    static std::string FileName(const SYSTEMTIME& day);
    // One line as written, with its closing CR LF.
    static std::string Line(const SYSTEMTIME& when, const std::string& section, const std::string& txt);
};

// The log entry that follows each deletion of the registry and shredder copies:
// the text of message `messageId`, a blank, and what was deleted.
void LogDeletion(const char* messageId, const std::string& what);

}  // namespace velmora
