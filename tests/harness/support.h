// Helpers for tests that run in the Wine sandbox.
#pragma once

#include <windows.h>

#include "handles/handles.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tidvex::test {

// Drive letter of a small drive the test runner mounted for this test (see the
// DRIVES option of tidvex_add_test), or nothing when it could not be mounted.
std::optional<char> TestDrive(char letter);

// A fresh, empty folder on the scratch drive S: ("S:\<name>").
std::string ScratchFolder(const std::string& name);

// Names that the system code page (1252 here) cannot hold. The code page's
// calls turn the first four into look-alikes that name other items (best
// fit: an "a" with a macron becomes "a", full-width dots and backslash
// "..\"); the last has no form there at all.
struct OutsideName {
    const wchar_t* name;
    // What the code page's calls make of the name; nullptr when that names nothing.
    const char* lookAlike;
    bool folder;
};
inline constexpr OutsideName kOutsideNames[] = {
    {L"\u0101.txt", "a.txt", false},
    {L"\u0141odz", "Lodz", true},
    {L"log-\u010d.txt", "log-c.txt", false},
    {L"\uFF0E\uFF0E\uFF3Cvictim", "..\\victim", true},
    {L"\u65E5\u672C.txt", nullptr, false},
};

void WriteFileBytes(const std::string& path, const std::string& bytes);
std::optional<std::string> ReadFileBytes(const std::string& path);
bool PathExists(const std::string& path);
// The same for a name the code page may not hold.
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::optional<std::string> ReadFileBytes(const std::wstring& path);
bool PathExists(const std::wstring& path);
// Deletes a file "to the Recycle Bin" the way Explorer does; true when the shell
// reports success.
bool DeleteToRecycleBin(const std::string& path);
// Writes a new file of `size` bytes (at least one whole marker and its line end)
// that repeats `marker`, and flushes it so that the bytes are on the device (Wine
// ignores write-through); a failure is a test failure.
void WriteMarkerToDevice(const std::string& path, const std::string& marker, size_t size);

// Writes a sparse file of `size` bytes whose first 4 KB repeat `head` and whose
// last 4 KB repeat `tail`, with a hole between (the file is made longer past
// its data, and the file system keeps no space for what was never written),
// flushed to the device. False where the file system does not keep it sparse.
bool WriteSparseFile(const std::string& path, uint64_t size, const std::string& head, const std::string& tail);

bool RegKeyExists(HKEY root, const std::string& subKey);
std::optional<std::string> RegReadString(HKEY root, const std::string& subKey, const std::string& name);
// Creates the key when missing and writes a REG_SZ value; false on failure.
bool RegWriteString(HKEY root, const std::string& subKey, const std::string& name, const std::string& text);
std::optional<DWORD> RegReadDword(HKEY root, const std::string& subKey, const std::string& name);

// The shell's Start Menu and Desktop lead into the test's own folders while
// one lives (both shell-folder keys of the user), so that what reads the
// shell's folders afterwards finds them there; or the named values of both
// keys under `root`.
class ShellFoldersIn {
public:
    ShellFoldersIn(const std::string& startMenu, const std::string& desktop);
    ShellFoldersIn(HKEY root, const std::vector<std::pair<std::string, std::string>>& folders);
    ~ShellFoldersIn();
    ShellFoldersIn(const ShellFoldersIn&) = delete;
    ShellFoldersIn& operator=(const ShellFoldersIn&) = delete;

private:
    struct Saved {
        HKEY root;
        const char* key;
        std::string name;
        std::optional<std::string> value;
    };
    std::vector<Saved> saved_;
};

// Registry links, for tests of what must never be deleted through one. A link
// target is HKEY_LOCAL_MACHINE\Software\TidvexLinkTarget\<name>, holding the
// value <value> = <name> and, unless it is a leaf, a subkey <inner> with the
// same value (a link above a history key: the target holds the history key's
// name). SeedLinkTarget returns its path below HKEY_LOCAL_MACHINE.
std::string SeedLinkTarget(const std::string& name, bool leaf, const std::string& value = "kept",
                           const std::string& inner = "inner");
// The target exactly as SeedLinkTarget left it.
bool LinkTargetIntact(const std::string& name, bool leaf, const std::string& value = "kept",
                      const std::string& inner = "inner");
// Makes root\link a registry link to HKEY_LOCAL_MACHINE\<machineKey> (which need
// not exist). False where it cannot be done.
bool MakeRegistryLink(HKEY root, const std::string& link, const std::string& machineKey);
// Whether root\link exists as a link (opened as a link, not followed).
bool RegistryLinkExists(HKEY root, const std::string& link);
// Deletes a registry link itself, leaving what it points to.
void RemoveRegistryLink(HKEY root, const std::string& link);

// The Unix path that Wine maps a Windows path to ("" when it cannot tell).
std::string UnixPathOf(const std::string& windowsPath);

// Makes `link` a Unix symbolic link to `target` (both Windows paths inside the
// sandbox), as a user's Wine set-up has them (a folder of the prefix linked to
// the home folder). No Windows call makes one under Wine: its
// CreateSymbolicLink succeeds without doing anything, and junctions are not
// supported. False where it cannot be done.
bool MakeUnixSymlink(const std::string& target, const std::string& link);
// The same with the link's own text as given: a relative target ("../a/b") or one
// that does not exist.
bool MakeUnixSymlinkText(const std::string& text, const std::string& link);
// Gives the existing file `existing` the second name `name` (a hard link).
bool MakeUnixHardLink(const std::string& existing, const std::string& name);
// Removes the name `path` itself, a link included, as the host does (a delete
// through Wine would remove a link's target).
bool RemoveUnixName(const std::string& path);

// A drive letter that leads to a folder of the test's own prefix while the
// object lives, as "subst" makes one on Windows: a link in the prefix's
// "dosdevices" folder, which Wine takes for a drive at once. Made only when
// the letter is free, and removed again when the object goes.
class SecondLetter {
public:
    SecondLetter(char letter, const std::string& folder);
    ~SecondLetter();
    SecondLetter(const SecondLetter&) = delete;
    SecondLetter& operator=(const SecondLetter&) = delete;
    bool Made() const { return !link_.empty(); }
    // "D:\" followed by `below`.
    std::string Path(const std::string& below = "") const;

private:
    void AwaitFinalPathsNaming(bool letter) const;

    char letter_;
    std::string folder_;
    std::string link_;  // the link's Unix path; empty when none was made
};

// Links of every kind planted in a folder that an operation is about to clean,
// all leading to files and a folder outside it, and a second name of a file
// outside. Check() then tells that every target kept its content byte for byte,
// that the link to nothing made nothing, and that the outside folder kept its file.
class PlantedLinks {
public:
    // Plants in `place` and keeps the targets in `outside` (a folder the
    // operation must never touch): "file-link.txt", "relative-link.txt",
    // "dangling-link.txt", "folder-link" and "hard-link.txt". `prefix` starts
    // every name (a cleaner may take only names of its own pattern); `extension`
    // replaces ".txt" of the file links. False where links cannot be made here.
    bool Plant(const std::string& place, const std::string& outside, const std::string& prefix = "",
               const std::string& extension = ".txt");
    // Adds failures for every target that changed.
    void Check() const;
    // The paths of the planted entries, in the order above.
    const std::vector<std::string>& Entries() const { return entries_; }
    std::string HardLink() const { return entries_.empty() ? "" : entries_.back(); }

private:
    std::vector<std::pair<std::string, std::string>> kept_;  // target path, its content
    std::vector<std::string> entries_;
    std::string missing_;
};

// The sandbox's Recycle Bin as the desktop's trash keeps it ("\\?\unix\...\Trash":
// the items in "files", a record of each in "info"), only when it lies inside
// this test's own prefix: a test empties no bin but its own. Nothing otherwise.
std::optional<std::string> SandboxTrashFolder();

// Links of every kind (PlantedLinks) put into the sandbox's Recycle Bin as its
// items, the way the desktop's trash keeps a deleted link, beside a plain
// deleted file.
class TrashedLinks {
public:
    // The links' targets in `outside`. False where links cannot be made, or
    // the bin is not the sandbox's own.
    bool Plant(const std::string& outside);
    // After the bin was emptied: every target kept its content, and of the
    // items only the link to a folder is left.
    void CheckEmptied() const;

private:
    PlantedLinks links_;
    std::string files_;
    std::vector<std::string> items_;  // names in "files", the folder link's last
};

// How many of an icon's pixels, drawn on white at 32 x 32, fall in each family
// of colour: enough to tell pictures apart.
struct IconColours {
    int green = 0, yellow = 0, red = 0, blue = 0, white = 0;
};
IconColours ColoursOf(HICON icon);

// Dispatches window messages until done() or the timeout; returns done().
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Starts a program with this command line; its process, or none when it
// could not start.
handles::KernelObject StartProgram(std::wstring commandLine);

// The program's exit code once it has ended, this thread dispatching its
// messages meanwhile; nothing when it did not end in time (it is killed then).
std::optional<DWORD> AwaitProgram(HANDLE process, DWORD milliseconds);

}  // namespace tidvex::test
