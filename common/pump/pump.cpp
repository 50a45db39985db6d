#include "pump/pump.h"

#include <windows.h>

#include <utility>

namespace tidvex::pump {

namespace {

int g_busyDepth = 0;

}  // namespace

void PumpPendingMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The quit belongs to the main loop, which is waiting below us.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Only the GUI thread yields and only tests replace it, before the work starts.
Seam<std::function<void()>> gDoEvents;

void DoEvents() {
    if (const auto& replacement = gDoEvents.Get()) {
        // A copy, so that the scripted function may replace itself while it runs.
        auto call = replacement;
        call();
        return;
    }
    PumpPendingMessages();
}

void PacedDoEvents::operator()() {
    if (gDoEvents.Get()) return DoEvents();
    // The tick count is read from memory the system keeps, without a call into it.
    const unsigned long long now = GetTickCount64();
    if (pumped_ && now - last_ < interval_) return;
    pumped_ = true;
    last_ = now;
    PumpPendingMessages();
}

BusyPointer::BusyPointer() {
    if (g_busyDepth++ == 0) SetCursor(LoadCursor(nullptr, IDC_WAIT));
}

BusyPointer::~BusyPointer() {
    if (--g_busyDepth == 0) SetCursor(LoadCursor(nullptr, IDC_ARROW));
}

bool IsBusy() { return g_busyDepth > 0; }

}  // namespace tidvex::pump
