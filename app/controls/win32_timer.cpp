#include "controls/win32_timer.h"

#include <map>

namespace tidvex::controls::win32 {

// ---- Timer ----

namespace {

const char kTimerSinkClass[] = "TidvexTimerSink";

std::map<UINT_PTR, Win32Timer*>& Timers() {
    static std::map<UINT_PTR, Win32Timer*> timers;
    return timers;
}

UINT_PTR NextTimerId() {
    static UINT_PTR id = 0x7100;
    return ++id;
}

}  // namespace

static LRESULT CALLBACK TimerSinkProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER) {
        auto it = Timers().find(wp);
        if (it != Timers().end()) Fire(it->second->OnTimer);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

namespace {

// The hidden window of the thread that receives the timers' ticks.
HWND TimerSink(bool create) {
    HWND sink = FindWindowExA(HWND_MESSAGE, nullptr, kTimerSinkClass, nullptr);
    DWORD pid = 0;
    while (sink && GetWindowThreadProcessId(sink, &pid) != GetCurrentThreadId())
        sink = FindWindowExA(HWND_MESSAGE, sink, kTimerSinkClass, nullptr);
    if (sink || !create) return sink;
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = Instance();
    wc.lpszClassName = kTimerSinkClass;
    wc.lpfnWndProc = TimerSinkProc;
    RegisterClassExA(&wc);
    return CreateWindowExA(0, kTimerSinkClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, Instance(), nullptr);
}

}  // namespace

Win32Timer::Win32Timer(int interval) : interval_(interval), id_(NextTimerId()) { Timers()[id_] = this; }

Win32Timer::~Win32Timer() {
    Timers().erase(id_);
    if (HWND sink = TimerSink(false)) KillTimer(sink, id_);
}

void Win32Timer::Interval(int ms) {
    interval_ = ms;
    Restart();
}

void Win32Timer::Enabled(bool on) {
    enabled_ = on;
    Restart();
}

void Win32Timer::Restart() {
    HWND sink = TimerSink(true);
    KillTimer(sink, id_);
    if (enabled_ && interval_ > 0) SetTimer(sink, id_, static_cast<UINT>(interval_), nullptr);
}
}  // namespace tidvex::controls::win32
