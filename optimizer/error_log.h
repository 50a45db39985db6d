// The library's error log: the log settings under HKEY_CURRENT_USER decide whether
// anything is written, and where: "Errors.txt" for caught errors, "Detections.txt"
// for plain lines.
#pragma once

#include "conversion.h"

#include <optional>
#include <string>
#include <string_view>

namespace quenza {

inline constexpr const char* kLogSettingsKey = "HKEY_CURRENT_USER\\Software\\Halvane\\Settings\\General Settings";
inline constexpr const char* kLogSwitchValue = "Is Save Logs";
inline constexpr const char* kLogFolderValue = "Log Files Path";

// "Is Save Logs" read as a Boolean ("True", "False", or a number, 0 being false);
// nothing when it is missing or no Boolean.
std::optional<bool> LogSwitch();

// The text as a Boolean, as a conversion of text to Boolean reads it.
std::optional<bool> TextToBool(const std::string& text);

// One line of the error log: "Error Number: 13, Description: Type mismatch - extra,
// Function: <the tag reversed> : On : <date and time>".
std::string ErrorLogLine(long number, std::string_view description, std::string_view extra, std::string_view method);

// Appends the line for error to "<folder>\Errors.txt" when the log switch is on;
// folder is "Log Files Path", or libraryFolder when that is empty. Never fails:
// whatever goes wrong, the line is lost and the caller carries on.
void WriteErrorLog(const RunTimeError& error, std::string_view method, std::string_view extra,
                   const std::string& libraryFolder);
// The same with the folder that holds the library.
void LoggError(const RunTimeError& error, std::string_view method, std::string_view extra);

// Appends text as one line of "<Log Files Path>\Detections.txt" when the log switch is on.
void LoggString(std::string_view text);

// The file that DeleteErrorLog deletes; one for each thread, empty at start.
std::string& ErrLogPath();
// Deletes the file ErrLogPath names, read-only or not. On failure the failure is
// logged under the tag "DeleteErrorLog" and the result is false.
bool DeleteErrorLog();

}  // namespace quenza
