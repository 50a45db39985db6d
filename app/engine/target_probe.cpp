#include "engine/target_probe.h"

#include "text/text.h"

#include "engine/text.h"
#include "fs/paths.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <utility>

namespace tidvex::engine {

namespace {

void ReplaceAll(std::string& text, const std::string& what, const std::string& with, bool ignoreCase) {
    if (what.empty()) return;
    const std::string needle = ignoreCase ? Lower(what) : what;
    size_t at = 0;
    for (;;) {
        const std::string hay = ignoreCase ? Lower(text) : text;
        at = hay.find(needle, at);
        if (at == std::string::npos) return;
        text.replace(at, what.size(), with);
        at += with.size();
    }
}

// No directory part at all: the platform looks such a name up in its folders.
bool IsBareName(const std::string& path) { return path.find_first_of("\\/:") == std::string::npos; }

bool HasExtension(const std::string& path) { return fs::LastComponent(path).find('.') != std::string::npos; }

// Characters no file name holds; "%" is a variable nobody defined or a
// placeholder ("%1") that only the caller fills in.
bool CannotName(const std::string& path) { return path.find_first_of("\"<>|*?%") != std::string::npos; }

bool IsInteger(const std::string& text) {
    size_t i = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    if (i >= text.size()) return false;
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(),
                       [](unsigned char c) { return std::isdigit(c); });
}

// "X:\" for a path on a lettered drive, "" for anything else (relative paths,
// shares, device paths).
std::string DriveRoot(const std::string& path) {
    std::string p = path;
    if (p.rfind("\\\\?\\", 0) == 0) p = p.substr(4);
    if (p.size() >= 3 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' && (p[2] == '\\' || p[2] == '/'))
        return p.substr(0, 2) + "\\";
    return {};
}

// A 32-bit program on 64-bit Windows sees another System folder than the one a
// 64-bit registration means; what exists in either is not missing.
Presence ProbeUnredirected(const std::string& path) {
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return Presence::Missing;
    PVOID old = nullptr;
    if (!Wow64DisableWow64FsRedirection(&old)) return Presence::Unknown;
    const DWORD attributes = GetFileAttributesW(text::Wide(path).c_str());
    Wow64RevertWow64FsRedirection(old);
    if (attributes == INVALID_FILE_ATTRIBUTES) return Presence::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Presence::Unknown : Presence::Present;
}

// `folder` tells an existing folder (Unknown) from other doubts.
Presence ProbeFileOrFolder(const std::string& path, bool& folder) {
    folder = false;
    if (path.empty() || CannotName(path)) return Presence::Unknown;
    const std::string root = DriveRoot(path);
    if (root.empty()) return Presence::Unknown;
    // An absent drive, a disc, a stick or a share says nothing about the file.
    const UINT type = GetDriveTypeW(text::Wide(root).c_str());
    if (type != DRIVE_FIXED && type != DRIVE_RAMDISK) return Presence::Unknown;
    const DWORD attributes = GetFileAttributesW(text::Wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return folder ? Presence::Unknown : Presence::Present;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return Presence::Unknown;
    return ProbeUnredirected(path);
}

// The alias whose `seen` folder holds the path, the innermost one; null for none.
const FolderAlias* AliasOf(const std::string& path, const std::vector<FolderAlias>& aliases) {
    const FolderAlias* best = nullptr;
    const std::string lower = Lower(path);
    for (const auto& alias : aliases) {
        if (alias.seen.empty()) continue;
        const std::string seen = Lower(alias.seen) + "\\";
        if (lower.rfind(seen, 0) == 0 && (!best || alias.seen.size() > best->seen.size())) best = &alias;
    }
    return best;
}

// As above, and a file missing below an aliased folder is looked for below
// the folder it stands for.
Presence ProbeFileOrFolder(const std::string& path, const ProbeFolders& folders, bool& folder) {
    Presence p = ProbeFileOrFolder(path, folder);
    if (p != Presence::Missing) return p;
    const FolderAlias* alias = AliasOf(path, folders.aliases);
    if (!alias) return p;
    if (alias->native.empty()) return Presence::Unknown;
    bool nativeFolder = false;
    p = ProbeFileOrFolder(alias->native + path.substr(alias->seen.size()), nativeFolder);
    return nativeFolder ? Presence::Unknown : p;
}

// A bare name in the given folders, then along the platform's search path;
// `defaultExtension` (".exe", ".dll") is tried for a name without one, as the
// platform does when it starts a program or loads a library.
Presence ProbeName(const std::string& name, const ProbeFolders& folders, const std::string& defaultExtension) {
    if (name.empty() || CannotName(name)) return Presence::Unknown;
    std::vector<std::string> names{name};
    if (!defaultExtension.empty() && !HasExtension(name)) names.push_back(name + defaultExtension);
    std::vector<std::string> places = folders.first;
    places.push_back(folders.systemDir);
    places.push_back(folders.windowsDir);
    bool unknown = false;
    for (const auto& place : places) {
        if (place.empty()) continue;
        for (const auto& n : names) {
            Presence p = ProbeFullPath(fs::JoinPath(place, n), folders);
            if (p == Presence::Present) return p;
            if (p == Presence::Unknown) unknown = true;
        }
    }
    wchar_t found[MAX_PATH] = {};
    const std::wstring extension = text::Wide(defaultExtension);
    DWORD length = SearchPathW(nullptr, text::Wide(name).c_str(), extension.empty() ? nullptr : extension.c_str(),
                               MAX_PATH, found, nullptr);
    // A place the code page cannot name is looked at no further.
    const std::optional<std::string> shown = text::NarrowExact(found);
    if (length > 0 && length < MAX_PATH && shown && ProbeFullPath(*shown, folders) == Presence::Present)
        return Presence::Present;
    return unknown ? Presence::Unknown : Presence::Missing;
}

// A path or a bare name, with the default extension tried where it lacks one.
// `folder` is set when a full path names an existing folder.
Presence ProbeModule(const std::string& text, const ProbeFolders& folders, const std::string& defaultExtension,
                     bool& folder) {
    folder = false;
    const std::string path = Trim(text);
    if (path.empty()) return Presence::Unknown;
    if (IsBareName(path)) return ProbeName(path, folders, defaultExtension);
    Presence p = ProbeFileOrFolder(path, folders, folder);
    if (p == Presence::Missing && !defaultExtension.empty() && !HasExtension(path)) {
        Presence withExtension = ProbeFullPath(path + defaultExtension, folders);
        if (withExtension != Presence::Missing) return withExtension;
    }
    return p;
}

// The library of "rundll32 <library>,<entry> <arguments>".
Presence ProbeRundllTarget(const std::string& arguments, const ProbeFolders& folders) {
    const std::string a = Trim(arguments);
    std::string library;
    if (!a.empty() && a[0] == '"') {
        size_t close = a.find('"', 1);
        if (close == std::string::npos) return Presence::Unknown;
        library = a.substr(1, close - 1);
    } else {
        size_t comma = a.find(',');
        library = comma == std::string::npos ? a.substr(0, a.find_first_of(" \t")) : a.substr(0, comma);
    }
    bool folder = false;
    return ProbeModule(library, folders, ".dll", folder);
}

bool IsRundll(const std::string& program) {
    const std::string name = Lower(fs::LastComponent(Trim(program)));
    return name == "rundll32.exe" || name == "rundll32";
}

// An argument can never be part of the program's path: one that opens a quote,
// a switch ("/x"), or a placeholder the shell fills in ("%1", "%*").
bool StartsArgument(const std::string& token) {
    return token[0] == '"' || token[0] == '/' || token.find('%') != std::string::npos;
}

}  // namespace

std::string ExpandPathVariables(const std::string& text, const std::string& windowsDir) {
    std::string result = text;
    ReplaceAll(result, "%Program Files%", windowsDir.substr(0, 3) + "Program Files", true);
    ReplaceAll(result, "%SystemRoot%", windowsDir, false);
    if (result.find('%') == std::string::npos) return result;
    DWORD needed = ExpandEnvironmentStringsA(result.c_str(), nullptr, 0);
    if (needed == 0) return result;
    std::string expanded(needed, '\0');
    DWORD written = ExpandEnvironmentStringsA(result.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) return result;
    return expanded.c_str();
}

Presence ProbeFullPath(const std::string& path) { return ProbeFullPath(path, ProbeFolders{}); }

Presence ProbeFullPath(const std::string& path, const ProbeFolders& folders) {
    bool folder = false;
    Presence p = ProbeFileOrFolder(path, folders, folder);
    return folder ? Presence::Unknown : p;
}

std::vector<FolderAlias> Wow64ProgramFolders(bool wow64,
                                             const std::function<std::string(const std::string&)>& environment) {
    std::vector<FolderAlias> aliases;
    if (!wow64) return aliases;
    const std::pair<const char*, const char*> pairs[] = {{"ProgramFiles", "ProgramW6432"},
                                                         {"CommonProgramFiles", "CommonProgramW6432"}};
    for (const auto& [seenName, nativeName] : pairs) {
        const std::string seen = fs::TrimTrailingSeparators(Trim(environment(seenName)));
        const std::string native = fs::TrimTrailingSeparators(Trim(environment(nativeName)));
        // Where both name one folder, nothing is redirected.
        if (seen.empty() || text::EqualsNoCase(seen, native)) continue;
        aliases.push_back({seen, native});
    }
    return aliases;
}

std::vector<FolderAlias> Wow64ProgramFolders() {
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64)) wow64 = FALSE;
    return Wow64ProgramFolders(wow64 != FALSE, [](const std::string& name) {
        char value[MAX_PATH] = {};
        const DWORD length = GetEnvironmentVariableA(name.c_str(), value, MAX_PATH);
        return length > 0 && length < MAX_PATH ? std::string(value, length) : std::string();
    });
}

Presence ProbePath(const std::string& path, const ProbeFolders& folders) {
    std::string text = Trim(path);
    if (!text.empty() && text[0] == '"') {
        size_t close = text.find('"', 1);
        if (close == std::string::npos) return Presence::Unknown;
        text = text.substr(1, close - 1);
    }
    text = Trim(ExpandPathVariables(text, folders.windowsDir));
    if (text.empty()) return Presence::Unknown;
    if (IsBareName(text)) return ProbeName(text, folders, "");
    return ProbeFullPath(text, folders);
}

Presence ProbeCommandLine(const std::string& commandLine, const ProbeFolders& folders) {
    const std::string line = Trim(ExpandPathVariables(commandLine, folders.windowsDir));
    if (line.empty()) return Presence::Unknown;

    std::string program, rest;
    if (line[0] == '"') {
        size_t close = line.find('"', 1);
        if (close == std::string::npos) return Presence::Unknown;
        program = line.substr(1, close - 1);
        rest = line.substr(close + 1);
        bool folder = false;
        Presence p = ProbeModule(program, folders, ".exe", folder);
        if (p != Presence::Present) return p;
    } else {
        // Unquoted, the program's path may hold blanks: every reading that ends
        // before a blank is a candidate, shortest first, up to the first
        // argument that cannot belong to a path.
        bool unknown = false;
        bool found = false;
        size_t end = 0;
        while (end < line.size()) {
            size_t start = line.find_first_not_of(" \t", end);
            if (start == std::string::npos) break;
            size_t stop = line.find_first_of(" \t", start);
            if (stop == std::string::npos) stop = line.size();
            if (start > 0 && StartsArgument(line.substr(start, stop - start))) break;
            end = stop;
            bool folder = false;
            Presence p = ProbeModule(line.substr(0, end), folders, ".exe", folder);
            if (p == Presence::Present) {
                program = line.substr(0, end);
                rest = line.substr(end);
                found = true;
                break;
            }
            // A folder is only a step on the way to the program, unless the
            // whole line names it.
            if (p == Presence::Unknown && (!folder || end == line.size())) unknown = true;
        }
        if (!found) return unknown ? Presence::Unknown : Presence::Missing;
    }
    if (IsRundll(program)) return ProbeRundllTarget(rest, folders);
    return Presence::Present;
}

Presence ProbeIcon(const std::string& iconReference, const ProbeFolders& folders) {
    std::string text = Trim(iconReference);
    if (text.empty()) return Presence::Unknown;
    if (text[0] != '"') {
        size_t comma = text.rfind(',');
        if (comma != std::string::npos && IsInteger(Trim(text.substr(comma + 1)))) text = text.substr(0, comma);
    }
    return ProbePath(text, folders);
}

Presence ProbeTypeLibrary(const std::string& path, const ProbeFolders& folders) {
    std::string text = Trim(path);
    if (!text.empty() && text[0] != '"') {
        size_t slash = text.find_last_of('\\');
        if (slash != std::string::npos && slash > 0 && IsInteger(text.substr(slash + 1)) &&
            std::isdigit(static_cast<unsigned char>(text[slash + 1]))) {
            Presence module = ProbePath(text.substr(0, slash), folders);
            if (module == Presence::Present) return module;
        }
    }
    return ProbePath(text, folders);
}

Presence ProbeFont(const std::string& file, const ProbeFolders& folders) {
    ProbeFolders fontFolders = folders;
    fontFolders.first.insert(fontFolders.first.begin(), folders.windowsDir + "\\Fonts");
    return ProbePath(file, fontFolders);
}

}  // namespace tidvex::engine
