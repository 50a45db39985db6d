// Letter case and blanks, with one meaning in the program and the libraries:
// the texts are byte strings in the system code page, and letters are changed
// and compared as that code page has them (so "ä" and "Ä" are one letter, as
// they are to the registry and the file system). Trim removes blanks (spaces)
// at both ends and nothing else.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidvex::text {

std::string Upper(std::string_view s);
std::string Lower(std::string_view s);
std::string Trim(std::string_view s);

// Equal, letter case ignored.
bool EqualsNoCase(std::string_view a, std::string_view b);
// part occurs somewhere in text, letter case ignored (the empty part does).
bool ContainsNoCase(std::string_view text, std::string_view part);
// Every occurrence of what in text (letter case ignored) replaced by with.
std::string ReplaceNoCase(std::string_view text, std::string_view what, std::string_view with);

// Between the system code page and UTF-16, which the file system and COM use.
// A character the code page lacks becomes "?" in Narrow, never a look-alike
// ("\uFF0E" is not "."): such a text is for showing, never for naming a file
// again.
std::wstring Wide(std::string_view s);
std::string Narrow(std::wstring_view s);
// The code-page text only when it turns back into exactly `s`; nothing when a
// character of `s` has no place in the code page.
std::optional<std::string> NarrowExact(std::wstring_view s);

// `s` for a log line or a message in the code page: exactly where the code
// page holds it, and each character it lacks written as "<U+XXXX>", never as
// a look-alike ("Tool\u0142" gives "Tool<U+0142>").
std::string ForLog(std::wstring_view s);

// UTF-16 texts equal, letter case ignored as the file system ignores it.
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);
// part occurs somewhere in text, letter case ignored likewise.
bool ContainsNoCase(std::wstring_view text, std::wstring_view part);

// The pieces of `text` between the separators, empty ones left out.
std::vector<std::wstring> SplitNonEmpty(std::wstring_view text, wchar_t separator);

}  // namespace tidvex::text
