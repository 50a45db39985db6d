// The program's message box over the real main window: a box shown while the
// window is hidden (in the tray, at start-up) belongs to the window, so that
// once the window shows, the box stays over it and the window waits for it.
#include "main/win32/main_window.h"

#include "timed_steps.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// The visible top-level window of this thread captioned "Tidvex" that is not `except`.
HWND BoxOtherThan(HWND except) {
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, nullptr, "Tidvex")) != nullptr;)
        if (w != except && IsWindowVisible(w) && GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId()) return w;
    return nullptr;
}

TEST(WindowBox, ABoxShownWhileTheWindowIsHiddenBelongsToItOnceItShows) {
    InitCommonControls();
    tidvex::main::win32::MainWindow window("");
    HWND main = window.hWnd();
    ASSERT_FALSE(IsWindowVisible(main));
    HWND box = nullptr, ownerHidden = nullptr, ownerShown = nullptr;
    bool mainEnabledWhileBox = true;
    tidvex::test::Script({[&] {
                  box = BoxOtherThan(main);
                  ownerHidden = GetWindow(box, GW_OWNER);
                  ShowWindow(main, SW_SHOW);
              },
              [&] {
                  ownerShown = GetWindow(box, GW_OWNER);
                  mainEnabledWhileBox = IsWindowEnabled(main) != FALSE;
                  SendMessageA(FindWindowExA(box, nullptr, "BUTTON", "Ok"), BM_CLICK, 0, 0);
              }});
    EXPECT_EQ(window.ShowMe("Scheduled cleaning failed", false, "Ok", "", 0), 1);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ownerHidden, main);
    EXPECT_EQ(ownerShown, main);
    EXPECT_FALSE(mainEnabledWhileBox) << "the window waits for the box";
    EXPECT_TRUE(IsWindowEnabled(main));
    EXPECT_FALSE(IsWindowVisible(box));
}

}  // namespace
