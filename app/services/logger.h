// The program's event log: "Log.txt" in the program folder, one line per
// run-time error that an error handler caught, written only while the options
// page's "Log errors and events to text file (Log.txt)" box is checked.
//
// An error handler of the program looks like this:
//
//     try { ... } catch (...) {
//         gLogger().LoggError(CurrentError(), "StartClean@clsCleanSession");
//         return false;
//     }
#pragma once

#include "controls/controls.h"
#include "errors/run_time_error.h"

#include <cstdint>
#include <string>

namespace tidvex::services {

using controls::CheckBox;

class clsLogger {
public:
    // Appends "Error Number: <n>, Description: <text> - <extra>, Function: <tag
    // reversed> : On : <date and time>". Nothing for number 0 or while the
    // switch is off; a failure to write loses the line and nothing else.
    void LoggError(const RunTimeError& ErrorObject, const std::string& sMethod, const std::string& AdditionalDesc = "");
    // Appends sString as one line, under the same switch.
    void LoggString(const std::string& sString);
    // Deletes the log file, read-only or not; a failure is itself logged.
    bool DeleteErrorLog();

    // The check box the switch is read from at every call; none means off.
    void SetSwitch(const CheckBox* box) { switch_ = box; }

private:
    bool On() const;
    void Append(const std::string& line);

    const CheckBox* switch_ = nullptr;
};

// The program's one event log, created on first use.
clsLogger& gLogger();

// "Log.txt" in the program folder.
std::wstring LogFilePath();

}  // namespace tidvex::services
