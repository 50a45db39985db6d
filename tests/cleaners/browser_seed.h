// What the browser and messenger tests share: the library run in this process
// on a fake platform (library folder on the scratch drive, message texts "REG:"
// and "FILE:"), a cleaner made after the test seeded its installation, raw
// registry values, and file trees written and read back.
#pragma once

#include "classes.h"
#include "frame.h"

#include "cleaner_events.h"
#include "fake_platform.h"
#include "library_copy.h"
#include "reg_seed.h"

#include "com/client.h"
#include "fs/fso.h"
#include "harness/support.h"

#include <shlobj.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace velmora::test {

struct Raw {
    DWORD type;
    std::string bytes;
    bool operator==(const Raw&) const = default;
};

inline void SetRaw(HKEY root, const std::string& key, const std::string& name, const Raw& value) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExA(k, name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.bytes.data()),
                   static_cast<DWORD>(value.bytes.size()));
    RegCloseKey(k);
}

// A value as the wide calls write it: its name and data in UTF-16.
struct RawW {
    DWORD type;
    std::wstring text;  // the data's bytes, two to a character (binary data padded)
    bool operator==(const RawW&) const = default;
};

inline void SetRawW(HKEY root, const std::string& key, const std::wstring& name, const RawW& value) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExW(k, name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.text.data()),
                   static_cast<DWORD>(value.text.size() * sizeof(wchar_t)));
    RegCloseKey(k);
}

// Every value of a key, by name; empty when the key is missing.
inline std::map<std::string, Raw> Values(HKEY root, const std::string& key) {
    std::map<std::string, Raw> out;
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return out;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD nameLen = sizeof name;
        BYTE data[4096];
        DWORD size = sizeof data, type = 0;
        if (RegEnumValueA(k, i, name, &nameLen, nullptr, &type, data, &size) != ERROR_SUCCESS) break;
        out[std::string(name, nameLen)] = Raw{type, std::string(reinterpret_cast<char*>(data), size)};
    }
    RegCloseKey(k);
    return out;
}

inline std::string ShellPath(int csidl) {
    char buf[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, buf);
    return buf;
}

// Makes the folders on the way and writes the file.
inline void Seed(const std::string& path, const std::string& bytes = "trace") {
    for (size_t at = path.find_first_of("\\/", 3); at != std::string::npos; at = path.find_first_of("\\/", at + 1)) {
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    }
    tidvex::test::WriteFileBytes(path, bytes);
}

// Removes a folder tree when it is there.
inline void RemoveTree(const std::string& folder) {
    try {
        tidvex::fs::gFSO().DeleteFolder(folder, true);
    } catch (const std::exception&) {
    }
}

// Relative path -> content of every file below a folder (folders as "<dir>").
inline std::map<std::string, std::string> Tree(const std::string& folder, const std::string& below = "") {
    std::map<std::string, std::string> out;
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &f);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        std::string name = f.cFileName;
        if (name == "." || name == "..") continue;
        std::string rel = below.empty() ? name : below + "\\" + name;
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[rel] = "<dir>";
            out.merge(Tree(folder + "\\" + name, rel));
        } else {
            out[rel] = tidvex::test::ReadFileBytes(folder + "\\" + name).value_or("?");
        }
    } while (FindNextFileA(h, &f));
    FindClose(h);
    return out;
}

// A step alone: its switch, its caption (nullptr: none), what it removes and
// what it leaves (a closing "\\" marks a folder).
struct Trace {
    const wchar_t* sw;
    const char* caption;
    std::vector<std::string> gone;
    std::vector<std::string> kept;
};

// Writes the files of a step's traces and makes its kept folders. Folders to
// go come with the files in them.
inline void SeedTrace(const Trace& t) {
    for (const auto& path : t.gone) {
        if (!path.ends_with("\\")) Seed(path);
    }
    for (const auto& path : t.kept) {
        if (path.ends_with("\\")) {
            Seed(path + "placeholder.tmp");
            DeleteFileA((path + "placeholder.tmp").c_str());
        } else {
            Seed(path, "kept");
        }
    }
}

// Whether a file or (with a closing "\\") a folder exists.
inline bool Exists(const std::string& path) {
    return tidvex::test::PathExists(path.ends_with("\\") ? path.substr(0, path.size() - 1) : path);
}

// A cleaner class of the library in this process, on a fake platform whose
// library folder is a scratch folder with the message files.
template <class Class>
class InProcessCleaner : public testing::Test {
protected:
    explicit InProcessCleaner(const IID& events, const char* name) : events_(events), lib_(ScratchLibrary(name)) {
        platform_.SetVersion(2, 5, 1);  // Windows XP, where the Favorites are a shell folder
    }

    static std::string ScratchLibrary(const char* name) {
        std::string folder = tidvex::test::ScratchFolder(name);
        CreateDirectoryA((folder + "\\skin").c_str(), nullptr);
        for (const char* file : {"\\skin\\msgs.ini", "\\skin\\msgsg.ini"}) {
            tidvex::test::WriteFileBytes(folder + file, "[Velmora]\r\nmsg15=REG:\r\nmsg16=FILE:\r\n");
        }
        return folder;
    }

    // A new object, made after the test seeded what it finds when it is created.
    void Make() {
        obj_.Reset();
        ASSERT_EQ(tidvex::com::Create<Class>(IID_IDispatch, obj_.PutVoid()), S_OK);
        ASSERT_EQ(events_.Connect(obj_.Get()), S_OK);
    }
    void Set(const wchar_t* name, bool on = true) {
        ASSERT_EQ(tidvex::com::InvokeByName(obj_.Get(), name, DISPATCH_PROPERTYPUT,
                                            {tidvex::com::Variant::FromBool(on)}),
                  S_OK)
            << tidvex::com::Narrow(name);
    }
    bool Get(const wchar_t* name) {
        tidvex::com::Variant v;
        EXPECT_EQ(tidvex::com::InvokeByName(obj_.Get(), name, DISPATCH_PROPERTYGET, {}, &v), S_OK);
        return v.AsBool();
    }
    void Call(const wchar_t* name) {
        ASSERT_EQ(tidvex::com::InvokeByName(obj_.Get(), name, DISPATCH_METHOD), S_OK) << tidvex::com::Narrow(name);
    }
    void Run() {
        events_.Clear();
        Call(L"StartClean");
    }
    bool Completed() const {
        const auto& e = events_.Events();
        return std::find(e.begin(), e.end(), "CleanEnd(-1)") != e.end();
    }
    bool Raised(const std::string& event) const {
        const auto& e = events_.Events();
        return std::find(e.begin(), e.end(), event) != e.end();
    }
    std::string Log() const { return TodaysLog(lib_); }
    // Plants links of every kind and a second name of an outside file in each
    // place, runs the steps with shredding on, and expects every target to keep
    // its content; the planted names go afterwards.
    void ExpectLinkTargetsKept(const std::vector<std::string>& places, std::initializer_list<const wchar_t*> steps) {
        const std::string outside = ShellPath(CSIDL_PROFILE) + "\\outside";
        CreateDirectoryA(outside.c_str(), nullptr);
        std::vector<tidvex::test::PlantedLinks> links(places.size());
        for (size_t i = 0; i < places.size(); ++i) {
            if (!links[i].Plant(places[i], outside)) GTEST_SKIP() << "no links can be made here";
        }
        Make();
        Set(L"isShredInsteadofNormalDelete");
        for (const wchar_t* sw : steps) Set(sw);
        Run();
        Set(L"isShredInsteadofNormalDelete", false);
        EXPECT_TRUE(Completed()) << testing::PrintToString(events_.Events());
        for (const auto& planted : links) {
            planted.Check();
            for (const auto& entry : planted.Entries()) tidvex::test::RemoveUnixName(entry);
        }
    }
    // What the step removes is gone, what it leaves is there.
    void ExpectTraces(const Trace& t) const {
        for (const auto& path : t.gone) EXPECT_FALSE(Exists(path)) << tidvex::com::Narrow(t.sw) << ": " << path;
        for (const auto& path : t.kept) EXPECT_TRUE(Exists(path)) << tidvex::com::Narrow(t.sw) << ": " << path;
    }

    EventRecorder events_;
    std::string lib_;
    FakePlatform platform_{lib_};
    tidvex::com::ComPtr<IDispatch> obj_;
};

constexpr char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

inline std::string ParentOf(const std::string& path) { return path.substr(0, path.find_last_of('\\')); }

// The local file of an entry of the URL cache; empty when there is none.
inline std::string CacheFileOf(const std::string& url) {
    std::vector<char> buffer(4096);
    DWORD size = static_cast<DWORD>(buffer.size());
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    if (!GetUrlCacheEntryInfoA(url.c_str(), entry, &size) || !entry->lpszLocalFileName) return {};
    return entry->lpszLocalFileName;
}

// Installs Firefox, Opera (as on Windows XP) and Netscape in the prefix with a
// profile each, gives Internet Explorer a download folder, cookie and cache
// files, and returns the file steps with what each must remove and keep.
inline std::vector<Trace> SeedBrowsers() {
    const std::string profile = ShellPath(CSIDL_PROFILE);
    const std::string appData = ShellPath(CSIDL_APPDATA);
    CreateKey(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "firefox.exe");
    CreateKey(HKEY_LOCAL_MACHINE, std::string(kAppPaths) + "Netscp.exe");
    CreateKey(HKEY_CURRENT_USER, "Software\\Opera Software");

    const std::string ff = appData + "\\Mozilla\\Firefox\\Profiles/abc.default";
    Seed(appData + "\\Mozilla\\Firefox\\profiles.ini", "[Profile0]\r\nName=default\r\nPath=Profiles/abc.default\r\n");
    const std::string ffCache =
        ParentOf(appData) + "\\Local Settings\\Application Data\\Mozilla\\Firefox\\Profiles/abc.default\\cache";
    const std::string op = appData + "\\Opera\\Opera\\profile";
    const std::string ns = appData + "\\netscape\\nsb\\Profiles\\only.default";
    const std::string dl = profile + "\\Downloads\\ie";
    SetString(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer", "Download Directory", dl);
    const std::string cookies = ShellPath(CSIDL_COOKIES);
    const std::string cache = ShellPath(CSIDL_INTERNET_CACHE);
    // A cookie and a page stored by the platform itself.
    EXPECT_TRUE(InternetSetCookieA("http://example.com/", "seen", "yes; expires=Sat, 01-Jan-2039 00:00:00 GMT"));
    char user[256];
    DWORD userSize = sizeof user;
    GetUserNameA(user, &userSize);
    const std::string cookieFile = CacheFileOf("Cookie:" + std::string(user) + "@example.com/");
    char page[MAX_PATH] = {};
    EXPECT_TRUE(CreateUrlCacheEntryA("http://example.com/page.htm", 0, "htm", page, 0));
    tidvex::test::WriteFileBytes(page, "<html>");
    FILETIME never{};
    CommitUrlCacheEntryA("http://example.com/page.htm", page, never, never, NORMAL_CACHE_ENTRY, nullptr, 0, nullptr,
                         nullptr);

    std::vector<Trace> steps = {
        {L"IECleanDownloadDir", "Cleaning IE Download Directory", {dl + "\\setup.exe", dl + "\\sub\\b.zip", dl + "\\sub\\"},
         {dl + "\\", profile + "\\Downloads\\keep.txt"}},
        {L"IERemoveCookies", "Cleaning IE Cookies", {cookieFile, cookies + "\\sub\\c.txt"},
         {cookies + "\\keep.dat", cookies + "\\sub\\"}},
        {L"IECleanCashe", "Cleaning IE Cahce", {page, cache + "\\Content.IE5\\X1\\img.gif"},
         {cache + "\\Content.IE5\\X1\\"}},
        {L"FFCleanCash", "Cleaning FireFox Cache", {ffCache + "\\a.bin", ffCache + "\\sub\\b.bin"},
         {ffCache + "\\sub\\", ff + "\\prefs.js"}},
        {L"FFCleanHistory", "Cleaning FireFox History", {ff + "\\history.dat"}, {ff + "\\prefs.js"}},
        {L"FFCleanBookMark", "Cleaning FireFox Book Marks", {ff + "\\bookmarks.html", ff + "\\bookmarks.bak"},
         {ff + "\\prefs.js"}},
        {L"FFRemoveCookies", "Cleaning FireFox Cookies", {ff + "\\cookies.txt"}, {ff + "\\prefs.js"}},
        {L"OPCleanCash", "Cleaning Opera Cache", {op + "\\cache4\\x.tmp", op + "\\cache4\\s\\y.tmp"},
         {op + "\\cache4\\s\\", op + "\\opera6.ini"}},
        {L"OPCleanHistory", "Cleaning Opera History", {op + "\\global.dat"}, {op + "\\opera6.ini"}},
        {L"OPCleanCookie", "Cleaning Opera Cookies", {op + "\\cookies4.dat"}, {op + "\\opera6.ini"}},
        {L"NSCleanHistory", "Cleaning Netscape History", {ns + "\\history.dat"}, {ns + "\\bookmarks.html"}},
        {L"NSCleanCash", "Cleaning Netscape Cache", {ns + "\\cache\\c.bin"}, {ns + "\\cache\\"}},
        {L"NSCleanAutoComplete", nullptr, {ns + "\\formhistory.dat"}, {ns + "\\history.dat"}},
        {L"NSCleanCookies", "Cleaning Netscape Cookies", {ns + "\\cookies.txt"}, {ns + "\\bookmarks.html"}},
        {L"NSCleanMail", "Cleaning Netscape Mail Trash",
         {ns + "\\mail\\Trash", ns + "\\mail\\Local Folders\\Trash", ns + "\\mail\\Local Folders\\Old.Trash"},
         {ns + "\\mail\\Trash.msf", ns + "\\mail\\Local Folders\\Inbox"}},
    };
    for (const auto& step : steps) SeedTrace(step);
    return steps;
}

}  // namespace velmora::test
