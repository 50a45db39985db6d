#include "engine/target_probe.h"

#include "text/text.h"

#include "engine/text.h"
#include "fs/paths.h"

#include <windows.h>

#include <algorithm>
#include <utility>

namespace tidvex::engine {

namespace {

// The paths are looked at as the registry keeps them: UTF-16, whatever
// characters they hold. A code-page form would turn "Łódź" into "Lodz", a
// folder that is not there.
using WText = std::wstring;

WText LowerW(WText text) {
    if (!text.empty()) CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// Blanks (spaces) at both ends, as Trim does.
WText TrimW(const WText& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == WText::npos) return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

void ReplaceAll(WText& text, const WText& what, const WText& with, bool ignoreCase) {
    if (what.empty()) return;
    const WText needle = ignoreCase ? LowerW(what) : what;
    size_t at = 0;
    for (;;) {
        const WText hay = ignoreCase ? LowerW(text) : text;
        at = hay.find(needle, at);
        if (at == WText::npos) return;
        text.replace(at, what.size(), with);
        at += with.size();
    }
}

// The text after the last "\" or "/" of the path without its closing ones.
WText LastComponentW(const WText& path) {
    const WText trimmed = fs::TrimTrailingSeparators(path);
    const size_t slash = trimmed.find_last_of(L"\\/");
    return slash == WText::npos ? trimmed : trimmed.substr(slash + 1);
}

// No directory part at all: the platform looks such a name up in its folders.
bool IsBareName(const WText& path) { return path.find_first_of(L"\\/:") == WText::npos; }

bool HasExtension(const WText& path) { return LastComponentW(path).find(L'.') != WText::npos; }

// Characters no file name holds; "%" is a variable nobody defined or a
// placeholder ("%1") that only the caller fills in.
bool CannotName(const WText& path) { return path.find_first_of(L"\"<>|*?%") != WText::npos; }

bool IsInteger(const WText& text) {
    size_t i = (!text.empty() && (text[0] == L'-' || text[0] == L'+')) ? 1 : 0;
    if (i >= text.size()) return false;
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(i), text.end(),
                       [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// "X:\" for a path on a lettered drive, "" for anything else (relative paths,
// shares, device paths).
WText DriveRoot(const WText& path) {
    WText p = path;
    if (p.rfind(L"\\\\?\\", 0) == 0) p = p.substr(4);
    if (p.size() >= 3 && IsLetter(p[0]) && p[1] == L':' && (p[2] == L'\\' || p[2] == L'/')) return p.substr(0, 2) + L"\\";
    return {};
}

// A 32-bit program on 64-bit Windows sees another System folder than the one a
// 64-bit registration means; what exists in either is not missing.
Presence ProbeUnredirected(const WText& path) {
    BOOL wow64 = FALSE;
    if (!IsWow64Process(GetCurrentProcess(), &wow64) || !wow64) return Presence::Missing;
    PVOID old = nullptr;
    if (!Wow64DisableWow64FsRedirection(&old)) return Presence::Unknown;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    Wow64RevertWow64FsRedirection(old);
    if (attributes == INVALID_FILE_ATTRIBUTES) return Presence::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? Presence::Unknown : Presence::Present;
}

// `folder` tells an existing folder (Unknown) from other doubts.
Presence ProbeFileOrFolder(const WText& path, bool& folder) {
    folder = false;
    if (path.empty() || CannotName(path)) return Presence::Unknown;
    const WText root = DriveRoot(path);
    if (root.empty()) return Presence::Unknown;
    // An absent drive, a disc, a stick or a share says nothing about the file.
    const UINT type = GetDriveTypeW(root.c_str());
    if (type != DRIVE_FIXED && type != DRIVE_RAMDISK) return Presence::Unknown;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return folder ? Presence::Unknown : Presence::Present;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return Presence::Unknown;
    return ProbeUnredirected(path);
}

// The alias whose `seen` folder holds the path, the innermost one; null for none.
const FolderAlias* AliasOf(const WText& path, const std::vector<FolderAlias>& aliases) {
    const FolderAlias* best = nullptr;
    const WText lower = LowerW(path);
    for (const auto& alias : aliases) {
        if (alias.seen.empty()) continue;
        const WText seen = LowerW(text::Wide(alias.seen)) + L"\\";
        if (lower.rfind(seen, 0) == 0 && (!best || alias.seen.size() > best->seen.size())) best = &alias;
    }
    return best;
}

// As above, and a file missing below an aliased folder is looked for below
// the folder it stands for.
Presence ProbeFileOrFolder(const WText& path, const ProbeFolders& folders, bool& folder) {
    Presence p = ProbeFileOrFolder(path, folder);
    if (p != Presence::Missing) return p;
    const FolderAlias* alias = AliasOf(path, folders.aliases);
    if (!alias) return p;
    if (alias->native.empty()) return Presence::Unknown;
    bool nativeFolder = false;
    p = ProbeFileOrFolder(text::Wide(alias->native) + path.substr(text::Wide(alias->seen).size()), nativeFolder);
    return nativeFolder ? Presence::Unknown : p;
}

Presence ProbeFullPathW(const WText& path, const ProbeFolders& folders) {
    bool folder = false;
    Presence p = ProbeFileOrFolder(path, folders, folder);
    return folder ? Presence::Unknown : p;
}

// A bare name in the given folders, then along the platform's search path;
// `defaultExtension` (".exe", ".dll") is tried for a name without one, as the
// platform does when it starts a program or loads a library.
Presence ProbeName(const WText& name, const ProbeFolders& folders, const WText& defaultExtension) {
    if (name.empty() || CannotName(name)) return Presence::Unknown;
    std::vector<WText> names{name};
    if (!defaultExtension.empty() && !HasExtension(name)) names.push_back(name + defaultExtension);
    std::vector<std::string> places = folders.first;
    places.push_back(folders.systemDir);
    places.push_back(folders.windowsDir);
    bool unknown = false;
    for (const auto& place : places) {
        if (place.empty()) continue;
        for (const auto& n : names) {
            Presence p = ProbeFullPathW(fs::JoinPath(text::Wide(place), n), folders);
            if (p == Presence::Present) return p;
            if (p == Presence::Unknown) unknown = true;
        }
    }
    wchar_t found[MAX_PATH] = {};
    DWORD length = SearchPathW(nullptr, name.c_str(), defaultExtension.empty() ? nullptr : defaultExtension.c_str(),
                               MAX_PATH, found, nullptr);
    if (length > 0 && length < MAX_PATH && ProbeFullPathW(found, folders) == Presence::Present) return Presence::Present;
    return unknown ? Presence::Unknown : Presence::Missing;
}

// A path or a bare name, with the default extension tried where it lacks one.
// `folder` is set when a full path names an existing folder.
Presence ProbeModule(const WText& text, const ProbeFolders& folders, const WText& defaultExtension, bool& folder) {
    folder = false;
    const WText path = TrimW(text);
    if (path.empty()) return Presence::Unknown;
    if (IsBareName(path)) return ProbeName(path, folders, defaultExtension);
    Presence p = ProbeFileOrFolder(path, folders, folder);
    if (p == Presence::Missing && !defaultExtension.empty() && !HasExtension(path)) {
        Presence withExtension = ProbeFullPathW(path + defaultExtension, folders);
        if (withExtension != Presence::Missing) return withExtension;
    }
    return p;
}

// The library of "rundll32 <library>,<entry> <arguments>".
Presence ProbeRundllTarget(const WText& arguments, const ProbeFolders& folders) {
    const WText a = TrimW(arguments);
    WText library;
    if (!a.empty() && a[0] == L'"') {
        size_t close = a.find(L'"', 1);
        if (close == WText::npos) return Presence::Unknown;
        library = a.substr(1, close - 1);
    } else {
        size_t comma = a.find(L',');
        library = comma == WText::npos ? a.substr(0, a.find_first_of(L" \t")) : a.substr(0, comma);
    }
    bool folder = false;
    return ProbeModule(library, folders, L".dll", folder);
}

bool IsRundll(const WText& program) {
    const WText name = LowerW(LastComponentW(TrimW(program)));
    return name == L"rundll32.exe" || name == L"rundll32";
}

// An argument can never be part of the program's path: one that opens a quote,
// a switch ("/x"), or a placeholder the shell fills in ("%1", "%*").
bool StartsArgument(const WText& token) {
    return token[0] == L'"' || token[0] == L'/' || token.find(L'%') != WText::npos;
}

// The text inside its surrounding quotes, with its variables expanded;
// nothing for an unclosed quote.
std::optional<WText> Unquoted(const WText& path, const std::string& windowsDir) {
    WText text = TrimW(path);
    if (!text.empty() && text[0] == L'"') {
        size_t close = text.find(L'"', 1);
        if (close == WText::npos) return std::nullopt;
        text = text.substr(1, close - 1);
    }
    return TrimW(ExpandPathVariables(text, windowsDir));
}

// A plain path, or a bare name looked up as the platform does; a module
// (`defaultExtension` not empty) is also tried with that extension.
Presence ProbePathAs(const WText& path, const ProbeFolders& folders, const WText& defaultExtension) {
    const std::optional<WText> text = Unquoted(path, folders.windowsDir);
    if (!text || text->empty()) return Presence::Unknown;
    bool folder = false;
    const Presence p = ProbeModule(*text, folders, defaultExtension, folder);
    return folder ? Presence::Unknown : p;
}

}  // namespace

std::wstring ExpandPathVariables(const std::wstring& text, const std::string& windowsDir) {
    std::wstring result = text;
    const std::wstring windows = text::Wide(windowsDir);
    ReplaceAll(result, L"%Program Files%", windows.substr(0, 3) + L"Program Files", true);
    ReplaceAll(result, L"%SystemRoot%", windows, false);
    if (result.find(L'%') == std::wstring::npos) return result;
    DWORD needed = ExpandEnvironmentStringsW(result.c_str(), nullptr, 0);
    if (needed == 0) return result;
    std::wstring expanded(needed, L'\0');
    DWORD written = ExpandEnvironmentStringsW(result.c_str(), expanded.data(), needed);
    if (written == 0 || written > needed) return result;
    expanded.resize(written - 1);
    return expanded;
}

std::string ExpandPathVariables(const std::string& text, const std::string& windowsDir) {
    return text::Narrow(ExpandPathVariables(text::Wide(text), windowsDir));
}

Presence ProbeFullPath(const std::string& path) { return ProbeFullPath(path, ProbeFolders{}); }

Presence ProbeFullPath(const std::string& path, const ProbeFolders& folders) {
    return ProbeFullPathW(text::Wide(path), folders);
}

Presence ProbeFullPath(const std::wstring& path, const ProbeFolders& folders) { return ProbeFullPathW(path, folders); }

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
    // A folder the code page cannot hold exactly is no alias: its best-fit
    // spelling would lead to another folder.
    return Wow64ProgramFolders(wow64 != FALSE, [](const std::string& name) {
        wchar_t value[MAX_PATH] = {};
        const DWORD length = GetEnvironmentVariableW(text::Wide(name).c_str(), value, MAX_PATH);
        if (length == 0 || length >= MAX_PATH) return std::string();
        return text::NarrowExact(std::wstring_view(value, length)).value_or(std::string());
    });
}

Presence ProbePath(const std::wstring& path, const ProbeFolders& folders) { return ProbePathAs(path, folders, L""); }

Presence ProbePath(const std::string& path, const ProbeFolders& folders) {
    return ProbePath(text::Wide(path), folders);
}

Presence ProbeLibrary(const std::wstring& path, const ProbeFolders& folders) {
    return ProbePathAs(path, folders, L".dll");
}

Presence ProbeCommandLine(const std::wstring& commandLine, const ProbeFolders& folders) {
    const WText line = TrimW(ExpandPathVariables(commandLine, folders.windowsDir));
    if (line.empty()) return Presence::Unknown;

    WText program, rest;
    if (line[0] == L'"') {
        size_t close = line.find(L'"', 1);
        if (close == WText::npos) return Presence::Unknown;
        program = line.substr(1, close - 1);
        rest = line.substr(close + 1);
        bool folder = false;
        Presence p = ProbeModule(program, folders, L".exe", folder);
        if (p != Presence::Present) return p;
    } else {
        // Unquoted, the program's path may hold blanks: every reading that ends
        // before a blank is a candidate, shortest first, up to the first
        // argument that cannot belong to a path.
        bool unknown = false;
        bool found = false;
        size_t end = 0;
        while (end < line.size()) {
            size_t start = line.find_first_not_of(L" \t", end);
            if (start == WText::npos) break;
            size_t stop = line.find_first_of(L" \t", start);
            if (stop == WText::npos) stop = line.size();
            if (start > 0 && StartsArgument(line.substr(start, stop - start))) break;
            end = stop;
            bool folder = false;
            Presence p = ProbeModule(line.substr(0, end), folders, L".exe", folder);
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

Presence ProbeCommandLine(const std::string& commandLine, const ProbeFolders& folders) {
    return ProbeCommandLine(text::Wide(commandLine), folders);
}

Presence ProbeIcon(const std::wstring& iconReference, const ProbeFolders& folders) {
    WText text = TrimW(iconReference);
    if (text.empty()) return Presence::Unknown;
    if (text[0] != L'"') {
        size_t comma = text.rfind(L',');
        if (comma != WText::npos && IsInteger(TrimW(text.substr(comma + 1)))) text = text.substr(0, comma);
    }
    return ProbePath(text, folders);
}

Presence ProbeIcon(const std::string& iconReference, const ProbeFolders& folders) {
    return ProbeIcon(text::Wide(iconReference), folders);
}

Presence ProbeTypeLibrary(const std::wstring& path, const ProbeFolders& folders) {
    WText text = TrimW(path);
    if (!text.empty() && text[0] != L'"') {
        size_t slash = text.find_last_of(L'\\');
        if (slash != WText::npos && slash > 0 && IsInteger(text.substr(slash + 1)) && slash + 1 < text.size() &&
            text[slash + 1] >= L'0' && text[slash + 1] <= L'9') {
            Presence module = ProbePath(text.substr(0, slash), folders);
            if (module == Presence::Present) return module;
        }
    }
    return ProbePath(text, folders);
}

Presence ProbeTypeLibrary(const std::string& path, const ProbeFolders& folders) {
    return ProbeTypeLibrary(text::Wide(path), folders);
}

Presence ProbeFont(const std::wstring& file, const ProbeFolders& folders) {
    ProbeFolders fontFolders = folders;
    fontFolders.first.insert(fontFolders.first.begin(), folders.windowsDir + "\\Fonts");
    return ProbePath(file, fontFolders);
}

Presence ProbeFont(const std::string& file, const ProbeFolders& folders) {
    return ProbeFont(text::Wide(file), folders);
}

}  // namespace tidvex::engine
