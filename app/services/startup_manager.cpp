#include "services/startup_manager.h"

#include "com/com_types.h"
#include "errors/run_time_error.h"
#include "fs/guarded_file.h"
#include "fs/whole_file.h"
#include "handles/handles.h"
#include "services/helpers.h"
#include "services/registry.h"
#include "text/text.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <functional>

namespace tidvex::services {
namespace {

using registry::kCurrentUser;
using registry::kLocalMachine;

constexpr char kCurrentVersion[] = "Software\\Microsoft\\Windows\\CurrentVersion\\";

struct RegistryPlace {
    std::int32_t hive;
    const char* key;  // below kCurrentVersion
};

// The registry places by location; RunOnceEx keeps its entries one level down,
// in numbered sections.
RegistryPlace RegistryPlaceOf(std::int32_t location) {
    switch (location) {
        case kCurrentUserRun: return {kCurrentUser, "Run"};
        case kAllUsersRun: return {kLocalMachine, "Run"};
        case kAllUsersRunOnce: return {kLocalMachine, "RunOnce"};
        case kAllUsersRunOnceEx: return {kLocalMachine, "RunOnceEx"};
        case kAllUsersRunServices: return {kLocalMachine, "RunServices"};
        default: return {0, nullptr};
    }
}

// One entry as found, with what identifies it in its place.
struct Found {
    std::string source, name, path;
};
using Visit = std::function<void(const Found&)>;

// The named text values of one key (the unnamed default value is no entry).
void VisitValues(std::int32_t hive, const std::string& key, const Visit& visit) {
    CRegistry reg;
    reg.classkey(hive);
    reg.sectionkey(key);
    std::vector<std::string> names;
    std::int32_t count = 0;
    reg.EnumerateValues(names, count);
    for (const auto& name : names) {
        if (name.empty()) continue;
        reg.valuekey(name);
        reg.Default(registry::RegValue());
        const registry::RegValue value = reg.Value();
        if (!value.IsText()) continue;
        visit({registry::HiveName(hive) + "\\" + key + "\\" + name, name, value.Text()});
    }
}

// Every entry of a registry place, with the key that holds it.
void VisitRegistryPlace(std::int32_t location, const std::function<void(const std::string& key, const Found&)>& visit) {
    const RegistryPlace place = RegistryPlaceOf(location);
    const std::string key = std::string(kCurrentVersion) + place.key;
    if (location != kAllUsersRunOnceEx) {
        VisitValues(place.hive, key, [&](const Found& f) { visit(key, f); });
        return;
    }
    CRegistry reg;
    reg.classkey(place.hive);
    reg.sectionkey(key);
    std::vector<std::string> sections;
    std::int32_t count = 0;
    reg.EnumerateSections(sections, count);
    for (const auto& section : sections) {
        const std::string sectionKey = key + "\\" + section;
        VisitValues(place.hive, sectionKey, [&](const Found& f) { visit(sectionKey, f); });
    }
}

std::string StartupFolder(std::int32_t location) {
    char path[MAX_PATH + 1] = {};
    const int csidl = location == kCurrentUserStartupFolder ? CSIDL_STARTUP : CSIDL_COMMON_STARTUP;
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
    return path;
}

bool EndsWithNoCase(const std::string& s, const char* end) {
    const std::string e(end);
    return s.size() >= e.size() && text::EqualsNoCase(std::string_view(s).substr(s.size() - e.size()), e);
}

// What a shortcut starts: its target and arguments; the shortcut's own path
// when the shell cannot read it.
std::string ShortcutCommand(const std::string& shortcut) {
    com::ComPtr<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.PutVoid())))
        return shortcut;
    auto file = link.As<IPersistFile>(IID_IPersistFile);
    if (!file || FAILED(file->Load(com::Widen(shortcut).c_str(), STGM_READ))) return shortcut;
    char target[MAX_PATH + 1] = {};
    WIN32_FIND_DATAA data{};
    if (FAILED(link->GetPath(target, MAX_PATH, &data, SLGP_RAWPATH)) || !target[0]) return shortcut;
    char arguments[1024] = {};
    std::string command = target;
    if (SUCCEEDED(link->GetArguments(arguments, sizeof arguments)) && arguments[0]) command += std::string(" ") + arguments;
    return command;
}

// Every file of a Startup folder: a shortcut by its name without ".lnk" and
// what it starts, any other file by its name and its own path.
void VisitFolder(std::int32_t location, const Visit& visit) {
    const std::string folder = StartupFolder(location);
    if (folder.empty()) return;
    WIN32_FIND_DATAA data{};
    handles::Find find(FindFirstFileA((folder + "\\*").c_str(), &data));
    if (!find) return;
    std::vector<std::string> files;
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (text::EqualsNoCase(data.cFileName, "desktop.ini")) continue;
        files.push_back(data.cFileName);
    } while (FindNextFileA(find.Get(), &data));
    for (const auto& file : files) {
        const std::string full = folder + "\\" + file;
        if (EndsWithNoCase(file, ".lnk"))
            visit({full, file.substr(0, file.size() - 4), ShortcutCommand(full)});
        else
            visit({full, file, full});
    }
}

// ---- win.ini ----

struct IniLine {
    std::string text;  // without its line end
    std::string end;   // "\r\n", "\n" or nothing (last line)
};

std::vector<IniLine> SplitLines(const std::string& content) {
    std::vector<IniLine> lines;
    size_t at = 0;
    while (at < content.size()) {
        const size_t nl = content.find('\n', at);
        if (nl == std::string::npos) {
            lines.push_back({content.substr(at), ""});
            break;
        }
        const bool cr = nl > at && content[nl - 1] == '\r';
        lines.push_back({content.substr(at, nl - at - (cr ? 1 : 0)), cr ? "\r\n" : "\n"});
        at = nl + 1;
    }
    return lines;
}

const char* WinIniKey(std::int32_t location) { return location == kWinIniLoad ? "load" : "run"; }

// The line of [windows] that holds the location's key, and where its value starts.
bool FindWinIniLine(const std::vector<IniLine>& lines, std::int32_t location, size_t& line, size_t& valueAt) {
    bool inWindows = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string t = text::Trim(lines[i].text);
        if (!t.empty() && t.front() == '[') {
            inWindows = text::EqualsNoCase(t, "[windows]");
            continue;
        }
        if (!inWindows) continue;
        const size_t eq = lines[i].text.find('=');
        if (eq == std::string::npos || !text::EqualsNoCase(text::Trim(lines[i].text.substr(0, eq)), WinIniKey(location)))
            continue;
        line = i;
        valueAt = eq + 1;
        return true;
    }
    return false;
}

void VisitWinIni(std::int32_t location, const Visit& visit) {
    const auto content = fs::ReadWholeFile(WinIniPath());
    if (!content) return;
    const auto lines = SplitLines(*content);
    size_t line = 0, valueAt = 0;
    if (!FindWinIniLine(lines, location, line, valueAt)) return;
    for (const auto& program : WinIniPrograms(lines[line].text.substr(valueAt))) {
        const size_t slash = program.find_last_of("\\/");
        visit({"win.ini [windows] " + std::string(WinIniKey(location)), slash == std::string::npos ? program : program.substr(slash + 1),
               program});
    }
}

void RemoveFromWinIni(std::int32_t location, const std::string& path) {
    const std::string file = WinIniPath();
    const auto content = fs::ReadWholeFile(file);
    if (!content) return;
    auto lines = SplitLines(*content);
    size_t line = 0, valueAt = 0;
    if (!FindWinIniLine(lines, location, line, valueAt)) return;
    std::string value = lines[line].text.substr(valueAt);
    if (!RemoveWinIniProgram(value, path)) return;
    lines[line].text = lines[line].text.substr(0, valueAt) + value;
    std::string rewritten;
    for (const auto& l : lines) rewritten += l.text + l.end;
    fs::ReplaceFileContent(file, rewritten);
}

void VisitLocation(std::int32_t location, const Visit& visit) {
    switch (location) {
        case kCurrentUserStartupFolder:
        case kAllUsersStartupFolder: VisitFolder(location, visit); break;
        case kWinIniLoad:
        case kWinIniRun: VisitWinIni(location, visit); break;
        default: VisitRegistryPlace(location, [&](const std::string&, const Found& f) { visit(f); });
    }
}

}  // namespace

const std::array<std::string, kStartupLocations>& StartupLocationTexts() {
    static const std::array<std::string, kStartupLocations> texts = {
        "Current User(Registry Run)",       "All Users(Registry Run)",         "All Users(Registry Run Once)",
        "All Users(Registry Run Once Ex)",  "All Users(Registry Run Services)", "Current User (Start Up Folder)",
        "All Users (Start Up Folder)",      "Win.ini Load",                    "Win.ini Run",
    };
    return texts;
}

std::string WinIniPath() { return GetWindowsFolder() + "\\win.ini"; }

std::vector<std::string> WinIniPrograms(const std::string& value) {
    std::vector<std::string> programs;
    std::string current;
    for (char c : value + " ") {
        if (c == ' ' || c == ',' || c == '\t') {
            if (!current.empty()) programs.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    return programs;
}

bool RemoveWinIniProgram(std::string& value, const std::string& program) {
    auto isSep = [](char c) { return c == ' ' || c == ',' || c == '\t'; };
    // Each program's start and end.
    std::vector<std::pair<size_t, size_t>> spans;
    for (size_t i = 0; i < value.size();) {
        if (isSep(value[i])) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < value.size() && !isSep(value[end])) ++end;
        spans.push_back({i, end});
        i = end;
    }
    for (size_t k = 0; k < spans.size(); ++k) {
        const auto [start, end] = spans[k];
        if (!text::EqualsNoCase(std::string_view(value).substr(start, end - start), program)) continue;
        if (k + 1 < spans.size())
            value.erase(start, spans[k + 1].first - start);
        else if (k > 0)
            value.erase(spans[k - 1].second, end - spans[k - 1].second);
        else
            value.erase(start, end - start);
        return true;
    }
    return false;
}

std::vector<controls::GridRow> StartUp::GetStartupList() {
    std::vector<controls::GridRow> rows;
    for (std::int32_t location = 0; location < kStartupLocations; ++location) {
        VisitLocation(location, [&](const Found& f) {
            rows.push_back({f.source, "-1", f.name, StartupLocationTexts()[static_cast<size_t>(location)], f.path});
        });
    }
    return rows;
}

void StartUp::RemoveStartupItem(std::string& name, std::string& path, std::int32_t& location) {
    switch (location) {
        case kCurrentUserStartupFolder:
        case kAllUsersStartupFolder: {
            std::vector<std::string> matches;
            VisitFolder(location, [&](const Found& f) {
                if (f.name == name && f.path == path) matches.push_back(f.source);
            });
            for (const auto& file : matches) {
                // The shortcut or file itself: a link in the folder is refused, never followed.
                const fs::FileOutcome outcome = fs::DeleteFileName(file, true);
                if (outcome.Done() || outcome.refusal == fs::FileRefusal::Missing) continue;
                if (outcome.refusal == fs::FileRefusal::Link)
                    throw RunTimeError(kPermissionDenied, "Not removed: " + file + " is a link");
                throw PlatformError(outcome.error ? outcome.error : ERROR_ACCESS_DENIED);
            }
            return;
        }
        case kWinIniLoad:
        case kWinIniRun: RemoveFromWinIni(location, path); return;
        default: break;
    }
    if (!RegistryPlaceOf(location).key) return;
    std::vector<std::string> keys;
    VisitRegistryPlace(location, [&](const std::string& key, const Found& f) {
        if (f.name == name && f.path == path) keys.push_back(key);
    });
    for (const auto& key : keys) {
        CRegistry reg;
        reg.classkey(RegistryPlaceOf(location).hive);
        reg.sectionkey(key);
        reg.valuekey(name);
        if (!reg.DeleteValue(false) && reg.LastError()) throw *reg.LastError();
    }
}

}  // namespace tidvex::services
