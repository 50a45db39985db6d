#include "services/startup_manager.h"

#include "com/com_types.h"
#include "errors/run_time_error.h"
#include "fs/canonical.h"
#include "fs/guarded_file.h"
#include "fs/protected_folders.h"
#include "fs/whole_file.h"
#include "handles/handles.h"
#include "services/helpers.h"
#include "services/program.h"
#include "services/registry.h"
#include "fs/paths.h"
#include "registry/wide_values.h"
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

// One entry as found, in UTF-16 as the place keeps it: what identifies it there
// (its full path or registry path, its value name or file name), what the list
// shows as its name, and the command that starts. `alias` is a second name the
// entry answers to (a shortcut's own file name), empty when none.
struct Found {
    std::wstring source, name, path, alias{};
    std::wstring valueName{};  // a registry entry's value
    std::wstring key{};        // the key that holds it
};
using Visit = std::function<void(const Found&)>;

// The text of a start-up value, environment variables expanded; nothing for
// data that is no text.
std::optional<std::wstring> StartupText(std::int32_t hive, const std::wstring& key, const std::wstring& name) {
    const auto raw = registry::ReadWideRaw(registry::HiveHandle(hive), key, name);
    if (!raw || !(raw->type == REG_SZ || raw->type == REG_EXPAND_SZ)) return std::nullopt;
    return registry::ReadWideText(registry::HiveHandle(hive), key, name);
}

// The named text values of one key (the unnamed default value is no entry),
// whatever characters their names hold.
void VisitValues(std::int32_t hive, const std::wstring& key, const Visit& visit) {
    for (const std::wstring& name : registry::WideValueNames(registry::HiveHandle(hive), key)) {
        if (name.empty()) continue;
        const auto value = StartupText(hive, key, name);
        if (!value) continue;
        visit({text::Wide(registry::HiveName(hive)) + L"\\" + key + L"\\" + name, name, *value, {}, name, key});
    }
}

// Every entry of a registry place.
void VisitRegistryPlace(std::int32_t location, const Visit& visit) {
    const RegistryPlace place = RegistryPlaceOf(location);
    const std::wstring key = text::Wide(std::string(kCurrentVersion) + place.key);
    if (location != kAllUsersRunOnceEx) {
        VisitValues(place.hive, key, visit);
        return;
    }
    for (const std::wstring& section : registry::WideSubkeyNames(registry::HiveHandle(place.hive), key))
        VisitValues(place.hive, key + L"\\" + section, visit);
}

// The location's Startup folder, only when it is that folder: one that the
// shell's value leads to another folder of the user or the system (Documents)
// holds no start-up entries.
std::wstring StartupFolder(std::int32_t location) {
    wchar_t path[MAX_PATH + 1] = {};
    const bool user = location == kCurrentUserStartupFolder;
    if (FAILED(SHGetFolderPathW(nullptr, user ? CSIDL_STARTUP : CSIDL_COMMON_STARTUP, nullptr, SHGFP_TYPE_CURRENT,
                                path)))
        return {};
    const fs::CanonicalPath folder = fs::Canonical(std::wstring_view(path));
    if (!folder) return {};
    const fs::OwnFolder own = user ? fs::OwnFolder::Startup : fs::OwnFolder::CommonStartup;
    if (fs::ProtectedFolders::Read({AppFolder()}).Refusing(folder.path, own)) return {};
    return folder.path;
}

bool EndsWithNoCase(const std::wstring& s, std::wstring_view end) {
    return s.size() >= end.size() && text::EqualsNoCase(std::wstring_view(s).substr(s.size() - end.size()), end);
}

// What a shortcut starts: its target and arguments; the shortcut's own path
// when the shell cannot read it.
std::wstring ShortcutCommand(const std::wstring& shortcut) {
    com::ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid())))
        return shortcut;
    auto file = link.As<IPersistFile>(IID_IPersistFile);
    if (!file || FAILED(file->Load(shortcut.c_str(), STGM_READ))) return shortcut;
    wchar_t target[MAX_PATH + 1] = {};
    WIN32_FIND_DATAW data{};
    if (FAILED(link->GetPath(target, MAX_PATH, &data, SLGP_RAWPATH)) || !target[0]) return shortcut;
    wchar_t arguments[1024] = {};
    std::wstring command = target;
    if (SUCCEEDED(link->GetArguments(arguments, ARRAYSIZE(arguments))) && arguments[0])
        command += std::wstring(L" ") + arguments;
    return command;
}

// Every file of a Startup folder: a shortcut by its name without ".lnk" and
// what it starts, any other file by its name and its own path. A shortcut that
// would show exactly as a file beside it (a file "A" and a shortcut "A.lnk"
// to it) shows by its whole name, so that each row names one entry.
void VisitFolder(std::int32_t location, const Visit& visit) {
    const std::wstring folder = StartupFolder(location);
    if (folder.empty()) return;
    const auto entries = fs::ListFolder(folder);
    if (!entries) return;
    std::vector<Found> found;
    for (const auto& entry : *entries) {
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (text::EqualsNoCase(entry.name, L"desktop.ini")) continue;
        const std::wstring full = folder + L"\\" + entry.name;
        if (EndsWithNoCase(entry.name, L".lnk"))
            found.push_back({full, entry.name.substr(0, entry.name.size() - 4), ShortcutCommand(full), entry.name});
        else
            found.push_back({full, entry.name, full});
    }
    for (Found& f : found) {
        if (f.alias.empty()) continue;
        for (const Found& other : found) {
            if (&other != &f && other.alias.empty() && other.name == f.name && other.path == f.path) f.name = f.alias;
        }
    }
    for (const Found& f : found) visit(f);
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

// win.ini is text in the code page: its programs are read as such.
void VisitWinIni(std::int32_t location, const Visit& visit) {
    const auto content = fs::ReadWholeFile(WinIniPath());
    if (!content) return;
    const auto lines = SplitLines(*content);
    size_t line = 0, valueAt = 0;
    if (!FindWinIniLine(lines, location, line, valueAt)) return;
    for (const auto& program : WinIniPrograms(lines[line].text.substr(valueAt))) {
        const size_t slash = program.find_last_of("\\/");
        visit({text::Wide("win.ini [windows] " + std::string(WinIniKey(location))),
               text::Wide(slash == std::string::npos ? program : program.substr(slash + 1)), text::Wide(program)});
    }
}

// False when the line does not name the program (any more).
bool RemoveFromWinIni(std::int32_t location, const std::wstring& program) {
    // win.ini holds code-page text: a program it names has an exact code-page form.
    const std::optional<std::string> path = text::NarrowExact(program);
    if (!path) return false;
    const std::string file = WinIniPath();
    const auto content = fs::ReadWholeFile(file);
    if (!content) return false;
    auto lines = SplitLines(*content);
    size_t line = 0, valueAt = 0;
    if (!FindWinIniLine(lines, location, line, valueAt)) return false;
    std::string value = lines[line].text.substr(valueAt);
    if (!RemoveWinIniProgram(value, *path)) return false;
    lines[line].text = lines[line].text.substr(0, valueAt) + value;
    std::string rewritten;
    for (const auto& l : lines) rewritten += l.text + l.end;
    fs::ReplaceFileContent(file, rewritten);
    return true;
}

void VisitLocation(std::int32_t location, const Visit& visit) {
    switch (location) {
        case kCurrentUserStartupFolder:
        case kAllUsersStartupFolder: VisitFolder(location, visit); break;
        case kWinIniLoad:
        case kWinIniRun: VisitWinIni(location, visit); break;
        default: VisitRegistryPlace(location, visit);
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
            rows.push_back({f.source, L"-1", f.name, text::Wide(StartupLocationTexts()[static_cast<size_t>(location)]),
                            f.path});
        });
    }
    return rows;
}

namespace {

// The entry a row shows: its name and command exactly as the list gave them,
// at its location, found afresh. Exactly one entry, or a failure: none means
// it is no longer there, several that the row cannot tell which.
Found EntryOfRow(const std::wstring& name, const std::wstring& path, std::int32_t location) {
    std::vector<Found> matches;
    VisitLocation(location, [&](const Found& f) {
        if ((f.name == name || (!f.alias.empty() && f.alias == name)) && f.path == path) matches.push_back(f);
    });
    if (matches.size() == 1) return matches.front();
    const std::string where = StartupLocationTexts()[static_cast<size_t>(location)];
    if (matches.empty())
        throw RunTimeError(kFileNotFound, "Not removed: " + text::ForLog(name) + " is no longer at " + where);
    throw RunTimeError(kPermissionDenied,
                       "Not removed: more than one entry at " + where + " shows as " + text::ForLog(name));
}

}  // namespace

void StartUp::RemoveStartupItem(std::wstring& name, std::wstring& path, std::int32_t& location) {
    if (location < 0 || location >= kStartupLocations)
        throw RunTimeError(kInvalidArgument, "Not removed: " + text::ForLog(name) + " has no start-up location");
    const Found entry = EntryOfRow(name, path, location);
    switch (location) {
        case kCurrentUserStartupFolder:
        case kAllUsersStartupFolder: {
            // The shortcut or file itself: a link in the folder is refused, never
            // followed, and so is a name the system would read as another file.
            const fs::CanonicalPath file = fs::Canonical(entry.source);
            if (!file)
                throw RunTimeError(kPermissionDenied, "Not removed: " + text::ForLog(entry.source) + " is " +
                                                          fs::RefusalText(file.refusal));
            const fs::FileOutcome outcome = fs::DeleteFileName(file.path, true);
            if (outcome.Done()) break;
            if (outcome.refusal == fs::FileRefusal::Link)
                throw RunTimeError(kPermissionDenied, "Not removed: " + text::ForLog(entry.source) + " is a link");
            if (outcome.refusal == fs::FileRefusal::Missing)
                throw RunTimeError(kFileNotFound, "Not removed: " + text::ForLog(entry.source) + " is gone");
            throw PlatformError(outcome.error ? outcome.error : ERROR_ACCESS_DENIED);
        }
        case kWinIniLoad:
        case kWinIniRun:
            if (!RemoveFromWinIni(location, path))
                throw RunTimeError(kFileNotFound, "Not removed: " + text::ForLog(path) + " is no longer in win.ini");
            break;
        default: {
            // Exactly the value listed, every key from the hive down opened as itself.
            const LONG rc = registry::DeleteWideValue(registry::HiveHandle(RegistryPlaceOf(location).hive), entry.key,
                                                      entry.valueName);
            if (rc == registry::kLinkOnTheWay)
                throw RunTimeError(kPermissionDenied, "Not removed: a registry link on the way to " + text::ForLog(name));
            if (rc != ERROR_SUCCESS) throw PlatformError(static_cast<unsigned long>(rc));
        }
    }
    // A removal that left the entry where it was is no removal.
    bool stays = false;
    VisitLocation(location, [&](const Found& f) { stays = stays || (f.source == entry.source && f.path == entry.path); });
    if (stays) throw RunTimeError(kPermissionDenied, "Not removed: " + text::ForLog(name) + " is still at its place");
}

}  // namespace tidvex::services
