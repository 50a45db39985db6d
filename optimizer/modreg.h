// The library's own registry helpers, through which every tweak is written and the
// log settings are read.
//
// Keys are opened in the 64-bit view of the registry: the 32-bit library on 64-bit
// Windows would otherwise write machine-wide tweaks into the redirected 32-bit
// view, where Windows never looks for them.
#pragma once

#include <windows.h>

#include <string>

namespace quenza {

// Query, set, create sub-key, enumerate, notify and create link.
constexpr REGSAM kHelperAccess = 63;
// Added to every access mask of the helpers.
constexpr REGSAM kRegistryView = KEY_WOW64_64KEY;

// Opens the key named by a path text such as "HKEY_CURRENT_USER\Software\x" or
// "hklm\SOFTWARE\x". The abbreviations HKCU, HKLM, HKCR, HKUS, HKPD, HKDD and HKCC
// are written out in sKeyPath itself (letter case ignored). Returns the registry's
// result code (0 = success), or 1010 when a run-time error occurred.
LONG RegGetKeyHandle(std::string& sKeyPath, REGSAM samDesired, HKEY* phKey);

// Reads one value as text: REG_SZ up to its first NUL, any other type as the
// 32-bit number its first four bytes hold, in decimal. type receives the value's
// type (0 when it could not be read). A missing key or value gives the empty text.
std::string GetKeyValue(std::string& sKeyPath, const std::string& sValueName, DWORD& type);

// Deletes a value; the empty name stands for the value named like sSubKey itself,
// never for the key's default value. False when the key or value is missing.
bool DeleteKeyValue(HKEY hKey, const std::string& sSubKey, const std::string& sValueName);

// Writes a value, creating the key when missing. The texts "1" and "0" and every
// value of iType 4 are written as REG_DWORD (a text that is no number raises
// RunTimeError 13), anything else as REG_SZ. True when the value was written.
bool SetKeyValue(HKEY hKey, const std::string& sSubKey, const std::string& sValueName, const std::string& sValue,
                 long iType);

}  // namespace quenza
