#include "error_log.h"

#include "modreg.h"

#include "com/server.h"
#include "fs/guarded_file.h"
#include "text/text.h"

namespace quenza {

namespace {

// Reading the log settings goes through the registry helpers, whose own error
// handlers log: a failure while logging must not log again.
thread_local bool tInLogger = false;

class LoggerGuard {
public:
    LoggerGuard() : entered_(!tInLogger) { tInLogger = true; }
    ~LoggerGuard() {
        if (entered_) tInLogger = false;
    }
    bool Entered() const { return entered_; }

private:
    bool entered_;
};

std::string ReadLogSetting(const char* name) {
    std::string path = kLogSettingsKey;
    DWORD type = 0;
    return GetKeyValue(path, name, type);
}

std::string Now() {
    char date[128] = {};
    char time[128] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, time, sizeof time);
    return std::string(date) + " " + time;
}

RunTimeError FileError(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND: return RunTimeError::Of(tidvex::kFileNotFound);
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME: return RunTimeError::Of(tidvex::kPathNotFound);
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION: return RunTimeError::Of(tidvex::kPermissionDenied);
        default: return RunTimeError::Of(tidvex::kPathFileAccess);
    }
}

}  // namespace

std::optional<bool> TextToBool(const std::string& text) {
    const std::string t = tidvex::text::Trim(text);
    const std::string lower = tidvex::text::Lower(t);
    if (lower == "true") return true;
    if (lower == "false") return false;
    try {
        return ToLong(t) != 0;
    } catch (const RunTimeError&) {
        return std::nullopt;
    }
}

std::optional<bool> LogSwitch() { return TextToBool(ReadLogSetting(kLogSwitchValue)); }

std::string ErrorLogLine(long number, std::string_view description, std::string_view extra, std::string_view method) {
    std::string reversed(method.rbegin(), method.rend());
    std::string line = "Error Number: " + std::to_string(number) + ", Description: ";
    line.append(description);
    line += " - ";
    line.append(extra);
    line += ", Function: " + reversed + " : On : " + Now();
    return line;
}

void WriteErrorLog(const RunTimeError& error, std::string_view method, std::string_view extra,
                   const std::string& libraryFolder) {
    LoggerGuard guard;
    if (!guard.Entered()) return;
    try {
        if (error.Number() == 0) return;
        if (LogSwitch() != true) return;
        std::string folder = ReadLogSetting(kLogFolderValue);
        if (folder.empty()) folder = libraryFolder;
        tidvex::fs::AppendLine(folder + "\\Errors.txt",
                               ErrorLogLine(error.Number(), error.Description(), extra, method));
    } catch (...) {
        // The entry is lost; the caller's own error handling goes on.
    }
}

void LoggError(const RunTimeError& error, std::string_view method, std::string_view extra) {
    WriteErrorLog(error, method, extra, tidvex::com::Module::Instance().Folder());
}

void LoggString(std::string_view text) {
    LoggerGuard guard;
    if (!guard.Entered()) return;
    try {
        if (LogSwitch() != true) return;
        tidvex::fs::AppendLine(ReadLogSetting(kLogFolderValue) + "\\Detections.txt", text);
    } catch (...) {
    }
}

std::string& ErrLogPath() {
    thread_local std::string path;
    return path;
}

bool DeleteErrorLog() {
    // A link is refused like a file that may not be deleted; what it leads to stays.
    const tidvex::fs::FileOutcome outcome = tidvex::fs::DeleteFileName(ErrLogPath(), true);
    if (outcome.Done()) return true;
    LoggError(FileError(outcome.refusal == tidvex::fs::FileRefusal::Link ? ERROR_ACCESS_DENIED : outcome.error),
              "DeleteErrorLog", "");
    return false;
}

}  // namespace quenza
