// The program's close during a free-space wipe, for real: the main window with
// the registered libraries runs in a child process of this test, wipes the free
// space of the test's own tmpfs drive T:, is stopped at 5 % and closed. The
// worker of the shredder may still be removing its fill then; nothing of it may
// be left when the program's end begins, nor when the process has ended.
#include "real_window.h"

#include "pump/pump.h"
#include "services/helpers.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

using tidvex::main::frmMain;

constexpr char kChild[] = "TIDVEX_SHREDDER_CLOSE_CHILD";
constexpr DWORD kChildTimeout = 120000;

std::string FillFolder(char drive) { return std::string(1, drive) + ":\\SHREDTMP.$$$"; }
bool Gone(const std::string& path) { return GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES; }

// The child: the program's window wipes T:, is stopped at 5 % and closed. It
// is skipped unless the parent started it.
TEST(ShredderCloseChild, StopThenClose) {
    if (!std::getenv(kChild)) GTEST_SKIP() << "run by ShredderClose only";
    auto drive = tidvex::test::TestDrive('t');
    ASSERT_TRUE(drive);
    // Never the session's end for real.
    tidvex::services::ScopedPlatformCalls power({.exitWindowsEx = [](UINT, DWORD) { return FALSE; }});
    bool stopped = false;
    {
        tidvex::test::RealWindow real("program");
        ASSERT_TRUE(real.Ready());
        tidvex::main::win32::MainWindow& window = real.window();
        ASSERT_TRUE(window.Load());
        frmMain& f = window.form();
        f.cmdToolBar_Click(2);
        f.cmdShredder_Click(1);
        int entry = -1;
        for (int i = 0; i < f.lstDrives->ListCount(); ++i)
            if (f.lstDrives->List(i).rfind(std::wstring(1, static_cast<wchar_t>(*drive)) + L":", 0) == 0) entry = i;
        ASSERT_GE(entry, 0) << "the test drive is not offered";
        f.lstDrives->Checked(entry, true);
        f.UpdateStartShredButton();

        // At 5 % the user presses Stop and closes the window (inside the
        // progress event, where the window handles its messages).
        tidvex::ScopedSeam<std::function<void()>> yields(tidvex::pump::gDoEvents, [&] {
            if (!stopped && f.IsShredding && f.prgTotalShred->Value() >= 5) {
                stopped = true;
                f.cmdStartShred_Click();
                window.PostUnload();
            }
            tidvex::pump::PumpPendingMessages();
        });
        f.cmdStartShred_Click();
        ASSERT_TRUE(f.IsShredding);
        tidvex::test::PumpUntil([&] { return window.Ended(); }, std::chrono::milliseconds(kChildTimeout - 20000));
        ASSERT_TRUE(window.Ended());
    }
    // The window is gone, the program returns and its process ends.
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(Gone(FillFolder(*drive))) << "the fill was still there when the program returned";
}

TEST(ShredderClose, NothingOfAStoppedFillIsLeftWhenTheProgramEnds) {
    auto drive = tidvex::test::TestDrive('t');
    if (!drive) GTEST_SKIP() << "no tmpfs test drive";
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    SetEnvironmentVariableA(kChild, "1");
    tidvex::handles::KernelObject child =
        tidvex::test::StartProgram(std::wstring(L"\"") + self + L"\" --gtest_filter=ShredderCloseChild.*");
    SetEnvironmentVariableA(kChild, nullptr);
    ASSERT_TRUE(child);
    EXPECT_EQ(tidvex::test::AwaitProgram(child.Get(), kChildTimeout), DWORD{0}) << "the program did not end well";
    EXPECT_TRUE(Gone(FillFolder(*drive))) << "the fill is left on the drive";
    ULARGE_INTEGER free{}, total{};
    ASSERT_TRUE(GetDiskFreeSpaceExA((std::string(1, *drive) + ":\\").c_str(), &free, &total, nullptr));
    EXPECT_GT(free.QuadPart, total.QuadPart / 100 * 95) << "the free space is back";
}

}  // namespace
