// The registry cleaner against the sandbox prefix's own registry. Every test
// seeds its entries under names beginning "TidvexTest" and checks that exactly
// the broken ones go, and that the rest of every key a check walks is as it was.
#include "engine/reg_cleaner.h"

#include "harness/support.h"
#include "pump/pump.h"
#include "memory_controls.h"
#include "services/logger.h"
#include "services/program.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace tidvex::engine;
using tidvex::test::ReadFileBytes;
using tidvex::test::RegKeyExists;
using tidvex::test::RegReadString;
using tidvex::test::WriteFileBytes;

const HKEY HKCR = HKEY_CLASSES_ROOT;
const HKEY HKLM = HKEY_LOCAL_MACHINE;
const HKEY HKCU = HKEY_CURRENT_USER;
const std::string kSeed = "TidvexTest";
const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kFonts = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const std::string kShared = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
const std::string kHelp = "SOFTWARE\\Microsoft\\Windows\\Help";
const std::string kAppPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const std::string kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kSounds = "AppEvents\\Schemes\\Apps";

// Seeds a value; names and data may lie outside the code page.
void PutW(HKEY root, const std::wstring& key, const std::wstring& name, const std::wstring& text, DWORD type = REG_SZ) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS)
        << tidvex::text::ForLog(key);
    RegSetValueExW(k, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(k);
}

void PutDwordW(HKEY root, const std::wstring& key, const std::wstring& name, DWORD value) {
    HKEY k;
    ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExW(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(k);
}

void Put(HKEY root, const std::string& key, const std::string& name, const std::string& text, DWORD type = REG_SZ) {
    using tidvex::text::Wide;
    PutW(root, Wide(key), Wide(name), Wide(text), type);
}

void PutDword(HKEY root, const std::string& key, const std::string& name, DWORD value) {
    PutDwordW(root, tidvex::text::Wide(key), tidvex::text::Wide(name), value);
}

// The value's text as stored (unexpanded), or nothing when it is missing.
std::optional<std::wstring> ReadW(HKEY root, const std::wstring& key, const std::wstring& name) {
    wchar_t data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_ANY | RRF_NOEXPAND, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

void WriteFileW(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << tidvex::text::ForLog(path);
    DWORD written = 0;
    WriteFile(h, "MZ", 2, &written, nullptr);
    CloseHandle(h);
}

bool HasValue(HKEY root, const std::string& key, const std::string& name) {
    return RegGetValueA(root, key.c_str(), name.c_str(), RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::vector<std::string> Subkeys(HKEY root, const std::string& key) {
    std::vector<std::string> names;
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return names;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(k, i, name, sizeof name) == ERROR_SUCCESS; ++i) names.push_back(name);
    RegCloseKey(k);
    return names;
}

bool Seeded(std::string name) {
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name.find("tidvextest") != std::string::npos;
}

// Everything a walk over `key` may touch, except what the test seeded: each
// subkey with the value `name` of its `sub` key (or whether that key exists).
std::map<std::string, std::string> Walked(HKEY root, const std::string& key, const std::string& sub,
                                          const std::string& name) {
    std::map<std::string, std::string> seen;
    for (const auto& child : Subkeys(root, key)) {
        if (Seeded(child)) continue;
        const std::string path = (key.empty() ? child : key + "\\" + child) + (sub.empty() ? "" : "\\" + sub);
        auto value = RegReadString(root, path, name);
        seen[child] = value ? *value : RegKeyExists(root, path) ? "<key>" : "<none>";
    }
    return seen;
}

// The values of a key except the seeded ones, with their data as text.
std::map<std::string, std::string> ValuesOf(HKEY root, const std::string& key) {
    std::map<std::string, std::string> values;
    HKEY k;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return values;
    char name[512];
    BYTE data[2048];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = sizeof name, dataLength = sizeof data, type = 0;
        if (RegEnumValueA(k, i, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) break;
        if (!Seeded(name)) values[name] = std::string(reinterpret_cast<char*>(data), dataLength);
    }
    RegCloseKey(k);
    return values;
}

class RegCleanerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = tidvex::test::ScratchFolder("reg");
        CreateDirectoryA((dir_ + "\\My App").c_str(), nullptr);
        for (const char* file : {"\\present.exe", "\\lib.dll", "\\font.ttf", "\\sound.wav", "\\help.hlp",
                                 "\\My App\\app.exe", "\\My App\\lib.dll"})
            WriteFileBytes(dir_ + file, "MZ");
        SetEnvironmentVariableA("TIDVEX_REG", dir_.c_str());
        appPath_ = std::make_unique<tidvex::services::ScopedAppPath>(tidvex::test::ScratchFolder("reglog"));
        tidvex::services::gLogger().SetSwitch(&logSwitch_);
    }

    void SetUp() override {
        cleaner_.ScanningRegKey = [this](std::string& key, std::string& type) {
            events_.push_back("scan:" + key + "|" + type);
        };
        cleaner_.CleaningRegItem = [this](std::string& key, std::string& type) {
            events_.push_back("clean:" + key + "|" + type);
        };
        cleaner_.CompleteCleanItem = [this](std::string& item) { events_.push_back("done:" + item); };
        cleaner_.Progress = [this](double& p) { progress_.push_back(p); };
    }

    void Run(void (clsRegCleaner::*sw)(bool)) {
        (cleaner_.*sw)(true);
        cleaner_.StartClean(0, 20);
    }

    std::vector<std::string> Events(const std::string& kind) const {
        std::vector<std::string> out;
        for (const auto& e : events_)
            if (e.rfind(kind + ":", 0) == 0) out.push_back(e.substr(kind.size() + 1));
        return out;
    }

    static inline std::string dir_;
    static void TearDownTestSuite() { appPath_.reset(); }

    static inline std::unique_ptr<tidvex::services::ScopedAppPath> appPath_;
    static inline tidvex::controls::MemoryCheckBox logSwitch_{-1};
    tidvex::pump::ScopedDoEvents quiet_{[] {}};
    clsRegCleaner cleaner_;
    std::vector<std::string> events_;
    std::vector<double> progress_;
};

TEST_F(RegCleanerTest, FileTypesLoseTheirCommandOnlyWhenTheProgramIsSurelyGone) {
    const auto before = Walked(HKCR, "", "Shell\\Open\\Command", "");
    const std::vector<std::string> valid = {
        "\"S:\\reg\\My App\\app.exe\" \"%1\"", "S:\\reg\\My App\\app.exe /open \"%1\"", "S:\\reg\\My App\\app.exe %1",
        "%TIDVEX_REG%\\present.exe -x",        "rundll32.exe S:\\reg\\lib.dll,Open %1", "notepad.exe %1",
        "\"%1\" %*",                           "\\\\server\\share\\app.exe \"%1\""};
    const std::vector<std::string> broken = {"\"S:\\reg\\gone\\app.exe\" \"%1\"", "S:\\reg\\gone\\app.exe /dde",
                                             "rundll32.exe S:\\reg\\gone.dll,Open %1", "tidvex-no-such-app.exe %1"};
    for (size_t i = 0; i < valid.size(); ++i) Put(HKCR, kSeed + ".Valid" + std::to_string(i) + "\\Shell\\Open\\Command", "", valid[i]);
    for (size_t i = 0; i < broken.size(); ++i) Put(HKCR, kSeed + ".Broken" + std::to_string(i) + "\\Shell\\Open\\Command", "", broken[i]);
    Put(HKCR, ".tidvextest\\Shell\\Open\\Command", "", "S:\\reg\\gone.exe %1");  // extensions are passed over

    Run(&clsRegCleaner::IsCleanBrokenFileType);

    for (size_t i = 0; i < valid.size(); ++i)
        EXPECT_EQ(RegReadString(HKCR, kSeed + ".Valid" + std::to_string(i) + "\\Shell\\Open\\Command", ""), valid[i]);
    std::vector<std::string> cleaned;
    for (size_t i = 0; i < broken.size(); ++i) {
        const std::string type = kSeed + ".Broken" + std::to_string(i);
        EXPECT_FALSE(HasValue(HKCR, type + "\\Shell\\Open\\Command", "")) << broken[i];
        EXPECT_TRUE(RegKeyExists(HKCR, type + "\\Shell\\Open\\Command"));
        cleaned.push_back("HKEY_CLASSES_ROOT\\" + type + "|Broken File Type entries");
    }
    EXPECT_TRUE(HasValue(HKCR, ".tidvextest\\Shell\\Open\\Command", ""));
    EXPECT_EQ(Walked(HKCR, "", "Shell\\Open\\Command", ""), before);

    auto clean = Events("clean");
    std::sort(clean.begin(), clean.end());
    EXPECT_EQ(clean, cleaned);
    auto scans = Events("scan");
    ASSERT_FALSE(scans.empty());
    EXPECT_EQ(scans.front(), "HKEY_CLASSES_ROOT|Broken File Type entries");
    EXPECT_EQ(scans.size(), 1 + broken.size());  // the start, and once more at each deletion
    EXPECT_EQ(events_.back(), "done:Broken File Type entries");
}

TEST_F(RegCleanerTest, ClassesGoWholeWhenTheirServerIsSurelyGone) {
    const auto before = Walked(HKCR, "CLSID", "InprocServer32", "");
    const std::string clsid = "CLSID\\{" + kSeed + "-";
    const std::vector<std::string> valid = {"S:\\reg\\lib.dll", "\"S:\\reg\\My App\\lib.dll\"", "ole32.dll",
                                            "%TIDVEX_REG%\\lib.dll", "relative\\lib.dll"};
    for (size_t i = 0; i < valid.size(); ++i) Put(HKCR, clsid + "Valid" + std::to_string(i) + "}\\InprocServer32", "", valid[i]);
    Put(HKCR, clsid + "Broken0}\\InprocServer32", "", "S:\\reg\\gone.dll");
    Put(HKCR, clsid + "Broken0}\\ProgID", "", "TidvexTest.Gone");
    Put(HKCR, clsid + "Broken1}\\InprocServer32", "", "tidvex-gone.dll");

    Run(&clsRegCleaner::IsCleanBrokenCOM_OLE);

    for (size_t i = 0; i < valid.size(); ++i) EXPECT_TRUE(RegKeyExists(HKCR, clsid + "Valid" + std::to_string(i) + "}")) << valid[i];
    EXPECT_FALSE(RegKeyExists(HKCR, clsid + "Broken0}"));
    EXPECT_FALSE(RegKeyExists(HKCR, clsid + "Broken1}"));
    EXPECT_EQ(Walked(HKCR, "CLSID", "InprocServer32", ""), before);
    EXPECT_EQ(Events("clean"), (std::vector<std::string>{
                                   "HKEY_CLASSES_ROOT\\CLSID\\{TidvexTest-Broken0}|Broken Com/OLE object entries",
                                   "HKEY_CLASSES_ROOT\\CLSID\\{TidvexTest-Broken1}|Broken Com/OLE object entries"}));
    // No start event of its own: only the announcement of each deletion.
    EXPECT_EQ(Events("scan").size(), 2u);
    EXPECT_EQ(events_.back(), "done:Broken Com/OLE object entries");
}

// A server named without its extension is loaded as a ".dll": its class is valid.
TEST_F(RegCleanerTest, AServerNamedWithoutItsExtensionIsLoadedAsADll) {
    wchar_t shortName[MAX_PATH] = {};
    const DWORD n = GetShortPathNameW(L"S:\\reg\\My App\\lib.dll", shortName, MAX_PATH);
    // "S:\reg\MYAPP~1\lib", where the drive gives short names.
    const std::wstring shortPath = n > 4 && n < MAX_PATH ? std::wstring(shortName, n - 4) : L"";
    const bool withShort = !shortPath.empty() && shortPath.find(L"My App") == std::wstring::npos;
    const std::vector<std::wstring> valid = {L"S:\\reg\\lib", L"\"S:\\reg\\My App\\lib\"", L"%TIDVEX_REG%\\lib",
                                             L"%SystemRoot%\\system32\\shell32", L"ole32", L"shell32", L"shdocvw",
                                             L"S:\\reg\\\u0141\u00f3d\u017a\\server"};
    CreateDirectoryW(L"S:\\reg\\\u0141\u00f3d\u017a", nullptr);
    WriteFileW(L"S:\\reg\\\u0141\u00f3d\u017a\\server.dll");
    const std::wstring clsid = L"CLSID\\{TidvexTest-NoExt";
    for (size_t i = 0; i < valid.size(); ++i) PutW(HKCR, clsid + std::to_wstring(i) + L"}\\InprocServer32", L"", valid[i]);
    if (withShort) PutW(HKCR, clsid + L"Short}\\InprocServer32", L"", shortPath);
    PutW(HKCR, clsid + L"Gone}\\InprocServer32", L"", L"S:\\reg\\gone");

    Run(&clsRegCleaner::IsCleanBrokenCOM_OLE);

    for (size_t i = 0; i < valid.size(); ++i)
        EXPECT_TRUE(RegKeyExists(HKCR, "CLSID\\{TidvexTest-NoExt" + std::to_string(i) + "}")) << i;
    EXPECT_EQ(RegKeyExists(HKCR, "CLSID\\{TidvexTest-NoExtShort}"), withShort);
    EXPECT_FALSE(RegKeyExists(HKCR, "CLSID\\{TidvexTest-NoExtGone}"));
    EXPECT_EQ(Events("clean"),
              std::vector<std::string>{"HKEY_CLASSES_ROOT\\CLSID\\{TidvexTest-NoExtGone}|Broken Com/OLE object entries"});
}

// Names and paths outside the code page ("Łódź", "łog-č", "Toolł", "日本") are
// read, probed and deleted exactly: a valid entry stays, a broken one goes with
// its event, and a look-alike of a broken one ("Tooll") keeps every byte.
TEST_F(RegCleanerTest, NamesOutsideTheCodePageAreJudgedAndDeletedExactly) {
    const std::wstring lodz = L"S:\\reg\\\u0141\u00f3d\u017a", log = L"S:\\reg\\\u0142og-\u010d",
                       nihon = L"S:\\reg\\\u65e5\u672c";
    for (const auto& folder : {lodz, log, nihon}) CreateDirectoryW(folder.c_str(), nullptr);
    for (const auto& file : {lodz + L"\\app.exe", log + L"\\tool.exe", log + L"\\tool.dll", nihon + L"\\app.exe"})
        WriteFileW(file);
    SetEnvironmentVariableW(L"TIDVEX_WIDE", lodz.c_str());
    const std::wstring run = tidvex::text::Wide(kRun), appPaths = tidvex::text::Wide(kAppPaths),
                       shared = tidvex::text::Wide(kShared), uninstall = tidvex::text::Wide(kUninstall);
    const std::wstring toolL = L"TidvexTestTool\u0142";
    struct Row {
        HKEY root;
        std::wstring key, name, data;
        bool gone;
        DWORD type = REG_SZ;
    } rows[] = {
        {HKLM, run, L"TidvexTestLodz", L"\"" + lodz + L"\\app.exe\" /tray", false},
        {HKLM, run, L"TidvexTestLog", log + L"\\tool.exe", false},
        {HKCU, run, L"TidvexTest\u65e5\u672c", nihon + L"\\app.exe", false},
        {HKCU, run, L"TidvexTestExpand", L"%TIDVEX_WIDE%\\app.exe", false, REG_EXPAND_SZ},
        {HKCU, run, toolL, nihon + L"\\gone.exe", true},
        {HKCU, run, L"TidvexTestTooll", log + L"\\tool.exe", false},
        {HKLM, appPaths + L"\\TidvexTestTool.exe", L"", log + L"\\tool.exe", false},
        {HKLM, appPaths + L"\\TidvexTest\u65e5\u672c.exe", L"", nihon + L"\\gone.exe", true},
        {HKLM, uninstall + L"\\TidvexTestTooll", L"UninstallString", log + L"\\tool.exe /x", false},
        {HKLM, uninstall + L"\\" + toolL, L"UninstallString", nihon + L"\\gone.exe /x", true},
    };
    for (const Row& r : rows) PutW(r.root, r.key, r.name, r.data, r.type);
    PutDwordW(HKLM, shared, log + L"\\tool.dll", 1);
    PutDwordW(HKLM, shared, nihon + L"\\gone.dll", 1);

    cleaner_.IsCleanBrokenStartup(true);
    cleaner_.IsCleanBrokenSharedDLL(true);
    cleaner_.IsCleanBrokenApplicationPath(true);
    cleaner_.IsCleanBrokenUninstall(true);
    cleaner_.StartClean(0, 20);

    for (const Row& r : rows) {
        const auto left = ReadW(r.root, r.key, r.name);
        EXPECT_EQ(left.has_value(), !r.gone) << tidvex::text::ForLog(r.key + L"\\" + r.name);
        EXPECT_EQ(left.value_or(r.data), r.data) << tidvex::text::ForLog(r.name);
    }
    EXPECT_TRUE(ReadW(HKLM, shared, log + L"\\tool.dll"));
    EXPECT_FALSE(ReadW(HKLM, shared, nihon + L"\\gone.dll"));
    const std::string hklm = "HKEY_LOCAL_MACHINE\\";
    EXPECT_EQ(Events("clean"), (std::vector<std::string>{
                                   "HKEY_CURRENT_USER\\" + kRun + "=TidvexTestTool<U+0142>|Broken Startup entries",
                                   hklm + kShared + "=S:\\reg\\<U+65E5><U+672C>\\gone.dll|Broken Shared DLL's entries",
                                   hklm + kAppPaths + "\\TidvexTest<U+65E5><U+672C>.exe|Broken Application Path entries",
                                   hklm + kUninstall + "\\TidvexTestTool<U+0142>|Broken Uninstall entries"}));
    for (const Row& r : rows) RegDeleteKeyW(r.root, r.key.c_str());
    for (const Row& r : rows) RegDeleteKeyValueW(r.root, r.key.c_str(), r.name.c_str());
    RegDeleteKeyValueW(HKLM, shared.c_str(), (log + L"\\tool.dll").c_str());
}

TEST_F(RegCleanerTest, TypeLibrariesGoOnlyWhenNoVersionResolves) {
    const auto before = Walked(HKCR, "TypeLib", "", "");
    const std::string lib = "TypeLib\\{" + kSeed + "-";
    Put(HKCR, lib + "Broken}\\1.0\\0\\win32", "", "S:\\reg\\gone1.tlb");
    Put(HKCR, lib + "Broken}\\2.0\\0\\win32", "", "S:\\reg\\gone2.tlb");
    Put(HKCR, lib + "OneVersionLeft}\\1.0\\0\\win32", "", "S:\\reg\\gone1.tlb");
    Put(HKCR, lib + "OneVersionLeft}\\2.0\\0\\win32", "", "S:\\reg\\lib.dll");
    Put(HKCR, lib + "Resource}\\1.0\\0\\win32", "", "S:\\reg\\lib.dll\\2");
    Put(HKCR, lib + "Only64}\\1.0\\0\\win32", "", "S:\\reg\\gone1.tlb");
    Put(HKCR, lib + "Only64}\\1.0\\0\\win64", "", "S:\\reg\\lib.dll");
    Put(HKCR, lib + "OtherLanguage}\\1.0\\409\\win32", "", "S:\\reg\\gone1.tlb");

    Run(&clsRegCleaner::IsCleanBrokenActiveX);

    EXPECT_FALSE(RegKeyExists(HKCR, lib + "Broken}"));
    for (const char* kept : {"OneVersionLeft}", "Resource}", "Only64}", "OtherLanguage}"})
        EXPECT_TRUE(RegKeyExists(HKCR, lib + kept)) << kept;
    EXPECT_EQ(Walked(HKCR, "TypeLib", "", ""), before);
    EXPECT_EQ(Events("scan"), std::vector<std::string>{"HKEY_CLASSES_ROOT\\TypeLib|Broken ActiveX entries"});
    EXPECT_EQ(Events("clean"),
              std::vector<std::string>{"HKEY_CLASSES_ROOT\\TypeLib\\{TidvexTest-Broken}|Broken ActiveX entries"});
}

TEST_F(RegCleanerTest, StartupEntriesOfBothHives) {
    const auto machine = ValuesOf(HKLM, kRun);
    const auto user = ValuesOf(HKCU, kRun);
    Put(HKLM, kRun, kSeed + "Quoted", "\"S:\\reg\\My App\\app.exe\" -tray");
    Put(HKLM, kRun, kSeed + "Unquoted", "S:\\reg\\My App\\app.exe /background");
    Put(HKLM, kRun, kSeed + "Gone", "S:\\reg\\gone.exe /x");
    Put(HKCU, kRun, kSeed + "Rundll", "RunDll32.exe \"S:\\reg\\My App\\lib.dll\",Start");
    Put(HKCU, kRun, kSeed + "Gone", "\"S:\\reg\\gone\\x.exe\"");

    Run(&clsRegCleaner::IsCleanBrokenStartup);

    EXPECT_TRUE(HasValue(HKLM, kRun, kSeed + "Quoted"));
    EXPECT_TRUE(HasValue(HKLM, kRun, kSeed + "Unquoted"));
    EXPECT_TRUE(HasValue(HKCU, kRun, kSeed + "Rundll"));
    EXPECT_FALSE(HasValue(HKLM, kRun, kSeed + "Gone"));
    EXPECT_FALSE(HasValue(HKCU, kRun, kSeed + "Gone"));
    EXPECT_EQ(ValuesOf(HKLM, kRun), machine);
    EXPECT_EQ(ValuesOf(HKCU, kRun), user);
    const std::string category = "|Broken Startup entries";
    EXPECT_EQ(events_, (std::vector<std::string>{
                           "scan:HKEY_LOCAL_MACHINE\\" + kRun + category,
                           "clean:HKEY_LOCAL_MACHINE\\" + kRun + "=" + kSeed + "Gone" + category,
                           "scan:HKEY_CURRENT_USER\\" + kRun + category,
                           "clean:HKEY_CURRENT_USER\\" + kRun + "=" + kSeed + "Gone" + category,
                           "done:Broken Startup entries"}));
}

// In a 32-bit process on 64-bit Windows a 64-bit program's entry reads as a
// path below the "(x86)" folder (here S:\reg\x86); its file is looked for in
// the 64-bit folder before the entry goes, and kept when that cannot be told.
TEST_F(RegCleanerTest, EntriesOfSixtyFourBitProgramsSeenFromAThirtyTwoBitProcess) {
    CreateDirectoryA("S:\\reg\\native", nullptr);
    WriteFileBytes("S:\\reg\\native\\app64.exe", "MZ");
    clsRegCleaner wow({{"S:\\reg\\x86", "S:\\reg\\native"}, {"S:\\reg\\unknown64", ""}});
    Put(HKLM, kRun, kSeed + "Native", "\"S:\\reg\\x86\\app64.exe\" /tray");
    Put(HKLM, kRun, kSeed + "Unknown", "S:\\reg\\unknown64\\app.exe");
    Put(HKLM, kRun, kSeed + "Gone", "S:\\reg\\x86\\gone.exe");
    wow.IsCleanBrokenStartup(true);
    wow.StartClean(0, 20);
    EXPECT_TRUE(HasValue(HKLM, kRun, kSeed + "Native"));
    EXPECT_TRUE(HasValue(HKLM, kRun, kSeed + "Unknown"));
    EXPECT_FALSE(HasValue(HKLM, kRun, kSeed + "Gone"));

    // In a 64-bit process the same entries name files that are surely gone.
    Run(&clsRegCleaner::IsCleanBrokenStartup);
    EXPECT_FALSE(HasValue(HKLM, kRun, kSeed + "Native"));
    EXPECT_FALSE(HasValue(HKLM, kRun, kSeed + "Unknown"));
}

TEST_F(RegCleanerTest, SharedDllsFontsAndHelpFiles) {
    // The prefix's own font entries name fonts that Wine keeps outside the
    // prefix; giving them files leaves the seeded entries the only broken ones.
    for (const auto& [name, data] : ValuesOf(HKLM, kFonts)) {
        const std::string file = data.c_str();
        if (file.find_first_of(":\\") == std::string::npos && !tidvex::test::PathExists("C:\\windows\\Fonts\\" + file))
            WriteFileBytes("C:\\windows\\Fonts\\" + file, "font");
    }
    WriteFileBytes("C:\\windows\\Fonts\\tidvextest.ttf", "font");
    const auto shared = ValuesOf(HKLM, kShared);
    const auto fonts = ValuesOf(HKLM, kFonts);
    const auto help = ValuesOf(HKLM, kHelp);

    PutDword(HKLM, kShared, "S:\\reg\\lib.dll", 1);
    PutDword(HKLM, kShared, "S:\\reg\\TidvexTestGone.dll", 3);
    PutDword(HKLM, kShared, "X:\\TidvexTestAbsentDrive.dll", 1);
    Put(HKLM, kShared, "S:\\reg\\TidvexTestNoData.dll", "");  // without data it is not looked at
    Put(HKLM, kFonts, kSeed + " Path (TrueType)", "S:\\reg\\font.ttf");
    Put(HKLM, kFonts, kSeed + " Bare (TrueType)", "tidvextest.ttf");
    Put(HKLM, kFonts, kSeed + " Gone (TrueType)", "S:\\reg\\gone.ttf");
    Put(HKLM, kFonts, kSeed + " Bare Gone (TrueType)", "tidvextest-gone.ttf");
    Put(HKLM, kHelp, "help.hlp", "S:\\reg");
    Put(HKLM, kHelp, "TidvexTestGone.hlp", "S:\\reg\\");

    cleaner_.IsCleanBrokenSharedDLL(true);
    cleaner_.IsCleanBrokenFont(true);
    cleaner_.IsCleanBrokenHelpFiles(true);
    cleaner_.StartClean(0, 20);

    EXPECT_TRUE(HasValue(HKLM, kShared, "S:\\reg\\lib.dll"));
    EXPECT_FALSE(HasValue(HKLM, kShared, "S:\\reg\\TidvexTestGone.dll"));
    EXPECT_TRUE(HasValue(HKLM, kShared, "X:\\TidvexTestAbsentDrive.dll"));
    EXPECT_TRUE(HasValue(HKLM, kShared, "S:\\reg\\TidvexTestNoData.dll"));
    EXPECT_TRUE(HasValue(HKLM, kFonts, kSeed + " Path (TrueType)"));
    EXPECT_TRUE(HasValue(HKLM, kFonts, kSeed + " Bare (TrueType)"));
    EXPECT_FALSE(HasValue(HKLM, kFonts, kSeed + " Gone (TrueType)"));
    EXPECT_FALSE(HasValue(HKLM, kFonts, kSeed + " Bare Gone (TrueType)"));
    EXPECT_TRUE(HasValue(HKLM, kHelp, "help.hlp"));
    EXPECT_FALSE(HasValue(HKLM, kHelp, "TidvexTestGone.hlp"));

    auto withoutLib = ValuesOf(HKLM, kShared);
    withoutLib.erase("S:\\reg\\lib.dll");
    EXPECT_EQ(withoutLib, shared);
    EXPECT_EQ(ValuesOf(HKLM, kFonts), fonts);
    auto withoutHelp = ValuesOf(HKLM, kHelp);
    withoutHelp.erase("help.hlp");
    EXPECT_EQ(withoutHelp, help);
    auto clean = Events("clean");
    std::sort(clean.begin() + 1, clean.begin() + 3);  // the two fonts, in the order the values are listed
    EXPECT_EQ(clean, (std::vector<std::string>{
                                   "HKEY_LOCAL_MACHINE\\" + kShared + "=S:\\reg\\TidvexTestGone.dll|Broken Shared DLL's entries",
                                   "HKEY_LOCAL_MACHINE\\" + kFonts + "=" + kSeed + " Bare Gone (TrueType)|Broken Font entries",
                                   "HKEY_LOCAL_MACHINE\\" + kFonts + "=" + kSeed + " Gone (TrueType)|Broken Font entries",
                                   "HKEY_LOCAL_MACHINE\\" + kHelp + ":TidvexTestGone.hlp|Broken help file entries"}));
    EXPECT_EQ(Events("done"), (std::vector<std::string>{"Broken Shared DLL's entries", "Broken Font entries",
                                                        "Broken help file entries"}));
}

TEST_F(RegCleanerTest, SoundsApplicationPathsIconsAndUninstallEntries) {
    auto allSounds = [] {
        std::map<std::string, std::string> seen;
        for (const auto& [app, _] : Walked(HKCU, kSounds, "", ""))
            for (const auto& [event, value] : Walked(HKCU, kSounds + "\\" + app, ".Current", ""))
                seen[app + "\\" + event] = value;
        return seen;
    };
    const auto sounds = allSounds();
    const auto appPaths = Walked(HKLM, kAppPaths, "", "");
    const auto icons = Walked(HKCR, "", "DefaultIcon", "");
    const auto bitmaps = Walked(HKCR, "CLSID", "ToolboxBitmap32", "");
    const auto uninstall = Walked(HKLM, kUninstall, "", "UninstallString");

    const std::string app = kSounds + "\\" + kSeed;
    Put(HKCU, app + "\\Valid\\.Current", "", "S:\\reg\\sound.wav");
    Put(HKCU, app + "\\Expanded\\.Current", "", "%TIDVEX_REG%\\sound.wav", REG_EXPAND_SZ);
    Put(HKCU, app + "\\Broken\\.Current", "", "S:\\reg\\gone.wav");
    Put(HKLM, kAppPaths + "\\TidvexTestValid.exe", "", "\"S:\\reg\\My App\\app.exe\"");
    Put(HKLM, kAppPaths + "\\TidvexTestGone.exe", "", "S:\\reg\\gone.exe");
    Put(HKCR, kSeed + ".IconValid\\DefaultIcon", "", "\"S:\\reg\\My App\\app.exe\",-101");
    Put(HKCR, kSeed + ".IconSelf\\DefaultIcon", "", "%1");
    Put(HKCR, kSeed + ".IconBare\\DefaultIcon", "", "shell32.dll,3");
    Put(HKCR, kSeed + ".IconGone\\DefaultIcon", "", "S:\\reg\\gone.dll,0");
    Put(HKCR, "CLSID\\{" + kSeed + "-Bitmap}\\ToolboxBitmap32", "", "S:\\reg\\lib.dll, 1");
    Put(HKCR, "CLSID\\{" + kSeed + "-BitmapGone}\\ToolboxBitmap32", "", "S:\\reg\\gone.dll, 1");
    Put(HKLM, kUninstall + "\\TidvexTestMsi", "UninstallString", "MsiExec.exe /X{12345678-1234-1234-1234-123456789012}");
    Put(HKLM, kUninstall + "\\TidvexTestQuoted", "UninstallString", "\"S:\\reg\\My App\\app.exe\" /uninstall");
    Put(HKLM, kUninstall + "\\TidvexTestRundll", "UninstallString", "RunDll32 S:\\reg\\lib.dll,Remove x");
    Put(HKLM, kUninstall + "\\TidvexTestGone", "UninstallString", "S:\\reg\\gone\\unins000.exe");
    Put(HKLM, kUninstall + "\\TidvexTestRundllGone", "UninstallString", "rundll32.exe S:\\reg\\gone.dll,Remove");

    cleaner_.IsCleanBrokenSound(true);
    cleaner_.IsCleanBrokenApplicationPath(true);
    cleaner_.IsCleanBrokenIcon(true);
    cleaner_.IsCleanBrokenUninstall(true);
    cleaner_.StartClean(0, 20);

    EXPECT_TRUE(RegKeyExists(HKCU, app + "\\Valid\\.Current"));
    EXPECT_TRUE(RegKeyExists(HKCU, app + "\\Expanded\\.Current"));
    EXPECT_FALSE(RegKeyExists(HKCU, app + "\\Broken\\.Current"));
    EXPECT_TRUE(RegKeyExists(HKLM, kAppPaths + "\\TidvexTestValid.exe"));
    EXPECT_FALSE(RegKeyExists(HKLM, kAppPaths + "\\TidvexTestGone.exe"));
    for (const char* kept : {".IconValid", ".IconSelf", ".IconBare"})
        EXPECT_TRUE(RegKeyExists(HKCR, kSeed + kept + "\\DefaultIcon")) << kept;
    EXPECT_FALSE(RegKeyExists(HKCR, kSeed + ".IconGone\\DefaultIcon"));
    EXPECT_TRUE(RegKeyExists(HKCR, kSeed + ".IconGone"));
    EXPECT_TRUE(RegKeyExists(HKCR, "CLSID\\{" + kSeed + "-Bitmap}\\ToolboxBitmap32"));
    EXPECT_FALSE(RegKeyExists(HKCR, "CLSID\\{" + kSeed + "-BitmapGone}\\ToolboxBitmap32"));
    for (const char* kept : {"\\TidvexTestMsi", "\\TidvexTestQuoted", "\\TidvexTestRundll"})
        EXPECT_TRUE(RegKeyExists(HKLM, kUninstall + kept)) << kept;
    EXPECT_FALSE(RegKeyExists(HKLM, kUninstall + "\\TidvexTestGone"));
    EXPECT_FALSE(RegKeyExists(HKLM, kUninstall + "\\TidvexTestRundllGone"));

    EXPECT_EQ(allSounds(), sounds);
    EXPECT_EQ(Walked(HKLM, kAppPaths, "", ""), appPaths);
    EXPECT_EQ(Walked(HKCR, "", "DefaultIcon", ""), icons);
    EXPECT_EQ(Walked(HKCR, "CLSID", "ToolboxBitmap32", ""), bitmaps);
    EXPECT_EQ(Walked(HKLM, kUninstall, "", "UninstallString"), uninstall);

    auto clean = Events("clean");
    std::sort(clean.begin(), clean.end());
    EXPECT_EQ(clean, (std::vector<std::string>{
                         "HKEY_CLASSES_ROOT\\CLSID\\{TidvexTest-BitmapGone}\\ToolboxBitmap32|Broken icon entries",
                         "HKEY_CLASSES_ROOT\\TidvexTest.IconGone\\DefaultIcon|Broken icon entries",
                         "HKEY_CURRENT_USER\\" + app + "\\Broken\\.Current|Broken System Sounds entries",
                         "HKEY_LOCAL_MACHINE\\" + kAppPaths + "\\TidvexTestGone.exe|Broken Application Path entries",
                         "HKEY_LOCAL_MACHINE\\" + kUninstall + "\\TidvexTestGone|Broken Uninstall entries",
                         "HKEY_LOCAL_MACHINE\\" + kUninstall + "\\TidvexTestRundllGone|Broken Uninstall entries"}));
    // The icon check walks two keys under one category and completes once.
    EXPECT_EQ(Events("done"), (std::vector<std::string>{"Broken System Sounds entries", "Broken Application Path entries",
                                                        "Broken icon entries", "Broken Uninstall entries"}));
    EXPECT_EQ(std::count(events_.begin(), events_.end(), "scan:HKEY_CLASSES_ROOT\\CLSID|Broken icon entries"), 1);
}

const std::string kExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer";
const std::string kSearch = "Software\\Microsoft\\Search Assistant\\ACMru";
const std::string kRunMru = kExplorer + "\\RunMRU";
const std::string kPlayer = "Software\\Microsoft\\MediaPlayer\\Player";
const std::string kPaint = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List";
const std::string kWordPad = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List";
const std::string kLastVisited = kExplorer + "\\ComDlg32\\LastVisitedMRU";
const std::string kOpenSave = kExplorer + "\\ComDlg32\\OpenSaveMRU";
const std::string kCalls = "Software\\Microsoft\\Conferencing\\UI\\CallMRU";

void SeedLists() {
    Put(HKCU, kSearch + "\\5603", "000", "secret");
    Put(HKCU, kSearch + "\\5001", "000", "secret");
    Put(HKCU, kRunMru, "a", "regedit\\1");
    Put(HKCU, kPlayer + "\\RecentURLList", "URL0", "http://example.invalid/");
    Put(HKCU, kPlayer + "\\RecentFileList", "File0", "C:\\a.wma");
    Put(HKCU, kPaint, "File1", "C:\\a.bmp");
    Put(HKCU, kWordPad, "File1", "C:\\a.rtf");
    Put(HKCU, kLastVisited, "a", "notepad.exe");
    Put(HKCU, kOpenSave, "a", "C:\\a.txt");
    Put(HKCU, kCalls, "Name0", "someone");
}

void AllListSwitches(clsRegCleaner& c) {
    for (auto sw : {&clsRegCleaner::IsCleanMRUSearch, &clsRegCleaner::IsCleanMRURun, &clsRegCleaner::IsCleanMRUMediaPlayer,
                    &clsRegCleaner::IsCleanMRUPaint, &clsRegCleaner::IsCleanMRUWrodPad, &clsRegCleaner::IsCleanMRUWinZip,
                    &clsRegCleaner::IsCleanMRUComDialog, &clsRegCleaner::IsCleanMRUNetMeeting})
        (c.*sw)(true);
}

TEST_F(RegCleanerTest, MostRecentlyUsedListsAreClearedWithTheirEvents) {
    SeedLists();
    AllListSwitches(cleaner_);
    cleaner_.StartClean(0, 20);

    for (const auto& key : {kSearch, kRunMru, kPlayer + "\\RecentURLList", kPlayer + "\\RecentFileList", kPaint, kWordPad,
                            kLastVisited, kOpenSave, kCalls})
        EXPECT_FALSE(RegKeyExists(HKCU, key)) << key;
    EXPECT_TRUE(RegKeyExists(HKCU, kPlayer));
    EXPECT_TRUE(RegKeyExists(HKCU, kExplorer + "\\ComDlg32"));
    const std::string search = "HKEY_CURRENT_USER\\" + kSearch;
    EXPECT_EQ(events_, (std::vector<std::string>{
                           "scan:" + search + "|Search MRU", "clean:" + search + "|Search MRU", "done:Search MRU",
                           "scan:" + kRunMru + "|Run MRU", "clean:" + kRunMru + "|Run MRU", "done:Run MRU",
                           "scan:" + kPlayer + "\\RecentURLList|Media Player MRU",
                           "scan:" + kPlayer + "\\RecentFileList|Media Player MRU", "done:Media Player MRU",
                           "scan:" + kPaint + "|MS Paint MRU", "clean:" + kPaint + "|MS Paint MRU", "done:MS Paint MRU",
                           "scan:" + kWordPad + "|WordPad MRU", "clean:" + kWordPad + "|WordPad MRU", "done:WordPad MRU",
                           "scan:" + kLastVisited + "|Open & Save Dialogs MRU",
                           "scan:" + kOpenSave + "|Open & Save Dialogs MRU", "done:Open & Save Dialogs MRU",
                           "scan:" + kCalls + "|Net Meeting MRU", "clean:" + kCalls + "|Net Meeting MRU",
                           "done:Net Meeting MRU"}));
    EXPECT_EQ(progress_.size(), 19u);
}

// A link ABOVE a list's key, to a machine key that holds the list's name:
// that deletion is refused and logged, every other list is still cleared.
TEST_F(RegCleanerTest, ALinkAboveAListKeyRefusesItsDeletion) {
    using tidvex::test::LinkTargetIntact;
    struct Case {
        std::string link;
        std::string inner;
    } cases[] = {
        {"Software\\Microsoft\\Search Assistant", "ACMru"},
        {kPlayer, "RecentURLList"},
        {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint", "Recent File List"},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad", "Recent File List"},
        {kExplorer + "\\ComDlg32", "LastVisitedMRU"},
        {"Software\\Microsoft\\Conferencing\\UI", "CallMRU"},
    };
    SeedLists();
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        RegDeleteTreeA(HKCU, c.link.c_str());
        const std::string target = tidvex::test::SeedLinkTarget("lists" + std::to_string(i), false, "kept", c.inner);
        ASSERT_TRUE(tidvex::test::MakeRegistryLink(HKCU, c.link, target)) << c.link;
    }
    AllListSwitches(cleaner_);
    cleaner_.StartClean(0, 20);

    EXPECT_EQ(progress_.size(), 19u);
    EXPECT_FALSE(RegKeyExists(HKCU, kRunMru));  // the list without a link still goes
    const auto log = ReadFileBytes(tidvex::services::LogFilePath()).value_or("");
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        EXPECT_TRUE(LinkTargetIntact("lists" + std::to_string(i), false, "kept", c.inner)) << c.link;
        EXPECT_TRUE(tidvex::test::RegistryLinkExists(HKCU, c.link)) << c.link;
        EXPECT_NE(log.find("Not cleaned: \"HKEY_CURRENT_USER\\" + c.link + "\\" + c.inner +
                           "\": a registry link on the way"),
                  std::string::npos)
            << c.link;
        tidvex::test::RemoveRegistryLink(HKCU, c.link);
    }
}

TEST_F(RegCleanerTest, NineteenStepsFillTheBandAndNeverLeaveIt) {
    double start = 0;
    cleaner_.StartClean(start, 20);
    ASSERT_EQ(progress_.size(), 19u);
    for (size_t k = 0; k < 18; ++k) EXPECT_DOUBLE_EQ(progress_[k], 20.0 * static_cast<double>(k + 1) / 19) << k;
    EXPECT_EQ(progress_.back(), 20.0);
    EXPECT_EQ(start, 20.0);
    EXPECT_TRUE(events_.empty());

    progress_.clear();
    double odd = 1.0 / 3;
    const double range = 0.1;
    cleaner_.StartClean(odd, range);
    ASSERT_EQ(progress_.size(), 19u);
    EXPECT_EQ(progress_.back(), 1.0 / 3 + range);
    for (size_t k = 0; k < progress_.size(); ++k) {
        EXPECT_GE(progress_[k], 1.0 / 3);
        EXPECT_LE(progress_[k], 1.0 / 3 + range);
        if (k > 0) {
            EXPECT_GT(progress_[k], progress_[k - 1]);
        }
    }
}

// Stop, wherever it comes, ends the run at once: no later entry is deleted,
// no later check or list runs, and no event follows.
TEST_F(RegCleanerTest, StopFromAnEventEndsTheRunAtOnce) {
    Put(HKCR, kSeed + ".StopA\\Shell\\Open\\Command", "", "S:\\reg\\gone\\a.exe %1");
    Put(HKCR, kSeed + ".StopB\\Shell\\Open\\Command", "", "S:\\reg\\gone\\b.exe %1");
    Put(HKCR, "CLSID\\{" + kSeed + "-Stop}\\InprocServer32", "", "S:\\reg\\gone.dll");
    SeedLists();
    cleaner_.IsCleanBrokenFileType(true);
    cleaner_.IsCleanBrokenCOM_OLE(true);
    AllListSwitches(cleaner_);
    cleaner_.CleaningRegItem = [this](std::string& key, std::string&) {
        events_.push_back("clean:" + key);
        cleaner_.StopClean();
    };
    cleaner_.StartClean(0, 20);

    EXPECT_NE(HasValue(HKCR, kSeed + ".StopA\\Shell\\Open\\Command", ""),
              HasValue(HKCR, kSeed + ".StopB\\Shell\\Open\\Command", ""));
    EXPECT_TRUE(RegKeyExists(HKCR, "CLSID\\{" + kSeed + "-Stop}"));
    EXPECT_TRUE(RegKeyExists(HKCU, kRunMru));
    ASSERT_FALSE(events_.empty());
    EXPECT_EQ(events_.back().rfind("clean:", 0), 0u);
    EXPECT_TRUE(progress_.empty());
}

TEST_F(RegCleanerTest, StopInsideAListStepKeepsWhatItHasNotDeletedYet) {
    SeedLists();
    cleaner_.IsCleanMRUMediaPlayer(true);
    cleaner_.IsCleanMRUComDialog(true);
    cleaner_.IsCleanMRUNetMeeting(true);
    cleaner_.ScanningRegKey = [this](std::string& key, std::string&) {
        events_.push_back("scan:" + key);
        if (key == kPlayer + "\\RecentURLList") cleaner_.StopClean();
    };
    cleaner_.StartClean(0, 20);
    EXPECT_TRUE(RegKeyExists(HKCU, kPlayer + "\\RecentURLList"));
    EXPECT_TRUE(RegKeyExists(HKCU, kPlayer + "\\RecentFileList"));
    EXPECT_TRUE(RegKeyExists(HKCU, kCalls));
    EXPECT_EQ(events_, std::vector<std::string>{"scan:" + kPlayer + "\\RecentURLList"});
    EXPECT_EQ(progress_.size(), 13u);  // the steps before it

    // The dialogs list deletes its first key before it announces the second.
    events_.clear();
    progress_.clear();
    cleaner_.IsCleanMRUMediaPlayer(false);
    cleaner_.ScanningRegKey = [this](std::string& key, std::string&) {
        events_.push_back("scan:" + key);
        if (key == kOpenSave) cleaner_.StopClean();
    };
    cleaner_.StartClean(0, 20);
    EXPECT_FALSE(RegKeyExists(HKCU, kLastVisited));
    EXPECT_TRUE(RegKeyExists(HKCU, kOpenSave));
    EXPECT_TRUE(RegKeyExists(HKCU, kCalls));
    EXPECT_EQ(events_, (std::vector<std::string>{"scan:" + kLastVisited, "scan:" + kOpenSave}));
}

TEST_F(RegCleanerTest, StopWhileYieldingAndFromTheProgressEvent) {
    Put(HKCR, kSeed + ".StopYield\\Shell\\Open\\Command", "", "S:\\reg\\gone\\a.exe %1");
    SeedLists();
    int yields = 0;
    {
        // The Stop button, pressed while the first entry is being reached.
        tidvex::pump::ScopedDoEvents pressStop([&] {
            if (++yields == 3) cleaner_.StopClean();
        });
        cleaner_.IsCleanBrokenFileType(true);
        cleaner_.IsCleanMRURun(true);
        cleaner_.StartClean(0, 20);
    }
    EXPECT_EQ(yields, 3);
    EXPECT_EQ(events_, std::vector<std::string>{"scan:HKEY_CLASSES_ROOT|Broken File Type entries"});
    EXPECT_TRUE(progress_.empty());
    EXPECT_TRUE(HasValue(HKCR, kSeed + ".StopYield\\Shell\\Open\\Command", ""));
    EXPECT_TRUE(RegKeyExists(HKCU, kRunMru));

    // A new run starts afresh; stopped from its third progress event, it ends there.
    events_.clear();
    cleaner_.IsCleanBrokenFileType(false);
    cleaner_.Progress = [this](double& p) {
        progress_.push_back(p);
        if (progress_.size() == 3) cleaner_.StopClean();
    };
    cleaner_.StartClean(0, 20);
    EXPECT_EQ(progress_.size(), 3u);
    EXPECT_TRUE(events_.empty());
    EXPECT_TRUE(RegKeyExists(HKCU, kRunMru));
}

TEST_F(RegCleanerTest, AFailingCheckIsLoggedUnderItsTagAndTheNextOneRuns) {
    cleaner_.IsCleanBrokenFont(true);
    cleaner_.IsCleanBrokenSound(true);
    cleaner_.ScanningRegKey = [this](std::string&, std::string& type) {
        events_.push_back("scan:" + type);
        if (type == "Broken Font entries") throw tidvex::RunTimeError(91, "Object variable not set");
    };
    cleaner_.StartClean(0, 20);
    EXPECT_EQ(Events("done"), std::vector<std::string>{"Broken System Sounds entries"});
    EXPECT_EQ(progress_.size(), 19u);
    const auto log = ReadFileBytes(tidvex::services::LogFilePath());
    ASSERT_TRUE(log.has_value());
    EXPECT_NE(log->find("Error Number: 91, Description: Object variable not set - , Function: "
                        "renaelCgeRslc@tnoFnekorBnaelC : On : "),
              std::string::npos)
        << *log;
}

}  // namespace
