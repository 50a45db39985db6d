// Tidvex starts as a GUI program, shows its main window titled "Tidvex" and ends
// when that window is closed.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

struct Found {
    DWORD pid;
    HWND hwnd;
};

BOOL CALLBACK FindMain(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<Found*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char title[64] = {};
    GetWindowTextA(hwnd, title, sizeof title);
    if (pid == f->pid && lstrcmpA(title, "Tidvex") == 0 && IsWindowVisible(hwnd)) {
        f->hwnd = hwnd;
        return FALSE;
    }
    return TRUE;
}

TEST(MainWindow, OpensTitledTidvexAndEndsWhenClosed) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    char cmd[] = "Y:\\Tidvex.exe";
    ASSERT_TRUE(CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, 0, nullptr, "Y:\\", &si, &pi));
    Found f{pi.dwProcessId, nullptr};
    for (int i = 0; i < 200 && !f.hwnd; ++i) {
        if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) break;
        EnumWindows(FindMain, reinterpret_cast<LPARAM>(&f));
    }
    ASSERT_NE(f.hwnd, nullptr) << "no visible window titled Tidvex";
    PostMessageA(f.hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0) << "Tidvex did not end after its window closed";
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    if (WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace
