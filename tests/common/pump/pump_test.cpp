// Yielding to the message loop: the real pump dispatches what is pending and
// leaves a quit request for the main loop; tests can script what a yield does.
#include "pump/pump.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace tidvex::pump;

std::vector<UINT> g_received;

LRESULT CALLBACK RecordingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg >= WM_APP) g_received.push_back(msg);
    return DefWindowProcA(hwnd, msg, wp, lp);
}

HWND MakeWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PumpTestWindow";
    RegisterClassA(&wc);
    return CreateWindowA("PumpTestWindow", "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr,
                         wc.hInstance, nullptr);
}

TEST(DoEvents, DispatchesEveryPendingMessageAndReturns) {
    HWND hwnd = MakeWindow();
    ASSERT_NE(hwnd, nullptr);
    g_received.clear();
    PostMessageA(hwnd, WM_APP + 1, 0, 0);
    PostMessageA(hwnd, WM_APP + 2, 0, 0);
    DoEvents();
    EXPECT_EQ(g_received, (std::vector<UINT>{WM_APP + 1, WM_APP + 2}));
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_APP, WM_APP + 10, PM_NOREMOVE));
    DestroyWindow(hwnd);
}

TEST(DoEvents, LeavesAQuitRequestForTheMainLoop) {
    PostQuitMessage(7);
    DoEvents();
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);
}

TEST(DoEvents, ScriptedReplacementsNestAndTheRealPumpComesBack) {
    int outer = 0, inner = 0;
    {
        ScopedDoEvents a([&] { ++outer; });
        DoEvents();
        {
            ScopedDoEvents b([&] { ++inner; });
            DoEvents();
            DoEvents();
        }
        DoEvents();
    }
    EXPECT_EQ(outer, 2);
    EXPECT_EQ(inner, 2);

    // A scripted yield may itself run the real pump.
    HWND hwnd = MakeWindow();
    g_received.clear();
    PostMessageA(hwnd, WM_APP + 3, 0, 0);
    {
        ScopedDoEvents c([] { PumpPendingMessages(); });
        DoEvents();
    }
    EXPECT_EQ(g_received, (std::vector<UINT>{WM_APP + 3}));
    PostMessageA(hwnd, WM_APP + 4, 0, 0);
    DoEvents();  // the real one again
    EXPECT_EQ(g_received.back(), static_cast<UINT>(WM_APP + 4));
    DestroyWindow(hwnd);
}

TEST(PacedDoEvents, PumpsAtMostOncePerIntervalUnlessScripted) {
    HWND hwnd = MakeWindow();
    g_received.clear();
    PacedDoEvents paced(60 * 60 * 1000);
    PostMessageA(hwnd, WM_APP + 5, 0, 0);
    paced();  // the first call pumps
    PostMessageA(hwnd, WM_APP + 6, 0, 0);
    paced();  // within the interval: the message waits
    EXPECT_EQ(g_received, (std::vector<UINT>{WM_APP + 5}));
    PacedDoEvents(0)();
    EXPECT_EQ(g_received, (std::vector<UINT>{WM_APP + 5, WM_APP + 6}));

    // A scripted DoEvents runs at every call.
    int scripted = 0;
    {
        ScopedDoEvents script([&] { ++scripted; });
        for (int i = 0; i < 3; ++i) paced();
    }
    EXPECT_EQ(scripted, 3);
    DestroyWindow(hwnd);
}

TEST(BusyPointer, StaysBusyUntilTheOutermostEnds) {
    EXPECT_FALSE(IsBusy());
    {
        BusyPointer outer;
        {
            BusyPointer inner;
            EXPECT_TRUE(IsBusy());
        }
        EXPECT_TRUE(IsBusy());
    }
    EXPECT_FALSE(IsBusy());
}

}  // namespace
