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

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tidvex::services {

using controls::CheckBox;

// A run-time error as the handlers see it: a number and a description.
struct ErrorInfo {
    std::int32_t number = 0;
    std::string description;
};

// A failure of the program's own code with the number and text it is logged under.
class AppError : public std::runtime_error {
public:
    AppError(std::int32_t number, const std::string& description) : std::runtime_error(description), number_(number) {}
    std::int32_t Number() const { return number_; }

private:
    std::int32_t number_;
};

// The error being handled; call it only inside a catch block. Registry,
// file-system and AppError failures keep their numbers; running out of memory
// is 7 ("Out of memory"); any other failure is 5 with its own text.
ErrorInfo CurrentError();
// A platform failure code as an error: the code and the platform's text for it.
ErrorInfo PlatformError(unsigned long code);

class clsLogger {
public:
    // Appends "Error Number: <n>, Description: <text> - <extra>, Function: <tag
    // reversed> : On : <date and time>". Nothing for number 0 or while the
    // switch is off; a failure to write loses the line and nothing else.
    void LoggError(const ErrorInfo& ErrorObject, const std::string& sMethod, const std::string& AdditionalDesc = "");
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
std::string LogFilePath();

}  // namespace tidvex::services
