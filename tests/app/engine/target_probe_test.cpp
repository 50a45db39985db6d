// What the cleaners take for "the file is gone": only a surely missing file,
// never one that a quote, a blank, a switch, a variable, a placeholder or an
// unreachable drive makes uncertain.
#include "engine/target_probe.h"

#include "harness/support.h"
#include "services/helpers.h"

#include <gtest/gtest.h>

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
        for (const char* file : {"\\present.exe", "\\tool.exe", "\\lib.dll", "\\My App\\app.exe", "\\My App\\lib.dll"})
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

}  // namespace
