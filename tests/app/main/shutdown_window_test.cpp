// The real main window in this process, with its libraries registered, while
// Wine ends the session (wineboot --end-session asks every window with
// WM_QUERYENDSESSION). With "When Windows shuts down" checked the window
// refuses, shows itself, cleans and asks for the restart, which is recorded
// here and never done.
#include "real_window.h"

#include "services/helpers.h"
#include "services/program.h"
#include "text/text.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using tidvex::main::frmMain;

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string LastItem(const tidvex::controls::ListBox& list) {
    return list.ListCount() ? tidvex::text::Narrow(list.List(list.ListCount() - 1)) : std::string();
}

TEST(ShutdownWindow, TheSessionsEndIsRefusedForACleaningThenARestart) {
    std::vector<UINT> exits;
    tidvex::services::ScopedPlatformCalls power({.exitWindowsEx = [&exits](UINT flags, DWORD) {
        exits.push_back(flags);
        return TRUE;
    }});
    tidvex::test::RealWindow real("program");
    ASSERT_TRUE(real.Ready());
    tidvex::main::win32::MainWindow& window = real.window();
    ASSERT_TRUE(window.Load());
    frmMain& f = window.form();
    real.CleanThenRestartAtShutdown();
    window.Visible(false);
    Pump();

    // wineboot ends with 1 when a window refused.
    tidvex::handles::KernelObject wineboot = tidvex::test::StartProgram(L"wineboot.exe --end-session");
    ASSERT_TRUE(wineboot);
    EXPECT_EQ(tidvex::test::AwaitProgram(wineboot.Get(), 60000), DWORD{1});
    const DWORD end = GetTickCount() + 120000;
    while (exits.empty() && GetTickCount() < end) {
        Pump();
        Sleep(20);
    }
    ASSERT_EQ(exits.size(), 1u) << "one restart asked for";
    EXPECT_TRUE(tidvex::services::gIsExiting) << "an uninstaller is waited for no more";
    EXPECT_EQ(exits[0] & (EWX_REBOOT | EWX_FORCE), static_cast<UINT>(EWX_REBOOT | EWX_FORCE));
    EXPECT_EQ(exits[0] & EWX_POWEROFF, 0u);
    EXPECT_TRUE(IsWindow(window.hWnd()));
    EXPECT_TRUE(IsWindowVisible(window.hWnd())) << "the window showed itself";
    EXPECT_EQ(LastItem(*f.lstCompleteClean), "Cleaning Done.");
    EXPECT_EQ(f.CurrentPageIndex, 1) << "on the Cleaner page";
    EXPECT_FALSE(f.tmrShutDownClean->Enabled());
    EXPECT_FALSE(window.Ended());
}

}  // namespace
