// What the cleaners take for "the file is gone": only a surely missing file,
// never one that a quote, a blank, a switch, a variable, a placeholder or an
// unreachable drive makes uncertain.
#include "engine/target_probe.h"

#include "harness/support.h"
#include "services/helpers.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using namespace tidvex::engine;
using tidvex::test::WriteFileBytes;

struct Case {
    std::string text;
    Presence expected;
};

std::string Name(Presence p) {
    return p == Presence::Present ? "Present" : p == Presence::Missing ? "Missing" : "Unknown";
}

// A letter that names no drive in this sandbox.
std::string AbsentDrive() {
    for (char letter = 'X'; letter > 'F'; --letter) {
        std::string root = std::string(1, letter) + ":\\";
        if (GetDriveTypeA(root.c_str()) == DRIVE_NO_ROOT_DIR) return std::string(1, letter) + ":";
    }
    return "";
}

class TargetProbeTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string dir = tidvex::test::ScratchFolder("probe");
        CreateDirectoryA((dir + "\\My App").c_str(), nullptr);
        CreateDirectoryA((dir + "\\Folder").c_str(), nullptr);
        for (const char* folder : {"\\x86", "\\x86\\App", "\\x86\\Common Files", "\\native", "\\native\\App",
                                   "\\native\\Folder", "\\native\\Common Files", "\\common64"})
            CreateDirectoryA((dir + folder).c_str(), nullptr);
        for (const char* file : {"\\present.exe", "\\tool.exe", "\\lib.dll", "\\My App\\app.exe", "\\My App\\lib.dll",
                                 "\\x86\\only32.exe", "\\native\\App\\app64.exe", "\\native\\tool64.exe",
                                 "\\common64\\shared.dll", "\\native\\Common Files\\wrong.dll"})
            WriteFileBytes(dir + file, "MZ");
        SetEnvironmentVariableA("TIDVEX_PROBE", dir.c_str());
        folders_ = ProbeFolders{tidvex::services::GetWindowsFolder(), tidvex::services::GetSystemFolder()};
    }

    void Expect(Presence (*probe)(const std::string&, const ProbeFolders&), const std::vector<Case>& cases) {
        for (const auto& c : cases)
            EXPECT_EQ(Name(probe(c.text, folders_)), Name(c.expected)) << "for: " << c.text;
    }

    static inline ProbeFolders folders_;
};

TEST_F(TargetProbeTest, TheSandboxHasTheDrivesTheseCasesNeed) {
    // The probe trusts only fixed drives; the scratch drive must be one.
    EXPECT_EQ(GetDriveTypeA("S:\\"), static_cast<UINT>(DRIVE_FIXED));
    EXPECT_FALSE(AbsentDrive().empty());
}

TEST_F(TargetProbeTest, CommandLines) {
    const std::string absent = AbsentDrive();
    Expect(ProbeCommandLine, {
        // quoted, with blanks, with placeholder arguments
        {"\"S:\\probe\\My App\\app.exe\" \"%1\"", Presence::Present},
        {"  \"S:\\probe\\My App\\app.exe\"", Presence::Present},
        // unquoted with blanks: the reading that exists wins, whatever follows
        {"S:\\probe\\My App\\app.exe /open \"%1\"", Presence::Present},
        {"S:\\probe\\My App\\app.exe %1", Presence::Present},
        {"S:\\probe\\My App\\app.exe -flag value", Presence::Present},
        {"S:\\probe\\present.exe", Presence::Present},
        {"%TIDVEX_PROBE%\\present.exe -x", Presence::Present},
        {"S:\\probe\\tool /x", Presence::Present},  // ".exe" is implied
        {"notepad.exe %1", Presence::Present},      // bare names: the System and Windows folders
        {"notepad %1", Presence::Present},
        // rundll32: the library decides
        {"rundll32.exe S:\\probe\\lib.dll,Entry arg", Presence::Present},
        {"RunDll32 \"S:\\probe\\My App\\lib.dll\",Entry", Presence::Present},
        {"rundll32 shell32.dll,Control_RunDLL", Presence::Present},
        {"%SystemRoot%\\system32\\rundll32.exe S:\\probe\\lib,Entry", Presence::Present},
        {"rundll32.exe S:\\probe\\gone.dll,Entry", Presence::Missing},
        {"rundll32.exe \"S:\\probe\\My App\\gone.dll\",Entry", Presence::Missing},
        // surely gone
        {"\"S:\\probe\\gone\\app.exe\" \"%1\"", Presence::Missing},
        {"S:\\probe\\gone\\app.exe /dde", Presence::Missing},
        {"S:\\probe\\My App\\gone.exe %1", Presence::Missing},
        {"S:\\probe\\gone.exe", Presence::Missing},
        {"S:\\probe\\Folder gone.exe -x", Presence::Missing},  // a folder on the way is no program
        {"tidvex-no-such-program.exe /x", Presence::Missing},
        // cannot be told
        {"\"%1\" %*", Presence::Unknown},
        {absent + "\\nowhere\\app.exe /x", Presence::Unknown},
        {"\\\\server\\share\\app.exe", Presence::Unknown},
        {"relative\\app.exe", Presence::Unknown},
        {"\"S:\\probe\\unclosed.exe", Presence::Unknown},
        {"%TIDVEX_UNDEFINED_VARIABLE%\\app.exe", Presence::Unknown},
        {"S:\\probe\\Folder", Presence::Unknown},
        {"", Presence::Unknown},
    });
}

TEST_F(TargetProbeTest, PathsIconsAndTypeLibraries) {
    const std::string absent = AbsentDrive();
    Expect(ProbePath, {
        {"\"S:\\probe\\present.exe\"", Presence::Present},
        {" S:\\probe\\My App\\app.exe ", Presence::Present},
        {"%TIDVEX_PROBE%\\lib.dll", Presence::Present},
        {"ole32.dll", Presence::Present},
        {"%Program Files%\\Internet Explorer\\iexplore.exe", Presence::Present},
        {"S:\\probe\\gone.dll", Presence::Missing},
        {"tidvex-gone.dll", Presence::Missing},
        {"S:\\probe\\Folder", Presence::Unknown},
        {absent + "\\a.dll", Presence::Unknown},
        {"%1", Presence::Unknown},
        {"", Presence::Unknown},
    });
    Expect(ProbeIcon, {
        {"S:\\probe\\lib.dll,3", Presence::Present},
        {"\"S:\\probe\\My App\\app.exe\",-101", Presence::Present},
        {"S:\\probe\\present.exe", Presence::Present},
        {"shell32.dll,-4", Presence::Present},
        {"S:\\probe\\gone.dll, 0", Presence::Missing},
        {"%1", Presence::Unknown},
    });
    Expect(ProbeTypeLibrary, {
        {"S:\\probe\\lib.dll", Presence::Present},
        {"S:\\probe\\lib.dll\\2", Presence::Present},  // the second type library inside the module
        {"S:\\probe\\gone.dll\\2", Presence::Missing},
    });
}

// A 32-bit process on 64-bit Windows reads "%ProgramFiles%" as the "(x86)"
// folder; S:\probe\x86 plays that folder, S:\probe\native the 64-bit one.
TEST_F(TargetProbeTest, ProgramFoldersOfA32BitProcessOn64BitWindows) {
    ProbeFolders wow = folders_;
    wow.aliases = {{"S:\\probe\\x86", "S:\\probe\\native"},
                   {"S:\\probe\\x86\\Common Files", "S:\\probe\\common64"},
                   {"S:\\probe\\unknown64", ""}};
    const std::vector<Case> cases = {
        {"S:\\probe\\x86\\only32.exe", Presence::Present},
        {"S:\\probe\\x86\\App\\app64.exe", Presence::Present},
        {"\"S:\\probe\\X86\\app\\APP64.EXE\" /x", Presence::Present},
        {"S:\\probe\\x86\\tool64 -y", Presence::Present},                  // ".exe" implied in the 64-bit folder
        {"S:\\probe\\x86\\Common Files\\shared.dll", Presence::Present},  // the innermost folder decides
        {"S:\\probe\\x86\\Common Files\\wrong.dll", Presence::Missing},
        {"S:\\probe\\x86\\gone.exe", Presence::Missing},
        {"S:\\probe\\x86-other\\app64.exe", Presence::Missing},  // a name that only begins alike
        {"S:\\probe\\x86\\Folder", Presence::Unknown},
        {"S:\\probe\\unknown64\\app.exe", Presence::Unknown},
    };
    for (const auto& c : cases) EXPECT_EQ(Name(ProbeCommandLine(c.text, wow)), Name(c.expected)) << "for: " << c.text;
    EXPECT_EQ(Name(ProbeCommandLine("S:\\probe\\x86\\App\\app64.exe", folders_)), "Missing");

    const std::map<std::string, std::string> wow64 = {
        {"ProgramFiles", "C:\\Program Files (x86)"}, {"ProgramW6432", "C:\\Program Files\\"},
        {"CommonProgramFiles", "C:\\Program Files (x86)\\Common Files"}};
    auto environment = [&](const std::string& name) { return wow64.count(name) ? wow64.at(name) : ""; };
    const auto aliases = Wow64ProgramFolders(true, environment);
    ASSERT_EQ(aliases.size(), 2u);
    EXPECT_EQ(aliases[0].seen + "|" + aliases[0].native, "C:\\Program Files (x86)|C:\\Program Files");
    EXPECT_EQ(aliases[1].seen + "|" + aliases[1].native, "C:\\Program Files (x86)\\Common Files|");
    EXPECT_TRUE(Wow64ProgramFolders(false, environment).empty());
    EXPECT_TRUE(Wow64ProgramFolders(true, [](const std::string&) { return std::string("C:\\Program Files"); }).empty());
    // This test program is a 64-bit one: nothing stands for anything else.
    EXPECT_TRUE(Wow64ProgramFolders().empty());
}

}  // namespace
