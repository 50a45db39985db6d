// The library's services: message texts by id and the user's language choice,
// the daily log, the classes INI, OS, System and General, and the shared
// procedures. The classes run in this process with a fake platform (library
// folder on the scratch drive, Windows version chosen by the test).
#include "classes.h"
#include "library.h"
#include "logger.h"

#include "fake_platform.h"
#include "reg_seed.h"

#include "com/client.h"
#include "fs/fso.h"
#include "registry/registry.h"
#include "harness/support.h"

#include <shlobj.h>

#include "text/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace tidvex::com;
using tidvex::test::PathExists;
using tidvex::test::ReadFileBytes;
using tidvex::test::ScratchFolder;
using tidvex::test::WriteFileBytes;
using velmora::test::EmptyKey;
using velmora::test::FakePlatform;
using velmora::test::kShellFolders;
using velmora::test::SetString;

constexpr char kQelKey[] = "Software\\VB and VBA Program Settings\\Qel\\Lang";

class LibraryFolder : public testing::Test {
protected:
    std::string folder_ = ScratchFolder("lib");
    FakePlatform platform_{folder_};
};

// ---- message texts ----

TEST_F(LibraryFolder, MessagesComeFromTheGermanFileUnlessTheUserChoseEnglish) {
    CreateDirectoryA((folder_ + "\\skin").c_str(), nullptr);
    WriteFileBytes(folder_ + "\\skin\\msgsg.ini", "[Velmora]\r\nmsg15=Geloescht:\r\n");
    WriteFileBytes(folder_ + "\\skin\\msgs.ini", "[Velmora]\r\nmsg15=Deleted:\r\n[Other]\r\nmsg16=x\r\n");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\Qel");

    EXPECT_EQ(velmora::GetMessageText("msg15"), "Geloescht:") << "no setting means the German file";
    SetString(HKEY_CURRENT_USER, kQelKey, "Lang", "english");
    EXPECT_EQ(velmora::GetMessageText("msg15"), "Deleted:") << "the setting compares without letter case";
    EXPECT_EQ(velmora::MessageFile(), folder_ + "\\skin\\msgs.ini");
    EXPECT_EQ(velmora::GetMessageText("msg16"), "") << "a key of another section";
    SetString(HKEY_CURRENT_USER, kQelKey, "Lang", "Deutsch");
    EXPECT_EQ(velmora::GetMessageText("msg15"), "Geloescht:");
    SetString(HKEY_CURRENT_USER, kQelKey, "Lang", "Francais");
    EXPECT_EQ(velmora::MessageFile(), folder_ + "\\skin\\msgsg.ini") << "any other language means German";
    DeleteFileA((folder_ + "\\skin\\msgsg.ini").c_str());
    EXPECT_EQ(velmora::GetMessageText("msg15"), "") << "a missing file gives the empty text";
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VB and VBA Program Settings\\Qel");
}

// ---- daily log ----

TEST(DailyLog, FileNameHasDayAndMonthWithoutLeadingZeros) {
    SYSTEMTIME day{};
    day.wYear = 2026;
    day.wMonth = 12;
    day.wDay = 7;
    EXPECT_EQ(velmora::Logger::FileName(day), "7-12-2026_Log.txt");
    day.wMonth = 1;
    day.wDay = 31;
    EXPECT_EQ(velmora::Logger::FileName(day), "31-1-2026_Log.txt");
}

TEST(DailyLog, LineQuotesDateAndTimeThenTabSectionAndText) {
    SYSTEMTIME when{};
    when.wYear = 2026;
    when.wMonth = 12;
    when.wDay = 7;
    when.wHour = 14;
    when.wMinute = 5;
    when.wSecond = 9;
    char date[64], time[64];
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &when, nullptr, date, sizeof date);
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &when, nullptr, time, sizeof time);
    EXPECT_EQ(velmora::Logger::Line(when, "Deleted: ", "HKEY_CURRENT_USER\\Software\\X"),
              std::string("\"") + date + "     " + time + "\"\tDeleted: HKEY_CURRENT_USER\\Software\\X\r\n");
}

TEST_F(LibraryFolder, AddToLogAppendsToTodaysFileInTheLogsFolder) {
    EXPECT_EQ(velmora::Logger::getLogPath(), folder_);
    ASSERT_TRUE(velmora::Logger::AddToLog("A ", "one"));
    ASSERT_TRUE(velmora::Logger::AddToLog("B ", "two"));
    SYSTEMTIME now;
    GetLocalTime(&now);
    auto text = ReadFileBytes(folder_ + "\\Logs\\" + velmora::Logger::FileName(now));
    ASSERT_TRUE(text);
    size_t first = text->find("\"\tA one\r\n");
    size_t second = text->find("\"\tB two\r\n");
    EXPECT_NE(first, std::string::npos) << *text;
    EXPECT_NE(second, std::string::npos) << *text;
    EXPECT_LT(first, second);
    EXPECT_EQ(std::count(text->begin(), text->end(), '\n'), 2);
}

TEST_F(LibraryFolder, AnExistingLowerCaseLogsFolderIsUsed) {
    ASSERT_TRUE(CreateDirectoryA((folder_ + "\\logs").c_str(), nullptr));
    ASSERT_TRUE(velmora::Logger::AddToLog("x", "y"));
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder_ + "\\*ogs").c_str(), &found);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(found.cFileName, "logs");
    EXPECT_FALSE(FindNextFileA(h, &found)) << "a second log folder was made";
    FindClose(h);
}

TEST_F(LibraryFolder, AFailedLogWriteIsReportedToTheCallerWithoutThrowing) {
    // A file where the folder should be: neither folder nor log file can be made.
    WriteFileBytes(folder_ + "\\Logs", "in the way");
    EXPECT_FALSE(velmora::Logger::AddToLog("x", "y"));
    EXPECT_NO_THROW(velmora::LogDeletion("msg15", "HKEY_CURRENT_USER\\X"));
}

TEST_F(LibraryFolder, DeletionLinesCarryTheMessageTextAndABlank) {
    CreateDirectoryA((folder_ + "\\skin").c_str(), nullptr);
    WriteFileBytes(folder_ + "\\skin\\msgsg.ini", "[Velmora]\r\nmsg16=File removed:\r\n");
    velmora::LogDeletion("msg16", "C:\\a.tmp");
    SYSTEMTIME now;
    GetLocalTime(&now);
    auto text = ReadFileBytes(folder_ + "\\Logs\\" + velmora::Logger::FileName(now));
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("\"\tFile removed: C:\\a.tmp\r\n"), std::string::npos) << *text;
}

// ---- INI ----

class IniFile : public LibraryFolder {
protected:
    void SetUp() override {
        ASSERT_EQ(Create<velmora::INI>(IID_IDispatch, ini_.PutVoid()), S_OK);
        file_ = folder_ + "\\test.ini";
        WriteFileBytes(file_, "[One]\r\na=1\r\nlong=" + std::string(300, 'x') + "\r\n[Two]\r\nb=2\r\n");
    }
    std::string Call(const wchar_t* member, std::vector<Variant> args) {
        Variant r;
        EXPECT_EQ(InvokeByName(ini_.Get(), member, DISPATCH_METHOD, std::move(args), &r), S_OK);
        return r.AsText();
    }
    ComPtr<IDispatch> ini_;
    std::string file_;
};

TEST_F(IniFile, GetFromIniReadsAtMost254CharactersAndEmptyForMissingKeys) {
    auto V = [](const std::string& s) { return Variant::FromText(s); };
    EXPECT_EQ(Call(L"GetFromINI", {V(file_), V("One"), V("a")}), "1");
    EXPECT_EQ(Call(L"GetFromINI", {V(file_), V("One"), V("long")}), std::string(254, 'x'));
    EXPECT_EQ(Call(L"GetFromINI", {V(file_), V("One"), V("none")}), "");
    EXPECT_EQ(Call(L"GetFromINI", {V(file_), V("Three"), V("a")}), "");
    EXPECT_EQ(Call(L"GetFromINI", {V(folder_ + "\\missing.ini"), V("One"), V("a")}), "");
    Call(L"WriteToINI", {V(file_), V("Two"), V("c"), V("three")});
    EXPECT_EQ(Call(L"GetFromINI", {V(file_), V("Two"), V("c")}), "three");

    // A section whose name the code page cannot hold is read as itself, never as its look-alike.
    const std::wstring wide = Widen(folder_) + L"\\wide.ini";
    const std::wstring content = L"\xFEFF[Lodz]\r\nkey=good\r\n[\u0141odz]\r\nkey=broken\r\n";
    WriteFileBytes(wide, std::string(reinterpret_cast<const char*>(content.data()), content.size() * 2));
    auto W = [](const std::wstring& s) { return Variant::FromWide(s); };
    Variant r;
    ASSERT_EQ(InvokeByName(ini_.Get(), L"GetFromINI", DISPATCH_METHOD, {W(wide), W(L"\u0141odz"), W(L"key")}, &r), S_OK);
    EXPECT_EQ(r.AsWide(), L"broken");
    ASSERT_EQ(InvokeByName(ini_.Get(), L"EnumerateSections", DISPATCH_METHOD, {W(wide)}, &r), S_OK);
    EXPECT_EQ(r.AsWide().substr(0, 11), std::wstring(L"Lodz\0\u0141odz\0\0", 11));
}

TEST_F(IniFile, EnumerationsReturnTheWholeNulPaddedBuffer) {
    auto V = [](const std::string& s) { return Variant::FromText(s); };
    std::string sections = Call(L"EnumerateSections", {V(file_)});
    ASSERT_EQ(sections.size(), 5000u);
    EXPECT_EQ(sections.substr(0, 9), std::string("One\0Two\0\0", 9));
    EXPECT_EQ(sections.find_first_not_of('\0', 8), std::string::npos);
    std::string keys = Call(L"Enumeratekeys", {V(file_), V("Two")});
    ASSERT_EQ(keys.size(), 5000u);
    EXPECT_EQ(keys.substr(0, 5), std::string("b=2\0\0", 5));
    std::string none = Call(L"EnumerateSections", {V(folder_ + "\\missing.ini")});
    EXPECT_EQ(none, std::string(5000, '\0'));
}

// Texts the profile calls cannot take never reach them: a path longer than
// they read, or a section, key or value too long to convert, answers as a file
// that is not there, and a write does nothing (once a key too long to convert
// deleted its whole section).
TEST_F(IniFile, TextsTooLongForTheProfileCallsAnswerAsAMissingFile) {
    auto V = [](const std::string& s) { return Variant::FromText(s); };
    const std::string before = *ReadFileBytes(file_);
    const std::string nothing(5000, '\0'), huge(40000, 'k');
    for (size_t length : {300u, 32767u, 32768u, 40000u, 65536u, 70000u}) {
        SCOPED_TRACE(length);
        const std::string path = folder_ + "\\" + std::string(length - folder_.size() - 5, 'p') + ".ini";
        EXPECT_EQ(Call(L"GetFromINI", {V(path), V("One"), V("a")}), "");
        EXPECT_EQ(Call(L"EnumerateSections", {V(path)}), nothing);
        EXPECT_EQ(Call(L"Enumeratekeys", {V(path), V("One")}), nothing);
        Call(L"WriteToINI", {V(path), V("One"), V("a"), V("2")});
    }
    EXPECT_EQ(Call(L"GetFromINI", {V(file_), V("One"), V(huge)}), "");
    EXPECT_EQ(Call(L"GetFromINI", {V(file_), V(huge), V("a")}), "");
    EXPECT_EQ(Call(L"Enumeratekeys", {V(file_), V(huge)}), nothing);
    Call(L"WriteToINI", {V(file_), V("Two"), V(huge), V("v")});
    Call(L"WriteToINI", {V(file_), V("Two"), V("b"), V(huge)});
    Call(L"WriteToINI", {V(file_), V(huge), V("b"), V("v")});
    EXPECT_EQ(ReadFileBytes(file_), before);
    EXPECT_EQ(Call(L"GetFromINI", {V(file_), V("Two"), V("b")}), "2");
}

// ---- OS and the platform id ----

TEST_F(LibraryFolder, OperatingSystemAndPlatformIdFollowTheVersionRecord) {
    struct Case {
        DWORD platform, major, minor;
        long os;
        long platformId;
    };
    const Case cases[] = {
        {0, 3, 1, 0, -1},  {1, 4, 0, 1, 0},  {1, 4, 10, 2, 0}, {1, 4, 90, 3, 0}, {1, 4, 3, 0, 0},
        {2, 4, 0, 4, 1},   {2, 3, 51, 4, 1}, {2, 5, 0, 5, 1},  {2, 5, 1, 6, 1},  {2, 5, 2, 0, 1},
        {2, 6, 1, 0, 1},   {3, 5, 0, 0, 2},  {4, 5, 1, 0, -1},
    };
    ComPtr<IDispatch> os;
    ASSERT_EQ(Create<velmora::OS>(IID_IDispatch, os.PutVoid()), S_OK);
    for (const Case& c : cases) {
        platform_.SetVersion(c.platform, c.major, c.minor);
        Variant r;
        ASSERT_EQ(InvokeByName(os.Get(), L"OperatingSystem", DISPATCH_METHOD, {}, &r), S_OK);
        EXPECT_EQ(r.AsLong(), c.os) << c.platform << " " << c.major << "." << c.minor;
        EXPECT_EQ(velmora::GetPlatformId(), c.platformId) << c.platform;
    }
}

// ---- System ----

class SystemClass : public LibraryFolder {
protected:
    ComPtr<IDispatch> NewSystem() {
        ComPtr<IDispatch> sys;
        EXPECT_EQ(Create<velmora::System>(IID_IDispatch, sys.PutVoid()), S_OK);
        return sys;
    }
    std::string Text(IDispatch* sys, const wchar_t* member) {
        Variant r;
        EXPECT_EQ(InvokeByName(sys, member, DISPATCH_METHOD, {}, &r), S_OK) << Narrow(member);
        return r.AsText();
    }
    std::string WindowsFolder() {
        char buf[MAX_PATH];
        UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
        return std::string(buf, n);
    }
};

TEST_F(SystemClass, FavoritesFolderDependsOnTheWindowsVersion) {
    SetString(HKEY_CURRENT_USER, kShellFolders, "Favorites", "S:\\lib\\Favs");
    auto sys = NewSystem();
    EXPECT_EQ(Text(sys.Get(), L"getWDirectory"), WindowsFolder());
    SetString(HKEY_CURRENT_USER, kShellFolders, "Favorites", "S:\\changed");
    platform_.SetVersion(2, 5, 1);
    EXPECT_EQ(Text(sys.Get(), L"getFavoritesDirectory"), "S:\\lib\\Favs") << "XP: the folder read at creation";
    platform_.SetVersion(1, 4, 10);
    EXPECT_EQ(Text(sys.Get(), L"getFavoritesDirectory"), WindowsFolder() + "\\favorites");
    platform_.SetVersion(1, 4, 90);
    EXPECT_EQ(Text(sys.Get(), L"getFavoritesDirectory"), WindowsFolder() + "\\favorites");
    platform_.SetVersion(2, 5, 0);
    EXPECT_EQ(Text(sys.Get(), L"getFavoritesDirectory"), "") << "Windows 2000";
    platform_.SetVersion(2, 6, 1);
    EXPECT_EQ(Text(sys.Get(), L"getFavoritesDirectory"), "");
}

TEST_F(SystemClass, DriveListIsTheWholeBufferOfRoots) {
    auto sys = NewSystem();
    std::string drives = Text(sys.Get(), L"Enumerate_Drives");
    ASSERT_EQ(drives.size(), 255u);
    EXPECT_EQ(drives.substr(0, 4), std::string("C:\\\0", 4));
    EXPECT_NE(drives.find(std::string("S:\\\0", 4)), std::string::npos);
}

TEST_F(SystemClass, StartupListsAppendToWhatTheCallerGave) {
    const char* keys[] = {"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                          "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                          "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnceEx",
                          "Software\\Microsoft\\Windows\\CurrentVersion\\RunServices"};
    EmptyKey(HKEY_CURRENT_USER, keys[0]);
    for (const char* k : keys) EmptyKey(HKEY_LOCAL_MACHINE, k);
    SetString(HKEY_CURRENT_USER, keys[0], "A", "X");
    auto sys = NewSystem();
    ComPtr<_System> early = sys.As<_System>();
    ASSERT_TRUE(early);
    // Both lists are in/out arguments: what the caller put in stays in front.
    auto startup = [&](const char* names, const char* data) {
        BSTR n = AllocBstr(names), d = AllocBstr(data);
        Variant ret;
        EXPECT_EQ(early->Enumerate_Startup(&n, &d, ret.Get()), S_OK);
        std::pair<std::string, std::string> out{Narrow(n), Narrow(d)};
        SysFreeString(n);
        SysFreeString(d);
        return out;
    };
    EXPECT_EQ(startup("", ""), std::make_pair(std::string("|A"), std::string("|X")));

    SetString(HKEY_LOCAL_MACHINE, keys[3], "Late", "L.exe");
    SetString(HKEY_LOCAL_MACHINE, keys[1], "Once", "O.exe");
    EXPECT_EQ(startup("pre", ""), std::make_pair(std::string("pre|A|Once|Late"), std::string("|X|O.exe|L.exe")))
        << "keys in their fixed order";
    EXPECT_TRUE(platform_.messages.empty());
}

TEST_F(SystemClass, UninstallListPairsNamesWithCommandsBeforeTheirFirstQuote) {
    const std::string root = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    EmptyKey(HKEY_LOCAL_MACHINE, root);
    SetString(HKEY_LOCAL_MACHINE, root + "\\a", "DisplayName", "App One");
    SetString(HKEY_LOCAL_MACHINE, root + "\\a", "UninstallString", "C:\\App\\unins.exe /x \"quoted\"");
    SetString(HKEY_LOCAL_MACHINE, root + "\\b", "DisplayName", "   ");
    SetString(HKEY_LOCAL_MACHINE, root + "\\b", "UninstallString", "C:\\skip.exe");
    SetString(HKEY_LOCAL_MACHINE, root + "\\c", "DisplayName", "Two");
    SetString(HKEY_LOCAL_MACHINE, root + "\\c", "UninstallString", "\"C:\\Two\\rm.exe\" /s");
    auto sys = NewSystem();
    ComPtr<_System> early = sys.As<_System>();
    UnInstall lists{};
    ASSERT_EQ(early->Enumerate_Uninstall(&lists), S_OK);
    EXPECT_EQ(Narrow(lists.program_name), "App One|Two");
    EXPECT_EQ(Narrow(lists.uninstall_Path), "C:\\App\\unins.exe /x|C:\\Two\\rm.exe /s");
    SysFreeString(lists.program_name);
    SysFreeString(lists.uninstall_Path);

    // Late-bound, the record arrives as a VT_RECORD whose fields IRecordInfo reads.
    Variant r;
    ASSERT_EQ(InvokeByName(sys.Get(), L"Enumerate_Uninstall", DISPATCH_METHOD, {}, &r), S_OK);
    ASSERT_EQ(r.Type(), VT_RECORD);
    IRecordInfo* info = V_RECORDINFO(r.Get());
    ASSERT_NE(info, nullptr);
    Bstr recordName;
    ASSERT_EQ(info->GetName(recordName.Put()), S_OK);
    EXPECT_EQ(recordName.Text(), "UnInstall");
    Variant field;
    ASSERT_EQ(info->GetField(V_RECORD(r.Get()), L"uninstall_Path", field.Get()), S_OK);
    EXPECT_EQ(field.AsText(), "C:\\App\\unins.exe /x|C:\\Two\\rm.exe /s");
    ASSERT_EQ(info->GetField(V_RECORD(r.Get()), L"program_name", field.Get()), S_OK);
    EXPECT_EQ(field.AsText(), "App One|Two");
}

TEST_F(SystemClass, TheTypeLibraryPublishesTheEnumerationsAndRecords) {
    ComPtr<ITypeLib> lib;
    ASSERT_EQ(tidvex::com::Module::Instance().GetTypeLib(lib.Put()), S_OK);
    auto find = [&](const wchar_t* name, TYPEKIND kind, UINT members) {
        ComPtr<ITypeInfo> info;
        MEMBERID id;
        USHORT found = 1;
        std::wstring n = name;
        ASSERT_EQ(lib->FindName(n.data(), 0, info.Put(), &id, &found), S_OK);
        ASSERT_EQ(found, 1) << Narrow(name);
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(info->GetTypeAttr(&attr), S_OK);
        EXPECT_EQ(attr->typekind, kind) << Narrow(name);
        EXPECT_EQ(attr->cVars, members) << Narrow(name);
        info->ReleaseTypeAttr(attr);
    };
    find(L"Enum_OperatingSystem", TKIND_ENUM, 7);
    find(L"Enum_OperatingPlatform", TKIND_ENUM, 3);
    find(L"RetType", TKIND_ENUM, 2);
    find(L"IE_type", TKIND_RECORD, 4);
    find(L"UnInstall", TKIND_RECORD, 2);
}

// ---- installed-program probes ----

TEST(Probes, BrowsersAndMessengersAreFoundByTheirRegistryKeys) {
    FakePlatform platform(ScratchFolder("probes"));
    const char* appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    for (const char* key : {"Netscp.exe", "Netscape.exe", "firefox.exe"}) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(appPaths) + key).c_str());
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Opera Software");
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
        RegDeleteTreeA(root, "SOFTWARE\\Mirabilis\\ICQ");
        RegDeleteTreeA(root, "SOFTWARE\\Yahoo\\pager");
        RegDeleteTreeA(root, "Software\\Microsoft\\MSNMessenger");
    }
    ComPtr<IDispatch> brows, chat;
    ASSERT_EQ(Create<velmora::BrowsCls>(IID_IDispatch, brows.PutVoid()), S_OK);
    ASSERT_EQ(Create<velmora::ChatCls>(IID_IDispatch, chat.PutVoid()), S_OK);
    auto probe = [](IDispatch* d, const wchar_t* name) {
        Variant v;
        EXPECT_EQ(InvokeByName(d, name, DISPATCH_PROPERTYGET, {}, &v), S_OK) << Narrow(name);
        EXPECT_EQ(v.Type(), VT_BOOL);
        return v.AsBool();
    };
    EXPECT_TRUE(probe(brows.Get(), L"IEExist")) << "the sandbox has an Explorer key";
    for (const wchar_t* p : {L"NetScapeExist", L"OperaExist", L"FireFoxExist"}) EXPECT_FALSE(probe(brows.Get(), p));
    for (const wchar_t* p : {L"YahooExist", L"ICQExist", L"MSNExist"}) EXPECT_FALSE(probe(chat.Get(), p));

    velmora::test::CreateKey(HKEY_LOCAL_MACHINE, std::string(appPaths) + "Netscape.exe");
    velmora::test::CreateKey(HKEY_LOCAL_MACHINE, std::string(appPaths) + "firefox.exe");
    velmora::test::CreateKey(HKEY_CURRENT_USER, "Software\\Opera Software");
    velmora::test::CreateKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Mirabilis\\ICQ");
    velmora::test::CreateKey(HKEY_CURRENT_USER, "SOFTWARE\\Yahoo\\pager");
    velmora::test::CreateKey(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\MSNMessenger");
    for (const wchar_t* p : {L"NetScapeExist", L"OperaExist", L"FireFoxExist"}) EXPECT_TRUE(probe(brows.Get(), p));
    EXPECT_TRUE(probe(chat.Get(), L"ICQExist")) << "either hive will do for ICQ";
    EXPECT_TRUE(probe(chat.Get(), L"YahooExist"));
    EXPECT_FALSE(probe(chat.Get(), L"MSNExist")) << "MSN is looked for under the current user only";
}

// ---- errors handed to COM callers ----

TEST(ErrorsToCallers, CarryNumberSourceAndDescription) {
    const tidvex::com::ErrorTarget winCls{&__uuidof(_WinCls), velmora::kDllName};
    tidvex::RunTimeError reg(26001, "Failed to create registry Key: 'X", "Velmora.cRegistry");
    EXPECT_EQ(tidvex::com::ReportError(reg, winCls), static_cast<HRESULT>(0x800A6591));
    ComPtr<IErrorInfo> info;
    ASSERT_EQ(GetErrorInfo(0, info.Put()), S_OK);
    Bstr text, source;
    info->GetDescription(text.Put());
    info->GetSource(source.Put());
    EXPECT_EQ(text.Text(), "Failed to create registry Key: 'X");
    EXPECT_EQ(source.Text(), "Velmora.cRegistry");
    tidvex::RunTimeError write(static_cast<std::int32_t>(0x800469A9u), "w", "Velmora.cRegistry");
    EXPECT_EQ(tidvex::com::ReportError(write, winCls), static_cast<HRESULT>(0x800469A9u));
    EXPECT_EQ(tidvex::com::ReportError(tidvex::fs::MakeFsError(tidvex::fs::kPathNotFound), winCls),
              static_cast<HRESULT>(0x800A004C));
}

// A caller gets back the error the member raised, as the session logs it.
TEST(ErrorsToCallers, ComeBackAsTheErrorsTheyWere) {
    const tidvex::com::ErrorTarget winCls{&__uuidof(_WinCls), velmora::kDllName};
    const tidvex::RunTimeError raised[] = {
        tidvex::RunTimeError(26001, "Failed to create registry Key: 'X", "Velmora.cRegistry"),
        tidvex::RunTimeError(static_cast<std::int32_t>(0x800469A9u), "w"),
        tidvex::RunTimeError::Of(tidvex::kPathNotFound),
    };
    for (const auto& e : raised) {
        const tidvex::RunTimeError back = tidvex::com::CallError(tidvex::com::ReportError(e, winCls), "none");
        EXPECT_EQ(back.Number(), e.Number()) << e.Description();
        EXPECT_EQ(back.Description(), e.Description());
    }
    SetErrorInfo(0, nullptr);
    const tidvex::RunTimeError plain = tidvex::com::CallError(E_NOINTERFACE, "Automation error in StartClean");
    EXPECT_EQ(plain.Number(), static_cast<std::int32_t>(E_NOINTERFACE));
    EXPECT_EQ(plain.Description(), "Automation error in StartClean");
}

// ---- General ----

TEST(GeneralClass, DllNameStartsAsTheLibraryNameAndStoresText) {
    ComPtr<IDispatch> g;
    ASSERT_EQ(Create<velmora::General>(IID_IDispatch, g.PutVoid()), S_OK);
    Variant v;
    ASSERT_EQ(InvokeByName(g.Get(), L"DLLName", DISPATCH_PROPERTYGET, {}, &v), S_OK);
    EXPECT_EQ(v.AsText(), "Velmora");
    ASSERT_EQ(InvokeByName(g.Get(), L"DLLName", DISPATCH_PROPERTYPUT, {Variant::FromLong(42)}), S_OK);
    ASSERT_EQ(InvokeByName(g.Get(), L"DLLName", DISPATCH_PROPERTYGET, {}, &v), S_OK);
    EXPECT_EQ(v.Type(), VT_BSTR);
    EXPECT_EQ(v.AsText(), "42");
}

// ---- shared procedures ----

TEST(LibraryProcedures, TrimPipesAndStripNulls) {
    EXPECT_EQ(velmora::TrimPipes("|a|b|"), "a|b");
    EXPECT_EQ(velmora::TrimPipes("||"), "");
    EXPECT_EQ(velmora::TrimPipes("|"), "");
    EXPECT_EQ(velmora::TrimPipes("a||"), "a|");
    EXPECT_EQ(velmora::TrimPipes(""), "");
    EXPECT_EQ(velmora::StripNulls(std::string("ab\0cd", 5)), "ab");
    EXPECT_EQ(velmora::StripNulls("abc"), "abc");
}

TEST(LibraryProcedures, OnlyAbsolutePathsBelowARootAreCleanable) {
    for (const char* bad : {"", "   ", "\\temp", "temp", "C:", "C:\\", "C:temp", "\\\\server\\share", "\\\\server"}) {
        EXPECT_FALSE(velmora::IsCleanableFolder(bad)) << bad;
    }
    for (const char* good : {"C:\\temp", "S:\\a\\b\\", "\\\\server\\share\\folder"}) {
        EXPECT_TRUE(velmora::IsCleanableFolder(good)) << good;
    }
}

TEST(LibraryProcedures, FolderQueries) {
    std::wstring docs = velmora::GetSpecialFolder(CSIDL_PERSONAL);
    ASSERT_FALSE(docs.empty());
    EXPECT_NE(docs.back(), L'\\');
    EXPECT_TRUE(PathExists(tidvex::text::Narrow(docs)));
    EXPECT_EQ(velmora::GetFolderPath(0x7F), L"") << "an unknown folder id";
    std::wstring windows = velmora::GetWindowsDir();
    EXPECT_FALSE(windows.empty());
    EXPECT_EQ(windows.find(L'\0'), std::wstring::npos);
    EXPECT_EQ(velmora::WindowsDirectory(200), windows);
    EXPECT_EQ(velmora::WindowsDirectory(3).size(), windows.size()) << "a short buffer is asked again, not cut";
}

}  // namespace
