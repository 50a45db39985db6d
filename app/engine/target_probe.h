// Whether the file that a registry entry or a shortcut names is still there.
//
// The cleaners delete an entry only when its file is surely gone, so every
// question here has three answers: the file is there, it is surely missing, or
// that cannot be told (a drive that is absent, removable or on the network; a
// folder where a file was expected; a variable or placeholder such as "%1" in
// the path; a relative path; a name that cannot be a file). Only Missing lets a
// cleaner delete.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace tidvex::engine {

enum class Presence { Present, Missing, Unknown };

// A folder that a 32-bit program on 64-bit Windows sees in place of the one a
// 64-bit program means: there "%ProgramFiles%" expands to "C:\Program Files (x86)",
// while a 64-bit program's registration written as "%ProgramFiles%\..." lies
// below "C:\Program Files".
struct FolderAlias {
    std::string seen;    // the folder this process's variable gives, without a closing "\"
    std::string native;  // the 64-bit program's folder; empty when it cannot be told
};

// The folders a bare file name ("ole32.dll", "ding.wav") is looked up in.
struct ProbeFolders {
    std::string windowsDir;  // without a closing "\"
    std::string systemDir;   // without a closing "\"
    // Looked in before the System and Windows folders (the Fonts or Media folder).
    std::vector<std::string> first{};
    // A file missing below a `seen` folder is looked for below its `native`
    // one; when that folder cannot be told, the file cannot be either.
    std::vector<FolderAlias> aliases{};
};

// The program folders of a 32-bit process on 64-bit Windows: %ProgramFiles% and
// %CommonProgramFiles% with %ProgramW6432% and %CommonProgramW6432%. None for
// any other process. `environment` gives a variable's value, empty when unset.
std::vector<FolderAlias> Wow64ProgramFolders(bool wow64,
                                             const std::function<std::string(const std::string&)>& environment);
// The same for this process.
std::vector<FolderAlias> Wow64ProgramFolders();

// Each question takes the text as the registry keeps it (UTF-16, names outside
// the code page included) or as code-page text.

// Environment variables expanded, "%Program Files%" taken as the Windows
// drive's "Program Files" folder.
std::wstring ExpandPathVariables(const std::wstring& text, const std::string& windowsDir);
std::string ExpandPathVariables(const std::string& text, const std::string& windowsDir);

// A full path as it stands (no quotes, no variables left to expand).
Presence ProbeFullPath(const std::string& path);
// The same, with the folder aliases of `folders` tried for a missing file.
Presence ProbeFullPath(const std::string& path, const ProbeFolders& folders);
Presence ProbeFullPath(const std::wstring& path, const ProbeFolders& folders);

// A plain path: surrounding quotes dropped, variables expanded; a bare name is
// looked up in the given folders and along the search path.
Presence ProbePath(const std::string& path, const ProbeFolders& folders);
Presence ProbePath(const std::wstring& path, const ProbeFolders& folders);

// A library as the platform loads it (a COM server, a rundll32 target): as a
// plain path, and when its name has no extension also with ".dll" added
// ("%SystemRoot%\system32\shell32", "ole32", "\"C:\Program Files\App\server\"").
Presence ProbeLibrary(const std::wstring& path, const ProbeFolders& folders);

// A command line: the program it runs, whether quoted or not (for an unquoted
// one every reading up to an argument is tried, as the platform does when it
// starts it), bare program names resolved like the platform's search, and for a
// rundll32 line the library it loads instead.
Presence ProbeCommandLine(const std::string& commandLine, const ProbeFolders& folders);
Presence ProbeCommandLine(const std::wstring& commandLine, const ProbeFolders& folders);

// An icon reference: "file", "file,index", "\"file\",index"; "%1" (the
// document's own icon) cannot be told.
Presence ProbeIcon(const std::string& iconReference, const ProbeFolders& folders);
Presence ProbeIcon(const std::wstring& iconReference, const ProbeFolders& folders);

// A type library's path, which may end in "\<resource number>" for the n-th
// type library inside a module.
Presence ProbeTypeLibrary(const std::string& path, const ProbeFolders& folders);
Presence ProbeTypeLibrary(const std::wstring& path, const ProbeFolders& folders);

// A font file: a bare name lies in the Fonts folder.
Presence ProbeFont(const std::string& file, const ProbeFolders& folders);
Presence ProbeFont(const std::wstring& file, const ProbeFolders& folders);

}  // namespace tidvex::engine
