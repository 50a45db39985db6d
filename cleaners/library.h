// Procedures shared by the classes of the cleaning library: folder and version
// queries, list tidying, message texts by id, INI reading and the one shred
// switch of the whole library.
#pragma once

#include "com/barrier.h"
#include "com/com_types.h"
#include "fs/protected_folders.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace velmora {

// The section of the message files, and what General.DLLName starts as.
inline constexpr char kDllName[] = "Velmora";

// The library-wide switch "shred instead of a plain delete" (-1 on, 0 off), shared
// by every object of every class while the library is loaded.
VARIANT_BOOL ShredSwitch();
void SetShredSwitch(VARIANT_BOOL on);

// s without one leading and one trailing "|" (each only when present).
std::string TrimPipes(std::string s);
// The part of s before its first NUL, or s when it has none.
std::string StripNulls(std::string_view s);

// From the platform id: -1 Win32s or unknown, 0 Windows 95/98/ME, 1 NT family, 2 CE.
long GetPlatformId();

// Folders are UTF-16 from the platform to the call that works on them: a name
// outside the code page stays itself and never becomes a look-alike of another.

// The Windows folder as the platform reports it (at most `limit` characters
// asked for; what the call returns, nothing beyond).
std::wstring WindowsDirectory(size_t limit);
// The Windows folder trimmed of blanks; "C:\WINDOWS" when the platform gives none.
std::wstring GetWindowsDir();
// A shell special folder (created when missing), or empty when it cannot be had.
std::wstring GetFolderPath(int csidl);
// GetFolderPath trimmed of blanks, without one trailing "\".
std::wstring GetSpecialFolder(int csidl);
// Blanks at both ends removed.
std::wstring TrimBlanks(std::wstring_view s);

// A folder path a cleaner may work on: a full path below a drive or share root.
// A missing shell folder gives an empty or relative path, which must never turn
// into the root of the current drive.
bool IsCleanableFolder(std::wstring_view path);
bool IsCleanableFolder(const std::string& path);

// Why a folder that a path from the registry or a profile names must not be
// emptied or removed: the path is empty, relative or a root, it has no
// canonical form (a device, an administrative share, a name no folder has, one
// the system reads as another), the folder or one on the way to it is a link,
// or it is a protected folder (fs/protected_folders.h: the folders of the
// system and of every user, the library folder and its Backups), by whatever
// letter or spelling, holds one of them or lies inside the System folder. A
// step may empty its own folder `own` (the Templates step the Templates
// folder), never another protected one. Empty when the folder may be worked
// on, and then `canonical` (when given) receives the canonical path to work
// on; a folder that does not exist may (there is nothing in it to lose).
std::string FolderRefusal(const std::wstring& path, std::wstring* canonical = nullptr,
                          tidvex::fs::OwnFolder own = tidvex::fs::OwnFolder::None);
// FolderRefusal for a step: the canonical path to work on, or nothing when the
// folder is refused, and then the refusal is written to the daily log.
std::optional<std::wstring> MayCleanFolder(const std::wstring& path,
                                           tidvex::fs::OwnFolder own = tidvex::fs::OwnFolder::None);
// The protected folders are read once for a run, when a step first asks; a
// new run reads them again.
void ForgetProtectedFolders();

// Runs the body of a member of a library class behind the barrier
// (com/barrier.h): a failure it does not handle itself reaches the caller as
// the member's failed call, from the source "Velmora" unless the error names
// its own ("Velmora.cRegistry").
template <class Body>
HRESULT Member(REFIID iid, Body&& body) {
    return tidvex::com::Barrier({&iid, kDllName}, std::forward<Body>(body));
}

// A member's out value, read behind the barrier; empty (0) when the read fails.
template <class T, class Read>
HRESULT Out(REFIID iid, T* out, Read&& read) {
    if (!out) return E_POINTER;
    *out = T{};
    return Member(iid, [&] { *out = read(); });
}

// A Boolean out value of a member: -1 or 0.
template <class Read>
HRESULT OutBool(REFIID iid, VARIANT_BOOL* out, Read&& read) {
    return Out(iid, out, [&] { return read() ? VARIANT_TRUE : VARIANT_FALSE; });
}

// A text out value of a member.
template <class Read>
HRESULT OutText(REFIID iid, BSTR* out, Read&& read) {
    return Out(iid, out, [&] { return tidvex::com::AllocBstr(read()); });
}

// INI reading as the INI class does it: the value of key in section of file, the
// empty text when any of them is missing (at most 254 characters).
std::string IniRead(const std::string& file, const std::string& section, const std::string& key);
// The same in UTF-16, for a value that names a folder.
std::wstring IniRead(const std::wstring& file, const std::wstring& section, const std::wstring& key);

// The message file chosen by the user's "Qel" language setting: "\skin\msgs.ini"
// for English, "\skin\msgsg.ini" otherwise (and when the setting is missing).
std::string MessageFile();
// The text of a message id ("msg15") from the message file; empty when missing.
std::string GetMessageText(const std::string& id);

}  // namespace velmora
