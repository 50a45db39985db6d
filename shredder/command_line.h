// The command-line form of a session: a text that begins with "1?" (the items
// follow in it) or "2?" (the items are the lines of the work-list file
// "files.txt"), whose items may carry options (/O method, /F subfolders,
// /R remove subfolders, /D accepted without effect).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fraxil {

enum class CommandSource { None, Text, WorkList };

// "1?" items in the text, "2?" items in the work list, anything else nothing.
CommandSource SourceOf(std::wstring_view text);

// The items of a "1?" text. With a double quote anywhere, every pair of quotes
// encloses one item and the rest is ignored; else the items are separated by
// runs of spaces, the first one after the "1?" that begins it, and an item
// that begins with the digit 0 ends the list. Empty items are dropped, and so
// is an item the text was cut inside of (`cutInsideItem`: the text's last
// characters are only the beginning of an item; a quoted item cut so has lost
// its closing quote and encloses nothing).
std::vector<std::wstring> SplitCommandText(std::wstring_view text, bool cutInsideItem = false);

// Whether an item names the same thing whatever the host's current folder and
// drive are: a full path ("C:\a", "\\server\share\a", "\\?\C:\a"), or one of the
// keywords "recycle" and "restorepoints".
bool IsFullPathOrKeyword(std::wstring_view item);

// Whether the items of an unquoted "1?" text, split at blanks, show that the
// text was one path with blanks in it: an item that is no option is neither a
// full path nor a keyword, or the token that ended the list is no number.
bool SplitBrokeAPath(std::wstring_view text, const std::vector<std::wstring>& tokens);

// The whole text after its "1?", without the blanks at its ends: the one item
// that a path with blanks in it can be.
std::wstring WholeItemText(std::wstring_view text);

// The items of the work-list file as it was read (bytes in the system code
// page): one item per line, however long, line ends removed, empty lines dropped.
std::vector<std::wstring> SplitWorkList(std::string_view bytes);

// The items sorted from the options.
struct CommandItems {
    std::vector<std::wstring> items;
    std::optional<long> method;             // /O<n>
    std::optional<bool> subFolders;         // /F<n>: n <> 0
    std::optional<bool> removeSubFolders;   // /R<n>: n <> 0
};
CommandItems SortCommandItems(const std::vector<std::wstring>& tokens);

}  // namespace fraxil
