#include "logger.h"

#include "library.h"
#include "platform.h"

#include "fs/guarded_file.h"
#include "text/text.h"

#include <cstdio>

namespace velmora {

std::string Logger::getLogPath() { return CurrentPlatform().LibraryFolder(); }

std::string Logger::FileName(const SYSTEMTIME& day) {
    char name[64];
    std::snprintf(name, sizeof name, "%u-%u-%04u_Log.txt", day.wDay, day.wMonth, day.wYear);
    return name;
}

std::string Logger::Line(const SYSTEMTIME& when, const std::string& section, const std::string& txt) {
    char date[128] = {};
    char time[128] = {};
    int nd = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, date, sizeof date);
    int nt = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &when, nullptr, time, sizeof time);
    std::string line = "\"";
    line.append(date, nd > 0 ? nd - 1 : 0);
    line += "     ";
    line.append(time, nt > 0 ? nt - 1 : 0);
    line += "\"\t";
    line += section;
    line += txt;
    line += "\r\n";
    return line;
}

bool Logger::AddToLog(const std::string& section, const std::string& txt) {
    std::string folder = getLogPath();
    const std::wstring wide = tidvex::text::Wide(folder);
    // The file system compares the two spellings without regard to case.
    DWORD attr = GetFileAttributesW((wide + L"\\logs").c_str());
    if (attr == INVALID_FILE_ATTRIBUTES || !(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        if (!CreateDirectoryW((wide + L"\\Logs").c_str(), nullptr)) return false;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    return tidvex::fs::AppendText(folder + "\\Logs\\" + FileName(now), Line(now, section, txt));
}

void LogDeletion(const char* messageId, const std::string& what) {
    Logger::AddToLog(GetMessageText(messageId) + " ", what);
}

}  // namespace velmora
