#include "services/logger.h"

#include "fs/fso.h"
#include "fs/guarded_file.h"
#include "services/program.h"

#include <windows.h>

#include <algorithm>

namespace tidvex::services {
namespace {

// The general date form of the user's regional settings: short date, then time.
std::string DateTimeText() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char date[80] = {}, time[80] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, sizeof time);
    return std::string(date) + " " + time;
}

// The number as the log writes it: 16-bit numbers as they are, wider ones
// (platform failure codes) in full rather than cut.
std::string NumberText(std::int32_t number) { return std::to_string(number); }

}  // namespace

std::wstring LogFilePath() { return AppFolder() + L"\\Log.txt"; }

bool clsLogger::On() const { return switch_ && switch_->Value() != 0; }

void clsLogger::Append(const std::string& line) {
    // Created when missing, appended to, closed again: another program may read
    // or delete the file between two calls.
    fs::AppendLine(LogFilePath(), line);
}

void clsLogger::LoggError(const RunTimeError& ErrorObject, const std::string& sMethod,
                          const std::string& AdditionalDesc) {
    const std::string description = ErrorObject.Description();
    const std::int32_t number = ErrorObject.Number();
    try {
        if (number == 0 || !On()) return;
        std::string tag(sMethod.rbegin(), sMethod.rend());
        Append("Error Number: " + NumberText(number) + ", " + "Description: " + description + " - " + AdditionalDesc +
               ", " + "Function: " + tag + " : " + "On : " + DateTimeText());
    } catch (...) {
        // The entry is lost; the caller goes on with its own handling.
    }
}

void clsLogger::LoggString(const std::string& sString) {
    try {
        if (On()) Append(sString);
    } catch (...) {
    }
}

bool clsLogger::DeleteErrorLog() {
    try {
        fs::gFSO().DeleteFile(LogFilePath(), true);
        return true;
    } catch (...) {
        LoggError(CurrentError(), "DeleteErrorLog", "");
        return false;
    }
}

clsLogger& gLogger() {
    static clsLogger logger;
    return logger;
}

}  // namespace tidvex::services
