// The user's three lists (safe, black, cookie sites to keep) as text files in
// the program folder, one "<type>|<value>" line each, the in-memory match lists
// a cleaning works from, the matching rule, and the sites of the browser's
// cookie index. Procedures return true on success; failures are logged under
// the procedure's name and give false.
#pragma once

#include "controls/controls.h"
#include "fs/identity.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tidvex::services {

using controls::ListBox;

enum UserListKind : std::int32_t { kSafeList = 0, kBlackList = 1, kCookieList = 2 };
enum ListItemType : std::int32_t { kFileItem = 0, kFolderItem = 1, kRegistryKeyItem = 2, kCookieSiteItem = 3 };

// The list's file ("<program folder>\lstSafe.lst", "\lstBlack.lst",
// "\lstCookie.lst"); the empty text for an unknown kind.
std::wstring ListFilePath(std::int32_t lList);

struct MatchLists {
    std::vector<std::string> safeFiles, safeFolders, safeKeys;
    std::vector<std::string> blackFiles, blackFolders, blackKeys;
    bool blackFilesEmpty = true, blackFoldersEmpty = true, blackKeysEmpty = true;
};
// The program's match lists, filled by FillSafeBlackLists before each cleaning.
extern MatchLists gMatchLists;

// The files hold code-page text: an entry is that text exactly (a name the
// code page cannot hold is refused before it comes here, never stored as a
// look-alike), and a box shows it in UTF-16.
//
// Appends "<lType>|<sItem>" to the list's file, creating it when missing.
bool AddiTem2File(std::int32_t lType, const std::string& sItem, std::int32_t lList);
// Drops every line whose value equals sItem exactly. False without a log line
// when the file is missing, and when it is empty.
bool RemoveItemFromList(const std::string& sItem, std::int32_t lList);
// Appends every line's value to the list box (not emptied first). False without
// a log line when the file is missing.
bool LoadFile2List(std::int32_t lList, ListBox& lst);
// Loads the safe and black files into gMatchLists. Lines without "|" and types
// other than 0, 1 and 2 are passed over.
bool FillSafeBlackLists();
// Partial: some entry occurs in sItem; otherwise: some entry equals it. Letter
// case is ignored. An empty array matches nothing.
bool IsItemInArray(const std::string& sItem, const std::vector<std::string>& arr, bool bPartial);
// The same for a name as the file system gives it: the entries are compared in
// UTF-16, so a character the code page lacks matches no character of an entry.
bool IsItemInArray(std::wstring_view sItem, const std::vector<std::string>& arr, bool bPartial);

// The safe list's files and folders by what they are, read once for a cleaning:
// an entry keeps its file, or its folder and everything below it, whatever drive
// letter, share or spelling names either ("C:/a", "C:\a\.\b", "\\?\C:\a",
// "a." as the system reads it). It adds to the matching of the texts, it does
// not replace it.
class SafeIdentities {
public:
    SafeIdentities() = default;
    explicit SafeIdentities(const MatchLists& lists);
    // Whether the entries keep the file at `path` (a canonical path).
    bool Keeps(const std::wstring& path);

private:
    std::vector<fs::FileIdentity> files_, folders_;
    fs::IdentityCache known_;
};
// Some item of the list box equals sItem exactly (letter case counts).
bool IsItemInList(const std::wstring& sItem, const ListBox& lst);
// Appends the sites of the cookie index ("http://<site> ") that still have a
// cookie file in the user's Cookies folder.
bool LoadCookies2List(ListBox& lst);

}  // namespace tidvex::services
