// The browser cleaner: Internet Explorer's typed URLs, history, download folder,
// auto-complete, cookies, cache, and the typed URLs, Favorites and stored
// passwords it hides and gives back; the caches, histories, bookmarks, cookies,
// form history and mail trash of Firefox, Opera and Netscape; the installed-
// browser probes and the list of WinINet's URL cache.
#include "classes.h"

#include "logger.h"
#include "platform.h"
#include "registry_factory.h"
#include "shredder_factory.h"
#include "url_history.h"

#include "fs/fso.h"
#include "fs/paths.h"
#include "registry/wide_values.h"
#include "text/text.h"

#include <wininet.h>

namespace velmora {

using tidvex::com::AllocBstr;
using tidvex::com::Narrow;
using tidvex::registry::kCurrentUser;
using tidvex::registry::kLocalMachine;

namespace {

// Run order; the two-way steps raise no caption and run on every run.
constexpr StepInfo kSteps[] = {
    {"Cleaning IE Typed URLs", false},        {"Cleaning IE History", false},
    {"Cleaning IE Download Directory", false}, {nullptr, true},
    {"Cleaning IE Cookies", false},            {nullptr, true},
    {nullptr, true},                           {nullptr, true},
    {"Cleaning IE Cahce", false},              {"Cleaning FireFox Cache", false},
    {"Cleaning FireFox History", false},       {"Cleaning FireFox Book Marks", false},
    {"Cleaning FireFox Cookies", false},       {"Cleaning Opera Cache", false},
    {"Cleaning Opera History", false},         {"Cleaning Opera Cookies", false},
    {"Cleaning Netscape History", false},      {"Cleaning Netscape Cache", false},
    {nullptr, false},                          {"Cleaning Netscape Cookies", false},
    {"Cleaning Netscape Mail Trash", false},
};
constexpr size_t kSwitchOfStep[] = {
    BrowsCls::IECleanTypedUrl, BrowsCls::IECleanHistory,   BrowsCls::IECleanDownloadDir, BrowsCls::IEAutoComplete,
    BrowsCls::IERemoveCookies, BrowsCls::IETypedUrlP,      BrowsCls::IEFavorite,         BrowsCls::IEPassWord,
    BrowsCls::IECleanCashe,    BrowsCls::FFCleanCash,      BrowsCls::FFCleanHistory,     BrowsCls::FFCleanBookMark,
    BrowsCls::FFRemoveCookies, BrowsCls::OPCleanCash,      BrowsCls::OPCleanHistory,     BrowsCls::OPCleanCookie,
    BrowsCls::NSCleanHistory,  BrowsCls::NSCleanCash,      BrowsCls::NSCleanAutoComplete, BrowsCls::NSCleanCookies,
    BrowsCls::NSCleanMail,
};
static_assert(std::size(kSteps) == std::size(kSwitchOfStep));

constexpr char kInternetExplorer[] = "Software\\Microsoft\\Internet Explorer";
constexpr char kTypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
constexpr char kAutoComplete[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\AutoComplete";
constexpr char kPasswords[] = "Software\\Microsoft\\Internet Explorer\\Intelliforms\\SPW";
constexpr char kHiddenTypedUrls[] = "Software\\Brellic2\\TypedUrls";
constexpr char kHiddenPasswords[] = "Software\\Brellic2\\passwords";
constexpr char kNoBackup[] = "No previous backup found";

// Whether a browser is installed, by the registry key it leaves.
bool BrowserInstalled(const std::string& browser) {
    constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    std::string name = tidvex::text::Lower(browser);
    if (name == "ie") return RegistryKeyExists(kCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer");
    if (name == "netscape") {
        bool netscp = RegistryKeyExists(kLocalMachine, std::string(kAppPaths) + "Netscp.exe");
        bool netscape = RegistryKeyExists(kLocalMachine, std::string(kAppPaths) + "Netscape.exe");
        return netscp || netscape;
    }
    if (name == "opera") return RegistryKeyExists(kCurrentUser, "Software\\Opera Software");
    if (name == "aol") return RegistryKeyExists(kLocalMachine, std::string(kAppPaths) + "Aol.exe");
    if (name == "firefox") return RegistryKeyExists(kLocalMachine, std::string(kAppPaths) + "firefox.exe");
    return false;
}

// The path with every doubled "\" made single (a leading "\\" of a share kept).
std::wstring SingleBackslashes(std::wstring path) {
    for (size_t at = path.find(L"\\\\", 1); at != std::wstring::npos; at = path.find(L"\\\\", at)) path.erase(at, 1);
    return path;
}

std::wstring ParentFolder(const std::wstring& folder) {
    std::wstring trimmed = tidvex::fs::TrimTrailingSeparators(folder);
    size_t cut = trimmed.find_last_of(L'\\');
    return cut == std::wstring::npos ? std::wstring() : trimmed.substr(0, cut);
}

// The last entry a listing of the folder gives (folders and files alike), or
// nothing when the folder is missing or empty. The name is the file system's
// own, whatever its characters.
std::wstring LastEntry(const std::wstring& folder) {
    auto entries = tidvex::fs::ListFolder(folder);
    if (!entries || entries->empty()) return {};
    return entries->back().name;
}

std::wstring NetscapeProfile(const std::wstring& appData) {
    for (const wchar_t* base : {L"\\netscape\\nsb\\Profiles", L"\\Mozilla\\Profiles\\default"}) {
        std::wstring folder = appData + base;
        std::wstring last = LastEntry(folder);
        if (!last.empty()) return SingleBackslashes(folder + L"\\" + last);
    }
    return {};
}

// A profile path of profiles.ini that climbs out of Firefox's folder.
bool ClimbsOut(const std::wstring& relative) {
    size_t from = 0;
    for (;;) {
        size_t to = relative.find_first_of(L"\\/", from);
        if (TrimBlanks(relative.substr(from, to == std::wstring::npos ? to : to - from)) == L"..") return true;
        if (to == std::wstring::npos) return false;
        from = to + 1;
    }
}

BrowserProfiles FindProfiles() {
    BrowserProfiles p;
    const std::wstring appData = ShellFolder("AppData");
    // Without the application-data folder every path would be relative.
    const bool haveAppData = tidvex::fs::IsFullPathBelowRoot(appData);
    if (haveAppData && BrowserInstalled("firefox")) {
        std::wstring firefox = appData + L"\\Mozilla\\Firefox";
        std::wstring profile = IniRead(firefox + L"\\profiles.ini", L"Profile0", L"Path");
        if (TrimBlanks(IniRead(firefox + L"\\profiles.ini", L"Profile0", L"IsRelative")) == L"0") {
            // A profile kept elsewhere, by its full path, holds its own cache;
            // it is judged like any folder a step works in.
            if (const auto folder = MayCleanFolder(profile)) {
                p.ffProfile = *folder;
                p.ffCache = *folder + L"\\cache";
            }
        } else if (ClimbsOut(profile)) {
            Logger::AddToLog("Not cleaned: ",
                             "\"" + tidvex::text::Narrow(profile) + "\": a Firefox profile outside its folder");
        } else {
            p.ffProfile = firefox + L"\\" + profile;
            p.ffCache = ParentFolder(appData) + L"\\Local Settings\\Application Data\\Mozilla\\Firefox\\" + profile +
                        L"\\cache";
        }
    }
    if (BrowserInstalled("opera")) {
        if (CurrentOperatingSystem() == 6) {
            if (haveAppData) p.opProfile = appData + L"\\Opera\\Opera\\profile";
        } else {
            p.opProfile = WindowsDirectory(200).substr(0, 2) + L"\\Program Files\\Opera\\profile";
        }
    }
    if (haveAppData && BrowserInstalled("netscape")) {
        try {
            p.nsProfile = NetscapeProfile(appData);
        } catch (...) {
            p.nsProfile.clear();
        }
    }
    return p;
}

std::wstring In(const std::wstring& folder, const wchar_t* name) {
    return folder.empty() ? std::wstring() : SingleBackslashes(folder + L"\\" + name);
}

// IE_type as the cookie step fills it from Internet Explorer's four folders.
class IeFolders {
public:
    IeFolders() {
        record_.CacheDir = AllocBstr(ShellFolder("Cache"));
        record_.HistoryDir = AllocBstr(ShellFolder("History"));
        record_.CookiesDir = AllocBstr(ShellFolder("Cookies"));
        record_.DownloadDir = AllocBstr(ReadWideText(kCurrentUser, kInternetExplorer, "Download Directory"));
    }
    ~IeFolders() {
        for (BSTR b : {record_.CacheDir, record_.HistoryDir, record_.CookiesDir, record_.DownloadDir}) {
            SysFreeString(b);
        }
    }
    IeFolders(const IeFolders&) = delete;
    IeFolders& operator=(const IeFolders&) = delete;

    std::wstring CookiesDir() const {
        return record_.CookiesDir ? std::wstring(record_.CookiesDir, SysStringLen(record_.CookiesDir)) : L"";
    }

private:
    IE_type record_{};
};

// One entry of the URL cache into `buffer`: first the size it needs, then the
// entry. False at the end of the enumeration, on any failure other than a
// buffer that is too small, and when the entry keeps outgrowing its buffer.
template <class Fetch>
bool FetchEntry(std::vector<char>& buffer, Fetch fetch) {
    DWORD size = 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (fetch(nullptr, &size)) return false;  // no entry can fit in no buffer
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size < 1) return false;
        buffer.assign(size, '\0');
        if (fetch(reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data()), &size)) return true;
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    }
    return false;
}

// The entry's source URL when it lies, whole, inside the buffer.
std::string SourceUrl(const std::vector<char>& buffer) {
    if (buffer.size() < sizeof(INTERNET_CACHE_ENTRY_INFOA)) return {};
    const auto* entry = reinterpret_cast<const INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    const char* url = entry->lpszSourceUrlName;
    const char* begin = buffer.data();
    const char* end = begin + buffer.size();
    if (!url || url < begin || url >= end) return {};
    const void* nul = memchr(url, '\0', static_cast<size_t>(end - url));
    return nul ? std::string(url, static_cast<const char*>(nul)) : std::string();
}

std::string UrlCacheList() {
    std::string list;
    bool first = true;
    auto add = [&](const std::vector<char>& buffer) {
        std::string url = SourceUrl(buffer);
        if (url.empty()) return;
        if (!first) list += "||";
        list += url;
        first = false;
    };
    std::vector<char> buffer;
    HANDLE find = nullptr;
    if (!FetchEntry(buffer, [&](INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size) {
            find = FindFirstUrlCacheEntryA(nullptr, entry, size);
            return find != nullptr;
        })) {
        if (find) FindCloseUrlCache(find);
        return list;
    }
    add(buffer);
    while (FetchEntry(buffer, [&](INTERNET_CACHE_ENTRY_INFOA* entry, DWORD* size) {
        return FindNextUrlCacheEntryA(find, entry, size) != FALSE;
    })) {
        add(buffer);
    }
    FindCloseUrlCache(find);
    return list;
}

// Copies every value of one key into another exactly as stored, names and
// data through the wide calls. With `moveOriginals` each original is deleted
// once its copy is written (a deletion the daily log records), and a failed
// write keeps it. Links on the way to the copies are never written through;
// from the `ownFrom`-th name of the target key on, the keys are the library's
// own. With `absorb` a failing value is passed over; without, the failure goes
// to the caller.
void CopyValues(std::int32_t fromHive, const char* fromKey, std::int32_t toHive, const char* toKey,
                size_t ownFrom, bool moveOriginals, bool absorb) {
    for (const std::wstring& name : WideValueNames(fromHive, fromKey)) {
        try {
            auto value = ReadRawValue(fromHive, fromKey, name);
            if (!value) continue;
            WriteRawValue(toHive, toKey, name, *value, ownFrom);
            if (!moveOriginals) continue;
            const std::string original =
                tidvex::registry::HiveName(fromHive) + "\\" + fromKey + "\\" + tidvex::text::ForLog(name);
            const LONG rc = tidvex::registry::DeleteWideValue(tidvex::registry::HiveHandle(fromHive),
                                                              tidvex::text::Wide(fromKey), name);
            if (rc == ERROR_SUCCESS) LogDeletion("msg15", original);
            if (rc == tidvex::registry::kLinkOnTheWay)
                Logger::AddToLog("Not cleaned: ", "\"" + original + "\": a registry link on the way");
        } catch (...) {
            if (!absorb) throw;
        }
    }
}

// "Software\Brellic2\..." is the library's own from its second name on.
constexpr size_t kOwnHiddenKeys = 1;
constexpr size_t kNotOwn = std::string::npos;

}  // namespace

std::span<const StepInfo> BrowsCls::Steps() { return kSteps; }
size_t BrowsCls::SwitchOfStep(size_t step) { return kSwitchOfStep[step]; }

BrowsCls::BrowsCls() {
    Reset();
    profiles_ = FindProfiles();
}

void BrowsCls::RunStep(size_t step, bool on) {
    const BrowserProfiles& p = profiles_;
    // Netscape's profiles under this name keep their history and cookies as IE does.
    std::wstring profileLower = p.nsProfile;
    if (!profileLower.empty()) CharLowerBuffW(profileLower.data(), static_cast<DWORD>(profileLower.size()));
    const bool mozilaa = profileLower.find(L"mozilaa") != std::wstring::npos;
    switch (SwitchOfStep(step)) {
        case IECleanTypedUrl: DeleteTypedUrls(); break;
        case IECleanHistory: CURLHistory().Clear(); break;
        case IECleanDownloadDir: CleanDownloadFolder(); break;
        case IEAutoComplete: WriteAutoComplete(on); break;
        case IERemoveCookies: RemoveCookies(); break;
        case IETypedUrlP: on ? RestoreTypedUrls() : HideTypedUrls(); break;
        case IEFavorite: on ? RestoreFavorites() : BackUpFavorites(); break;
        case IEPassWord: on ? RestorePasswords() : HidePasswords(); break;
        case IECleanCashe: CleanCache(); break;
        case FFCleanCash: ShredFolder(p.ffCache, true); break;
        case FFCleanHistory:
            // Always a plain delete, whatever the shred switch says.
            if (!p.ffProfile.empty()) {
                try {
                    tidvex::fs::gFSO().DeleteFile(In(p.ffProfile, L"history.dat"));
                } catch (const std::exception&) {
                }
            }
            break;
        case FFCleanBookMark:
            ShredFile(In(p.ffProfile, L"bookmarks.html"));
            ShredFile(In(p.ffProfile, L"bookmarks.bak"));
            break;
        case FFRemoveCookies: ShredFile(In(p.ffProfile, L"cookies.txt")); break;
        case OPCleanCash: ShredFolder(In(p.opProfile, L"cache4"), true); break;
        case OPCleanHistory: ShredFile(In(p.opProfile, L"global.dat")); break;
        case OPCleanCookie: ShredFile(In(p.opProfile, L"cookies4.dat")); break;
        case NSCleanHistory: ShredFile(In(p.nsProfile, L"history.dat")); break;
        case NSCleanCash: ShredFolder(In(p.nsProfile, L"cache"), true); break;
        case NSCleanAutoComplete: ShredFile(In(p.nsProfile, mozilaa ? L"history.dat" : L"formhistory.dat")); break;
        case NSCleanCookies:
            if (mozilaa) {
                RemoveCookies();
            } else {
                ShredFile(In(p.nsProfile, L"cookies.txt"));
            }
            break;
        // The trash of every mail folder, whatever the letter case of its name
        // or extension: the shredder takes a filter as lower case.
        case NSCleanMail: ShredFolder(In(p.nsProfile, L"mail"), true, "trash"); break;
        default: break;
    }
}

void BrowsCls::DeleteTypedUrls() {
    auto reg = StepRegistry(kMsgLog);
    reg.ClassKey(kCurrentUser);
    reg.SectionKey(kTypedUrls);
    for (const std::string& name : ValueNames(kCurrentUser, kTypedUrls)) {
        reg.ValueKey(name);
        reg.DeleteValue();
    }
}

// The folder goes with everything in it and comes back empty. A folder that
// cannot be named or may not be emptied ends the run; one that kept an item in
// use stays as it is.
void BrowsCls::CleanDownloadFolder() {
    const std::optional<std::wstring> folder =
        MayCleanFolder(ReadWideText(kCurrentUser, kInternetExplorer, "Download Directory"));
    if (!folder) throw tidvex::RunTimeError::Of(tidvex::kPathNotFound);
    StepShredder().FolderShred(*folder, false, "*", true);
    auto& fso = tidvex::fs::gFSO();
    if (!fso.FolderExists(*folder)) fso.CreateFolder(*folder);
}

void BrowsCls::WriteAutoComplete(bool on) {
    auto reg = StepRegistry(kMsgLog);
    reg.ClassKey(kCurrentUser);
    reg.SectionKey(kAutoComplete);
    reg.ValueKey("Append Completion");
    reg.ValueType(REG_SZ);
    reg.value(on ? "yes" : "no");
}

void BrowsCls::RemoveCookies() {
    try {
        IeFolders folders;
        ShredFolder(folders.CookiesDir(), true, "txt", tidvex::fs::OwnFolder::Cookies);
    } catch (const std::exception&) {
    }
}

void BrowsCls::HideTypedUrls() {
    CopyValues(kCurrentUser, kTypedUrls, kCurrentUser, kHiddenTypedUrls, kOwnHiddenKeys, true, false);
}

void BrowsCls::RestoreTypedUrls() {
    CopyValues(kCurrentUser, kHiddenTypedUrls, kCurrentUser, kTypedUrls, kNotOwn, false, true);
}

void BrowsCls::HidePasswords() {
    try {
        CopyValues(kLocalMachine, kPasswords, kCurrentUser, kHiddenPasswords, kOwnHiddenKeys, true, true);
    } catch (const std::exception&) {
    }
}

void BrowsCls::RestorePasswords() {
    try {
        CopyValues(kCurrentUser, kHiddenPasswords, kLocalMachine, kPasswords, kNotOwn, false, true);
    } catch (const std::exception&) {
    }
}

// The Favorites go only once their copy beside the library is complete.
void BrowsCls::BackUpFavorites() {
    try {
        // Where the platform keeps no Favorites folder of this kind the step has
        // nothing to do, and nothing to say.
        const std::wstring named = FavoritesDirectory(ShellFolder("Favorites"));
        if (named.empty()) return;
        const std::optional<std::wstring> favorites = MayCleanFolder(named, tidvex::fs::OwnFolder::Favorites);
        if (!favorites) return;
        const std::wstring backups = tidvex::text::Wide(CurrentPlatform().LibraryFolder()) + L"\\Backups";
        auto& fso = tidvex::fs::gFSO();
        if (!fso.FolderExists(backups)) fso.CreateFolder(backups);
        fso.CopyFolder(*favorites, backups + L"\\IEfav", true);
        StepShredder().FolderShred(*favorites, false, "*", true);
    } catch (const std::exception&) {
    }
}

void BrowsCls::RestoreFavorites() {
    const std::wstring backup = tidvex::text::Wide(CurrentPlatform().LibraryFolder()) + L"\\Backups\\IEfav";
    try {
        auto& fso = tidvex::fs::gFSO();
        if (!fso.FolderExists(backup)) throw tidvex::RunTimeError::Of(tidvex::kPathNotFound);
        const std::wstring named = FavoritesDirectory(ShellFolder("Favorites"));
        if (named.empty()) return;
        const std::optional<std::wstring> favorites = MayCleanFolder(named, tidvex::fs::OwnFolder::Favorites);
        const std::optional<std::wstring> from = MayCleanFolder(backup);
        if (!favorites || !from) return;
        // The copy writes nothing through a link among the Favorites.
        fso.CopyFolder(*from, *favorites, true);
        StepShredder().FolderShred(*from, false, "*", true);
    } catch (const tidvex::RunTimeError& e) {
        if (e.Number() == tidvex::kPathNotFound) Events().Showmsg(kMsgNoBackup, kNoBackup);
    } catch (const std::exception&) {
    }
}

void BrowsCls::CleanCache() { ShredFolder(ShellFolder("Cache"), true, "*", tidvex::fs::OwnFolder::InternetCache); }

void BrowsCls::ShredFile(const std::wstring& file) {
    if (file.empty()) return;  // the browser is not installed
    StepShredder().FileShred(file);
}

STDMETHODIMP BrowsCls::BrowsReset(VARIANT* result) {
    if (result) VariantInit(result);
    return Member([&] { Reset(); });
}

STDMETHODIMP BrowsCls::get_cache_list(BSTR* result) {
    if (!result) return E_POINTER;
    *result = nullptr;
    return Member([&] { *result = AllocBstr(UrlCacheList()); });
}

STDMETHODIMP BrowsCls::get_IEExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_BrowsCls), value, [] { return BrowserInstalled("ie"); });
}
STDMETHODIMP BrowsCls::get_NetScapeExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_BrowsCls), value, [] { return BrowserInstalled("netscape"); });
}
STDMETHODIMP BrowsCls::get_OperaExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_BrowsCls), value, [] { return BrowserInstalled("opera"); });
}
STDMETHODIMP BrowsCls::get_FireFoxExist(VARIANT_BOOL* value) {
    return OutBool(__uuidof(_BrowsCls), value, [] { return BrowserInstalled("firefox"); });
}

}  // namespace velmora
